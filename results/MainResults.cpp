// The main window's side of the results: the result windows behind the core's interface.
#include "results/MainResults.h"

#include <QString>

#include "platform/Files.h"
#include "platform/Text.h"
#include "results/EditorUnit.h"
#include "results/ErrorListUnit.h"
#include "results/LogFiles.h"
#include "settings/DataFolders.h"

MainResults::MainResults(const vorlaxis::TestSettings& settings, vorlaxis::Dialogs& dialogs,
                         TEditor& editor, TErrorListForm& errorList,
                         std::function<void(bool)> colourBadCount,
                         std::unique_ptr<vorlaxis::Shell> shell)
    : m_settings(settings),
      m_dialogs(dialogs),
      m_editor(editor),
      m_errorList(errorList),
      m_colourBadCount(std::move(colourBadCount)),
      m_shell(shell ? std::move(shell) : std::make_unique<vorlaxis::SystemShell>()),
      m_tempFolder(vorlaxis::platform::TempFolder()),
      m_logsFolder(vorlaxis::ProgramDataFolders().LogsFolder) {}

MainResults::~MainResults() = default;

void MainResults::setFolders(std::string tempFolder, std::string logsFolder) {
    m_tempFolder = std::move(tempFolder);
    m_logsFolder = std::move(logsFolder);
}

vorlaxis::ResultsContext MainResults::Context() {
    return {m_settings, m_dialogs, *m_shell, *this, m_tempFolder, m_logsFolder};
}

void MainResults::ErrorResults(const vorlaxis::TestStatistics& statistics,
                               const std::vector<vorlaxis::BadFileEntry>& badFiles,
                               uint16_t badFileCount) {
    // The list holds the rows of the location just tested.
    m_errorList.Clear();
    for (const vorlaxis::BadFileEntry& entry : badFiles) m_errorList.AddRow(entry);
    vorlaxis::ErrorResults(Context(), statistics, badFileCount);
}

void MainResults::mmUlozitZaznamyClick(int32_t locationIndex,
                                       std::span<const vorlaxis::MediaRecord> media) {
    vorlaxis::SaveTempLogs(Context(), locationIndex, media);
}

void MainResults::mmZobrazitDocasneZaznamyClick(int32_t locationIndex) {
    vorlaxis::ShowTempLogs(Context(), locationIndex);
}

void MainResults::mmZobrazitSlozkuZaznamyClick() {
    vorlaxis::ShowLogsFolder(Context());
}

std::string MainResults::ShowLogInViewer(const std::string& path) {
    m_editor.setWindowTitle(QString::fromStdString(vorlaxis::platform::DisplayText(path)));
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
