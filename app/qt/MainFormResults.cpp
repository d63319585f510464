// TMainForm: what follows each tested location, the log commands and the options dialog.
#include "app/qt/MainFormUnit.h"
#include "engine/TestRun.h"
#include "help/HelpTopics.h"
#include "help/qt/HelpWindow.h"
#include "results/AfterLocation.h"
#include "results/qt/EditorUnit.h"
#include "results/qt/ErrorListUnit.h"
#include "results/qt/MainHistory.h"
#include "settings/qt/KonfigUnit.h"

namespace vorlaxis::gui {

void TMainForm::ConnectResults() {
    if (m_results || !m_windows.Editor || !m_windows.ErrorListForm) return;
    m_results = std::make_unique<MainResults>(m_settings, m_dialogs, *m_windows.Editor,
                                              *m_windows.ErrorListForm, [this](bool red) {
                                                  m_display.badFilesRed = red;
                                                  ShowDisplay();
                                              });
}

void TMainForm::ErrorResults(uint16_t badFileCount) {
    if (!m_results) return;
    m_results->ErrorResults(m_statistics, m_session->BadFiles, badFileCount);
    const std::string historyFolder =
        m_history ? HistoryFolderIn(m_results->LogsFolder()) : std::string();
    FollowLocationResults(
        *m_session, m_testedLocation, historyFolder, m_closePending, m_dialogs,
        {[this](const std::vector<SlowFileRow>& rows) { m_results->ShowSlowFileList(rows); },
         [this](const ChangesView& view) { m_history->ShowChanges(view); }},
        m_results->FollowUp());
}

void TMainForm::mmUlozitZaznamyClick() {
    if (m_results) {
        m_results->mmUlozitZaznamyClick(m_statistics.LocationIndex, m_session->MediaRecords);
    }
}

void TMainForm::mmZobrazitSlozkuZaznamyClick() {
    if (m_results) m_results->mmZobrazitSlozkuZaznamyClick();
}

void TMainForm::mmZobrazitDocasneZaznamyClick() {
    if (m_results) m_results->mmZobrazitDocasneZaznamyClick(m_statistics.LocationIndex);
}

void TMainForm::mmZobrazitGrafRychlostiClick() {
    if (m_results) m_results->ShowSpeedGraph();
}

void TMainForm::mmMoznostiClick() {
    if (m_windows.Konfig) m_windows.Konfig->Execute(pos());
}

std::function<void()> TMainForm::KonfigWrite() {
    return [this] {
        // Shown while the dialog is still open; the changes stay in effect for the run.
        const std::string error = WriteINIs();
        if (!error.empty()) ReportError(m_dialogs, error);
    };
}

std::function<void()> TMainForm::KonfigRead() {
    return [this] { ReadINIs(); };
}

std::function<void()> TMainForm::KonfigHelp() {
    return [] { ShowHelpTopic(help::kTopicOptions); };
}

}  // namespace vorlaxis::gui
