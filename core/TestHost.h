// What the test run needs of the program around it. The window program implements it with
// Qt, vorlaxis-check with the terminal, tests with scripted fakes. The run never calls Qt.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Text.h"

namespace vorlaxis {

// The display fields of the main window's progress group as plain values, named after the
// controls they feed. The run and the progress display write them; the window copies them to
// its widgets when it pumps.
struct MainDisplay {
    std::string Label5, Label6, Label7, Label12;  // file counters
    bool Label12Red = false;                      // green (0,128,0) when false, red when true
    std::string Label9;                           // "Soubor:" file name or phase text
    std::string Label19;                          // "Umístění:" directory
    std::string Label20, Label22, Label24, Label26;
    std::string Label13, Label15;                 // megabytes done / total
    std::string Label28, Label30, Label32, Label34;  // elapsed, current, remaining, average
    bool SpeedCaptionsVisible = true;             // Label29, Label31, Label33
    int32_t ProgressBar1Max = 100, ProgressBar1Pos = 0;
    int32_t ProgressBar2Max = 100, ProgressBar2Pos = 0;
    bool btnCancelTestEnabled = false;
    std::string StatusText;                       // status bar panel 0
    std::string InfoBoxLabel3;                    // the busy window's location line
};

// Answers of the read-error question, valued as the dialog's modal results.
enum class ReadErrorAnswer : int { Continue = 1, Stop = 2, Retry = 4, NonStop = 8 };

// The clock of the run and of the progress display; tests inject their own.
class Clock {
public:
    virtual ~Clock() = default;
    virtual platform::LocalDateTime Now() = 0;
};

class SystemClock final : public Clock {
public:
    platform::LocalDateTime Now() override { return platform::LocalNow(); }
};

class TestHost {
public:
    virtual ~TestHost() = default;
    // Let pending window messages run (timers, the cancel button, the close request).
    virtual void ProcessMessages() = 0;
    // The busy window shown while the tree is collected; it disables the main window.
    virtual void ShowBusyWindow() = 0;
    virtual void HideBusyWindow() = 0;
    // The modal read-error question for the failing file's path.
    virtual ReadErrorAnswer AskReadError(const std::string& path) = 0;
    // The progress display's start step: the run has set StartTime and BytesDone, the host
    // takes BytesDoneAtLastTick and starts its 250 ms timer.
    virtual void StartProgressTimer() = 0;
};

}  // namespace vorlaxis
