// The run's "let pending window messages run": real event processing at most once per
// interval, so that reading at memory speed is not slowed down by event handling.
#pragma once

#include <chrono>
#include <cstdint>

namespace vorlaxis::gui {

class MessagePump {
  public:
    using Clock = std::chrono::steady_clock;
    // A person cannot tell 15 ms apart; a 100 ms gap would be felt.
    static constexpr std::chrono::milliseconds kInterval{15};

    // Repainting the progress fields costs more than handling the events; ten refreshes a
    // second are enough for counters and bars.
    static constexpr std::chrono::milliseconds kDisplayInterval{100};

    // True when the events should really be processed now.
    bool Due() const { return Clock::now() - m_lastRun >= kInterval; }
    // True when the display fields should be copied to the window now; notes the copy.
    bool DisplayDue();
    // Notes a real turn of event processing; measures the gap since the previous one.
    void Ran();
    // Makes the next Due() true (after a modal dialog, before a run begins).
    void Reset() {
        m_lastRun = Clock::time_point{};
        m_lastDisplay = Clock::time_point{};
    }

    // The longest gap between two real turns since ResetGaps(), in microseconds.
    int64_t LongestGapMicroseconds() const { return m_longestGap; }
    void ResetGaps();

  private:
    Clock::time_point m_lastRun{};
    Clock::time_point m_lastDisplay{};
    Clock::time_point m_gapStart{};
    int64_t m_longestGap = 0;
};

}  // namespace vorlaxis::gui
