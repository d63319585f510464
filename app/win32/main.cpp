// vorlaxis.exe: the window program on Windows. Folders and drives on the command line are
// ticked for this run (Explorer's "Otestovat pomocí Vorlaxis"); --help and --version print.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/win32/MainFormUnit.h"
#include "platform/Folders.h"
#include "platform/win32/Wide.h"

namespace {

std::vector<std::string> Arguments() {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.push_back(vorlaxis::platform::win32::ToUtf8(argv[i]));
    ::LocalFree(argv);
    return args;
}

// A window program has no console of its own: the text goes to the standard handle a caller
// gave (a pipe, a file), else to the console of the command prompt it was started from, else
// into a message box.
void Say(const char* text, bool error) {
    const std::wstring wide = vorlaxis::platform::win32::ToWide(text);
    HANDLE out = ::GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
            out = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
        }
    }
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        ::MessageBoxW(nullptr, wide.c_str(), L"Vorlaxis",
                      MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
        return;
    }
    DWORD written = 0;
    DWORD mode = 0;
    if (::GetConsoleMode(out, &mode)) {
        ::WriteConsoleW(out, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        const std::string bytes(text);
        ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

std::string CurrentFolder() {
    std::wstring folder(MAX_PATH, L'\0');
    DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    if (length > folder.size()) {
        folder.resize(length);
        length = ::GetCurrentDirectoryW(length, folder.data());
    }
    folder.resize(length);
    return vorlaxis::platform::win32::ToUtf8(folder);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    const vorlaxis::WindowCommandLine line = vorlaxis::ParseWindowCommandLine(Arguments());
    switch (line.action) {
        case vorlaxis::WindowCommandLine::Action::Help:
            Say(vorlaxis::WindowHelpText(), false);
            return vorlaxis::kWindowExitOk;
        case vorlaxis::WindowCommandLine::Action::Version:
            Say(vorlaxis::WindowVersionText(), false);
            return vorlaxis::kWindowExitOk;
        case vorlaxis::WindowCommandLine::Action::BadUsage:
            Say(line.error.c_str(), true);
            return vorlaxis::kWindowExitBadUsage;
        case vorlaxis::WindowCommandLine::Action::Run:
            break;
    }
    // Before any log is named: the temporary logs of this copy go to a folder of its own, so
    // that copies running side by side never delete or overwrite each other's logs.
    vorlaxis::platform::ClaimOwnTempFolder();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    vorlaxis::win32ui::TMainForm form;
    form.StartLocations = vorlaxis::RunLocations(line.locations, CurrentFolder());
    form.ReadINIs();
    ::ShowWindow(form.Handle(), showCommand);
    return vorlaxis::win32ui::RunMessageLoop(form);
}
