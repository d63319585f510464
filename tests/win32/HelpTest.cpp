// Help, "Co je nového?" and the log viewers on Windows: what each command of the windows asks
// for (recorded), and the real help viewer and Notepad of the system opening their windows.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>

#include "MainFormFixture.h"
#include "TempDir.h"
#include "Win32Driver.h"
#include "app/win32/MainFormUnit.h"
#include "engine/TestRun.h"
#include "engine/win32/ErrorUnit.h"
#include "help/HelpTopics.h"
#include "platform/Files.h"
#include "platform/win32/Wide.h"
#include "results/win32/EditorUnit.h"
#include "settings/win32/KonfigUnit.h"
#include "support/ResultsFakes.h"
#include "support/ScriptedDialogs.h"

namespace vorlaxis::test {
namespace {

namespace id = win32ui::id;
using platform::win32::ToUtf8;
using platform::win32::ToWide;

// Lets messages run until `find` gives a window, for at most `seconds`; null if none came.
HWND WaitForWindow(const std::function<HWND()>& find, int seconds = 20) {
    for (int i = 0; i < seconds * 50; ++i) {
        if (HWND found = find()) return found;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(20);
    }
    return nullptr;
}

class Win32HelpTest : public MainFormFixture {
  protected:
    void SetUp() override {
        MainFormFixture::SetUp();
        help::SetCompiledHelpViewer([this](const std::string& file, const std::string& topic) {
            helpAsked.push_back(file + "::" + topic);
            return true;
        });
    }
    void TearDown() override {
        help::SetCompiledHelpViewer({});
        MainFormFixture::TearDown();
    }
    void Command(int commandId) { ::SendMessageW(form->Handle(), WM_COMMAND, commandId, 0); }

    std::vector<std::string> helpAsked;
};

// The person at a dialog with a help button: presses it, notes whether the dialog is still
// open, then leaves with the button that ends it.
HWND g_dialog = nullptr;
int g_helpButton = 0, g_leaveButton = 0;
bool g_openAfterHelp = false;

// The buttons' commands as their clicks send them: a click through BM_CLICK also moves the
// focus, which Wine may hand on through the display and lose the click on the way.
void Press(int button) {
    ::SendMessageW(g_dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(g_dialog, button)));
}

bool PressHelpThenLeave() {
    if (!Visible(g_dialog)) return false;
    Press(g_helpButton);
    g_openAfterHelp = Visible(g_dialog);
    Press(g_leaveButton);
    return true;
}

TEST_F(Win32HelpTest, EachHelpCommandAsksForItsTopicAndLeavesItsWindowOpen) {
    const std::string helpFile = ToUtf8(ProgramFolder()) + "qantrel.chm::";
    Command(id::mmObsah);
    Command(id::mmHelpOnHelp);
    EXPECT_EQ(helpAsked,
              (std::vector<std::string>{helpFile + "/uvod.htm", helpFile + "/napoveda.htm"}));

    // The options dialog, modal: its help button leaves it open with the person in it.
    helpAsked.clear();
    g_dialog = form->Konfig().Handle();
    g_helpButton = win32ui::konfigid::BitBtn3;
    g_leaveButton = win32ui::konfigid::BitBtn2;
    PollDuringCommand(&PressHelpThenLeave);
    Command(id::mmMoznosti);
    StopPolling();
    EXPECT_EQ(helpAsked, std::vector<std::string>{helpFile + "/konfig/konfig.htm"});
    EXPECT_TRUE(g_openAfterHelp);

    // The read-error prompt: its help button gives no answer, so the prompt stays.
    helpAsked.clear();
    g_dialog = form->ErrorForm().Handle();
    ::ShowWindow(g_dialog, SW_SHOWNA);
    Press(win32ui::errorid::BitBtn5);
    EXPECT_TRUE(Visible(g_dialog));
    ::ShowWindow(g_dialog, SW_HIDE);
    EXPECT_EQ(helpAsked, std::vector<std::string>{helpFile + "/test.htm"});
}

TEST_F(Win32HelpTest, CoJeNovehoOpensWhatsNewBesideTheProgram) {
    Command(id::mmCoJeNoveho);
    EXPECT_EQ(
        shell->requests,
        (std::vector<ShellRequest>{{"document", ToUtf8(ProgramFolder()) + "whatsnew.txt", ""}}));
}

bool CloseViewer() {
    HWND viewer = ::FindWindowW(L"TEditor", nullptr);
    if (!viewer || !Visible(viewer)) return false;
    Click(::GetDlgItem(viewer, win32ui::editorid::BitBtn1));
    return true;
}

TEST_F(Win32HelpTest, EachViewerOfTheOptionsGetsTheLogAfterTheTestAndFromTheMenu) {
    temp.file("médium\\a.txt", "abc");
    dialogs.inputs.push_back(temp.path() + "médium");
    Click(form->Control(id::btnPridatRucne));
    ListView_SetCheckState(form->Control(id::DiskList), 0, TRUE);
    TestSettings& settings = form->Settings();
    settings.ShowLogsAfterTest = settings.ShowLogsAfterTestAlways = true;
    const std::string log = TempLogPath(0), folder = platform::TempFolder();
    // After the test, then from "Zobrazit dočasné záznamy": the menu has no internal viewer.
    const struct {
        LogViewer viewer;
        std::vector<ShellRequest> requests;
    } cases[] = {
        {AssociatedProgram, {{"document", log, folder}, {"document", log, folder}}},
        {InternalViewer, {{"editor", log, folder}}},
        {Notepad, {{"editor", log, folder}, {"editor", log, folder}}},
    };
    for (const auto& c : cases) {
        settings.TxtViewer = c.viewer;
        shell->requests.clear();
        PollDuringCommand(&CloseViewer);
        Click(form->Control(id::BitBtn2));
        StopPolling();
        EXPECT_EQ(TextOf(form->Editor().Handle()) == log, c.viewer == InternalViewer);
        Command(id::mmZobrazitDocasneZaznamy);
        EXPECT_EQ(shell->requests, c.requests) << c.viewer;
        form->Editor().SetCaption("Editor");
    }
}

HWND FindDescendant(HWND parent, const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        HWND found;
    } search{className, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(data);
            wchar_t name[64] = {};
            ::GetClassNameW(child, name, 64);
            if (std::wstring(name) != wanted->className) return TRUE;
            wanted->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The system's help viewer on the built help file (copied beside the test program): its window
// comes up with the file's title, owned by no window of the program, and goes when closed.
TEST(Win32RealViewers, HelpViewerOpensTheHelpFileOnEachTopic) {
    const std::wstring helpFile = ProgramFolder() + L"qantrel.chm";
    if (::GetFileAttributesW(helpFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "no help file beside the test program (chmcmd missing)";
    }
    for (const char* topic : {help::kTopicContents, help::kTopicHelpOnHelp}) {
        EXPECT_TRUE(help::ShowCompiledTopic(topic)) << topic;
        HWND viewer = WaitForWindow([] { return ::FindWindowW(L"HH Parent", nullptr); });
        ASSERT_NE(viewer, nullptr) << topic;
        EXPECT_EQ(TextOf(viewer), "Vorlaxis");
        // The contents pane: a book per page with its sections, in Czech on any system.
        HWND contents = FindDescendant(viewer, L"SysTreeView32");
        ASSERT_NE(contents, nullptr) << topic;
        const HTREEITEM first = TreeView_GetRoot(contents);
        EXPECT_EQ(TreeItemText(contents, first), "Vorlaxis 2.1") << topic;
        EXPECT_EQ(TreeItemText(contents, TreeView_GetChild(contents, first)), "Hlavní okno")
            << topic;
        EXPECT_GT(::SendMessageW(contents, TVM_GETCOUNT, 0, 0), 16) << topic;
        EXPECT_EQ(::GetWindow(viewer, GW_OWNER), nullptr) << "tied to a window of the program";
        ::SendMessageW(viewer, WM_CLOSE, 0, 0);
        EXPECT_FALSE(::IsWindow(viewer)) << topic;
    }
}

// The first top-level window of class "Notepad" whose caption names `name`.
struct NotepadSearch {
    std::string name;
    HWND found = nullptr;
};

BOOL CALLBACK FindNotepad(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<NotepadSearch*>(data);
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (std::wstring(className) != L"Notepad" ||
        TextOf(window).find(search->name) == std::string::npos) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

// Windows associates ".txt" with Notepad; a Wine prefix only once scripts/test-windows.sh has
// given it that association.
bool TextFilesAssociated() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L".txt", 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

// The Notepad window naming `name`, once it has come up; and closing it, waiting for its end.
HWND WaitForNotepad(const std::string& name) {
    NotepadSearch search{name};
    return WaitForWindow([&search] {
        ::EnumWindows(&FindNotepad, reinterpret_cast<LPARAM>(&search));
        return search.found;
    });
}

bool CloseNotepad(HWND notepad) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(notepad, &processId);
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
    ::PostMessageW(notepad, WM_CLOSE, 0, 0);
    const bool ended = ::WaitForSingleObject(process, 20000) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended;
}

// Notepad from the Windows folder on a log, and the document opened by its association: each
// window comes up naming the file, and the test closes it and waits for Notepad to end.
TEST(Win32RealViewers, SystemShellStartsNotepadOnTheFile) {
    if (!TextFilesAssociated()) GTEST_SKIP() << "nothing associated with .txt files here";
    TempDir temp;
    const struct {
        const char* name;
        void (Shell::*open)(const std::string&, const std::string&);
    } cases[] = {{"záznam", &Shell::OpenInTextEditor}, {"novinky", &Shell::OpenDocument}};
    for (const auto& c : cases) {
        const std::string path = temp.file(std::string(c.name) + ".txt", "Vorlaxis\r\n");
        (DesktopShell().*c.open)(path, temp.path());
        HWND notepad = WaitForNotepad(c.name);
        ASSERT_NE(notepad, nullptr) << c.name;
        EXPECT_TRUE(CloseNotepad(notepad)) << c.name;
    }
}

// "Co je nového?" as it ships (beside the test program as beside the program): Notepad, which
// takes a file without a byte-order mark for the system's ANSI code page, shows the Czech text
// line by line.
TEST(Win32RealViewers, NotepadShowsWhatsNewAsWritten) {
    if (!TextFilesAssociated()) GTEST_SKIP() << "nothing associated with .txt files here";
    const std::string folder = ToUtf8(ProgramFolder());
    DesktopShell().OpenDocument(folder + "whatsnew.txt", folder);
    HWND notepad = WaitForNotepad("whatsnew");
    ASSERT_NE(notepad, nullptr);
    // The text of a control of another program is asked for with WM_GETTEXT (GetWindowText
    // would not ask it); it comes once the window is up.
    std::string shown;
    WaitForWindow([&shown, notepad] {
        std::wstring text(4096, L'\0');
        text.resize(static_cast<size_t>(
            ::SendMessageW(::FindWindowExW(notepad, nullptr, L"Edit", nullptr), WM_GETTEXT,
                           text.size(), reinterpret_cast<LPARAM>(text.data()))));
        shown = ToUtf8(text);
        return shown.empty() ? nullptr : notepad;
    });
    const std::string opening = "Vorlaxis – co je nového\r\n=====";
    EXPECT_EQ(shown.substr(0, opening.size()), opening) << shown.substr(0, 80);
    EXPECT_TRUE(CloseNotepad(notepad));
}

}  // namespace
}  // namespace vorlaxis::test
