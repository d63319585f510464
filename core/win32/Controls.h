// What every Win32 window of the program shares: the dialog font, controls created from a table
// of places in pixels, and the modal loop of a question window.
#pragma once

#include <windows.h>

#include <span>
#include <string>

namespace vorlaxis::win32ui {

enum class Kind {
    Frame,
    SunkenFrame,
    Group,
    Button,
    DefaultButton,
    List,
    Label,
    RightLabel,
    CentredLabel,
    Bar,
    Edit,
    ReadOnlyEdit
};
enum class Face { Plain, Bold };

// One control of a layout: its identifier, kind, caption and place in pixels.
struct Place {
    int controlId;
    Kind kind;
    const wchar_t* text;
    int left, top, width, height;
    Face face = Face::Plain;
};

// The dialog font the layouts were measured in (8 points, 11 pixels high), plain and bold;
// made once, kept for the program's life.
HFONT DialogFont(Face face);

// Creates the controls of `places` in `parent`, moved by (dx, dy).
void CreatePlaces(HWND parent, std::span<const Place> places, int dx = 0, int dy = 0);

// Registers a window class of the program's look; `procedure` handles its messages.
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure);

// A window whose client area is `width` × `height` with the given styles (and menu bar).
HWND CreateSizedWindow(const wchar_t* className, const std::wstring& caption, DWORD style,
                       DWORD exStyle, int width, int height, HWND owner, void* self,
                       HMENU menu = nullptr);

// Places `window` in the centre of `owner`, or of the screen when `owner` is null.
void CentreOver(HWND window, HWND owner);

// Shows `window` modal to `owner` (disabled meanwhile) and runs the messages until `done`.
// `focus`, a control of `window`, gets the keyboard focus once the window is shown (a plain
// window, unlike a dialog box, would keep it itself).
void RunModal(HWND window, HWND owner, const bool& done, HWND focus = nullptr);

// The keyboard of a plain window as a dialog box has it (Tab, arrows, Enter, Esc, access keys),
// with the default frame where a dialog box shows it: on the focused push button, else on the
// window's default button (the DefaultButton of its places). True when the message is handled.
bool DialogMessage(HWND window, MSG& msg);

// Places `window` 30 pixels right of and below `mainWindow`'s top-left corner (when there is one).
void PlaceBeside(HWND window, HWND mainWindow);

// True for the messages that close a modal window: its OK or Cancel command, or its close box.
bool ClosesModal(UINT message, WPARAM wParam);

// Keeps the window's object pointer (from CreateWindowEx's parameter) and returns it.
void* WindowObject(HWND hwnd, UINT message, LPARAM lParam);

// The window procedure of a window class whose object (`self` of CreateSizedWindow) handles
// the messages in `OnMessage(message, wParam, lParam)`. The messages that come before the
// object knows its window (`Handle()`), those of CreateWindowEx itself, and those after the
// object has let go of it, take the default way. The class declares it a friend.
template <class Window>
LRESULT CALLBACK ForwardMessages(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = static_cast<Window*>(WindowObject(hwnd, message, lParam));
    if (!window || !window->Handle()) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return window->OnMessage(message, wParam, lParam);
}

// The window's text as UTF-8; and sets it from UTF-8.
std::string WindowText(HWND window);
void SetWindowText(HWND window, const std::string& utf8);

}  // namespace vorlaxis::win32ui
