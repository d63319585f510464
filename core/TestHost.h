// What the test run needs of the program around it. The window program implements it with
// Qt, vorlaxis-check with the terminal, tests with scripted fakes. The run never calls Qt.
#pragma once

#include <string>

#include "core/Clock.h"
#include "core/MainDisplay.h"

namespace vorlaxis {

// Answers of the read-error question, valued as the dialog's modal results.
enum class ReadErrorAnswer : int { Continue = 1, Stop = 2, Retry = 4, NonStop = 8 };

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
    // The reading phase begins: the run has set StartTime and BytesDone, the host takes
    // BytesDoneAtLastTick and starts its 250 ms progress timer.
    virtual void StartProgressTimer() = 0;
};

}  // namespace vorlaxis
