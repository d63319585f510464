// The read-error question on Windows: the failing file's path and four answers (retry, continue,
// continue without asking, stop the test). Only an answer closes it; help leaves it open.
#pragma once

#include <windows.h>

#include <string>

#include "core/TestHost.h"

namespace vorlaxis::win32ui {

namespace errorid {
// Enter answers "&Pokračovat" and Esc "Ukončit test": they carry the OK and Cancel commands.
enum : int { BitBtn2 = IDOK, BitBtn3 = IDCANCEL, BitBtn1 = 101, BitBtn4, BitBtn5, Label1, Edit1 };
}  // namespace errorid

class TErrorForm final {
  public:
    explicit TErrorForm(HWND owner);
    ~TErrorForm();
    TErrorForm(const TErrorForm&) = delete;
    TErrorForm& operator=(const TErrorForm&) = delete;

    HWND Handle() const { return m_hwnd; }
    // Shows the question for `path` 30 pixels right of and below `mainWindow`'s top-left
    // corner, modal to that window, and returns the answer.
    ReadErrorAnswer Ask(const std::string& path, HWND mainWindow);

  private:
    template <class Window>
    friend LRESULT CALLBACK ForwardMessages(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Command(int commandId);

    HWND m_hwnd = nullptr;
    bool m_answered = false;
    ReadErrorAnswer m_answer = ReadErrorAnswer::Stop;
};

}  // namespace vorlaxis::win32ui
