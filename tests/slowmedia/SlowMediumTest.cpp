// The run with its blocking calls on a helper thread, over a medium whose reads take seconds:
// the pump keeps turning, the "Soubor:" line tells of the wait, a stop gives the stuck read up
// at once, and the read left behind closes its file when the medium finally answers.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "FaultFs.h"
#include "OpenFiles.h"
#include "RunHarness.h"
#include "engine/ProgressDisplay.h"
#include "engine/ThreadedBlockingCalls.h"

using namespace vorlaxis;
using namespace vorlaxis::test;
using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

namespace {

class SlowMedium : public ::testing::Test {
  protected:
    void SetUp() override {
        VORLAXIS_REQUIRE_FUSE();
        ASSERT_TRUE(fs.Mount()) << fs.error();
    }

    // The run as the window program makes it: the calls on a helper thread, the real clock.
    SystemClock clock;
    RunHarness r{CallsOn::HelperThread, &clock};
    // Declared last, unmounted first: a read still stuck in it is cut off then.
    FaultFs fs;
};

TEST_F(SlowMedium, WindowKeepsLivingThroughAFiveSecondRead) {
    fs.AddFile("slow.bin", "abc");
    fs.SetFaults("delay 5000 /slow.bin\n");
    std::vector<SteadyClock::time_point> turns;
    auto nextTick = SteadyClock::now();
    std::string note, speedAtNote;
    r.host.onPump = [&] {
        if (r.host.timerStarts == 0) return;  // the reading phase only
        const auto now = SteadyClock::now();
        turns.push_back(now);
        if (now >= nextTick) {  // the 250 ms progress timer of the window
            nextTick = now + 250ms;
            ProgressTick(r.statistics, r.display, clock);
        }
        if (note.empty() && r.display.currentFileText.find("(čekám") != std::string::npos) {
            note = r.display.currentFileText;
            speedAtNote = r.display.currentSpeedText;
            fs.SetFaults("");  // the read at the end of the file need not wait as well
        }
    };

    EXPECT_EQ(r.Run(fs.root()), 0);

    ASSERT_GE(turns.size(), 2u);
    auto longest = SteadyClock::duration::zero();
    for (size_t i = 1; i < turns.size(); ++i) longest = std::max(longest, turns[i] - turns[i - 1]);
    const auto reading = turns.back() - turns.front();
    std::printf("pump turns: %zu in %lld ms, longest gap %lld ms\n", turns.size(),
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(reading).count()),
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(longest).count()));
    EXPECT_GE(reading, 4500ms);  // the read really kept the run waiting
    EXPECT_LT(longest, 100ms);
    EXPECT_TRUE(note.starts_with("slow.bin (čekám na mechaniku ")) << note;
    EXPECT_EQ(note.substr(note.size() - 3), " s)") << note;
    EXPECT_EQ(speedAtNote, "0 B/s");  // the true rate while nothing arrives
    EXPECT_EQ(r.display.currentFileText, "");
    EXPECT_EQ(r.display.outcomeText, "test dokončen OK");
    EXPECT_EQ(r.Log().back().rfind("  test úspěšně dokončen ", 0), 0u);
    EXPECT_EQ(r.session.DataChecksum, 0x61 + 0x62 + 0x63);
}

TEST_F(SlowMedium, CancelGivesTheStuckReadUpAndItsFileIsClosedLater) {
    fs.AddFile("a.bin", "a");
    fs.AddFile("stuck.bin", "s");
    fs.AddFile("z.bin", "z");
    fs.SetFaults("delay 3000 /stuck.bin\n");
    SteadyClock::time_point waitFrom{}, stoppedAt{};
    r.host.onPump = [&] {
        if (r.display.currentFileText != "stuck.bin" || r.statistics.StopRequested) return;
        const auto now = SteadyClock::now();
        if (waitFrom == SteadyClock::time_point{}) waitFrom = now;
        if (now - waitFrom >= 300ms) {
            r.statistics.StopRequested = true;  // the cancel button, confirmed
            stoppedAt = now;
            fs.SetFaults("");  // what the stuck read asks next is answered at once
        }
    };

    EXPECT_EQ(r.Run(fs.root()), 0);
    const auto ended = SteadyClock::now() - stoppedAt;
    const std::vector<std::string> log = r.Log();  // as the results find it

    std::printf("run ended %lld ms after the stop\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(ended).count()));
    EXPECT_LT(ended, 2s);
    EXPECT_EQ(r.display.outcomeText, "test přerušen !");
    EXPECT_EQ(r.display.filesTestedText, "2");  // the stuck file counts as tested
    EXPECT_EQ(r.display.filesLeftText, "1");
    EXPECT_TRUE(r.session.BadFiles.empty());
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3], "Konec testu:");
    EXPECT_EQ(log[log.size() - 2], "  žádné problémy při čtení souborů...");
    EXPECT_TRUE(log.back().starts_with("  test přerušen uživatelem ")) << log.back();
    for (const TraceLine& t : fs.Trace()) EXPECT_NE(t.path, "/z.bin") << t.what;

    // The read left behind still holds its file, and lets go of it once the medium answers.
    EXPECT_EQ(r.threaded.StuckHelpers(), 1u);
    EXPECT_EQ(OpenFilesUnder(fs.root()), 1);
    const auto limit = SteadyClock::now() + 20s;
    while (r.threaded.StuckHelpers() > 0 && SteadyClock::now() < limit)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(r.threaded.StuckHelpers(), 0u);
    EXPECT_EQ(OpenFilesUnder(fs.root()), 0);
}

// A medium that takes milliseconds a block (a disc) is asked for no file ahead of the one being
// read: each file is opened only after the one before it has been read.
TEST_F(SlowMedium, IsAskedForNoFileAhead) {
    for (int i = 0; i < 24; ++i) fs.AddFile("f" + std::to_string(10 + i) + ".bin", "x");
    fs.SetFaults("delay 3\n");

    EXPECT_EQ(r.Run(fs.root()), 0);
    std::string opened;
    bool readSinceOpen = true;
    int opens = 0;
    for (const TraceLine& t : fs.Trace()) {
        if (t.what == "open") {
            EXPECT_TRUE(readSinceOpen) << t.path << " opened before " << opened << " was read";
            opened = t.path;
            readSinceOpen = false;
            ++opens;
        }
        readSinceOpen = readSinceOpen || (t.what == "read" && t.path == opened);
    }
    EXPECT_EQ(opens, 24);
}

}  // namespace
