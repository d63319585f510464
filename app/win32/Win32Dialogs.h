// The message boxes and the folder picker of the window program on Windows, owned by the main
// window and shown through the wide calls.
#pragma once

#include <windows.h>

#include "core/Dialogs.h"

namespace vorlaxis::win32ui {

// The input dialog: its window class and its controls besides OK and Cancel.
constexpr wchar_t kInputBoxClass[] = L"InputBox";
namespace inputid {
enum : int { Prompt = 100, Field = 101 };
}  // namespace inputid

class Win32Dialogs final : public Dialogs {
  public:
    void SetOwner(HWND owner) { m_owner = owner; }

    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon) override;
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& initial) override;
    std::string BrowseForFolder(const std::string& title) override;

  private:
    HWND m_owner = nullptr;
};

}  // namespace vorlaxis::win32ui
