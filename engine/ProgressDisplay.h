// The progress display's tick: the elapsed time, the current and average speed and the
// remaining time, computed from the run's counters and the clock alone.
#pragma once

#include <cstdint>
#include <string>

#include "core/TestHost.h"
#include "engine/TestStatistics.h"
#include "platform/Text.h"

namespace vorlaxis {

// A moment's time of day as a fraction of a day.
double TimeOfDay(const platform::LocalDateTime& moment);

// "1.50 MB/s" above 1024 bytes per second (two decimals, halves rounded up), else "1024 B/s".
std::string SpeedText(int64_t bytesPerSecond);

// Starts the progress display for a reading phase: the bytes done so far are the first tick's
// base.
void StartProgressDisplay(TestStatistics& statistics);

// One tick of the 250 ms progress timer: writes the elapsed time, the speeds and the remaining
// time and advances TickCount and BytesDoneAtLastTick. `now` is read once for the elapsed time
// and `nowAgain` for the remaining time.
void ProgressTick(TestStatistics& statistics, MainDisplay& display,
                  const platform::LocalDateTime& now, const platform::LocalDateTime& nowAgain);
void ProgressTick(TestStatistics& statistics, MainDisplay& display, Clock& clock);

}  // namespace vorlaxis
