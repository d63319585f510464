#include "app/win32/Win32Dialogs.h"

#include <shobjidl.h>

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

// The system's folder picker as Windows users know it: it shows and takes only folders of the
// file system; other places (the computer, libraries) are opened, not chosen.
std::string Win32Dialogs::BrowseForFolder(const std::string& title) {
    // The picker is a COM object; whoever calls may not have started COM.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string chosen;
    IFileOpenDialog* picker = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_PPV_ARGS(&picker)))) {
        FILEOPENDIALOGOPTIONS options = 0;
        picker->GetOptions(&options);
        picker->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
        picker->SetTitle(ToWide(title).c_str());
        IShellItem* item = nullptr;
        if (SUCCEEDED(picker->Show(m_owner)) && SUCCEEDED(picker->GetResult(&item))) {
            PWSTR path = nullptr;
            if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
                chosen = ToUtf8(path);
                ::CoTaskMemFree(path);
            }
            item->Release();
        }
        picker->Release();
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return chosen;
}

}  // namespace vorlaxis::win32ui
