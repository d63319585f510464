// The main window's side of the results: the result windows behind the core's interface.
#include "results/qt/MainResults.h"

#include <QString>

#include "platform/Files.h"
#include "platform/Text.h"
#include "results/LogFiles.h"
#include "results/qt/EditorUnit.h"
#include "results/qt/ErrorListUnit.h"
#include "results/qt/SlowFileListUnit.h"
#include "results/qt/SpeedGraphUnit.h"
#include "settings/DataFolders.h"

namespace vorlaxis::gui {

MainResults::MainResults(const TestSettings& settings, Dialogs& dialogs, TEditor& editor,
                         TErrorListForm& errorList, std::function<void(bool)> colourBadCount,
                         std::unique_ptr<Shell> shell)
    : m_settings(settings),
      m_dialogs(dialogs),
      m_editor(editor),
      m_errorList(errorList),
      m_colourBadCount(std::move(colourBadCount)),
      m_shell(shell ? std::move(shell) : std::make_unique<SystemShell>()),
      m_tempFolder(platform::TempFolder()),
      m_logsFolder(ProgramDataFolders().LogsFolder),
      m_slowList(std::make_unique<TSlowFileListForm>()),
      m_graph(std::make_unique<TSpeedGraphForm>()) {}

MainResults::~MainResults() = default;

void MainResults::SetFolders(std::string tempFolder, std::string logsFolder) {
    m_tempFolder = std::move(tempFolder);
    m_logsFolder = std::move(logsFolder);
}

ResultsContext MainResults::Context() {
    return {m_settings, m_dialogs, *m_shell, *this, m_tempFolder, m_logsFolder};
}

void MainResults::ErrorResults(const TestStatistics& statistics,
                               const std::vector<BadFileEntry>& badFiles, uint16_t badFileCount) {
    // The list holds the rows of the location just tested.
    m_errorList.Clear();
    for (const BadFileEntry& entry : badFiles) m_errorList.AddRow(entry);
    vorlaxis::ErrorResults(Context(), statistics, badFileCount);
}

void MainResults::ShowSlowFileList(const std::vector<SlowFileRow>& rows) {
    m_slowList->SetRows(rows);
    m_slowList->exec();
}

void MainResults::ShowSpeedGraph() {
    m_graph->SetGraph(m_followUp.GraphLocation, m_followUp.GraphFiles);
    m_graph->exec();
}

void MainResults::mmUlozitZaznamyClick(int32_t locationIndex, std::span<const MediaRecord> media) {
    SaveTempLogs(Context(), locationIndex, media);
}

void MainResults::mmZobrazitDocasneZaznamyClick(int32_t locationIndex) {
    ShowTempLogs(Context(), locationIndex);
}

void MainResults::mmZobrazitSlozkuZaznamyClick() {
    ShowLogsFolder(Context());
}

std::string MainResults::ShowLogInViewer(const std::string& path) {
    m_editor.setWindowTitle(QString::fromStdString(platform::DisplayText(path)));
    const std::string error = m_editor.Load(path);
    if (!error.empty()) return error;
    m_editor.exec();
    return {};
}

void MainResults::ShowBadFileList() {
    m_errorList.exec();
}

void MainResults::SetBadFileCountRed(bool red) {
    if (m_colourBadCount) m_colourBadCount(red);
}

}  // namespace vorlaxis::gui
