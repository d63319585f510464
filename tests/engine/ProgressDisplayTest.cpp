// The tick arithmetic of the progress display, to the second.
#include <gtest/gtest.h>

#include "engine/ProgressDisplay.h"

namespace vorlaxis {
namespace {

platform::LocalDateTime At(int h, int m, int s, int ms = 0) {
    platform::LocalDateTime t;
    t.hour = h;
    t.minute = m;
    t.second = s;
    t.millisecond = ms;
    return t;
}

// A reading phase started at 10:00:00, then at the given tick count and byte counts.
struct Tick {
    explicit Tick(int32_t tickCount = 0, int64_t bytesTotal = 0, int64_t bytesDone = 0) {
        st.StartTime = TimeOfDay(vorlaxis::At(10, 0, 0));
        st.ReadMode = AllBlocks;
        StartProgressDisplay(st);
        st.TickCount = tickCount;
        st.BytesTotal = bytesTotal;
        st.BytesDone = bytesDone;
    }
    void TickAt(int s, int ms = 0) {
        const platform::LocalDateTime now = vorlaxis::At(10, 0, s, ms);
        ProgressTick(st, d, now, now);
    }
    TestStatistics st;
    MainDisplay d;
};

TEST(SpeedText, SwitchesAt1024BytesPerSecond) {
    EXPECT_EQ(SpeedText(1572864), "1.50 MB/s");
    EXPECT_EQ(SpeedText(1025), "0.00 MB/s");
    EXPECT_EQ(SpeedText(104857600), "100.00 MB/s");
    EXPECT_EQ(SpeedText(1024), "1024 B/s");
    EXPECT_EQ(SpeedText(0), "0 B/s");
    EXPECT_EQ(SpeedText(-5), "-5 B/s");
}

// Odd multiples of 131072 B/s lie exactly halfway between two hundredths of a MiB.
TEST(SpeedText, RoundsExactHalvesAwayFromZero) {
    const std::pair<int64_t, const char*> cases[] = {
        {131072, "0.13 MB/s"},      {655360, "0.63 MB/s"},  {1179648, "1.13 MB/s"},
        {105512960, "100.63 MB/s"}, {1179647, "1.12 MB/s"}, {52429, "0.05 MB/s"},
        {1048575, "1.00 MB/s"},     {1142948, "1.09 MB/s"}, {INT64_MAX, "8796093022208.00 MB/s"}};
    for (const auto& [bytesPerSecond, text] : cases) {
        EXPECT_EQ(SpeedText(bytesPerSecond), text) << bytesPerSecond;
    }
}

TEST(ProgressDisplay, FirstSecondChangesOnlyTheElapsedTime) {
    Tick t(0, 0, 5000);
    t.TickAt(0, 750);
    EXPECT_EQ(t.d.elapsedText, "0:00:00");
    EXPECT_EQ(t.d.currentSpeedText, "");
    EXPECT_EQ(t.d.remainingText, "");
    EXPECT_EQ(t.st.TickCount, 1);
    EXPECT_EQ(t.st.BytesDoneAtLastTick, 5000);
}

TEST(ProgressDisplay, CurrentSpeedScalesTheBytesOfOneTickByFour) {
    Tick t(2, 0, 262144);
    t.TickAt(1);
    EXPECT_EQ(t.d.currentSpeedText, "1.00 MB/s");
    EXPECT_EQ(t.d.averageSpeedText, "");  // only on the eighth tick
}

TEST(ProgressDisplay, AverageOnTheEighthTick) {
    Tick t(8, 0, 10240);
    t.TickAt(10);
    EXPECT_EQ(t.d.averageSpeedText, "1024 B/s");
    EXPECT_EQ(t.st.TickCount, 9);
    t.st.BytesDone = 10250;
    t.TickAt(10);  // TickCount 9 wraps to 1: no average
    EXPECT_EQ(t.d.averageSpeedText, "1024 B/s");
    EXPECT_EQ(t.st.TickCount, 2);
    t.st.TickCount = 8;
    t.TickAt(10);
    EXPECT_EQ(t.d.averageSpeedText, "0.00 MB/s");
}

TEST(ProgressDisplay, RemainingTimeFromTheEstimate) {
    Tick t(4, 100 * 1048576, 40 * 1048576);
    t.TickAt(40, 300);
    EXPECT_EQ(t.d.elapsedText, "0:00:40");
    EXPECT_EQ(t.d.remainingText, "0:00:59");
}

TEST(ProgressDisplay, RemainingOnlyOnTicksFourAndEightAndTheVeryFirst) {
    Tick t(0, 1000, 100);
    t.TickAt(5);
    EXPECT_EQ(t.d.remainingText, "0:00:45");  // estimate 50 s at 20 B/s
    t.d.remainingText.clear();
    for (int tick = 1; tick <= 3; ++tick) t.TickAt(5);
    EXPECT_EQ(t.d.remainingText, "");
    t.TickAt(5);  // TickCount 4
    EXPECT_EQ(t.d.remainingText, "0:00:45");
}

TEST(ProgressDisplay, EstimateOfADayOrMoreShowsOver24Hours) {
    Tick t(8, 86400LL * 1000, 1000);
    t.TickAt(1);
    EXPECT_EQ(t.d.remainingText, ">24hod");
}

TEST(ProgressDisplay, NegativeRemainingShownByItsMagnitude) {
    Tick t(4, 100, 0);
    t.st.BytesDone = 130;  // average 10 B/s over 13 s: estimate 10 s
    t.TickAt(13, 400);
    EXPECT_EQ(t.d.remainingText, "0:00:03");
}

TEST(ProgressDisplay, NothingDoneShowsTheElapsedTimeAsRemaining) {
    Tick t(4, 1000, 0);
    t.TickAt(7, 200);
    EXPECT_EQ(t.d.remainingText, "0:00:07");
    EXPECT_EQ(t.d.currentSpeedText, "0 B/s");
}

TEST(ProgressDisplay, OpenOnlyModeUpdatesOnlyTheElapsedTime) {
    Tick t;
    t.st.ReadMode = OnlyOpen;
    t.st.TickCount = 8;
    t.st.BytesDone = 99999;
    t.TickAt(3);
    EXPECT_EQ(t.d.elapsedText, "0:00:03");
    EXPECT_EQ(t.d.currentSpeedText, "");
    EXPECT_EQ(t.d.remainingText, "");
    EXPECT_EQ(t.d.averageSpeedText, "");
    EXPECT_EQ(t.st.BytesDoneAtLastTick, 99999);
}

TEST(ProgressDisplay, NewPhaseStartsFromItsOwnBytes) {
    Tick t(0, 0, 50 * 1048576);
    t.TickAt(30);
    // The next location: BytesDone restarts at 0 and starting the display takes it.
    t.st.BytesDone = 0;
    t.st.StartTime = TimeOfDay(At(11, 0, 0));
    StartProgressDisplay(t.st);
    t.st.BytesDone = 262144;
    const platform::LocalDateTime now = At(11, 0, 2);
    ProgressTick(t.st, t.d, now, now);
    EXPECT_EQ(t.d.currentSpeedText, "1.00 MB/s");
}

TEST(ProgressDisplay, PastMidnightCountsFromThePreviousDay) {
    Tick t;
    t.st.StartTime = TimeOfDay(At(23, 59, 50));
    const platform::LocalDateTime now = At(0, 0, 5);
    ProgressTick(t.st, t.d, now, now);
    EXPECT_EQ(t.d.elapsedText, "0:00:15");
}

}  // namespace
}  // namespace vorlaxis
