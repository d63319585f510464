#include "app/win32/Win32Dialogs.h"

#include <shlobj.h>

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

std::string Win32Dialogs::InputBox(const std::string& /*caption*/, const std::string& /*prompt*/,
                                   const std::string& initial) {
    // No input dialog on this face yet: the answer is that of "Cancel".
    return initial;
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
