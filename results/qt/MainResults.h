// The results after each location and the log commands as the main window uses them: the result
// windows, the shell and the folders put together once, so each menu handler is a single call.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/Dialogs.h"
#include "engine/SlowFiles.h"
#include "engine/TestStatistics.h"
#include "results/AfterLocation.h"
#include "results/Results.h"
#include "settings/TestSettings.h"

namespace vorlaxis::gui {

class TEditor;
class TErrorListForm;
class TSlowFileListForm;
class TSpeedGraphForm;

class MainResults final : public ResultWindows {
  public:
    // `colourBadCount` colours the main window's bad-file count (true: red). `shell` null: the
    // system's own.
    MainResults(const TestSettings& settings, Dialogs& dialogs, TEditor& editor,
                TErrorListForm& errorList, std::function<void(bool red)> colourBadCount,
                std::unique_ptr<Shell> shell = nullptr);
    ~MainResults() override;

    // ErrorResults: the bad-file list is filled from `badFiles` (the run's list) when shown.
    void ErrorResults(const TestStatistics& statistics, const std::vector<BadFileEntry>& badFiles,
                      uint16_t badFileCount);
    // What the window keeps of the tested locations (FollowLocationResults).
    FollowUpState& FollowUp() { return m_followUp; }
    // The list of a location's readable but slow files, modally.
    void ShowSlowFileList(const std::vector<SlowFileRow>& rows);
    // The speed graph of the last location followed up (before any: none), modally.
    void ShowSpeedGraph();
    TSlowFileListForm& SlowFileList() { return *m_slowList; }
    TSpeedGraphForm& SpeedGraph() { return *m_graph; }
    void mmUlozitZaznamyClick(int32_t locationIndex, std::span<const MediaRecord> media);
    void mmZobrazitDocasneZaznamyClick(int32_t locationIndex);
    void mmZobrazitSlozkuZaznamyClick();

    // Folders, changeable for tests; by default the private temporary folder and the logs
    // folder of ProgramDataFolders().
    void SetFolders(std::string tempFolder, std::string logsFolder);
    const std::string& LogsFolder() const { return m_logsFolder; }
    // The programs started for viewers and folders; tests record them instead.
    void SetShell(std::unique_ptr<Shell> shell) { m_shell = std::move(shell); }

    // ResultWindows
    std::string ShowLogInViewer(const std::string& path) override;
    void ShowBadFileList() override;
    void SetBadFileCountRed(bool red) override;

  private:
    ResultsContext Context();

    const TestSettings& m_settings;
    Dialogs& m_dialogs;
    TEditor& m_editor;
    TErrorListForm& m_errorList;
    std::function<void(bool)> m_colourBadCount;
    std::unique_ptr<Shell> m_shell;
    std::string m_tempFolder;
    std::string m_logsFolder;
    // Windows of their own beside the seven of the start-up; no owner, like the bad-file list.
    std::unique_ptr<TSlowFileListForm> m_slowList;
    std::unique_ptr<TSpeedGraphForm> m_graph;
    FollowUpState m_followUp;
};

}  // namespace vorlaxis::gui
