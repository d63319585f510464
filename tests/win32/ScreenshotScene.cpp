// The Win32 windows in the states scripts/screenshots-win32.sh pictures: the main window idle
// and during a test, the read-error question, the busy window and the input dialog. Runs until it
// is ended.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/win32/MainFormUnit.h"
#include "app/win32/Win32Dialogs.h"
#include "engine/win32/ErrorUnit.h"
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
    }
    return vorlaxis::win32ui::RunMessageLoop(form);
}
