// The controls of the Win32 windows as a person meets them: what each control is, the font its
// Czech text is shown in, where the default button's frame is, and typing into the input dialog
// of the location list.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "MainFormFixture.h"
#include "Win32Driver.h"
#include "app/win32/MainFormUnit.h"
#include "app/win32/Win32Dialogs.h"
#include "engine/win32/ErrorUnit.h"
#include "help/win32/AboutUnit.h"
#include "help/win32/InfoBoxUnit.h"
#include "platform/win32/Wide.h"
#include "results/win32/EditorUnit.h"
#include "results/win32/ErrorListUnit.h"
#include "settings/win32/KonfigUnit.h"

namespace vorlaxis::test {
namespace {

namespace id = win32ui::id;
namespace k = win32ui::konfigid;
namespace e = win32ui::errorid;
namespace a = win32ui::aboutid;
namespace in = win32ui::inputid;
using Windows = std::vector<std::pair<std::string, HWND>>;

// What a control is, as its class and style make it.
std::string KindOf(HWND control) {
    wchar_t name[64] = {};
    ::GetClassNameW(control, name, 64);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    if (::lstrcmpiW(name, WC_EDITW) == 0) return style & ES_READONLY ? "read-only edit" : "edit";
    if (::lstrcmpiW(name, WC_LISTVIEWW) == 0) return "list view";
    if (::lstrcmpiW(name, WC_LISTBOXW) == 0) return "list box";
    if (::lstrcmpiW(name, WC_STATICW) == 0) return "static";
    if (::lstrcmpiW(name, WC_BUTTONW) != 0) return platform::win32::ToUtf8(name);
    switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
            return "push button";
        case BS_DEFPUSHBUTTON:
            return "default button";
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
            return "check box";
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return "radio button";
        case BS_GROUPBOX:
            return "group box";
        default:
            return "other button";
    }
}

// What each window's controls are.
struct Expected {
    const char* window;
    const char* kind;
    std::vector<int> controls;
};
const Expected kExpectedKinds[] = {
    {"main", "list view", {id::DiskList}},
    {"main", "default button", {id::BitBtn2}},
    {"main",
     "push button",
     {id::btnCancelTest, id::BitBtn1, id::btnNalistovat, id::btnOdstranit, id::btnUpravit,
      id::btnZobrazit, id::btnPridatRucne}},
    {"main", "group box", {id::GroupBox1, id::GroupBox2}},
    {"main", "static", {id::Label2, id::Label5, id::Label9, id::Label12, id::Label19, id::Label34}},
    {"options", "edit", {k::SpinEdit1}},
    {"options", "default button", {k::BitBtn1}},
    {"options", "push button", {k::BitBtn2, k::BitBtn3, k::RxSpeedButton1}},
    {"options",
     "check box",
     {k::cbEjectMedia, k::CheckBox1, k::CheckBox2, k::CheckBox4, k::CheckBox5}},
    {"options",
     "radio button",
     {k::RadioButton1, k::RadioButton2, k::RadioButton3, k::RadioButton4, k::RadioButton5,
      k::RadioButton6, k::RadioButton7, k::RadioButton8, k::RadioButton9, k::RadioButton10,
      k::RadioButton11, k::RadioButton12, k::RadioButton13, k::RadioButton14}},
    {"options",
     "group box",
     {k::GroupBox1, k::GroupBox2, k::GroupBox3, k::GroupBox4, k::GroupBox5, k::GroupBox6,
      k::GroupBox7}},
    {"options",
     "static",
     {k::Label1, k::Label2, k::Label3, k::Label4, k::Label5, k::Label6, k::Label8}},
    {"error question", "read-only edit", {e::Edit1}},
    {"error question", "default button", {e::BitBtn2}},
    {"error question", "push button", {e::BitBtn1, e::BitBtn3, e::BitBtn4, e::BitBtn5}},
    {"error question", "static", {e::Label1}},
    {"bad-file list", "list view", {win32ui::errorlistid::ListView1}},
    {"bad-file list", "default button", {win32ui::errorlistid::BitBtn1}},
    {"bad-file list", "static", {win32ui::errorlistid::Label1}},
    {"viewer", "read-only edit", {win32ui::editorid::Memo1}},
    {"viewer", "default button", {win32ui::editorid::BitBtn1}},
    {"about", "default button", {a::BitBtn1}},
    {"about",
     "static",
     {a::Label1, a::Label8, a::Label3, a::Label4, a::URLLabel1, a::URLLabel2, a::URLLabel3,
      a::SettingsFolder, a::LogsFolder}},
    {"info", "static", {win32ui::infoid::Label1, win32ui::infoid::Label2, win32ui::infoid::Label3}},
    {"input", "edit", {in::Field}},
    {"input", "static", {in::Prompt}},
    {"input", "default button", {IDOK}},
    {"input", "push button", {IDCANCEL}}};

// The main window with its own message boxes and input dialog, answered by typing.
class Win32ControlsTest : public MainFormFixture {
  protected:
    Win32ControlsTest() { realDialogs = true; }

    HWND Control(int controlId) const { return form->Control(controlId); }

    // Runs `look` over every window of the program, the input dialog open meanwhile.
    void LookAtEveryWindow(const std::function<void(const Windows&)>& look) {
        Windows windows = {{"main", form->Handle()},
                           {"options", form->Konfig().Handle()},
                           {"error question", form->ErrorForm().Handle()},
                           {"bad-file list", form->ErrorList().Handle()},
                           {"viewer", form->Editor().Handle()},
                           {"about", form->AboutBox().Handle()},
                           {"info", form->InfoBox().Handle()}};
        bool looked = false;
        StepsDuringCommand({[&] {
            HWND box = ::FindWindowW(win32ui::kInputBoxClass, nullptr);
            if (!box || !Visible(box)) return false;
            windows.emplace_back("input", box);
            look(windows);
            looked = true;
            Type(L"\x1b");
            return true;
        }});
        Click(Control(id::btnPridatRucne));
        StopPolling();
        EXPECT_TRUE(looked) << "the input dialog did not open";
    }

    // The entries of the location list, as the window's state holds them.
    std::vector<std::string> Entries() const {
        std::vector<std::string> texts;
        for (const TestLocation& entry : form->Locations().Entries()) texts.push_back(entry.Path);
        return texts;
    }
};

TEST_F(Win32ControlsTest, EachControlIsOfItsKind) {
    LookAtEveryWindow([](const Windows& windows) {
        for (const Expected& expected : kExpectedKinds) {
            HWND window = nullptr;
            for (const auto& [name, handle] : windows) {
                if (name == expected.window) window = handle;
            }
            for (const int control : expected.controls) {
                EXPECT_EQ(KindOf(::GetDlgItem(window, control)), expected.kind)
                    << expected.window << " " << control;
            }
        }
    });
}

// The controls that show no text: they keep the system font.
bool ShowsNoText(HWND control) {
    wchar_t name[64] = {};
    ::GetClassNameW(control, name, 64);
    const LONG type = ::GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK;
    if (::lstrcmpiW(name, WC_STATICW) == 0) return type == SS_ETCHEDHORZ || type == SS_ETCHEDFRAME;
    return ::lstrcmpiW(name, PROGRESS_CLASSW) == 0 || ::lstrcmpiW(name, UPDOWN_CLASSW) == 0 ||
           ::lstrcmpiW(name, ANIMATE_CLASSW) == 0;
}

BOOL CALLBACK NoteFontNotCentralEuropean(HWND control, LPARAM data) {
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW face{};
    if (font ? ::GetObjectW(font, sizeof(face), &face) && face.lfCharSet == EASTEUROPE_CHARSET
             : ShowsNoText(control)) {
        return TRUE;
    }
    wchar_t name[64] = {};
    ::GetClassNameW(control, name, 64);
    *reinterpret_cast<std::string*>(data) += " " + platform::win32::ToUtf8(name) + " " +
                                             std::to_string(::GetDlgCtrlID(control)) + " (" +
                                             (font ? std::to_string(face.lfCharSet) : "none") + ")";
    return TRUE;
}

TEST_F(Win32ControlsTest, EveryControlShowsItsTextInTheCentralEuropeanSet) {
    LookAtEveryWindow([](const Windows& windows) {
        for (const auto& [name, window] : windows) {
            std::string wrong;
            ::EnumChildWindows(window, &NoteFontNotCentralEuropean,
                               reinterpret_cast<LPARAM>(&wrong));
            EXPECT_EQ(wrong, "") << name;
        }
    });
}

// The push buttons of `window` drawn with the default frame.
BOOL CALLBACK NoteFramed(HWND control, LPARAM data) {
    if (KindOf(control) == "default button") {
        reinterpret_cast<std::vector<int>*>(data)->push_back(::GetDlgCtrlID(control));
    }
    return TRUE;
}

// Where a dialog box shows the default frame: on the focused push button, else on the
// window's default button. Empty when it is there; otherwise what is framed.
std::string FrameMisplaced(HWND window, int defaultButton) {
    std::vector<int> framed;
    ::EnumChildWindows(window, &NoteFramed, reinterpret_cast<LPARAM>(&framed));
    HWND focus = ::GetFocus();
    const std::string focusKind = KindOf(focus);
    const bool onPushButton = focusKind == "push button" || focusKind == "default button";
    const std::vector<int> expected{onPushButton ? ::GetDlgCtrlID(focus) : defaultButton};
    if (framed == expected) return {};
    return "focus on " + std::to_string(::GetDlgCtrlID(focus)) + ", framed " +
           ::testing::PrintToString(framed);
}

TEST_F(Win32ControlsTest, TabMovesTheDefaultFrameAsInADialogAndEnterStillStarts) {
    // The main window, with its own loop's keyboard handling: once round all its stops.
    const auto mainLoop = [this](MSG& msg) { return form->PreTranslate(msg); };
    ::SetFocus(Control(id::DiskList));
    std::vector<int> visited;
    for (int press = 0; press < 8; ++press) {
        Type(L"\t");
        HandleQueued(mainLoop);
        visited.push_back(::GetDlgCtrlID(::GetFocus()));
        EXPECT_EQ(FrameMisplaced(form->Handle(), id::BitBtn2), "") << press;
    }
    ASSERT_EQ(visited.back(), id::DiskList) << ::testing::PrintToString(visited);
    std::string asked;
    StepsDuringCommand({[&] {
        HWND question = ::FindWindowW(L"#32770", nullptr);
        if (!question || !Visible(question)) return false;
        asked = TextOf(question);
        Type(L"\r");
        return true;
    }});
    Type(L"\r");
    HandleQueued(mainLoop);
    StopPolling();
    EXPECT_EQ(asked, "Chyba") << "Enter in the list starts the test, which finds nothing ticked";

    // The input dialog, in the modal loop of its own: round its three stops, then Enter.
    std::vector<std::string> misplaced;
    std::vector<Step> steps = {[] {
        HWND box = ::FindWindowW(win32ui::kInputBoxClass, nullptr);
        return box && Visible(box);
    }};
    for (int press = 0; press < 3; ++press) {
        steps.emplace_back([] {
            Type(L"\t");
            return true;
        });
        steps.emplace_back([&misplaced] {
            misplaced.push_back(
                FrameMisplaced(::FindWindowW(win32ui::kInputBoxClass, nullptr), IDOK));
            return true;
        });
    }
    steps.emplace_back([] {
        Type(L"C:\r");
        return true;
    });
    StepsDuringCommand(steps);
    win32ui::Win32Dialogs inputDialogs;
    inputDialogs.SetOwner(form->Handle());
    EXPECT_EQ(inputDialogs.InputBox("Vložit ručně", "Zapište novou cestu:", "D:\\"), "C:");
    StopPolling();
    EXPECT_EQ(misplaced, std::vector<std::string>(3)) << "after each Tab";
}

TEST_F(Win32ControlsTest, InputDialogOfTheLocationButtonsTakesWhatIsTyped) {
    const std::string photos = temp.path() + "Fotky ž", other = temp.path() + "Jiné",
                      renamed = temp.path() + "Jiné\\Nová";
    std::filesystem::create_directories(PathFromUtf8(renamed));
    std::filesystem::create_directories(PathFromUtf8(photos));
    const std::string longPath = temp.path() + std::string(300, 'a');
    using platform::win32::ToWide;
    const std::string cutPath = platform::win32::ToUtf8(ToWide(longPath).substr(0, 255));
    const struct {
        int button;
        int select;  // the entry selected first, or none
        std::wstring keys;
        std::string initial;
        bool asked;  // whether the path is questioned (and confirmed with Enter)
        std::vector<std::string> entries;
    } cases[] = {
        {id::btnPridatRucne, -1, ToWide(photos) + L"\r", "", false, {photos}},
        {id::btnPridatRucne, -1, ToWide(other) + L"x\b\r", "", false, {photos, other}},
        // The whole initial text is selected: what is typed replaces it.
        {id::btnUpravit, 0, ToWide(renamed) + L"\r", photos, false, {renamed, other}},
        {id::btnUpravit, 1, L"zzz\x1b", other, false, {renamed, other}},
        {id::btnPridatRucne, -1, ToWide(longPath) + L"\r", "", true, {cutPath, renamed, other}}};
    for (const auto& c : cases) {
        if (c.select >= 0) {
            ListView_SetItemState(Control(id::DiskList), c.select, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
        }
        struct {
            std::string caption, prompt, shown;
            DWORD selStart = 1, selEnd = 0;
            bool focused = false;
            COLORREF background = 0;
            bool asked = false;
        } seen;
        StepsDuringCommand(
            {[&] {
                 HWND box = ::FindWindowW(win32ui::kInputBoxClass, nullptr);
                 if (!box || !Visible(box)) return false;
                 HWND field = ::GetDlgItem(box, in::Field);
                 seen.caption = TextOf(box);
                 seen.prompt = TextOf(::GetDlgItem(box, in::Prompt));
                 seen.shown = TextOf(field);
                 ::SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&seen.selStart),
                                reinterpret_cast<LPARAM>(&seen.selEnd));
                 seen.focused = ::GetFocus() == field;
                 RECT inside{};
                 ::GetClientRect(field, &inside);
                 ::UpdateWindow(field);
                 HDC dc = ::GetDC(field);
                 seen.background = ::GetPixel(dc, inside.right - 3, inside.bottom / 2);
                 ::ReleaseDC(field, dc);
                 Type(c.keys);
                 return true;
             },
             [&] {
                 if (!c.asked) return true;
                 HWND question = ::FindWindowW(L"#32770", nullptr);
                 if (!question || !Visible(question)) return false;
                 seen.asked = true;
                 Type(L"\r");  // Yes, the default answer
                 return true;
             }});
        Click(Control(c.button));
        StopPolling();
        EXPECT_EQ(seen.caption, c.button == id::btnUpravit ? "Upravit cestu" : "Vložit ručně");
        EXPECT_EQ(seen.prompt, "Zapište novou cestu:");
        EXPECT_EQ(seen.shown, c.initial);
        EXPECT_EQ(seen.selStart, 0u);
        EXPECT_EQ(seen.selEnd, platform::win32::ToWide(c.initial).size());
        EXPECT_TRUE(seen.focused);
        if (c.initial.empty()) {
            EXPECT_EQ(seen.background, ::GetSysColor(COLOR_WINDOW)) << "a white field";
        }
        EXPECT_EQ(seen.asked, c.asked);
        EXPECT_EQ(Entries(), c.entries) << c.button << " " << c.initial;
    }
}

}  // namespace
}  // namespace vorlaxis::test
