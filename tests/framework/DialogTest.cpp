// The dialog base on a real dialog: data exchange both ways, OK and Cancel, private
// messages, timers, centring, and an exception leaving a handler.
#include <gtest/gtest.h>
#include <windows.h>

#include <new>
#include <stdexcept>
#include <string>

#include "framework/Dialog.h"
#include "support/DialogDriver.h"

namespace {

constexpr UINT kTestDialog = 900;
constexpr int kEdit = 901, kCheck = 902, kFirst = 903, kSecond = 904;
constexpr UINT kPrivate = WM_APP + 1;

class TestDlg : public CDialog {
public:
    TestDlg() : CDialog(kTestDialog) {}

    std::string text;
    int check = 0, first = 0, second = 0;
    int privateCount = 0;
    LPARAM privateParam = 0;
    int timerTicks = 0;
    int checkClicks = 0;
    bool destroyed = false;
    bool throwOnCommand = false;
    bool throwOnInit = false;
    bool throwOnPaint = false;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (throwOnInit)
            throw std::runtime_error("init");
        return TRUE;
    }

    void DoDataExchange(bool save) override
    {
        DdxText(save, kEdit, text);
        DdxCheck(save, kCheck, check);
        DdxCheck(save, kFirst, first);
        DdxCheck(save, kSecond, second);
    }

    bool OnCommand(int id, int code, HWND) override
    {
        if (id != kCheck || code != BN_CLICKED)
            return false;
        if (throwOnCommand)
            throw std::runtime_error("Chyba při kliknutí");
        ++checkClicks;
        return true;
    }

    bool OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) override
    {
        if (message != kPrivate)
            return false;
        ++privateCount;
        privateParam = lParam;
        result = 0;
        return true;
    }

    bool OnTimer(UINT_PTR id) override
    {
        if (id == 1000) {
            ++timerTicks;
            KillTimer(GetSafeHwnd(), id);
        }
        return true;
    }

    bool OnPaint() override
    {
        if (throwOnPaint)
            throw std::bad_alloc();
        return false;
    }

    void OnDestroy() override { destroyed = true; }
};

std::string Text(HWND dialog, int id)
{
    char buffer[260] = {};
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
}

TEST(Dialog, MembersReachControlsAndOkBringsThemBack)
{
    Driven<TestDlg> dlg;
    dlg.text = "Žluťoučký kůň";
    dlg.check = 1;
    dlg.second = 1;
    std::string shown;
    bool checkShown = false, secondShown = false, firstShown = true;
    dlg.Then([&](HWND d) {
        shown = Text(d, kEdit);
        checkShown = IsChecked(d, kCheck);
        firstShown = IsChecked(d, kFirst);
        secondShown = IsChecked(d, kSecond);
        TypeText(d, kEdit, "Nový text");
        Click(d, kCheck);
        Click(d, kFirst);
        Click(d, IDOK);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ("Žluťoučký kůň", shown);
    EXPECT_TRUE(checkShown);
    EXPECT_FALSE(firstShown);
    EXPECT_TRUE(secondShown);
    EXPECT_EQ("Nový text", dlg.text);
    EXPECT_EQ(0, dlg.check);
    EXPECT_EQ(1, dlg.first);
    EXPECT_EQ(0, dlg.second);
    EXPECT_TRUE(dlg.destroyed);
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
}

TEST(Dialog, CancelAndEscapeLeaveMembersAlone)
{
    for (bool escape : {false, true}) {
        Driven<TestDlg> dlg;
        dlg.text = "původní";
        dlg.Then([&](HWND d) {
            TypeText(d, kEdit, "změněno");
            if (escape)
                SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
            else
                Click(d, IDCANCEL);
        });
        EXPECT_EQ(IDCANCEL, dlg.DoModal()) << escape;
        EXPECT_EQ("původní", dlg.text) << escape;
    }
}

TEST(Dialog, CloseBoxCancels)
{
    Driven<TestDlg> dlg;
    dlg.Then([](HWND d) { SendMessageA(d, WM_CLOSE, 0, 0); });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
}

TEST(Dialog, PrivateMessagesTimersAndCommandsReachTheirHandlers)
{
    Driven<TestDlg> dlg;
    dlg.Then([](HWND d) {
           PostMessageA(d, kPrivate, 0x79, 0x80000000);
           SetTimer(d, 1000, 10, nullptr);
           Click(d, kCheck);
       })
        .Then([](HWND) { Sleep(50); })
        .Then([](HWND d) { Click(d, IDOK); });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(1, dlg.privateCount);
    EXPECT_EQ(LPARAM(0x80000000), dlg.privateParam);
    EXPECT_EQ(1, dlg.timerTicks);
    EXPECT_EQ(1, dlg.checkClicks);
}

TEST(Dialog, OpensCentredOnTheScreen)
{
    Driven<TestDlg> dlg;
    RECT window{}, work{};
    dlg.Then([&](HWND d) {
        GetWindowRect(d, &window);
        MONITORINFO info{};
        info.cbSize = sizeof info;
        GetMonitorInfoA(MonitorFromWindow(d, MONITOR_DEFAULTTONEAREST), &info);
        work = info.rcWork;
        Click(d, IDCANCEL);
    });
    dlg.DoModal();
    const LONG dx = (window.left + window.right) - (work.left + work.right);
    const LONG dy = (window.top + window.bottom) - (work.top + work.bottom);
    EXPECT_LE(std::abs(dx), 2);
    EXPECT_LE(std::abs(dy), 2);
}

TEST(Dialog, StaysWhereTheTemplatePutsItWhenNotCentred)
{
    Driven<TestDlg> dlg;
    dlg.SetCentreOnOpen(false);
    RECT window{};
    dlg.Then([&](HWND d) {
        GetWindowRect(d, &window);
        Click(d, IDCANCEL);
    });
    dlg.DoModal();
    RECT work{};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    work = info.rcWork;
    // A template at 0, 0 opens at the top left of the screen's work area, not in the middle.
    EXPECT_LT(window.left, (work.left + work.right) / 4);
    EXPECT_LT(window.top, (work.top + work.bottom) / 4);
}

TEST(Dialog, ExceptionFromAHandlerEndsTheDialogAndComesOutOfDoModal)
{
    Driven<TestDlg> dlg;
    dlg.throwOnCommand = true;
    dlg.Then([](HWND d) { Click(d, kCheck); });
    try {
        dlg.DoModal();
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string("Chyba při kliknutí"), e.what());
    }
    EXPECT_TRUE(dlg.destroyed);

    TestDlg early;
    early.throwOnInit = true;
    EXPECT_THROW(early.DoModal(), std::runtime_error);
    // Memory running out while Windows has the dialog paint itself.
    Driven<TestDlg> painting;
    painting.throwOnPaint = true;
    EXPECT_THROW(painting.DoModal(), std::bad_alloc);
    EXPECT_TRUE(painting.destroyed);
    // The object is usable again afterwards.
    Driven<TestDlg> again;
    again.Then([](HWND d) { Click(d, IDOK); });
    EXPECT_EQ(IDOK, again.DoModal());
}

TEST(Dialog, MissingTemplateGivesMinusOne)
{
    class Missing : public CDialog {
    public:
        Missing() : CDialog(31999) {}
    } dlg;
    EXPECT_EQ(-1, dlg.DoModal());
}

}  // namespace
