// The main window's side of what follows each location on Windows: the slow-file list, the speed
// graph and the changes window behind the core's follow-up, so that each hook in the main
// window is a single call.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/Dialogs.h"
#include "results/AfterLocation.h"
#include "results/win32/ResultForms.h"

namespace vorlaxis {
struct TestSession;
}

namespace vorlaxis::win32ui {

class MainFollowUp {
  public:
    // The windows are owned by `owner`, the main window.
    MainFollowUp(HWND owner, Dialogs& dialogs);

    // After the bad-file results of `location`; the records go into the "History" folder of
    // `logsFolder`. `closing`: the window is gone, nothing is asked.
    void AfterLocation(const TestSession& session, const std::string& location,
                       const std::string& logsFolder, bool closing);
    // The menu commands.
    void mmZobrazitGrafRychlostiClick();
    void mmZobrazitPorovnaniClick();

    const FollowUpState& State() const { return m_state; }
    // The run of `location` compares itself with the records as it ends, into State().
    void CompareBeforeLogEnd(TestSession& session, const std::string& location,
                             const std::string& logsFolder);
    const TSpeedGraphForm& Graph() const { return m_graph; }

  private:
    FollowUpWindows Windows();

    Dialogs& m_dialogs;
    FollowUpState m_state;
    TSlowFileListForm m_slowList;
    TSpeedGraphForm m_graph;
    TChangesForm m_changes;
};

}  // namespace vorlaxis::win32ui
