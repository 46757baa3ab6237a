// The About box and the splash template as real dialogs, with a picture of each kept
// as a test artefact.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/AboutDlg.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/Screenshot.h"

namespace {

std::string WindowText(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The first child whose class is "Static" and whose style has the given type.
HWND FindStatic(HWND dialog, DWORD type)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == type)
            return child;
    }
    return nullptr;
}

TEST(AboutDlg, ShowsIconNameAndVersionAndOkCloses)
{
    Driven<CAboutDlg> dlg;
    std::string caption, text;
    bool hasIcon = false, visible = false;
    dlg.Then([&](HWND d) {
        visible = IsWindowVisible(d);
        caption = WindowText(d);
        text = WindowText(FindStatic(d, SS_LEFT));
        hasIcon = SendMessageA(FindStatic(d, SS_ICON), STM_GETICON, 0, 0) != 0;
        SaveScreenshot("about", d);
        Click(d, IDOK);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_TRUE(visible);
    EXPECT_EQ("O aplikaci Quillet", caption);
    EXPECT_EQ("Quillet Verze 1.3", text);
    EXPECT_TRUE(hasIcon);
}

TEST(AboutDlg, EscapeAndCloseBoxEndIt)
{
    for (UINT message : {UINT(WM_COMMAND), UINT(WM_CLOSE)}) {
        Driven<CAboutDlg> dlg;
        dlg.Then([&](HWND d) {
            SendMessageA(d, message, message == WM_COMMAND ? IDCANCEL : 0, 0);
        });
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
    }
}

class SplashDlg : public CDialog {
public:
    SplashDlg() : CDialog(IDD_TRAY_DIALOG) {}
};

TEST(SplashDialog, ShowsTheWholeSplashPictureCentred)
{
    Driven<SplashDlg> dlg;
    RECT client{}, window{}, work{}, picture{};
    LONG_PTR exStyle = 0;
    dlg.Then([&](HWND d) {
        GetClientRect(d, &client);
        GetWindowRect(FindStatic(d, SS_BITMAP), &picture);
        GetWindowRect(d, &window);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        exStyle = GetWindowLongPtrA(d, GWL_EXSTYLE);
        SaveScreenshot("splash", d);
        EndDialog(d, IDOK);
    });
    dlg.DoModal();
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    // The picture control takes the bitmap's size, and the dialog (220 x 68 dialog units of
    // an 8 point "MS Sans Serif") comes to the same size, give or take the rounding.
    EXPECT_EQ(330, picture.right - picture.left);
    EXPECT_EQ(111, picture.bottom - picture.top);
    EXPECT_NEAR(330, client.right, 1);
    EXPECT_NEAR(111, client.bottom, 1);
    EXPECT_NEAR((work.left + work.right) / 2, (window.left + window.right) / 2, 2);
    EXPECT_NEAR((work.top + work.bottom) / 2, (window.top + window.bottom) / 2, 2);
}

}  // namespace
