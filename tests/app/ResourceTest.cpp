// The program's resources as Windows reads them: every dialog template control by
// control (class, text, position, id, style), the tray menu, the pictures, the version
// block and the manifest.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

struct Control {
    std::string kind;  // the window class
    std::string text;  // code page 1250; "#n" for a resource ordinal
    int x, y, cx, cy;
    int id;
    DWORD style;
};

struct Template {
    DWORD style = 0, exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string caption, font;
    int pointSize = 0;
    std::vector<Control> controls;
};

class Reader {
public:
    explicit Reader(const BYTE* p) : p_(p) {}
    WORD Word() { WORD w; memcpy(&w, p_, 2); p_ += 2; return w; }
    DWORD Dword() { DWORD d; memcpy(&d, p_, 4); p_ += 4; return d; }
    short Short() { return static_cast<short>(Word()); }
    void Align() { while (reinterpret_cast<uintptr_t>(p_) % 4) ++p_; }
    void Skip(size_t n) { p_ += n; }
    // A string or an ordinal (0xFFFF followed by the number).
    std::string SzOrOrd()
    {
        WORD first = Word();
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        std::wstring wide;
        for (WORD c = first; c; c = Word())
            wide += static_cast<wchar_t>(c);
        if (wide.empty())
            return {};
        char text[512] = {};
        WideCharToMultiByte(1250, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
        return text;
    }

private:
    const BYTE* p_;
};

// Class names compare without case (the resource compiler writes some in capitals).
std::string ClassName(std::string ordinalOrName)
{
    if (ordinalOrName == "#128") return "BUTTON";
    if (ordinalOrName == "#129") return "EDIT";
    if (ordinalOrName == "#130") return "STATIC";
    if (ordinalOrName == "#133") return "COMBOBOX";
    CharUpperA(&ordinalOrName[0]);
    return ordinalOrName;
}

Template LoadTemplate(int id)
{
    Template t;
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (!found)
        return t;
    Reader r(static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found))));
    EXPECT_EQ(1, r.Word());
    EXPECT_EQ(0xFFFF, r.Word());  // DLGTEMPLATEEX
    r.Dword();
    t.exStyle = r.Dword();
    t.style = r.Dword();
    const int count = r.Word();
    t.x = r.Short(); t.y = r.Short(); t.cx = r.Short(); t.cy = r.Short();
    r.SzOrOrd();  // menu
    r.SzOrOrd();  // class
    t.caption = r.SzOrOrd();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Word();
        r.Word();
        r.Skip(2);
        t.font = r.SzOrOrd();
    }
    for (int i = 0; i < count; ++i) {
        r.Align();
        Control c{};
        r.Dword();
        r.Dword();
        c.style = r.Dword();
        c.x = r.Short(); c.y = r.Short(); c.cx = r.Short(); c.cy = r.Short();
        c.id = static_cast<int>(r.Dword());
        c.kind = ClassName(r.SzOrOrd());
        c.text = r.SzOrOrd();
        r.Skip(r.Word());
        t.controls.push_back(c);
    }
    return t;
}

// What a control is to the user, in the style bits that make it so: those named in mask
// must be exactly as in style.
struct Kind {
    const char* windowClass;
    DWORD mask, style;
};

constexpr DWORD kButtonType = 0x0F;
constexpr DWORD kStaticType = 0x1F;
constexpr DWORD kComboType = 0x0F | CBS_AUTOHSCROLL | CBS_SORT | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kEditBits = ES_AUTOHSCROLL | ES_MULTILINE | ES_NUMBER | WS_BORDER | WS_TABSTOP;
constexpr DWORD kLabelBits = kStaticType | SS_CENTERIMAGE;
const Kind kIcon = {"Static", kStaticType, SS_ICON};
const Kind kPicture = {"Static", kStaticType, SS_BITMAP};
const Kind kPlainText = {"Static", kStaticType | SS_NOPREFIX, SS_LEFT | SS_NOPREFIX};  // "&" shows as itself
const Kind kLabel = {"Static", kLabelBits, SS_RIGHT | SS_CENTERIMAGE};  // before its box, level with it
const Kind kHint = {"Static", kLabelBits, SS_LEFT | SS_CENTERIMAGE};    // after its box, level with it
// A bordered one-line box in the tab order, scrolling sideways so that any length fits.
const Kind kTextBox = {"Edit", kEditBits, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP};
const Kind kDigitsBox = {"Edit", kEditBits, ES_NUMBER | WS_BORDER | WS_TABSTOP};
const Kind kDefaultButton = {"Button", kButtonType, BS_DEFPUSHBUTTON};  // Enter presses it
const Kind kButton = {"Button", kButtonType, BS_PUSHBUTTON};
const Kind kCheckBox = {"Button", kButtonType, BS_AUTOCHECKBOX};
// Two radio buttons that the arrow keys move between: the first starts their group.
const Kind kFirstRadio = {"Button", kButtonType | WS_GROUP, BS_AUTORADIOBUTTON | WS_GROUP};
const Kind kNextRadio = {"Button", kButtonType | WS_GROUP, BS_AUTORADIOBUTTON};
// Typed, or picked from a list kept in the order filled.
const Kind kTypeOrPick = {"ComboBox", kComboType, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP};
const Kind kPickOnly = {"ComboBox", kComboType, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP};
// One row per document, several selected at a time and always shown; the headings do not sort.
const Kind kDocumentList = {"SysListView32", LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER,
                            LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER};

// A control as the user meets it: what it is, its text, its place and its id.
struct Expected {
    Kind kind;
    const char* text;
    int x, y, cx, cy;
    int id;
};

void ExpectControls(int dialog, const std::vector<Expected>& expected)
{
    const Template t = LoadTemplate(dialog);
    ASSERT_EQ(expected.size(), t.controls.size()) << "dialog " << dialog;
    for (size_t i = 0; i < expected.size(); ++i) {
        const Expected& e = expected[i];
        const Control& c = t.controls[i];
        SCOPED_TRACE("dialog " + std::to_string(dialog) + ", control " + std::to_string(i));
        EXPECT_EQ(ClassName(e.kind.windowClass), c.kind);
        EXPECT_EQ(e.text, c.text);
        EXPECT_EQ(e.x, c.x);
        EXPECT_EQ(e.y, c.y);
        EXPECT_EQ(e.cx, c.cx);
        EXPECT_EQ(e.cy, c.cy);
        EXPECT_EQ(e.id, c.id);
        EXPECT_EQ(e.kind.style, c.style & e.kind.mask) << std::hex << c.style;
        EXPECT_TRUE(c.style & WS_VISIBLE);
    }
}

// The frame as the user sees it: the caption, the font and, where cx is not 0, the size in
// dialog units.
Template ExpectFrame(int dialog, const char* caption, int cx = 0, int cy = 0)
{
    const Template t = LoadTemplate(dialog);
    SCOPED_TRACE("dialog " + std::to_string(dialog));
    EXPECT_EQ(caption, t.caption);
    if (cx) {
        EXPECT_EQ(cx, t.cx);
        EXPECT_EQ(cy, t.cy);
    }
    EXPECT_EQ("MS Sans Serif", t.font);
    EXPECT_EQ(8, t.pointSize);
    return t;
}

TEST(Resources, AboutBox)
{
    const Template t = ExpectFrame(IDD_ABOUTBOX, "O aplikaci Quillet");
    EXPECT_EQ(DWORD(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU),
              t.style & (DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CHILD));
    ExpectControls(IDD_ABOUTBOX, {
        {kIcon, "#128", 7, 7, 20, 20, -1},
        {kPlainText, "Quillet Verze 1.3", 40, 11, 87, 8, -1},
        {kDefaultButton, "OK", 136, 7, 50, 14, IDOK},
    });
}

TEST(Resources, SplashDialog)
{
    const Template t = ExpectFrame(IDD_TRAY_DIALOG, "", 220, 68);
    EXPECT_EQ(DWORD(WS_POPUP | WS_VISIBLE),
              t.style & (WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | DS_MODALFRAME));
    EXPECT_EQ(DWORD(WS_EX_APPWINDOW), t.exStyle & WS_EX_APPWINDOW);
    ExpectControls(IDD_TRAY_DIALOG, {
        {kPicture, "#131", 0, 0, 224, 80, -1},
    });
}

TEST(Resources, DocumentPicker)
{
    const Template t = ExpectFrame(IDD_DOC_PICKER, "Vyberte dokument", 230, 169);
    const DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SYSMODAL | DS_SETFOREGROUND | DS_CENTER;
    EXPECT_EQ(wanted, t.style & wanted);
    ExpectControls(IDD_DOC_PICKER, {
        {kDefaultButton, "Tisk", 152, 148, 71, 15, IDOK}, {kDocumentList, "", 7, 30, 216, 115, IDC_DOC_LIST},
        {kFirstRadio, "Prodejky", 152, 16, 43, 10, IDC_PRODEJKY},
        {kNextRadio, "Dodací listy", 152, 5, 58, 10, IDC_DODACI_LISTY},
        {kCheckBox, "Zobraz posledních 50", 7, 150, 85, 10, IDC_LAST_50}, {kButton, "&Náhled", 96, 148, 52, 15, IDC_PREVIEW},
    });
}

TEST(Resources, SettingsDialogInTabOrder)
{
    ExpectFrame(IDD_AGENDA_SETTINGS, "Nastaveni agendy", 214, 257);
    std::vector<Expected> controls = {
        {kTextBox, "", 56, 7, 151, 14, IDC_NAZEV},
        {kTextBox, "", 56, 21, 151, 14, IDC_ULICE},
        {kTextBox, "", 56, 35, 103, 14, IDC_MESTO},
        {kTextBox, "", 160, 35, 47, 14, IDC_PSC},
        {kTextBox, "", 56, 49, 151, 14, IDC_TEL},
        {kTextBox, "", 56, 63, 151, 14, IDC_FAX},
        {kTextBox, "", 56, 77, 151, 14, IDC_ICO},
        {kTextBox, "", 56, 91, 151, 14, IDC_DIC},
        {kTextBox, "", 56, 105, 151, 14, IDC_REGCISLO},
        {kDefaultButton, "OK", 157, 236, 50, 14, IDOK},
        {kButton, "Cancel", 106, 236, 50, 14, IDCANCEL},
    };
    // The labels of the boxes above, each level with its line of the form.
    int y = 7;
    for (const char* label : {"Název firmy:", "Ulice:", "Město, PSČ", "Telefon:", "Fax:", "IČO:", "DIČ:", "Reg. číslo:"}) {
        controls.push_back({kLabel, label, 7, y, 43, 14, -1});
        y += 14;
    }
    controls.insert(controls.end(), {
        {kTypeOrPick, "", 56, 135, 42, 100, IDC_PORT},
        {kLabel, "Tiskárna:", 7, 135, 43, 14, -1},
        {kHint, "(LPT1:, tiskárna, soubor)", 99, 135, 108, 14, -1},
        {kLabel, "Tisk:", 7, 152, 43, 14, -1},
        {kPickOnly, "", 56, 152, 151, 60, IDC_REZIM},
        {kLabel, "Kopie:", 7, 168, 43, 14, -1},
        {kDigitsBox, "", 56, 168, 16, 14, IDC_KOPIE_DANOVY_DOKLAD},
        {kHint, "daňový doklad", 75, 168, 54, 14, -1},
        {kDigitsBox, "", 131, 168, 16, 14, IDC_KOPIE_DODACI_LIST},
        {kHint, "dodací list", 150, 168, 57, 14, -1},
        {kHint, "Tisknout nové doklady automaticky", 7, 186, 200, 14, -1},
        {kCheckBox, "Prodejky", 56, 200, 60, 14, IDC_AUTO_DANOVY_DOKLAD},
        {kCheckBox, "Dodací listy", 131, 200, 76, 14, IDC_AUTO_DODACI_LIST},
        {kHint, "jen doklady, které vystavil:", 18, 214, 90, 14, -1},
        {kTextBox, "", 110, 214, 97, 14, IDC_AUTO_VYSTAVIL},
    });
    ExpectControls(IDD_AGENDA_SETTINGS, controls);
}

TEST(Resources, TrayMenu)
{
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    ASSERT_NE(nullptr, menu);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(nullptr, popup);
    const struct { UINT id; const char* text; } items[] = {
        {ID_APP_ABOUT, "O &aplikaci..."}, {ID_SETTINGS, "Nastavení"}, {ID_APP_EXIT, "&Konec"}};
    ASSERT_EQ(3, GetMenuItemCount(popup));
    for (int i = 0; i < 3; ++i) {
        char text[64] = {};
        GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_EQ(items[i].id, GetMenuItemID(popup, i));
        EXPECT_EQ(std::string(items[i].text), text);
    }
    EXPECT_EQ(57664, ID_APP_ABOUT);
    EXPECT_EQ(32772, ID_SETTINGS);
    EXPECT_EQ(57665, ID_APP_EXIT);
    DestroyMenu(menu);
}

TEST(Resources, PicturesHaveTheirSizesAndDepth)
{
    const struct { int id; LONG width, height; } bitmaps[] = {{IDB_SPLASH, 330, 111}, {IDB_LOGO, 189, 35}};
    for (const auto& b : bitmaps) {
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(b.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(nullptr, bitmap) << b.id;
        BITMAP info{};
        GetObjectA(bitmap, sizeof info, &info);
        EXPECT_EQ(b.width, info.bmWidth) << b.id;
        EXPECT_EQ(b.height, info.bmHeight) << b.id;
        EXPECT_EQ(24, info.bmBitsPixel) << b.id;
        if (b.id == IDB_LOGO) {
            // The corners are background: exactly the colour that is left out when drawn.
            const BYTE* bits = static_cast<const BYTE*>(info.bmBits);
            EXPECT_EQ(0x80, bits[0]);  // blue
            EXPECT_EQ(0x80, bits[1]);  // green
            EXPECT_EQ(0x00, bits[2]);  // red
        }
        DeleteObject(bitmap);
    }
    for (int id : {IDI_MAINFRAME, IDI_TRAY}) {
        for (int size : {16, 32}) {
            HICON icon = static_cast<HICON>(
                LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
            EXPECT_NE(nullptr, icon) << id << " " << size;
            DestroyIcon(icon);
        }
    }
}

TEST(Resources, VersionBlockIsCzechQuillet13)
{
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe, 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(DWORD(MAKELONG(3, 1)), fixed->dwFileVersionMS);
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(0x405, translation[0]);
    EXPECT_EQ(1250, translation[1]);
    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040504e2\\ProductName", reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(std::string("Quillet"), text);
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040504e2\\ProductVersion", reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(std::string("1.3"), text);
}

TEST(Resources, ManifestAsksForCommonControls6)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(nullptr, found);
    const char* xml = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    const std::string manifest(xml, SizeofResource(nullptr, found));
    EXPECT_NE(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls"));
    EXPECT_NE(std::string::npos, manifest.find("version=\"6.0.0.0\""));
    // And the process got them: the common controls it loaded are the side-by-side
    // version 6 (Wine's DllGetVersion says 5 for both, so the file tells).
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&init);
    HMODULE comctl = GetModuleHandleA("comctl32.dll");
    ASSERT_NE(nullptr, comctl);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(comctl, path, MAX_PATH);
    std::string lower(path);
    CharLowerA(&lower[0]);
    EXPECT_NE(std::string::npos, lower.find("common-controls_6595b64144ccf1df_6.")) << path;
}

TEST(Resources, ManifestAsksForSharpScalingOnWindows7To11)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(nullptr, found);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                               SizeofResource(nullptr, found));
    for (const char* wanted : {
             ">true</dpiAware>", ">PerMonitorV2, System</dpiAwareness>",
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
         })
        EXPECT_NE(std::string::npos, manifest.find(wanted)) << wanted;
    // Each icon holds every size Windows asks for between 100 and 200 %, none stretched.
    for (int id : {IDI_MAINFRAME, IDI_TRAY}) {
        const HRSRC group = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
        ASSERT_NE(nullptr, group) << id;
        const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, group)));
        std::set<int> sizes;
        for (int i = 0; i < directory[4]; ++i)
            sizes.insert(directory[6 + 14 * i]);  // each entry's width
        EXPECT_EQ((std::set<int>{16, 20, 24, 32, 40, 48, 64}), sizes) << id;
    }
}

}  // namespace
