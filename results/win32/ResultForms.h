// The Win32 windows that follow a tested location beside the bad-file list: the readable but
// slow files, the speed graph (painted with GDI from the core's layout) and the changes since
// the medium's last test. Each is modal while shown and closes with OK, Enter or Esc.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "engine/SlowFiles.h"
#include "results/ChangesView.h"
#include "results/SlowFileResults.h"
#include "results/SpeedGraph.h"

namespace vorlaxis::win32ui {

namespace resultid {
// OK is the default button: Enter and Esc close the window through it.
enum : int { BitBtn1 = IDOK, Label1 = 101, ListView1, GraphView, Label2, Summary, Files };
}  // namespace resultid

// What the three windows share: a dialog-like window of their own class, shown modally.
class TResultForm {
  public:
    TResultForm(const TResultForm&) = delete;
    TResultForm& operator=(const TResultForm&) = delete;
    virtual ~TResultForm();
    HWND Handle() const { return m_hwnd; }
    HWND Control(int controlId) const { return ::GetDlgItem(m_hwnd, controlId); }

  protected:
    TResultForm(const wchar_t* className, int width, int height, HWND owner);
    // Modal to the owner until closed.
    void ShowModal();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    template <class Window>
    friend LRESULT CALLBACK ForwardMessages(HWND, UINT, WPARAM, LPARAM);

    HWND m_hwnd = nullptr;
    HWND m_owner;
    bool m_done = false;
};

class TSlowFileListForm final : public TResultForm {
  public:
    explicit TSlowFileListForm(HWND owner);
    void Show(const std::vector<SlowFileRow>& rows);
};

class TSpeedGraphForm final : public TResultForm {
  public:
    explicit TSpeedGraphForm(HWND owner);
    // `location` empty: before any test.
    void Show(const std::string& location, const std::vector<FileSpeed>& files);
    const SpeedGraphPicture& Picture() const { return m_picture; }

  private:
    static LRESULT CALLBACK GraphProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintGraph(HWND view);
    // The file under the mouse, shown under the graph.
    void MouseAt(int x, int y);

    std::vector<FileSpeed> m_files;
    std::wstring m_emptyText;
    SpeedGraphPicture m_picture;
};

class TChangesForm final : public TResultForm {
  public:
    explicit TChangesForm(HWND owner);
    void Show(const ChangesView& view);
};

}  // namespace vorlaxis::win32ui
