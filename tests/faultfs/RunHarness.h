// The core's run with everything around it scripted (host, dialogs, clock; an unexpected
// read-error question fails the test), and a watchdog that turns a hanging run into a failed
// test.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/ThreadedBlockingCalls.h"
#include "support/RunParts.h"

namespace vorlaxis::test {

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

struct RunHarness : RunParts {
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
        settings.BlockSize = 4;  // 4096-byte blocks: small files span many
        session.LogPathOverride = logs.path() + "log.txt";
        clock.now = {2026, 12, 7, 20, 15, 30, 0};
        host.unscripted = [](const std::string& path) {
            ADD_FAILURE() << "unexpected read-error question for " << path;
            return ReadErrorAnswer::Stop;
        };
    }

    // One location's run, as the start command calls it.
    uint16_t Run(const std::string& location, int32_t readModeOverride = 0) {
        Watchdog watchdog("the run of " + location);
        statistics.StopRequested = false;
        return PerformTest(session, location, static_cast<ReadModeOverride>(readModeOverride));
    }

    std::vector<std::string> Log() const { return LogLines(session); }

    // Lines of the log that start with `prefix`.
    std::vector<std::string> LogLinesStartingWith(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& line : Log()) {
            if (line.rfind(prefix, 0) == 0) found.push_back(line);
        }
        return found;
    }

    ThreadedBlockingCalls threaded{host, statistics, display};  // starts no thread until used
    TestSession session;
};

}  // namespace vorlaxis::test
