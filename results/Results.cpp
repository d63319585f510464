// The results after each tested location and the log commands.
#include "results/Results.h"

#include "platform/Files.h"
#include "results/LogFiles.h"

namespace vorlaxis {

namespace {

const char kNoLogsYet[] = "Vorlaxis negeneroval zatím žádné dočasné záznamy.";
const char kOfferList[] =
    "Při testu média byly nalezeny soubory, které nelze přečíst.\r\n"
    "Přejete si zobrazit jejich seznam ?";
const char kSaveQuestion[] =
    "Vorlaxis uloží dočasné záznamy do složky záznamů a pojmenuje je podle pravidel "
    "definovaných v nastavení...\r\rUložit?";

enum class ShowOutcome { NotShown, Shown, Failed };

// Shows the log in the viewer the settings name.
ShowOutcome ShowLog(const ResultsContext& context, const std::string& log) {
    switch (context.settings.TxtViewer) {
        case AssociatedProgram:
            context.shell.OpenDocument(log, context.tempFolder);
            return ShowOutcome::Shown;
        case InternalViewer:
            // A missing log counts as small: its load error is then reported.
            if (platform::ListedFileSize(log) < kInternalViewerLimit) {
                const std::string error = context.windows.ShowLogInViewer(log);
                if (!error.empty()) {
                    ReportError(context.dialogs, error);
                    return ShowOutcome::Failed;
                }
            } else {
                context.shell.OpenInTextEditor(log, context.tempFolder);
            }
            return ShowOutcome::Shown;
        case Notepad:
            context.shell.OpenInTextEditor(log, context.tempFolder);
            return ShowOutcome::Shown;
        default:
            return ShowOutcome::NotShown;
    }
}

// Copies one log into the logs folder; reports and returns false on failure.
bool KeepLog(const ResultsContext& context, const std::string& log, const std::string& name) {
    platform::MakeDirectories(context.logsFolder);  // a failure shows in the copy
    const std::string error = CopyLogFile(log, context.logsFolder + name);
    if (error.empty()) return true;
    ReportError(context.dialogs, error);
    return false;
}

bool ReportNoLogsYet(const ResultsContext& context, int32_t locationIndex) {
    if (locationIndex > 0) return false;
    context.dialogs.MessageBox(kNoLogsYet, "Chyba", MsgButtons::Ok, MsgIcon::Error);
    return true;
}

}  // namespace

void ErrorResults(const ResultsContext& context, const TestStatistics& statistics,
                  uint16_t badFileCount) {
    const TestSettings& settings = context.settings;
    const std::string log = TempLogPath(context.tempFolder, statistics.LocationIndex);
    bool shown = false;
    if (settings.ShowLogsAfterTest && (settings.ShowLogsAfterTestAlways || badFileCount > 0)) {
        const ShowOutcome outcome = ShowLog(context, log);
        if (outcome == ShowOutcome::Failed) return;
        shown = outcome == ShowOutcome::Shown;
    }
    if (settings.SaveLogsToDisk) {
        const std::string name = SavedLogName(settings.LogsFileNameFormat, statistics.VolumeLabel,
                                              statistics.VolumeSerial, statistics.Location);
        if (!KeepLog(context, log, name)) return;
    }
    context.windows.SetBadFileCountRed(badFileCount > 0);
    if (shown || badFileCount == 0) return;
    if (settings.ShowErrorList ||
        context.dialogs.MessageBox(kOfferList, "Potvtrzení", MsgButtons::YesNo,
                                   MsgIcon::Question) == MsgResult::Yes) {
        context.windows.ShowBadFileList();
    }
}

void SaveTempLogs(const ResultsContext& context, int32_t locationIndex,
                  std::span<const MediaRecord> media) {
    if (ReportNoLogsYet(context, locationIndex)) return;
    if (context.dialogs.MessageBox(kSaveQuestion, "Potvrzení...", MsgButtons::YesNo,
                                   MsgIcon::Question) != MsgResult::Yes) {
        return;
    }
    for (int32_t k = 0; k < locationIndex && static_cast<size_t>(k) < media.size(); ++k) {
        const std::string name =
            SavedLogName(context.settings.LogsFileNameFormat, media[k].VolumeLabel,
                         media[k].VolumeSerial, media[k].Location);
        if (!KeepLog(context, TempLogPath(context.tempFolder, k), name)) return;
    }
}

void ShowTempLogs(const ResultsContext& context, int32_t locationIndex) {
    if (ReportNoLogsYet(context, locationIndex)) return;
    for (int32_t k = 0; k < locationIndex; ++k) {
        const std::string log = TempLogPath(context.tempFolder, k);
        if (context.settings.TxtViewer == AssociatedProgram) {
            context.shell.OpenDocument(log, context.tempFolder);
        } else {
            context.shell.OpenInTextEditor(log, context.tempFolder);
        }
    }
}

void ShowLogsFolder(const ResultsContext& context) {
    platform::MakeDirectories(context.logsFolder);
    context.shell.OpenFolder(context.logsFolder);
}

}  // namespace vorlaxis
