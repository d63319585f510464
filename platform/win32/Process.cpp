// Starting programs and opening documents on Windows: CreateProcess with a command line built
// from the argument list by the rules the C runtime parses it back with, and ShellExecute for
// what the desktop opens by association.
#include "platform/Process.h"

#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <csignal>
#include <cstdlib>

#include "platform/win32/Wide.h"

namespace vorlaxis::platform {
namespace {

// One argument as CommandLineToArgvW and the C runtime read it back: quoted when it holds
// blanks or quotes, with backslashes doubled only where they precede a quote.
std::wstring QuoteArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    for (size_t i = 0;; ++i) {
        size_t backslashes = 0;
        while (i < arg.size() && arg[i] == L'\\') ++i, ++backslashes;
        if (i == arg.size()) {
            out.append(backslashes * 2, L'\\');
            break;
        }
        out.append(arg[i] == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        out += arg[i];
    }
    return out + L"\"";
}

bool IsFile(const std::wstring& path) {
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

// The C runtime runs a console's Ctrl+C handler on a thread of its own; nothing here blocks
// the way a POSIX FIFO does.
void CatchStopSignals(void (*onStop)(int)) {
    std::signal(SIGINT, onStop);
    std::signal(SIGBREAK, onStop);
    std::signal(SIGTERM, onStop);
}

void DieBySignal(int signal) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(3);  // what the runtime's default action exits with
}

bool StandardOutputWasClosed() {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    return out == nullptr || out == INVALID_HANDLE_VALUE;
}

std::string FindProgram(const std::string& name) {
    if (name.empty()) return {};
    const std::wstring wide = win32::ToWide(name);
    if (wide.find_first_of(L"\\/:") != std::wstring::npos) return IsFile(wide) ? name : "";
    wchar_t found[MAX_PATH + 1];
    const DWORD n = ::SearchPathW(nullptr, wide.c_str(), L".exe", MAX_PATH + 1, found, nullptr);
    if (n == 0 || n > MAX_PATH || !IsFile(found)) return {};
    return win32::ToUtf8(found);
}

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& workingFolder) {
    const std::string path = FindProgram(program);
    if (path.empty()) return false;
    const std::wstring application = win32::ToWide(path);
    std::wstring commandLine = QuoteArgument(application);
    for (const std::string& a : arguments) commandLine += L" " + QuoteArgument(win32::ToWide(a));
    const std::wstring folder = win32::ToWide(workingFolder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // No handles inherited and no console shared: the program lives on its own.
    if (!::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

std::vector<std::string> ProgramArguments(int /*argc*/, char** /*argv*/) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(win32::ToUtf8(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

void UseUtf8Console() {
    // The console's code page outlives this program: give the old one back at the end.
    static const UINT previous = ::GetConsoleOutputCP();
    if (previous == 0 || previous == CP_UTF8) return;  // no console, or already UTF-8
    if (::SetConsoleOutputCP(CP_UTF8)) std::atexit([] { ::SetConsoleOutputCP(previous); });
}

bool OpenWithDesktop(const std::string& target, const std::string& workingFolder) {
    // Shell extensions that an association leads to may need COM on this thread.
    static thread_local const HRESULT com =
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    (void)com;
    const std::wstring file = win32::ToWide(target);
    const std::wstring folder = win32::ToWide(workingFolder);
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", file.c_str(), nullptr,
                        folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

std::string SystemTextEditor() {
    wchar_t windows[MAX_PATH + 1];
    const UINT n = ::GetWindowsDirectoryW(windows, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return {};
    std::wstring notepad(windows, n);
    if (notepad.back() != L'\\') notepad += L'\\';
    return win32::ToUtf8(notepad + L"notepad.exe");
}

// Notepad is always there: no list to try.
const std::vector<std::string>& PlainTextEditors() {
    static const std::vector<std::string> none;
    return none;
}

std::vector<std::string> TextEditorArguments(const std::string& /*editor*/,
                                             const std::string& path) {
    return {path};
}

}  // namespace vorlaxis::platform
