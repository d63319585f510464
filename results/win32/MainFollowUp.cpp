#include "results/win32/MainFollowUp.h"

#include "results/ChangesView.h"

namespace vorlaxis::win32ui {

MainFollowUp::MainFollowUp(HWND owner, Dialogs& dialogs)
    : m_dialogs(dialogs), m_slowList(owner), m_graph(owner), m_changes(owner) {}

FollowUpWindows MainFollowUp::Windows() {
    return {[this](const std::vector<SlowFileRow>& rows) { m_slowList.Show(rows); },
            [this](const ChangesView& view) { m_changes.Show(view); }};
}

void MainFollowUp::AfterLocation(const TestSession& session, const std::string& location,
                                 const std::string& logsFolder, bool closing) {
    FollowLocationResults(session, location, HistoryFolderIn(logsFolder), closing, m_dialogs,
                          Windows(), m_state);
}

void MainFollowUp::CompareBeforeLogEnd(TestSession& session, const std::string& location,
                                       const std::string& logsFolder) {
    session.CompareWithRecords =
        HistoryBeforeLogEnd(HistoryFolderIn(logsFolder), location, false, m_state.PendingStep);
}

void MainFollowUp::mmZobrazitGrafRychlostiClick() {
    m_graph.Show(m_state.GraphLocation, m_state.GraphFiles);
}

void MainFollowUp::mmZobrazitPorovnaniClick() {
    ShowLastComparison(m_state, m_dialogs, Windows());
}

}  // namespace vorlaxis::win32ui
