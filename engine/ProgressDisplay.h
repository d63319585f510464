// The progress display's tick: the elapsed time, the current and average speed and the
// remaining time, computed from the run's counters and the clock alone.
#pragma once

#include <cstdint>
#include <string>

#include "engine/TestHost.h"
#include "engine/TestStatistics.h"
#include "platform/Text.h"

namespace vorlaxis {

// A moment's time of day as a fraction of a day.
double TimeOfDay(const platform::LocalDateTime& moment);

// "1.50 MB/s" above 1024 bytes per second (two decimals, halves rounded up), else "1024 B/s".
std::string SpeedText(int64_t bytesPerSecond);

// The progress display's start step for a reading phase.
void StartProgressDisplay(TestStatistics& statistics);

// One tick of the 250 ms progress timer: writes Label28, Label30, Label32, Label34 and
// advances TickCount and BytesDoneAtLastTick. `now` is read once for the elapsed time and
// `nowAgain` for the remaining time.
void Timer1Timer(TestStatistics& statistics, MainDisplay& display,
                 const platform::LocalDateTime& now, const platform::LocalDateTime& nowAgain);
void Timer1Timer(TestStatistics& statistics, MainDisplay& display, Clock& clock);

}  // namespace vorlaxis
