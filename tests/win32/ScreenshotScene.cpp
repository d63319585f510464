// The Win32 windows in the states scripts/screenshots-win32.sh pictures: the main window idle
// and during a test, the read-error question, the busy window, the input dialog, the bad-file
// list, the log viewer, the about box, the options dialog's tabs, and the windows after a
// location (slow files, speed graph, changes). Runs until it is ended.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/win32/MainFormUnit.h"
#include "app/win32/Win32Dialogs.h"
#include "engine/win32/ErrorUnit.h"
#include "help/win32/AboutUnit.h"
#include "help/win32/InfoBoxUnit.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/win32/Wide.h"
#include "results/ChangesView.h"
#include "results/SlowFileResults.h"
#include "results/WindowLayout.h"
#include "results/win32/EditorUnit.h"
#include "results/win32/ErrorListUnit.h"
#include "results/win32/ResultForms.h"
#include "settings/win32/KonfigUnit.h"

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
    } else if (scene == L"errorlist") {
        for (const char* path : {"D:\\Archiv 2009\\snímek_18.jpg", "D:\\Archiv 2009\\snímek_31.jpg",
                                 "D:\\Dokumenty\\smlouva.pdf"}) {
            form.ErrorList().AddRow(vorlaxis::SplitBadFilePath(path));
        }
        form.ErrorList().ShowModal(form.Handle());
    } else if (scene == L"viewer") {
        // A short log as the test writes it, in its code page and line ends.
        const std::string log = vorlaxis::platform::TempFolder() + "scene-log.txt";
        HANDLE file = ::CreateFileW(vorlaxis::platform::win32::ToWide(log).c_str(), GENERIC_WRITE,
                                    0, nullptr, CREATE_ALWAYS, 0, nullptr);
        const std::string text = vorlaxis::platform::Utf8ToCp1250(
            "Datum testu: 8.12.2026, 9:26:53\r\nTestované umístění: D:\\Archiv 2009\\\r\n"
            "  D:\\Archiv 2009\\snímek_18.jpg\r\n    - chyba při čtení souboru\r\n"
            "  test úspěšně dokončen 8.12.2026, 9:27:21\r\n");
        DWORD written = 0;
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(file);
        form.Editor().SetCaption(log);
        (void)form.Editor().Load(log);
        form.Editor().ShowModal(form.Handle());
    } else if (scene == L"about") {
        form.AboutBox().ShowFor(form.Handle());
    } else if (scene.starts_with(L"options")) {
        // "options1".."options3": the dialog on that tab.
        const int tab = scene.size() > 7 ? scene[7] - L'1' : 0;
        form.Settings().DataReadStyle = vorlaxis::ReadSomeBlocks;
        form.Settings().ReadEveryXthBlock = vorlaxis::EveryEighthBlock;
        form.Settings().LogsFileNameFormat = vorlaxis::Combined;
        form.Settings().TxtViewer = vorlaxis::InternalViewer;
        HWND tabs = form.Konfig().Control(vorlaxis::win32ui::konfigid::PageControl1);
        ::SetTimer(tabs, 1, 300, [](HWND control, UINT, UINT_PTR, DWORD) {
            ::KillTimer(control, 1);
            const int page = static_cast<int>(::GetWindowLongPtrW(control, GWLP_USERDATA));
            TabCtrl_SetCurSel(control, page);
            NMHDR header{control, vorlaxis::win32ui::konfigid::PageControl1, TCN_SELCHANGE};
            ::SendMessageW(::GetParent(control), WM_NOTIFY, header.idFrom,
                           reinterpret_cast<LPARAM>(&header));
        });
        ::SetWindowLongPtrW(tabs, GWLP_USERDATA, tab);
        form.Konfig().Execute(form.Handle());
    }
    return vorlaxis::win32ui::RunMessageLoop(form);
}
