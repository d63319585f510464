// Drives the Win32 program into one of the states that scripts/screenshots-win32.sh and
// scripts/screenshots-compare.sh picture, on a real tree the script made (the fault file system
// served as a drive): the main window idle and during a test, the read-error question, the busy
// window, the input dialog, the bad-file list and the log viewer after a test, the about box,
// the options dialog's tabs, the slow files and the speed graph after a test with one slow file,
// and the changes found by a second test of a folder the script changed after the first. Every
// text is the program's own.
//
//   vorlaxis-win32-scene.exe SCENE TREE FOLDER
//
// TREE is the tree's root with its trailing backslash; FOLDER (with its trailing backslash) is
// the scene's own, for the settings file and the logs. Once the windows are in the state, the
// file FOLDER + "ready" is made; the program then runs until it is ended. For the changes, the
// first test's end is told by FOLDER + "tested", and the script's change by FOLDER + "changed".
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "Win32Driver.h"
#include "app/win32/MainFormUnit.h"
#include "engine/win32/ErrorUnit.h"
#include "help/win32/AboutUnit.h"
#include "help/win32/InfoBoxUnit.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/win32/Wide.h"
#include "results/win32/EditorUnit.h"
#include "results/win32/ErrorListUnit.h"
#include "results/win32/MainFollowUp.h"
#include "results/win32/ResultForms.h"
#include "settings/win32/KonfigUnit.h"

namespace {

using namespace vorlaxis;
using namespace vorlaxis::test;
namespace id = vorlaxis::win32ui::id;

std::wstring g_scene;
std::string g_tree, g_folder;
win32ui::TMainForm* g_form = nullptr;

bool SceneIs(const wchar_t* name) {
    return g_scene == name;
}

// The folder the scene's test reads: the slow photos for the windows after a slow file.
std::string Location() {
    if (SceneIs(L"changes")) return g_tree + "Dokumenty\\";
    return SceneIs(L"slow") || SceneIs(L"graph") ? g_tree + "Fotky\\" : g_tree;
}

std::string Settings() {
    std::string ini = "[Application]\r\nXpos=20\r\nYpos=20\r\nEject media=0\r\n";
    if (SceneIs(L"errorlist")) {
        ini += "[Test]\r\nGo nonstop=1\r\nShow ErrorList=1\r\n[Logs]\r\nShow Logs After Test=0\r\n";
    } else if (SceneIs(L"viewer")) {
        ini +=
            "[Test]\r\nGo nonstop=1\r\n[Logs]\r\nShow Logs After Test=1\r\n"
            "Show Logs After Test Always=1\r\nTXT Viewer=2\r\n";
    } else if (g_scene.starts_with(L"options")) {
        ini +=
            "[DataRead]\r\nDataReadStyle=2\r\nReadEveryXthBlock=2\r\n"
            "[Logs]\r\nLogs FileNameFormat=3\r\nTXT Viewer=2\r\n";
    } else {
        ini += "[Logs]\r\nShow Logs After Test=0\r\n";
    }
    // A second location, not ticked.
    const std::string other = SceneIs(L"changes") ? g_tree : g_tree + "Dokumenty\\";
    return ini + "[Paths]\r\nPath0=" + Location() + "\r\nPath0Checked=1\r\nPath1=" + other +
           "\r\nPath1Checked=0\r\n";
}

// The owned message box (a question of the program) that is shown, if any.
HWND ShownMessageBox() {
    HWND box = ::FindWindowW(L"#32770", nullptr);
    return box && Visible(box) && ::GetWindow(box, GW_OWNER) == g_form->Handle() ? box : nullptr;
}

// Clicks the tab of the options dialog as a person would.
void ClickTab(HWND tabs, int page) {
    RECT place{};
    TabCtrl_GetItemRect(tabs, page, &place);
    const LPARAM at = MAKELPARAM((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    ::SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(tabs, WM_LBUTTONUP, 0, at);
}

// The mouse over the slow file's mark, which names it under the graph.
void PointAtTheSlowFile() {
    const win32ui::TSpeedGraphForm& graph = g_form->FollowUp().Graph();
    const SpeedGraphPicture& picture = graph.Picture();
    if (picture.marks.empty()) return;
    HWND view = ::GetDlgItem(graph.Handle(), win32ui::resultid::GraphView);
    POINT at{static_cast<LONG>(picture.marks[0].x), picture.plot.top + picture.plot.height / 2};
    POINT screen = at;
    ::ClientToScreen(view, &screen);
    ::SetCursorPos(screen.x, screen.y);
    ::SendMessageW(view, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
}

// A test ended: the start button is back and the end of the test is shown.
bool TestEnded() {
    win32ui::TMainForm& form = *g_form;
    return Visible(form.Control(id::BitBtn2)) && Enabled(form.Handle()) &&
           !TextOf(form.Control(id::Label24)).starts_with(".");
}

// The first test, then, once the script has changed the folder, the second, whose question
// about the changes is answered yes.
bool ChangesShown() {
    static int phase = 0;
    win32ui::TMainForm& form = *g_form;
    if (phase == 0 && TestEnded()) {
        (void)platform::WriteWholeFile(g_folder + "tested", "");
        phase = 1;
    } else if (phase == 1 && platform::Exists(g_folder + "changed")) {
        ::PostMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id::BitBtn2, BN_CLICKED),
                       reinterpret_cast<LPARAM>(form.Control(id::BitBtn2)));
        phase = 2;
    } else if (phase == 2) {
        if (HWND box = ShownMessageBox()) ::SendMessageW(box, WM_COMMAND, IDYES, 0);
        HWND changes = ::FindWindowW(L"TChangesForm", nullptr);
        return changes && Visible(changes);
    }
    return false;
}

// True once the windows are in the scene's state; answers the questions on the way there.
bool StateReached() {
    win32ui::TMainForm& form = *g_form;
    if (SceneIs(L"testing")) {
        // Every progress value has been shown once: the average and the remaining time last.
        return !TextOf(form.Control(id::Label34)).empty() &&
               !TextOf(form.Control(id::Label32)).empty();
    }
    if (SceneIs(L"error")) return Visible(form.ErrorForm().Handle());
    if (SceneIs(L"busy")) return Visible(form.InfoBox().Handle());
    if (SceneIs(L"input")) {
        HWND box = ::FindWindowW(L"InputBox", nullptr);
        return box && Visible(box);
    }
    if (SceneIs(L"errorlist")) return Visible(form.ErrorList().Handle());
    if (SceneIs(L"viewer")) return Visible(form.Editor().Handle());
    if (SceneIs(L"about")) return Visible(form.AboutBox().Handle());
    if (g_scene.starts_with(L"options")) {
        if (!Visible(form.Konfig().Handle())) return false;
        const int page = g_scene.size() > 7 ? g_scene[7] - L'1' : 0;
        if (page > 0) ClickTab(form.Konfig().Control(win32ui::konfigid::PageControl1), page);
        return true;
    }
    if (SceneIs(L"slow") || SceneIs(L"graph")) {
        // The offer of the slow files: the list for its picture, or no for the graph.
        if (HWND box = ShownMessageBox()) {
            ::SendMessageW(box, WM_COMMAND, SceneIs(L"slow") ? IDYES : IDNO, 0);
            return false;
        }
        if (SceneIs(L"slow")) {
            HWND list = ::FindWindowW(L"TSlowFileListForm", nullptr);
            return list && Visible(list);
        }
        if (Visible(form.FollowUp().Graph().Handle())) {
            PointAtTheSlowFile();
            return true;
        }
        // The test has ended: the graph from the menu.
        static bool asked = false;
        if (!asked && TestEnded()) {
            asked = true;
            ::PostMessageW(form.Handle(), WM_COMMAND, id::mmZobrazitGrafRychlosti, 0);
        }
        return false;
    }
    if (SceneIs(L"changes")) return ChangesShown();
    return Visible(form.Handle());
}

bool Poll() {
    if (!StateReached()) return false;
    (void)platform::WriteWholeFile(g_folder + "ready", "");
    return true;
}

// What a person does to get there: a button or a menu command.
void Start() {
    win32ui::TMainForm& form = *g_form;
    auto click = [&](int control) {
        ::PostMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
                       reinterpret_cast<LPARAM>(form.Control(control)));
    };
    if (g_scene != L"idle" && g_scene != L"busy" && g_scene != L"input" && g_scene != L"about" &&
        !g_scene.starts_with(L"options")) {
        click(id::BitBtn2);  // the scenes during and after a test
    } else if (SceneIs(L"input")) {
        click(id::btnPridatRucne);
    } else if (SceneIs(L"about")) {
        ::PostMessageW(form.Handle(), WM_COMMAND, id::mmAbout, 0);
    } else if (g_scene.starts_with(L"options")) {
        ::PostMessageW(form.Handle(), WM_COMMAND, id::mmMoznosti, 0);
    } else if (SceneIs(L"busy")) {
        // Shown only while a tree is collected, too briefly to be caught: shown as the test
        // shows it, over the tree's root.
        form.InfoBox().Show(Location(), form.Handle());
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (count < 4) return 2;
    g_scene = args[1];
    g_tree = platform::win32::ToUtf8(args[2]);
    g_folder = platform::win32::ToUtf8(args[3]);
    ::LocalFree(args);
    platform::ClaimOwnTempFolder();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    win32ui::TMainForm form;
    g_form = &form;
    form.SettingsPath = g_folder + "Ulvenor.ini";
    if (!platform::WriteWholeFile(form.SettingsPath, Settings())) return 3;
    form.SetFolders(platform::TempFolder(), g_folder + "Logs\\");
    form.ReadINIs();
    ::ShowWindow(form.Handle(), SW_SHOW);
    PollDuringCommand(&Poll);
    Start();
    return win32ui::RunMessageLoop(form);
}
