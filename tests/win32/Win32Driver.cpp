#include "Win32Driver.h"

#include <commctrl.h>

#include <vector>

#include "platform/win32/Wide.h"

namespace vorlaxis::test {

namespace {
bool (*g_poll)() = nullptr;
UINT_PTR g_timer = 0;
std::vector<Step> g_steps;
size_t g_nextStep = 0;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_poll && g_poll()) StopPolling();
}

// A step may open a window with a loop of its own, where the following steps run: the step is
// counted as done before it runs, and only a step that did nothing is run again.
bool RunNextStep() {
    if (g_nextStep < g_steps.size()) {
        const size_t current = g_nextStep++;
        const Step step = g_steps[current];  // the list may be let go of while it runs
        if (!step()) g_nextStep = current;
    }
    return g_nextStep >= g_steps.size();
}

UINT VirtualKeyOf(wchar_t key) {
    switch (key) {
        case L'\t':
            return VK_TAB;
        case L'\r':
            return VK_RETURN;
        case L'\x1b':
            return VK_ESCAPE;
        case keys::kUp:
            return VK_UP;
        case keys::kDown:
            return VK_DOWN;
        case keys::kEnd:
            return VK_END;
        default:
            return 0;
    }
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
    g_steps.clear();
    g_nextStep = 0;
}

void StepsDuringCommand(std::vector<Step> steps) {
    g_steps = std::move(steps);
    g_nextStep = 0;
    PollDuringCommand(&RunNextStep);
}

void Type(const std::wstring& keys) {
    // With no control focused the keyboard speaks to the active window.
    HWND focus = ::GetFocus() ? ::GetFocus() : ::GetActiveWindow();
    for (const wchar_t key : keys) {
        const UINT virtualKey = VirtualKeyOf(key);
        if (virtualKey == 0) {
            ::PostMessageW(focus, WM_CHAR, key, 1);
            continue;
        }
        // The repeat count and scan code a keyboard gives, and the release flags for the key up.
        const LPARAM down = 1 | static_cast<LPARAM>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC))
                                    << 16;
        ::PostMessageW(focus, WM_KEYDOWN, virtualKey, down);
        ::PostMessageW(focus, WM_KEYUP, virtualKey, down | 0xC0000000);
    }
}

void HandleQueued(const std::function<bool(MSG&)>& preTranslate) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (preTranslate(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

std::string TreeItemText(HWND tree, HTREEITEM item) {
    wchar_t text[512] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = 512;
    if (!item || !TreeView_GetItem(tree, &data)) return {};
    return platform::win32::ToUtf8(text);
}

}  // namespace vorlaxis::test
