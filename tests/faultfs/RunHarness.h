// The core's run with everything around it scripted: a host that counts its pumps and answers
// the read-error question from a list, dialogs that record what they were asked, a fixed
// clock, and a watchdog that turns a hanging run into a failed test.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "core/Dialogs.h"
#include "core/TestHost.h"
#include "engine/TestRun.h"
#include "engine/ThreadedBlockingCalls.h"
#include "engine/TestStatistics.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "settings/TestSettings.h"

namespace vorlaxis::test {

class ScriptedHost final : public TestHost {
  public:
    void ProcessMessages() override {
        ++pumps;
        if (onPump) onPump();
    }
    void ShowBusyWindow() override { ++busyShown; }
    void HideBusyWindow() override { ++busyHidden; }
    ReadErrorAnswer AskReadError(const std::string& path) override {
        questions.push_back(path);
        if (onQuestion) onQuestion(path);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected read-error question for " << path;
            return ReadErrorAnswer::Stop;
        }
        const ReadErrorAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void StartProgressTimer() override { ++timerStarts; }

    std::deque<ReadErrorAnswer> answers;
    std::vector<std::string> questions;
    std::function<void()> onPump;
    std::function<void(const std::string&)> onQuestion;
    int64_t pumps = 0;
    int busyShown = 0, busyHidden = 0, timerStarts = 0;
};

class ScriptedDialogs final : public Dialogs {
  public:
    struct Shown {
        std::string text, caption;
        MsgIcon icon;
    };
    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon) override {
        shown.push_back({text, caption, icon});
        return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::No;
    }
    std::string InputBox(const std::string&, const std::string&,
                         const std::string& initial) override {
        return initial;
    }
    std::string BrowseForFolder(const std::string&) override { return {}; }

    std::vector<Shown> shown;
};

class FixedClock final : public Clock {
  public:
    platform::LocalDateTime Now() override { return {2026, 12, 7, 20, 15, 30, 0}; }
};

// Aborts the test program with a message when the guarded scope does not end in time.
class Watchdog {
  public:
    explicit Watchdog(std::string what, std::chrono::seconds limit = std::chrono::seconds(120))
        : m_thread([this, what = std::move(what), limit] {
              std::unique_lock lock(m_mutex);
              if (!m_done.wait_for(lock, limit, [this] { return m_finished; })) {
                  std::fprintf(stderr, "HANG: %s did not end in time\n", what.c_str());
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

  private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

// The 16-bit byte sum of the log's checksum line, computed independently of the program.
inline uint16_t ByteSum(const std::string& bytes, uint16_t start = 0) {
    uint32_t sum = start;
    for (const char c : bytes) sum += static_cast<unsigned char>(c);
    return static_cast<uint16_t>(sum);
}

inline std::string Hex4(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

// Where the run's blocking calls are made: on its own thread, or on a helper thread as the
// window program and vorlaxis-check make them.
enum class CallsOn { RunThread, HelperThread };

struct RunHarness {
    // `runClock` replaces the fixed clock (a run that must see real time passing).
    explicit RunHarness(CallsOn callsOn = CallsOn::RunThread, Clock* runClock = nullptr)
        : session{settings,
                  statistics,
                  display,
                  host,
                  dialogs,
                  runClock ? *runClock : clock,
                  callsOn == CallsOn::HelperThread ? static_cast<BlockingCalls&>(threaded)
                                                   : DefaultBlockingCalls()} {
        settings.EjectAfterTest = false;
        settings.BlockSize = 4;  // B = 4096: small files span many blocks
        settings.DataReadStyle = 1;
        session.LogPathOverride = logDir.path() + "log.txt";
    }

    // One location's run, as the start command calls it.
    uint16_t Run(const std::string& location, int32_t readModeOverride = 0) {
        Watchdog watchdog("the run of " + location);
        statistics.StopRequested = false;
        return PerformTest(session, location, readModeOverride);
    }

    // The log as UTF-8 lines (split at CR LF; the last, empty piece dropped).
    std::vector<std::string> Log() const {
        std::string bytes;
        platform::ReadWholeFile(session.LogPath, bytes);
        const std::string text = platform::Cp1250ToUtf8(bytes);
        std::vector<std::string> lines;
        size_t pos = 0;
        for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
            lines.push_back(text.substr(pos, end - pos));
        }
        if (pos < text.size()) lines.push_back(text.substr(pos));
        return lines;
    }

    // Lines of the log that start with `prefix`.
    std::vector<std::string> LogLinesStartingWith(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& line : Log()) {
            if (line.rfind(prefix, 0) == 0) found.push_back(line);
        }
        return found;
    }

    TempDir logDir;
    TestSettings settings;
    TestStatistics statistics;
    MainDisplay display;
    ScriptedHost host;
    ScriptedDialogs dialogs;
    FixedClock clock;
    ThreadedBlockingCalls threaded{host, statistics, display};  // starts no thread until used
    TestSession session;
};

}  // namespace vorlaxis::test
