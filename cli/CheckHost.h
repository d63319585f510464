// The run's host in a terminal: no windows, no questions; a stop comes from a signal, and the
// progress line goes to standard error when that is a terminal.
#pragma once

#include <chrono>
#include <csignal>
#include <string>
#include <string_view>

#include "core/Dialogs.h"
#include "core/TestHost.h"
#include "engine/TestStatistics.h"

namespace vorlaxis::cli {

// Text from the medium (file names in the log and the progress line) made safe for a terminal:
// control characters other than the line feed, and the C1 controls, become "?", so a hostile
// name cannot send escape sequences to the user's terminal. `text` is UTF-8.
std::string TerminalSafe(std::string_view text);

// A name in a line of its own on standard error ("path: FAILED"): the line stays one line, and
// no control character reaches the terminal. Tab, CR and LF become \t, \r and \n, a backslash
// \\ (where it is no path separator), other control characters (C1 too) \xHH or \u00HH, and
// each byte that is not valid UTF-8 U+FFFD. Done on a terminal and elsewhere alike; the exact names
// are in the JSON result.
std::string LineSafe(std::string_view name);

// The signal (SIGINT, SIGTERM) that asked for a stop, 0 while none has; polled by the host's
// pump. A second signal ends the program at once.
extern volatile std::sig_atomic_t g_stopSignal;
void InstallStopHandlers();

class CheckHost final : public TestHost, public Dialogs {
  public:
    CheckHost(TestStatistics& statistics, MainDisplay& display, Clock& clock, bool showProgress);

    void ProcessMessages() override;
    void ShowBusyWindow() override {}
    void HideBusyWindow() override {}
    // Never asked: the run is always non-stop here.
    ReadErrorAnswer AskReadError(const std::string&) override { return ReadErrorAnswer::NonStop; }
    void StartProgressTimer() override;

    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon) override;
    std::string InputBox(const std::string&, const std::string&,
                         const std::string& initial) override {
        return initial;
    }
    std::string BrowseForFolder(const std::string&) override { return {}; }

    // Ends the progress line of a location.
    void EndProgress();

  private:
    void ShowProgress();
    void ClearLine();

    TestStatistics& m_statistics;
    MainDisplay& m_display;
    Clock& m_clock;
    const bool m_showProgress;
    bool m_timerRunning = false;
    bool m_lineShown = false;
    std::chrono::steady_clock::time_point m_nextTick;
};

}  // namespace vorlaxis::cli
