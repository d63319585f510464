// The main window on Windows, driven as a person drives it: clicks, the location list's check
// boxes, close requests; every question answered by script.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <iterator>
#include <sstream>

#include "MainFormFixture.h"
#include "TempDir.h"
#include "Win32Driver.h"
#include "app/win32/MainFormUnit.h"
#include "engine/TestRun.h"
#include "engine/win32/ErrorUnit.h"
#include "help/AboutLinks.h"
#include "help/win32/AboutUnit.h"
#include "help/win32/InfoBoxUnit.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/win32/Wide.h"
#include "results/win32/EditorUnit.h"
#include "results/win32/ErrorListUnit.h"
#include "support/ResultsFakes.h"
#include "support/ScriptedDialogs.h"

namespace vorlaxis::test {
namespace {

namespace id = win32ui::id;
using platform::win32::ToWide;

std::string ReadFile(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The log with its date and time lines reduced to their captions.
std::string WithoutDates(const std::string& log) {
    const std::string done = platform::Utf8ToCp1250("  test úspěšně dokončen ");
    std::istringstream in(log);
    std::string line, out;
    while (std::getline(in, line)) {
        if (line.starts_with("Datum testu: ")) line = "Datum testu: <>";
        if (line.starts_with(done)) line = done + "<>";
        out += line + "\n";
    }
    return out;
}

class Win32MainWindowTest : public MainFormFixture {
  protected:
    HWND Control(int controlId) const { return form->Control(controlId); }
    std::string Text(int controlId) const { return TextOf(Control(controlId)); }

    // A folder with files, added by hand and ticked through the list's check box.
    std::string AddTickedFolder(int files, size_t size) {
        const std::string folder = temp.path() + "médium";
        for (int i = 0; i < files; ++i) {
            temp.file("médium\\složka\\soubor " + std::to_string(i) + ".bin",
                      std::string(size, static_cast<char>('a' + i % 26)));
        }
        dialogs.inputs.push_back(folder);
        Click(Control(id::btnPridatRucne));
        ListView_SetCheckState(Control(id::DiskList), 0, TRUE);
        return folder;
    }
};

TEST_F(Win32MainWindowTest, StartsIdleWithItsCaptionAndTheIdleValues) {
    EXPECT_EQ(TextOf(form->Handle()), "Zubrak's Vorlaxis v2.1 (formerly Ulvenor 1.x)");
    EXPECT_EQ(PanelText(Control(id::StatusBar), 0), "Připraven...");
    for (int zero : {id::Label5, id::Label6, id::Label7, id::Label12, id::Label13, id::Label15}) {
        EXPECT_EQ(Text(zero), "0") << zero;
    }
    for (int dots : {id::Label20, id::Label22, id::Label24, id::Label26}) {
        EXPECT_EQ(Text(dots), "...") << dots;
    }
    EXPECT_EQ(Text(id::Label9), "");
    EXPECT_EQ(Text(id::GroupBox1), "Průběh testu / informace o posledním testu");
    EXPECT_TRUE(Visible(Control(id::BitBtn2)));
    EXPECT_FALSE(Visible(Control(id::btnCancelTest)));
    EXPECT_TRUE(MenuEnabled(form->Menu(), id::mmSpustitTest));
    RECT client{};
    ::GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, 698);
    EXPECT_EQ(client.bottom, 259);
}

TEST_F(Win32MainWindowTest, StartWithNothingTickedSaysSoAndLocksNothing) {
    dialogs.inputs.push_back(temp.path());
    Click(Control(id::btnPridatRucne));
    ASSERT_EQ(form->Locations().Count(), 1);
    Click(Control(id::BitBtn2));
    ASSERT_EQ(dialogs.shown.size(), 2u);  // the input dialog, then the message
    EXPECT_EQ(dialogs.shown[1].text,
              "Nejsou vybrány žádné umístění pro test! Vyberte je a spusťte test znovu.");
    EXPECT_EQ(dialogs.shown[1].caption, "Chyba");
    EXPECT_EQ(PanelText(Control(id::StatusBar), 0), "Připraven...");
    EXPECT_TRUE(Enabled(Control(id::DiskList)));
}

TEST_F(Win32MainWindowTest, TestedFolderGivesTheLogOfTheCheckToolAndUnlocks) {
    const std::string folder = AddTickedFolder(5, 3000);
    EXPECT_TRUE(form->Locations().IsTicked(0));
    Click(Control(id::BitBtn2));
    EXPECT_EQ(PanelText(Control(id::StatusBar), 0), "Test dokončen...");
    EXPECT_EQ(Text(id::Label5), "5");
    EXPECT_EQ(Text(id::Label12), "0");
    EXPECT_EQ(form->Statistics().LocationIndex, 1);
    EXPECT_TRUE(Visible(Control(id::BitBtn2)));
    EXPECT_FALSE(Visible(Control(id::btnCancelTest)));
    EXPECT_TRUE(Enabled(Control(id::BitBtn1)));
    EXPECT_TRUE(MenuEnabled(form->Menu(), id::mmMoznosti));
    EXPECT_TRUE(dialogs.shown.size() == 1u) << "no question after a clean test";

    const std::string checkLog = temp.path() + "check.txt";
    const std::wstring command = L"\"" + ProgramFolder() + L"vorlaxis-check.exe\" --log \"" +
                                 ToWide(checkLog) + L"\" \"" + ToWide(folder) + L"\\\\\"";
    ASSERT_EQ(RunProgram(command), 0);
    const std::string windowLog = ReadFile(TempLogPath(0));
    ASSERT_FALSE(windowLog.empty());
    EXPECT_EQ(WithoutDates(windowLog), WithoutDates(ReadFile(checkLog)));
}

TEST_F(Win32MainWindowTest, BusyWindowNamesTheLocationAndLocksTheMainWindowWhileShown) {
    HWND busy = form->InfoBox().Handle();
    form->Display().busyLocationText = "D:\\Archiv 2009\\";
    form->ShowBusyWindow();
    EXPECT_TRUE(Visible(busy));
    EXPECT_EQ(TextOf(busy), "Ulvenor - informace");
    EXPECT_EQ(TextOf(::GetDlgItem(busy, win32ui::infoid::Label3)), "D:\\Archiv 2009\\");
    EXPECT_FALSE(Enabled(form->Handle()));
    form->HideBusyWindow();
    EXPECT_FALSE(Visible(busy));
    EXPECT_TRUE(Enabled(form->Handle()));
}

// A key pressed in the main window, through the window's keyboard handling as its loop does.
void PressKey(win32ui::TMainForm& form, UINT key, bool control) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = control ? 0x80 : 0;
    ::SetKeyboardState(keys);
    MSG msg{::GetFocus() ? ::GetFocus() : form.Handle(), WM_KEYDOWN, key, 0, 0, {}};
    if (!form.PreTranslate(msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
}

TEST_F(Win32MainWindowTest, ShortcutsStartTheTestAndLockedMenuItemsIgnoreThem) {
    // With nothing ticked each start command says so: one message per start.
    const struct {
        UINT key;
        bool control;
        size_t messages;
    } cases[] = {{'S', true, 1},        {'A', true, 1},        {'B', true, 1}, {'O', true, 1},
                 {VK_RETURN, false, 1}, {VK_ESCAPE, false, 0}, {'S', false, 0}};
    for (const auto& c : cases) {
        dialogs.shown.clear();
        PressKey(*form, c.key, c.control);
        EXPECT_EQ(dialogs.shown.size(), c.messages) << c.key;
    }
    form->SetMenus(false);
    dialogs.shown.clear();
    PressKey(*form, 'S', true);
    EXPECT_TRUE(dialogs.shown.empty());
}

bool ClickCancelOnceEnabled() {
    HWND form = ::FindWindowW(L"TMainForm", nullptr);
    HWND cancel = ::GetDlgItem(form, id::btnCancelTest);
    if (!Visible(cancel) || !Enabled(cancel)) return false;
    // While a test runs the commands that must not run are locked.
    EXPECT_FALSE(MenuEnabled(::GetMenu(form), id::mmSpustitTest));
    EXPECT_FALSE(MenuEnabled(::GetMenu(form), id::mmMoznosti));
    EXPECT_FALSE(Enabled(::GetDlgItem(form, id::DiskList)));
    EXPECT_FALSE(Enabled(::GetDlgItem(form, id::BitBtn1)));
    EXPECT_FALSE(Visible(::GetDlgItem(form, id::BitBtn2)));
    Click(cancel);
    return true;
}

TEST_F(Win32MainWindowTest, CancelDuringTheTestAsksAndStopsIt) {
    AddTickedFolder(400, 256 * 1024);
    dialogs.answers = {MsgResult::Yes};
    PollDuringCommand(&ClickCancelOnceEnabled);
    Click(Control(id::BitBtn2));
    ASSERT_EQ(dialogs.shown.size(), 2u) << "the cancel button was never pressed";
    EXPECT_EQ(dialogs.shown[1].text, "Opravdu si přejete přerušit test média?");
    EXPECT_EQ(dialogs.shown[1].caption, "Potvrzení");
    EXPECT_NE(ReadFile(TempLogPath(0)).find(platform::Utf8ToCp1250("test přerušen uživatelem")),
              std::string::npos);
    EXPECT_EQ(PanelText(Control(id::StatusBar), 0), "Test dokončen...");
    EXPECT_TRUE(Visible(Control(id::BitBtn2)));
}

TEST_F(Win32MainWindowTest, CloseDuringTheTestAsksStopsAndClosesAfterTheBatch) {
    AddTickedFolder(3, 1000);
    dialogs.answers = {MsgResult::Yes};
    ::PostMessageW(form->Handle(), WM_CLOSE, 0, 0);
    Click(Control(id::BitBtn2));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text, "Chcete ukončit probíhající test a zavřít aplikaci Vorlaxis?");
    EXPECT_TRUE(form->Closed());
    // The clean-up ran after the batch: the temporary log is gone, the settings are written.
    EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(TempLogPath(0))));
    EXPECT_NE(ReadFile(form->SettingsPath).find("[Paths]"), std::string::npos);
}

TEST_F(Win32MainWindowTest, CloseWhileIdleAsksNothingButKonecAsksOnce) {
    dialogs.answers = {MsgResult::No};
    ::SendMessageW(form->Handle(), WM_COMMAND, id::mmKonec, 0);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Opravdu ukončit Vorlaxis?");
    EXPECT_FALSE(form->Closed());
    Click(Control(id::BitBtn1));
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(form->Closed());
}

// The person at the read-error question: each question's path, and whether it opened with the
// focus on "&Pokračovat", are noted and it is answered with the next button of the script.
std::deque<int> g_readErrorButtons;
std::vector<std::string> g_readErrorPaths;
int g_readErrorsFocusedElsewhere = 0;

bool AnswerReadErrorQuestions() {
    HWND question = ::FindWindowW(L"TErrorForm", nullptr);
    if (!question || !Visible(question)) return false;
    g_readErrorPaths.push_back(TextOf(::GetDlgItem(question, win32ui::errorid::Edit1)));
    if (::GetFocus() != ::GetDlgItem(question, win32ui::errorid::BitBtn2)) {
        ++g_readErrorsFocusedElsewhere;
    }
    const int button = g_readErrorButtons.front();
    g_readErrorButtons.pop_front();
    Click(::GetDlgItem(question, button));
    return g_readErrorButtons.empty();
}

TEST_F(Win32MainWindowTest, EachAnswerOfTheReadErrorQuestion) {
    namespace e = win32ui::errorid;
    const std::string retried = platform::Utf8ToCp1250("    - nový pokus o čtení");
    const std::string stopped =
        platform::Utf8ToCp1250("  - test přerušen uživatelem po chybě tohoto souboru");
    const struct {
        std::deque<int> buttons;
        std::string badCount;
        const std::string* logLine;
    } cases[] = {{{e::BitBtn2, e::BitBtn2}, "2", nullptr},
                 {{e::BitBtn4}, "2", nullptr},
                 {{e::BitBtn3}, "1", &stopped},
                 {{e::BitBtn1, e::BitBtn2, e::BitBtn2}, "2", &retried}};
    const std::string folder = AddTickedFolder(3, 1000);
    // Two files another program holds open without sharing cannot be opened by the test.
    std::vector<HANDLE> held;
    for (const char* name : {"\\složka\\soubor 0.bin", "\\složka\\soubor 2.bin"}) {
        held.push_back(::CreateFileW(ToWide(folder + name).c_str(), GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(held.back(), INVALID_HANDLE_VALUE);
    }
    for (const auto& c : cases) {
        g_readErrorButtons = c.buttons;
        g_readErrorPaths.clear();
        g_readErrorsFocusedElsewhere = 0;
        PollDuringCommand(&AnswerReadErrorQuestions);
        Click(Control(id::BitBtn2));
        StopPolling();
        EXPECT_EQ(g_readErrorPaths.size(), c.buttons.size());
        // Each question opens with the focus on the answer Enter gives, after a retry too.
        EXPECT_EQ(g_readErrorsFocusedElsewhere, 0) << c.buttons.front();
        EXPECT_EQ(g_readErrorPaths.front(), folder + "\\složka\\soubor 0.bin");
        EXPECT_EQ(Text(id::Label12), c.badCount) << c.buttons.front();
        if (c.logLine) {
            EXPECT_NE(ReadFile(TempLogPath(0)).find(*c.logLine + "\r\n"), std::string::npos);
        }
        EXPECT_TRUE(Visible(Control(id::BitBtn2)));
    }
    for (HANDLE h : held) ::CloseHandle(h);
}

// The person at the result windows: notes what the viewer and the bad-file list show and closes
// each with its OK button.
struct ResultWindowsSeen {
    std::string viewerCaption, viewerText;
    bool viewerFocused = false;
    std::vector<std::string> rows;
};
ResultWindowsSeen g_seen;

bool ReadAndCloseResultWindows() {
    HWND viewer = ::FindWindowW(L"TEditor", nullptr);
    if (viewer && Visible(viewer)) {
        HWND memo = ::GetDlgItem(viewer, win32ui::editorid::Memo1);
        g_seen.viewerCaption = TextOf(viewer);
        g_seen.viewerText = TextOf(memo);
        g_seen.viewerFocused = ::GetFocus() == memo;
        Click(::GetDlgItem(viewer, win32ui::editorid::BitBtn1));
        return false;
    }
    HWND list = ::FindWindowW(L"TErrorListForm", nullptr);
    if (!list || !Visible(list)) return false;
    HWND rows = ::GetDlgItem(list, win32ui::errorlistid::ListView1);
    for (int row = 0; row < ListView_GetItemCount(rows); ++row) {
        wchar_t name[260] = {}, folder[260] = {};
        ListView_GetItemText(rows, row, 0, name, 260);
        ListView_GetItemText(rows, row, 1, folder, 260);
        g_seen.rows.push_back(platform::win32::ToUtf8(name) + "|" +
                              platform::win32::ToUtf8(folder));
    }
    Click(::GetDlgItem(list, win32ui::errorlistid::BitBtn1));
    return true;
}

TEST_F(Win32MainWindowTest, UnreadableFileShowsInTheViewersLogOrInTheBadFileList) {
    const std::string folder = AddTickedFolder(2, 1000);
    HANDLE held = ::CreateFileW(ToWide(folder + "\\složka\\soubor 1.bin").c_str(), GENERIC_READ, 0,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    TestSettings& settings = form->Settings();
    settings.GoNonstop = true;
    settings.TxtViewer = InternalViewer;
    settings.ShowErrorList = true;
    // With the log shown the list is not offered; without it the list comes at once.
    for (const bool showLog : {true, false}) {
        settings.ShowLogsAfterTest = showLog;
        g_seen = {};
        PollDuringCommand(&ReadAndCloseResultWindows);
        Click(Control(id::BitBtn2));
        StopPolling();
        EXPECT_EQ(Text(id::Label12), "1");
        if (showLog) {
            EXPECT_EQ(g_seen.viewerCaption, TempLogPath(0));
            EXPECT_NE(g_seen.viewerText.find("soubor 1.bin"), std::string::npos);
            EXPECT_NE(g_seen.viewerText.find("\r\n"), std::string::npos);
            EXPECT_TRUE(g_seen.viewerFocused);
            EXPECT_TRUE(g_seen.rows.empty());
        } else {
            EXPECT_TRUE(g_seen.viewerCaption.empty());
            EXPECT_EQ(g_seen.rows,
                      std::vector<std::string>{"soubor 1.bin|" + folder + "\\složka\\"});
        }
    }
    ::CloseHandle(held);
}

TEST(Win32ResultWindows, ResizingKeepsTheControlsGluedToTheEdges) {
    win32ui::TErrorListForm list(nullptr);
    win32ui::TEditor editor(nullptr);
    const struct {
        HWND window;
        int control;
        RECT before;  // client coordinates at the initial size
    } cases[] = {{list.Handle(), win32ui::errorlistid::ListView1, {8, 20, 475, 293}},
                 {list.Handle(), win32ui::errorlistid::BitBtn1, {397, 299, 476, 324}},
                 {editor.Handle(), win32ui::editorid::Memo1, {4, 4, 523, 289}},
                 {editor.Handle(), win32ui::editorid::BitBtn1, {449, 297, 524, 322}}};
    auto place = [](HWND window, int control) {
        RECT r{};
        ::GetWindowRect(::GetDlgItem(window, control), &r);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    for (const auto& c : cases) {
        const RECT r = place(c.window, c.control);
        EXPECT_EQ(r.left, c.before.left) << c.control;
        EXPECT_EQ(r.top, c.before.top) << c.control;
        EXPECT_EQ(r.right, c.before.right) << c.control;
        EXPECT_EQ(r.bottom, c.before.bottom) << c.control;
    }
    for (HWND window : {list.Handle(), editor.Handle()}) {
        RECT outer{};
        ::GetWindowRect(window, &outer);
        ::SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + 100,
                       outer.bottom - outer.top + 100, SWP_NOMOVE | SWP_NOZORDER);
    }
    // The buttons move by 100 both ways; the list and the text grow by 100 both ways.
    for (const auto& c : cases) {
        const RECT r = place(c.window, c.control);
        const bool button = c.control == IDOK;
        EXPECT_EQ(r.left, c.before.left + (button ? 100 : 0)) << c.control;
        EXPECT_EQ(r.top, c.before.top + (button ? 100 : 0)) << c.control;
        EXPECT_EQ(r.right, c.before.right + 100) << c.control;
        EXPECT_EQ(r.bottom, c.before.bottom + 100) << c.control;
    }
}

// The person at the about box: notes its caption and place, presses each link, then "Zavřít".
std::string g_aboutCaption;
RECT g_aboutPlace{};

bool PressLinksAndCloseAbout() {
    HWND box = ::FindWindowW(L"TAboutBox", nullptr);
    if (!box || !Visible(box)) return false;
    g_aboutCaption = TextOf(box);
    ::GetWindowRect(box, &g_aboutPlace);
    for (int link :
         {win32ui::aboutid::URLLabel1, win32ui::aboutid::URLLabel2, win32ui::aboutid::URLLabel3}) {
        RECT r{};
        ::GetWindowRect(::GetDlgItem(box, link), &r);
        POINT p{r.left + 2, r.top + 2};
        ::ScreenToClient(box, &p);
        ::SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        ::SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    Click(::GetDlgItem(box, win32ui::aboutid::BitBtn1));
    return true;
}

TEST_F(Win32MainWindowTest, AboutBoxOpensEachLinkOnItsPressAndClosesWithZavrit) {
    RecordingShell links;
    Shell* previous = SetDesktopShell(&links);
    RECT main{};
    ::GetWindowRect(form->Handle(), &main);
    PollDuringCommand(&PressLinksAndCloseAbout);
    ::SendMessageW(form->Handle(), WM_COMMAND, id::mmAbout, 0);
    StopPolling();
    SetDesktopShell(previous);
    EXPECT_EQ(g_aboutCaption, "O aplikaci Vorlaxis...");
    EXPECT_EQ(g_aboutPlace.left, main.left + 30);
    EXPECT_EQ(g_aboutPlace.top, main.top + 30);
    ASSERT_EQ(links.requests.size(), 3u);
    EXPECT_EQ(links.requests[0].path, help::kAuthorPage);
    EXPECT_EQ(links.requests[1].path, help::kProgramPage);
    EXPECT_EQ(links.requests[2].path, std::string("mailto:") + help::kAuthorMail);
    EXPECT_FALSE(Visible(form->AboutBox().Handle()));
    EXPECT_TRUE(Enabled(form->Handle()));
}

}  // namespace
}  // namespace vorlaxis::test
