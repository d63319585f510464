// The results step and the log commands as the main window uses them: the result windows, the
// shell and the folders put together once, so each menu handler is a single call.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/Dialogs.h"
#include "engine/TestStatistics.h"
#include "results/Results.h"
#include "settings/TestSettings.h"

class TEditor;
class TErrorListForm;

class MainResults final : public vorlaxis::ResultWindows {
  public:
    // `colourBadCount` colours the main window's bad-file count (true: red). `shell` null: the
    // system's own.
    MainResults(const vorlaxis::TestSettings& settings, vorlaxis::Dialogs& dialogs, TEditor& editor,
                TErrorListForm& errorList, std::function<void(bool red)> colourBadCount,
                std::unique_ptr<vorlaxis::Shell> shell = nullptr);
    ~MainResults() override;

    // ErrorResults: the bad-file list is filled from `badFiles` (the run's list) when shown.
    void ErrorResults(const vorlaxis::TestStatistics& statistics,
                      const std::vector<vorlaxis::BadFileEntry>& badFiles, uint16_t badFileCount);
    void mmUlozitZaznamyClick(int32_t locationIndex, std::span<const vorlaxis::MediaRecord> media);
    void mmZobrazitDocasneZaznamyClick(int32_t locationIndex);
    void mmZobrazitSlozkuZaznamyClick();

    // Folders, changeable for tests; by default the private temporary folder and the logs
    // folder of ProgramDataFolders().
    void setFolders(std::string tempFolder, std::string logsFolder);
    // The programs started for viewers and folders; tests record them instead.
    void setShell(std::unique_ptr<vorlaxis::Shell> shell) { m_shell = std::move(shell); }

    // ResultWindows
    std::string ShowLogInViewer(const std::string& path) override;
    void ShowBadFileList() override;
    void SetBadFileCountRed(bool red) override;

  private:
    vorlaxis::ResultsContext Context();

    const vorlaxis::TestSettings& m_settings;
    vorlaxis::Dialogs& m_dialogs;
    TEditor& m_editor;
    TErrorListForm& m_errorList;
    std::function<void(bool)> m_colourBadCount;
    std::unique_ptr<vorlaxis::Shell> m_shell;
    std::string m_tempFolder;
    std::string m_logsFolder;
};
