// The bad-file list on Windows: the files of the last tested location that could not be read,
// one row each with its name and folder. Created once; its rows stay until the next Clear.
#pragma once

#include <windows.h>

#include <string>

#include "engine/TestStatistics.h"

namespace vorlaxis::win32ui {

namespace errorlistid {
// The OK button carries the OK command, so that Enter closes the list.
enum : int { BitBtn1 = IDOK, Label1 = 100, ListView1 };
}  // namespace errorlistid

class TErrorListForm final {
  public:
    explicit TErrorListForm(HWND owner);
    ~TErrorListForm();
    TErrorListForm(const TErrorListForm&) = delete;
    TErrorListForm& operator=(const TErrorListForm&) = delete;

    HWND Handle() const { return m_hwnd; }
    // Removes all rows (the start of every location's test).
    void Clear();
    // Appends a row for an unreadable file.
    void AddRow(const BadFileEntry& entry);
    // Shows the list in the centre of the screen, modal to `owner`, until it is closed.
    void ShowModal(HWND owner);

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void FormResize();

    HWND m_hwnd = nullptr;
    bool m_closed = false;
};

}  // namespace vorlaxis::win32ui
