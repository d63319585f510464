// The time of day for the run and the progress display; tests inject a clock of their own, so
// tick arithmetic, speeds and remaining times are tested to the second.
#pragma once

#include "platform/Text.h"

namespace vorlaxis {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual platform::LocalDateTime Now() = 0;
};

class SystemClock final : public Clock {
  public:
    platform::LocalDateTime Now() override { return platform::LocalNow(); }
};

}  // namespace vorlaxis
