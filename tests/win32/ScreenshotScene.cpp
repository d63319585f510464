// The Win32 windows in the states scripts/screenshots-win32.sh pictures: the main window idle
// and during a test, the read-error question, the busy window, the input dialog, and the windows
// after a location (slow files, speed graph, changes). Runs until it is ended.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/win32/MainFormUnit.h"
#include "app/win32/Win32Dialogs.h"
#include "engine/win32/ErrorUnit.h"
#include "results/ChangesView.h"
#include "results/SlowFileResults.h"
#include "results/win32/ResultForms.h"
#include "help/win32/InfoBoxUnit.h"

namespace {

using vorlaxis::MainDisplay;

// The values of a test halfway through a folder of pictures.
void FillTestingDisplay(MainDisplay& d) {
    d.filesTotalText = "40";
    d.filesTestedText = "17";
    d.filesLeftText = "23";
    d.badFilesText = "1";
    d.badFilesRed = true;
    d.currentFileText = "snímek_18.jpg";
    d.directoryText = "D:\\Archiv 2009\\";
    d.readModeText = "čtení všech dat";
    d.startText = "8.12.2026, 9:26:53";
    d.outcomeText = "probíhá test...";
    d.megabytesDoneText = "34";
    d.megabytesTotalText = "80";
    d.elapsedText = "0:00:12";
    d.currentSpeedText = "2,9 MB/s";
    d.remainingText = "0:00:16";
    d.averageSpeedText = "2,8 MB/s";
    d.fileBarPosition = 30;
    d.locationBarPosition = 42;
    d.cancelEnabled = true;
    d.statusText = "Probíhá test...";
}

// A folder of pictures read at about 30 MB/s that slows down towards its end; one picture took
// seconds (slow), one could not be read.
std::vector<vorlaxis::FileSpeed> PictureSpeeds() {
    std::vector<vorlaxis::FileSpeed> files;
    for (int i = 0; i < 160; ++i) {
        const int64_t size = (1 + i % 5) * 400 * 1024;
        const double speed = (i < 100 ? 30.0 : 18.0) + (i * 7 % 11) - 5.0;
        double seconds = static_cast<double>(size) / (speed * 1024 * 1024);
        if (i == 118) seconds = 3.5;
        const bool unreadable = i == 140;
        files.push_back({"D:\\Archiv 2009\\snímek_" + std::to_string(i + 1) + ".jpg", size,
                         unreadable ? 0 : size, seconds, unreadable});
    }
    return files;
}

vorlaxis::ChangesView Changes() {
    vorlaxis::Comparison comparison;
    comparison.EarlierDate = "8.12.2025";
    using vorlaxis::ChangeKind;
    comparison.Changes = {{ChangeKind::Silent, "Archiv 2009/snímek_18.jpg"},
                          {ChangeKind::Edited, "Archiv 2009/popisky.txt"},
                          {ChangeKind::Missing, "Archiv 2009/snímek_40.jpg"},
                          {ChangeKind::New, "Archiv 2010/snímek_1.jpg"}};
    return vorlaxis::MakeChangesView(comparison, "D:\\");
}

// The mouse over the slow file's mark once the graph is up: its name under the graph.
vorlaxis::win32ui::TSpeedGraphForm* g_graph = nullptr;

void CALLBACK PointAtTheSlowFile(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    const vorlaxis::SpeedGraphPicture& picture = g_graph->Picture();
    if (picture.marks.empty()) return;
    HWND view = ::GetDlgItem(g_graph->Handle(), vorlaxis::win32ui::resultid::GraphView);
    POINT at{static_cast<LONG>(picture.marks[0].x), picture.plot.top + picture.plot.height / 2};
    POINT screen = at;
    ::ClientToScreen(view, &screen);
    ::SetCursorPos(screen.x, screen.y);
    ::SendMessageW(view, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    const std::wstring scene = commandLine;
    vorlaxis::win32ui::TMainForm form;
    ::SetWindowPos(form.Handle(), nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    form.Locations().Add("D:\\");
    form.Locations().Add("C:\\Fotky\\Dovolená");
    form.Locations().SetTicked(0, true);
    form.RefreshDiskList();
    if (scene == L"testing" || scene == L"error") {
        form.LockCommands(true);
        FillTestingDisplay(form.Display());
    }
    form.ShowDisplay();
    ::ShowWindow(form.Handle(), SW_SHOW);
    if (scene == L"error") {
        (void)form.ErrorForm().Ask("D:\\Archiv 2009\\snímek_18.jpg", form.Handle());
    } else if (scene == L"busy") {
        form.InfoBox().Show("D:\\Archiv 2009\\", form.Handle());
    } else if (scene == L"input") {
        vorlaxis::win32ui::Win32Dialogs dialogs;
        dialogs.SetOwner(form.Handle());
        (void)dialogs.InputBox("Přidat ručně", "Cesta k umístění:", "D:\\");
    } else if (scene == L"slow") {
        vorlaxis::win32ui::TSlowFileListForm list(form.Handle());
        list.Show(vorlaxis::SlowFileRows(PictureSpeeds()));
    } else if (scene == L"graph") {
        vorlaxis::win32ui::TSpeedGraphForm graph(form.Handle());
        g_graph = &graph;
        ::SetTimer(nullptr, 0, 1000, &PointAtTheSlowFile);
        graph.Show("D:\\", PictureSpeeds());
    } else if (scene == L"changes") {
        vorlaxis::win32ui::TChangesForm changes(form.Handle());
        changes.Show(Changes());
    }
    return vorlaxis::win32ui::RunMessageLoop(form);
}
