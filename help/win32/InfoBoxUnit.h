// The busy window on Windows: shown while a location's directory tree is collected, with the
// location's path and the find-folder animation; it disables its owner while it is shown.
#pragma once

#include <windows.h>

#include <string>

namespace vorlaxis::win32ui {

namespace infoid {
enum : int { Bevel1 = 100, Label1, Label2, Label3, Animate1 };
}  // namespace infoid

class TInfoBox final {
  public:
    TInfoBox();
    ~TInfoBox();
    TInfoBox(const TInfoBox&) = delete;
    TInfoBox& operator=(const TInfoBox&) = delete;

    HWND Handle() const { return m_hwnd; }
    // Shows the window in the centre of the screen naming `location`, and disables `owner`.
    void Show(const std::string& location, HWND owner);
    // Hides the window, enables the owner again and brings it to the front.
    void Hide();

  private:
    HWND m_hwnd = nullptr;
    HWND m_owner = nullptr;
};

}  // namespace vorlaxis::win32ui
