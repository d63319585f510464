#include "app/win32/Win32Dialogs.h"

#include <shlobj.h>

#include "core/win32/Controls.h"
#include "platform/win32/Wide.h"

namespace vorlaxis::win32ui {

using platform::win32::ToUtf8;
using platform::win32::ToWide;

MsgResult Win32Dialogs::MessageBox(const std::string& text, const std::string& caption,
                                   MsgButtons buttons, MsgIcon icon) {
    UINT style = buttons == MsgButtons::YesNo ? MB_YESNO : MB_OK;
    switch (icon) {
        case MsgIcon::Error:
            style |= MB_ICONERROR;
            break;
        case MsgIcon::Warning:
            style |= MB_ICONWARNING;
            break;
        case MsgIcon::Question:
            style |= MB_ICONQUESTION;
            break;
        case MsgIcon::Information:
            style |= MB_ICONINFORMATION;
            break;
    }
    const int answer = ::MessageBoxW(m_owner, ToWide(text).c_str(), ToWide(caption).c_str(), style);
    if (answer == IDYES) return MsgResult::Yes;
    if (answer == IDNO) return MsgResult::No;
    return MsgResult::Ok;
}

namespace {

const Place kInputPlaces[] = {{inputid::Prompt, Kind::Label, L"", 8, 8, 324, 13},
                              {inputid::Field, Kind::Edit, L"", 8, 26, 324, 21},
                              {IDOK, Kind::DefaultButton, L"OK", 176, 60, 75, 25},
                              {IDCANCEL, Kind::Button, L"Cancel", 257, 60, 75, 25}};

// The input dialog's state while it is open: which button ended it.
struct InputState {
    bool done = false;
    bool accepted = false;
};

LRESULT CALLBACK InputProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = static_cast<InputState*>(WindowObject(hwnd, message, lParam));
    if (state && message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        state->accepted = LOWORD(wParam) == IDOK;
        state->done = true;
        return 0;
    }
    if (state && message == WM_CLOSE) {
        state->done = true;  // the close box cancels
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

std::string Win32Dialogs::InputBox(const std::string& caption, const std::string& prompt,
                                   const std::string& initial) {
    RegisterWindowClass(kInputBoxClass, &InputProc);
    InputState state;
    HWND box =
        CreateSizedWindow(kInputBoxClass, ToWide(caption), WS_POPUP | WS_CAPTION | WS_SYSMENU,
                          WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, 340, 93, m_owner, &state);
    CreatePlaces(box, kInputPlaces);
    CentreOver(box, m_owner);
    HWND field = ::GetDlgItem(box, inputid::Field);
    SetWindowText(::GetDlgItem(box, inputid::Prompt), prompt);
    ::SendMessageW(field, EM_LIMITTEXT, kInputBoxMaxLength, 0);
    SetWindowText(field, initial);
    ::SendMessageW(field, EM_SETSEL, 0, -1);
    RunModal(box, m_owner, state.done, field);
    const std::string typed = WindowText(field);
    ::DestroyWindow(box);
    return state.accepted ? typed : initial;
}

std::string Win32Dialogs::BrowseForFolder(const std::string& title) {
    const std::wstring wideTitle = ToWide(title);
    BROWSEINFOW info{};
    info.hwndOwner = m_owner;
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&info);
    if (!item) return {};
    wchar_t path[MAX_PATH] = {};
    const bool isFolder = ::SHGetPathFromIDListW(item, path) != FALSE;
    ::CoTaskMemFree(item);
    return isFolder ? ToUtf8(path) : std::string();
}

}  // namespace vorlaxis::win32ui
