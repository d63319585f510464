// vorlaxis.exe: the window program on Windows. No command-line options.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app/win32/MainFormUnit.h"
#include "platform/Folders.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // Before any log is named: the temporary logs of this copy go to a folder of its own, so
    // that copies running side by side never delete or overwrite each other's logs.
    vorlaxis::platform::ClaimOwnTempFolder();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    vorlaxis::win32ui::TMainForm form;
    form.ReadINIs();
    ::ShowWindow(form.Handle(), showCommand);
    return vorlaxis::win32ui::RunMessageLoop(form);
}
