// The main window's test commands without the window: the start command's batch over the
// ticked locations, the cancel question and the close question. Each window face implements
// BatchWindow on its controls and calls these, so both faces follow one set of rules.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Dialogs.h"
#include "core/MainDisplay.h"
#include "engine/ReadMode.h"
#include "engine/TestStatistics.h"

namespace vorlaxis {

class LocationList;
struct TestSession;

// What a batch needs of the main window.
class BatchWindow {
  public:
    virtual ~BatchWindow() = default;
    // Locks the commands that must not run during a test (the test and log menu items, the
    // options, the location group, the close button; the cancel button takes the start
    // button's place) or unlocks them again (the location list gets the focus).
    virtual void LockCommands(bool locked) = 0;
    // Copies the display values onto the controls.
    virtual void ShowDisplay() = 0;
    // Before each location: the window comes to the front (unless it is closing) and pending
    // messages run at once, whatever the pump's interval says.
    virtual void PrepareLocation(bool toFront) = 0;
    // Tests one location (a path ending in the separator); returns its unreadable files.
    virtual uint16_t PerformTest(const std::string& location, ReadModeOverride override) = 0;
    virtual void StopProgressTimer() = 0;
    // Stops the progress timer for a while; true when it was running.
    virtual bool PauseProgressTimer() = 0;
    // Starts it again after a pause, without the start step of a reading.
    virtual void ResumeProgressTimer() = 0;
    // The results of the location at LocationIndex (viewer, saved copy, bad-file list).
    virtual void ErrorResults(uint16_t badFileCount) = 0;
    // True once a close was granted during the test: no more questions, no next location.
    virtual bool Closing() const = 0;
};

// The progress group and the status text at their idle values.
void ResetDisplay(MainDisplay& display);

// The ticked entries that name an existing directory, in list order, each ending in the
// separator.
std::vector<std::string> CollectBatch(const LocationList& locations);

// The start command: tests every location of the batch in turn, asking after a stopped
// location whether to go on. With nothing to test it says so and changes nothing.
void ButtonStartTest(TestSession& session, const LocationList& locations, BatchWindow& window,
                     ReadModeOverride override);

// The compare command's menu item, in the "&Soubor" menu below the forced read modes.
constexpr const char kCompareWithSourceText[] = "Porovnat se zdrojovou složkou...";

// The compare command: asks for the folder the selected location was made from and tests that
// location against it, reading all data whatever the options say (no other mode compares); the
// findings are in the session's Source until the next test. Without a selected location that is
// an existing directory it says so; without a folder chosen nothing happens.
void CompareWithSource(TestSession& session, const LocationList& locations, BatchWindow& window);

// The cancel button's question; on Yes the running test is asked to stop. The progress display
// pauses while the question is open and goes on afterwards whatever the answer (unless it had
// not started: the run is still collecting).
void ConfirmCancel(TestStatistics& statistics, Dialogs& dialogs, BatchWindow& window);

// Every close request: granted at once while idle; during a test only on Yes, which asks the
// test to stop.
bool CloseQuery(TestStatistics& statistics, Dialogs& dialogs);

// "&Konec": true unless the user answers No to the question.
bool ConfirmExit(Dialogs& dialogs);

// The clean-up of a granted close: the temporary logs of the last batch go (missing ones are
// passed over silently), then `writeSettings` writes the settings file; its error text (empty
// on success) is shown.
void CloseCleanUp(const TestStatistics& statistics, Dialogs& dialogs,
                  const std::function<std::string()>& writeSettings);

}  // namespace vorlaxis
