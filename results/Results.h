// The results after each tested location (`ErrorResults`) and the three log commands of
// the main menu. They decide; the windows, message boxes and started programs are reached
// through interfaces, so every rule is tested without a window system.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/Dialogs.h"
#include "core/Shell.h"
#include "engine/TestStatistics.h"
#include "settings/TestSettings.h"

namespace vorlaxis {

// The result windows as ErrorResults uses them.
class ResultWindows {
  public:
    virtual ~ResultWindows() = default;
    // Sets the internal viewer's caption to `path`, loads the log and shows the viewer modally.
    // Returns the load error ("Cannot open file "%s". %s"), empty when it was shown.
    virtual std::string ShowLogInViewer(const std::string& path) = 0;
    // Shows the bad-file list modally.
    virtual void ShowBadFileList() = 0;
    // Colours the bad-file count of the main window: red, or green when false.
    virtual void SetBadFileCountRed(bool red) = 0;
};

struct ResultsContext {
    const TestSettings& settings;
    Dialogs& dialogs;
    Shell& shell;
    ResultWindows& windows;
    std::string tempFolder;  // with a trailing separator
    std::string logsFolder;  // with a trailing separator
};

// The results of location `statistics.LocationIndex`: shows its log, keeps a copy in the logs
// folder, colours the count and shows or offers the bad-file list. An error is reported and
// ends the results of this location only; the batch goes on.
void ErrorResults(const ResultsContext& context, const TestStatistics& statistics,
                  uint16_t badFileCount);

// "Uložit dočasné záznamy": after the question, the logs of locations 0..locationIndex-1 saved
// under the names their media give (`media`, by location); the first failure is reported and ends
// it.
void SaveTempLogs(const ResultsContext& context, int32_t locationIndex,
                  std::span<const MediaRecord> media);

// "Poslední dočasné záznamy": each log of the last batch opened in its own external viewer.
void ShowTempLogs(const ResultsContext& context, int32_t locationIndex);

// "Složku se záznamy": the logs folder, created when missing, opened in the file browser.
void ShowLogsFolder(const ResultsContext& context);

}  // namespace vorlaxis
