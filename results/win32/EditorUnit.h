// The internal log viewer on Windows: a read-only text in a fixed-pitch font. Created once; it
// keeps its caption and text until the next load.
#pragma once

#include <windows.h>

#include <string>

namespace vorlaxis::win32ui {

namespace editorid {
// The OK button carries the OK command, so that Enter closes the viewer.
enum : int { BitBtn1 = IDOK, Memo1 = 100 };
}  // namespace editorid

class TEditor final {
  public:
    explicit TEditor(HWND owner);
    ~TEditor();
    TEditor(const TEditor&) = delete;
    TEditor& operator=(const TEditor&) = delete;

    HWND Handle() const { return m_hwnd; }
    void SetCaption(const std::string& utf8);
    // Replaces the whole text with the log at `path` (Windows-1250). Returns the error text
    // "Cannot open file "%s". %s" and keeps the old text when it cannot be read.
    std::string Load(const std::string& path);
    // Shows the viewer in the centre of the screen, modal to `owner`, with the focus in the
    // text, until it is closed.
    void ShowModal(HWND owner);

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void FormResize();

    HWND m_hwnd = nullptr;
    HFONT m_font = nullptr;
    bool m_closed = false;
};

}  // namespace vorlaxis::win32ui
