#include "Win32Driver.h"

#include <commctrl.h>

#include <vector>

#include "platform/win32/Wide.h"

namespace vorlaxis::test {

namespace {
bool (*g_poll)() = nullptr;
UINT_PTR g_timer = 0;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_poll && g_poll()) StopPolling();
}
}  // namespace

std::string TextOf(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return platform::win32::ToUtf8(text);
}

std::string PanelText(HWND statusBar, int panel) {
    const auto length =
        LOWORD(::SendMessageW(statusBar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(statusBar, SB_GETTEXTW, static_cast<WPARAM>(panel),
                   reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    if (!text.empty() && text.front() == L'\t') text.erase(0, 1);
    return platform::win32::ToUtf8(text);
}

bool Visible(HWND window) {
    return ::IsWindowVisible(window) != FALSE;
}

bool Enabled(HWND window) {
    return ::IsWindowEnabled(window) != FALSE;
}

bool MenuEnabled(HMENU menu, int commandId) {
    const UINT state = ::GetMenuState(menu, static_cast<UINT>(commandId), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

// BM_CLICK is a press and a release of the mouse button; under Wine a focus or capture change
// between the two (the display server answering late) can drop it, and a dropped close button
// leaves a modal loop waiting for ever. So a push button's command is sent as its click would
// send it, and a box whose mark did not change is clicked again.
void Click(HWND button) {
    if (!::IsWindowEnabled(button)) return;  // a person's click does nothing there either
    const LONG type = ::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
    const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                     type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    if (!box) {  // push buttons, owner-drawn ones included
        ::SendMessageW(::GetParent(button), WM_COMMAND,
                       MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
        return;
    }
    const LRESULT before = ::SendMessageW(button, BM_GETCHECK, 0, 0);
    const bool radioOn =
        (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON) && before == BST_CHECKED;
    const bool marks =
        type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
    for (int attempt = 0; attempt < 3; ++attempt) {
        ::SendMessageW(button, BM_CLICK, 0, 0);
        if (!marks || radioOn || ::SendMessageW(button, BM_GETCHECK, 0, 0) != before) return;
    }
}

int RunProgram(const std::wstring& commandLine) {
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, &process)) {
        return -1;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

std::wstring ProgramFolder() {
    std::vector<wchar_t> path(32768);
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring folder(path.data(), length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

void PollDuringCommand(bool (*poll)()) {
    g_poll = poll;
    g_timer = ::SetTimer(nullptr, 0, 5, &OnTimer);
}

void StopPolling() {
    if (g_timer) ::KillTimer(nullptr, g_timer);
    g_timer = 0;
    g_poll = nullptr;
}

}  // namespace vorlaxis::test
