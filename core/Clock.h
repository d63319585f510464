// The time of day for the run and the progress display; tests inject a clock of their own, so
// tick arithmetic, speeds and remaining times are tested to the second.
#pragma once

#include <chrono>

#include "platform/Text.h"

namespace vorlaxis {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual platform::LocalDateTime Now() = 0;
    // Seconds on a clock that never jumps, for durations (a file's read time). A clock of a
    // test derives it from Now, so the times it scripts are the durations the run sees.
    virtual double SteadySeconds() {
        const platform::LocalDateTime t = Now();
        return ((t.hour * 60.0 + t.minute) * 60.0 + t.second) + t.millisecond / 1000.0;
    }
};

class SystemClock final : public Clock {
  public:
    platform::LocalDateTime Now() override { return platform::LocalNow(); }
    double SteadySeconds() override {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

}  // namespace vorlaxis
