#include "engine/ProgressDisplay.h"

namespace vorlaxis {

namespace {

constexpr int64_t kMsPerDay = 86400000;

// Half away from zero, as llround() rounds; without it the headless program needs no maths
// library, one fewer to load on every start.
int64_t ToMilliseconds(double fractionOfDay) {
    const double ms = fractionOfDay * static_cast<double>(kMsPerDay);
    const auto whole = static_cast<int64_t>(ms);  // toward zero
    const double rest = ms - static_cast<double>(whole);
    return whole + (rest >= 0.5 ? 1 : 0) - (rest <= -0.5 ? 1 : 0);
}

// Time of day without a date: a reading phase that runs past midnight would give a negative
// elapsed time, so it is taken as the time since the start on the previous day.
int64_t ElapsedMilliseconds(double startTime, const platform::LocalDateTime& now) {
    int64_t ms = ToMilliseconds(TimeOfDay(now) - startTime);
    if (ms < 0) ms += kMsPerDay;
    return ms;
}

// A duration in the long time format; milliseconds dropped, a negative one by its magnitude.
std::string DurationText(int64_t ms) {
    if (ms < 0) ms = -ms;
    const int64_t seconds = ms / 1000;
    platform::LocalDateTime t;
    t.hour = static_cast<int>((seconds / 3600) % 24);
    t.minute = static_cast<int>((seconds / 60) % 60);
    t.second = static_cast<int>(seconds % 60);
    return platform::FormatLongTime(t);
}

void ShowRemaining(const TestStatistics& s, MainDisplay& d, int64_t estimate,
                   const platform::LocalDateTime& nowAgain) {
    const int64_t h = estimate / 3600;
    if (h >= 24) {
        d.remainingText = ">24hod";
        return;
    }
    const int64_t m = (estimate - h * 3600) / 60;
    const int64_t sec = estimate - h * 3600 - m * 60;
    const int64_t durationMs = (h * 3600 + m * 60 + sec) * 1000;
    d.remainingText = DurationText(durationMs - ElapsedMilliseconds(s.StartTime, nowAgain));
}

}  // namespace

double TimeOfDay(const platform::LocalDateTime& m) {
    const int64_t ms =
        ((static_cast<int64_t>(m.hour) * 60 + m.minute) * 60 + m.second) * 1000 + m.millisecond;
    return static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

std::string SpeedText(int64_t v) {
    if (v <= 1024) return std::to_string(v) + " B/s";
    // Hundredths of a MiB in whole numbers, halves rounded up (v is positive here): printing
    // the quotient would round exact halves to even, and with 48 kB blocks halves are common.
    constexpr int64_t kMiB = kMegabyte;
    const int64_t hundredths = v / kMiB * 100 + (v % kMiB * 100 + kMiB / 2) / kMiB;
    const int64_t fraction = hundredths % 100;
    return std::to_string(hundredths / 100) + (fraction < 10 ? ".0" : ".") +
           std::to_string(fraction) + " MB/s";
}

void StartProgressDisplay(TestStatistics& statistics) {
    statistics.BytesDoneAtLastTick = statistics.BytesDone;
}

void ProgressTick(TestStatistics& s, MainDisplay& d, const platform::LocalDateTime& now,
                  const platform::LocalDateTime& nowAgain) {
    if (s.TickCount > 8) s.TickCount = 1;
    const int64_t elapsedMs = ElapsedMilliseconds(s.StartTime, now);
    d.elapsedText = DurationText(elapsedMs);
    const int64_t e = elapsedMs / 1000;
    if (e >= 1 && s.ReadMode != OnlyOpen) {
        const int64_t current = (s.BytesDone - s.BytesDoneAtLastTick) * 4;
        const int64_t average = s.BytesDone / e;
        d.currentSpeedText = SpeedText(current);
        if (s.TickCount == 8) d.averageSpeedText = SpeedText(average);
        const int64_t estimate = average != 0 ? s.BytesTotal / average : 0;
        if (s.TickCount % 4 == 0) ShowRemaining(s, d, estimate, nowAgain);
    }
    s.BytesDoneAtLastTick = s.BytesDone;
    ++s.TickCount;
}

void ProgressTick(TestStatistics& statistics, MainDisplay& display, Clock& clock) {
    // One reading serves both uses: the two readings of a tick lie microseconds apart.
    const platform::LocalDateTime now = clock.Now();
    ProgressTick(statistics, display, now, now);
}

}  // namespace vorlaxis
