#include "core/win32/Controls.h"

#include <commctrl.h>

#include "platform/win32/Wide.h"

namespace vorlaxis::win32ui {

namespace {

const wchar_t* ClassOf(Kind kind) {
    switch (kind) {
        case Kind::Group:
        case Kind::Button:
        case Kind::DefaultButton:
            return WC_BUTTONW;
        case Kind::List:
            return WC_LISTVIEWW;
        case Kind::Bar:
            return PROGRESS_CLASSW;
        case Kind::Edit:
        case Kind::ReadOnlyEdit:
            return WC_EDITW;
        default:
            return WC_STATICW;
    }
}

DWORD StyleOf(Kind kind) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    switch (kind) {
        case Kind::Frame:
            return child | SS_ETCHEDHORZ;
        case Kind::SunkenFrame:
            return child | WS_CLIPSIBLINGS | SS_SUNKEN;
        case Kind::CentredLabel:
            return child | SS_CENTER | SS_NOPREFIX | SS_ENDELLIPSIS;
        case Kind::Group:
            return child | BS_GROUPBOX;
        case Kind::Button:
            return child | WS_TABSTOP | BS_PUSHBUTTON;
        case Kind::DefaultButton:
            return child | WS_TABSTOP | BS_DEFPUSHBUTTON;
        case Kind::List:
            return child | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_NOCOLUMNHEADER |
                   LVS_SINGLESEL | LVS_SHOWSELALWAYS;
        case Kind::Label:
            return child | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
        case Kind::RightLabel:
            return child | SS_RIGHT | SS_NOPREFIX;
        case Kind::Bar:
            return child | PBS_SMOOTH;
        case Kind::Edit:
            return child | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
        case Kind::ReadOnlyEdit:
            return child | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL;
    }
    return child;
}

// The window's default button, kept with the window: its frame moves with the focus.
const wchar_t* DefaultButtonProperty() {
    static const ATOM atom = ::GlobalAddAtomW(L"VorlaxisDefaultButton");
    return MAKEINTATOM(atom);
}

bool IsPushButton(HWND control) {
    wchar_t name[16] = {};
    if (!::GetClassNameW(control, name, 16) || ::lstrcmpiW(name, WC_BUTTONW) != 0) return false;
    const LONG type = ::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// As a dialog box frames it: the focused push button, else the window's default button.
void ShowDefaultFrame(HWND window) {
    auto* defaultButton = static_cast<HWND>(::GetPropW(window, DefaultButtonProperty()));
    if (!defaultButton) return;
    HWND focus = ::GetFocus();
    HWND framed =
        focus && ::GetParent(focus) == window && IsPushButton(focus) ? focus : defaultButton;
    for (HWND child = ::GetWindow(window, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!IsPushButton(child)) continue;
        const LONG wanted = child == framed ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if ((::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) != wanted) {
            ::SendMessageW(child, BM_SETSTYLE, static_cast<WPARAM>(wanted), TRUE);
        }
    }
}

}  // namespace

// The Central European set: the texts are Czech, and a system of another language would map
// the default set to its own, where ě, ř, ů and č have no glyph.
HFONT DialogFont(Face face) {
    static const HFONT plain = ::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                             EASTEUROPE_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
    static const HFONT bold = ::CreateFontW(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                            EASTEUROPE_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
    return face == Face::Bold ? bold : plain;
}

void CreatePlaces(HWND parent, std::span<const Place> places, int dx, int dy) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    for (const Place& place : places) {
        HWND control = ::CreateWindowExW(
            0, ClassOf(place.kind), place.text, StyleOf(place.kind), place.left + dx,
            place.top + dy, place.width, place.height, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.controlId)), instance, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(place.face)),
                       FALSE);
        if (place.kind == Kind::DefaultButton) {
            ::SetPropW(parent, DefaultButtonProperty(), control);
        }
    }
}

bool DialogMessage(HWND window, MSG& msg) {
    if (!::IsDialogMessageW(window, &msg)) return false;
    // The system's handling of a plain window takes the frame off the default button when the
    // focus leaves a push button, and gives it back to nobody.
    const bool movesFocus = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
                            msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONUP;
    if (movesFocus) ShowDefaultFrame(window);
    return true;
}

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    ::RegisterClassExW(&windowClass);  // a second registration fails harmlessly
}

HWND CreateSizedWindow(const wchar_t* className, const std::wstring& caption, DWORD style,
                       DWORD exStyle, int width, int height, HWND owner, void* self, HMENU menu) {
    RECT frame{0, 0, width, height};
    ::AdjustWindowRectEx(&frame, style, menu != nullptr, exStyle);
    return ::CreateWindowExW(exStyle, className, caption.c_str(), style, CW_USEDEFAULT,
                             CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                             owner, menu, ::GetModuleHandleW(nullptr), self);
}

void CentreOver(HWND window, HWND owner) {
    RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (owner) ::GetWindowRect(owner, &area);
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    ::SetWindowPos(window, HWND_TOP, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE);
}

void RunModal(HWND window, HWND owner, const bool& done, HWND focus) {
    if (owner) ::EnableWindow(owner, FALSE);
    ::ShowWindow(window, SW_SHOW);
    if (focus) ::SetFocus(focus);
    MSG msg;
    while (!done && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (DialogMessage(window, msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (msg.message == WM_QUIT && !done) ::PostQuitMessage(static_cast<int>(msg.wParam));
    if (owner) ::EnableWindow(owner, TRUE);
    ::ShowWindow(window, SW_HIDE);
    if (owner) ::SetActiveWindow(owner);
}

void PlaceBeside(HWND window, HWND mainWindow) {
    RECT main{};
    if (mainWindow && ::GetWindowRect(mainWindow, &main)) {
        ::SetWindowPos(window, HWND_TOP, main.left + 30, main.top + 30, 0, 0, SWP_NOSIZE);
    }
}

bool ClosesModal(UINT message, WPARAM wParam) {
    return message == WM_CLOSE ||
           (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL));
}

void* WindowObject(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<void*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

std::string WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return platform::win32::ToUtf8(text);
}

void SetWindowText(HWND window, const std::string& utf8) {
    ::SetWindowTextW(window, platform::win32::ToWide(utf8).c_str());
}

}  // namespace vorlaxis::win32ui
