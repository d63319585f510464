#include "engine/TestBatch.h"

#include <exception>

#include "engine/TestRun.h"
#include "media/LocationList.h"
#include "platform/Files.h"

namespace vorlaxis {

namespace {

const char kIncompleteLogText[] =
    "Protokol o testu se nepodařilo celý zapsat (dočasná složka je plná nebo nepřístupná).\r\n"
    "Výsledek testu v protokolu není úplný.";

void LockForBatch(TestSession& session, BatchWindow& window) {
    ResetDisplay(session.Display);
    window.LockCommands(true);
    session.Display.cancelEnabled = false;
    session.Statistics.TestRunning = true;
    session.Display.statusText = "Běží test...";
    session.Statistics.LocationIndex = 0;
    session.Statistics.StopRequested = false;
    window.ShowDisplay();
}

void UnlockAfterBatch(TestSession& session, BatchWindow& window) {
    session.Display.statusText = "Test dokončen...";
    session.Statistics.TestRunning = false;
    session.Display.directoryText.clear();
    window.LockCommands(false);
    window.ShowDisplay();
}

void HandleResults(TestSession& session, BatchWindow& window, uint16_t badFileCount) {
    // An error while the results are shown is reported and the batch goes on: the next location
    // is tested and the window is unlocked at the end.
    try {
        window.ErrorResults(badFileCount);
    } catch (const std::exception& error) {
        ReportError(session.DialogBoxes, error.what());
    }
    ++session.Statistics.LocationIndex;
}

// One location of the batch; false when the batch ends after it.
bool RunBatchStep(TestSession& session, BatchWindow& window, const std::string& location,
                  ReadModeOverride override, bool last) {
    window.PrepareLocation(!window.Closing());
    session.Statistics.Location = location;
    const uint16_t badFileCount = window.PerformTest(location, override);
    const auto index = static_cast<size_t>(session.Statistics.LocationIndex);
    if (index < session.MediaRecords.size()) session.MediaRecords[index].Location = location;
    window.StopProgressTimer();
    // The outcome on screen must not pass for what the log says: part of it is missing. (When
    // nothing could be collected the fatal message has said enough.)
    if (session.LogIncomplete && !session.CollectionFailed && !window.Closing()) {
        session.DialogBoxes.MessageBox(kIncompleteLogText, "Chyba", MsgButtons::Ok, MsgIcon::Error);
    }
    bool goOn = true;
    if (session.Statistics.StopRequested && !last) {
        // After a granted close the window is gone: no further location is tested.
        const MsgResult answer =
            window.Closing() ? MsgResult::No
                             : session.DialogBoxes.MessageBox(
                                   "Test byl přerušen. Má se pokračovat další vybranou cestou?",
                                   "Přerušit", MsgButtons::YesNo, MsgIcon::Question);
        if (answer == MsgResult::Yes) {
            session.Statistics.StopRequested = false;
        } else {
            goOn = false;
        }
    }
    HandleResults(session, window, badFileCount);
    return goOn;
}

}  // namespace

void ResetDisplay(MainDisplay& d) {
    d.statusText = "Připraven...";
    d.filesTotalText = d.filesTestedText = d.filesLeftText = d.badFilesText = "0";
    d.badFilesRed = false;
    d.otherFindings = false;
    d.megabytesDoneText = d.megabytesTotalText = "0";
    d.currentFileText.clear();
    d.fileBarPosition = d.locationBarPosition = 0;
    d.readModeText = d.startText = d.endText = d.outcomeText = "...";
    d.directoryText.clear();
    d.elapsedText.clear();
    d.currentSpeedText.clear();
    d.remainingText.clear();
    d.averageSpeedText.clear();
}

std::vector<std::string> CollectBatch(const LocationList& locations) {
    std::vector<std::string> batch;
    const char separator = platform::PathSeparator();
    for (const TestLocation& entry : locations.Entries()) {
        if (!entry.Checked || !platform::IsDirectory(entry.Path)) continue;
        std::string path = entry.Path;
        if (path.empty() || path.back() != separator) path += separator;
        batch.push_back(std::move(path));
    }
    return batch;
}

void ButtonStartTest(TestSession& session, const LocationList& locations, BatchWindow& window,
                     ReadModeOverride override) {
    const std::vector<std::string> batch = CollectBatch(locations);
    if (batch.empty()) {
        session.DialogBoxes.MessageBox(
            "Nejsou vybrány žádné umístění pro test! Vyberte je a spusťte test znovu.", "Chyba",
            MsgButtons::Ok, MsgIcon::Error);
        return;
    }
    LockForBatch(session, window);
    for (size_t i = 0; i < batch.size(); ++i) {
        if (!RunBatchStep(session, window, batch[i], override, i + 1 == batch.size())) break;
    }
    UnlockAfterBatch(session, window);
}

void CompareWithSource(TestSession& session, const LocationList& locations, BatchWindow& window) {
    const int selected = locations.Selected();
    const char separator = platform::PathSeparator();
    std::string location;
    if (selected >= 0 && selected < locations.Count())
        location = locations.Entries()[static_cast<size_t>(selected)].Path;
    if (location.empty() || !platform::IsDirectory(location)) {
        session.DialogBoxes.MessageBox(
            "Vyberte v seznamu umístění médium, které se má porovnat se zdrojovou složkou.",
            "Chyba", MsgButtons::Ok, MsgIcon::Error);
        return;
    }
    if (location.back() != separator) location += separator;
    std::string source = session.DialogBoxes.BrowseForFolder(
        "Vyberte složku, ze které bylo médium vytvořeno (vypáleno):");
    if (source.empty()) return;
    if (source.back() != separator) source += separator;
    LockForBatch(session, window);
    session.SourceFolder = source;
    RunBatchStep(session, window, location, ForceAllData, true);
    session.SourceFolder.clear();
    UnlockAfterBatch(session, window);
}

void ConfirmCancel(TestStatistics& statistics, Dialogs& dialogs, BatchWindow& window) {
    const bool timerWasRunning = window.PauseProgressTimer();
    const MsgResult answer = dialogs.MessageBox("Opravdu si přejete přerušit test média?",
                                                "Potvrzení", MsgButtons::YesNo, MsgIcon::Question);
    if (answer == MsgResult::Yes) statistics.StopRequested = true;
    if (timerWasRunning) window.ResumeProgressTimer();
}

bool CloseQuery(TestStatistics& statistics, Dialogs& dialogs) {
    if (!statistics.TestRunning) return true;
    const MsgResult answer =
        dialogs.MessageBox("Chcete ukončit probíhající test a zavřít aplikaci Vorlaxis?",
                           "Potvrzení ukončení...", MsgButtons::YesNo, MsgIcon::Question);
    if (answer != MsgResult::Yes) return false;
    statistics.StopRequested = true;
    return true;
}

bool ConfirmExit(Dialogs& dialogs) {
    return dialogs.MessageBox("Opravdu ukončit Vorlaxis?", "Potvrzení...", MsgButtons::YesNo,
                              MsgIcon::Question) != MsgResult::No;
}

void CloseCleanUp(const TestStatistics& statistics, Dialogs& dialogs,
                  const std::function<std::string()>& writeSettings) {
    for (int32_t n = 0; n <= statistics.LocationIndex; ++n) platform::RemoveFile(TempLogPath(n));
    const std::string error = writeSettings();
    if (!error.empty()) ReportError(dialogs, error);
}

}  // namespace vorlaxis
