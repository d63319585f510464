// The about box on Windows: the program's name, a notice, three links that open their address
// when pressed, where the settings and logs are kept, and the close button.
#pragma once

#include <windows.h>

namespace vorlaxis::win32ui {

namespace aboutid {
// "Zavřít" carries the OK command, so that Enter closes the box.
enum : int {
    BitBtn1 = IDOK,
    Label1 = 100,
    Label8,
    Label3,
    Bevel1,
    Label4,
    URLLabel1,
    Label5,
    URLLabel2,
    Label6,
    URLLabel3,
    Bevel2,
    SettingsFolder,
    LogsFolder
};
}  // namespace aboutid

class TAboutBox final {
  public:
    explicit TAboutBox(HWND owner);
    ~TAboutBox();
    TAboutBox(const TAboutBox&) = delete;
    TAboutBox& operator=(const TAboutBox&) = delete;

    HWND Handle() const { return m_hwnd; }
    // Shows the box modally, 30 pixels right of and below `mainWindow`'s top-left corner.
    void ShowFor(HWND mainWindow);

  private:
    template <class Window>
    friend LRESULT CALLBACK ForwardMessages(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The link under a point of the client area: 1..3, or 0 for none.
    int LinkAt(POINT point) const;
    void AddHint(int controlId, const wchar_t* text);

    HWND m_hwnd = nullptr;
    HWND m_hints = nullptr;
    HFONT m_titleFont = nullptr;
    HFONT m_linkFont = nullptr;
    bool m_closed = false;
};

}  // namespace vorlaxis::win32ui
