// The slow-file rule over scripted timings, the speed profile's bounds, and the run's
// per-file timing from the injected clock.
#include <gtest/gtest.h>

#include "RunFixture.h"
#include "engine/SlowFiles.h"

namespace vorlaxis::test {
namespace {

constexpr int64_t kKiB = 1024, kMiB = 1024 * 1024;

// `count` files of `size` bytes read at `mbPerS` after a fixed `openSeconds`.
void AddFiles(std::vector<FileSpeed>& files, int count, int64_t size, double mbPerS,
              double openSeconds) {
    for (int i = 0; i < count; ++i) {
        const double seconds = openSeconds + static_cast<double>(size) / kMiB / mbPerS;
        files.push_back({"/m/" + std::to_string(files.size()), size, size, seconds, false});
    }
}

// A healthy medium: mixed sizes, each read at `mbPerS` after `openSeconds`.
std::vector<FileSpeed> Medium(double mbPerS, double openSeconds) {
    std::vector<FileSpeed> files;
    for (const int64_t size :
         {int64_t{0}, 100 * int64_t{1}, 3 * kKiB, 60 * kKiB, kMiB, 20 * kMiB, 300 * kMiB})
        AddFiles(files, size > 10 * kMiB ? 6 : 200, size, mbPerS, openSeconds);
    return files;
}

TEST(SlowFiles, FlagsOnlyFilesThatLoseFarMoreTimeThanTheirPeers) {
    struct Case {
        const char* name;
        std::vector<FileSpeed> files;
        size_t changed;  // the file whose time the case changes
        double seconds;  // its new time; 0: none changed
        bool flagged;
    } cases[] = {
        {"a healthy disk: open costs dominate the small files", Medium(150, 0.0004), 0, 0, false},
        {"a healthy tmpfs", Medium(3000, 0.00002), 0, 0, false},
        {"an optical disc: slow, but evenly so", Medium(4, 0.08), 0, 0, false},
        {"a scheduler hiccup: 100 times slower, yet a few ms", Medium(3000, 0.00002), 210, 0.004,
         false},
        {"a small file whose every read is delayed", Medium(150, 0.0004), 210, 0.6, true},
        {"a 20 MB file with a read retried for 3 s", Medium(150, 0.0004), 1000, 20.0 / 150 + 3,
         true},
        {"a large file at a seventh of its peers' speed (a cached loop image)", Medium(150, 0.0004),
         1006, 2.0 * 7, false},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.seconds > 0) c.files[c.changed].Seconds = c.seconds;
        const std::vector<size_t> slow = FindSlowFiles(c.files);
        EXPECT_EQ(slow, c.flagged ? std::vector<size_t>{c.changed} : std::vector<size_t>{});
    }
}

TEST(SlowFiles, UnreadAndUnreadableFilesAreNeverFlagged) {
    std::vector<FileSpeed> files = Medium(150, 0.0004);
    files[3].Unreadable = true;
    files[3].Seconds = 30;
    for (FileSpeed& f : files) f.BytesRead = 0;  // only opened
    files[5].Seconds = 30;
    EXPECT_TRUE(FindSlowFiles(files).empty());
}

TEST(SpeedProfile, StaysWithinItsPointsAndEndsAtTheBytesDone) {
    std::vector<FileSpeed> files = Medium(150, 0.0004);
    files[0].Seconds = 0;  // read in no measurable time: merged into the next stretch
    int64_t total = 0;
    for (const FileSpeed& f : files) total += f.Size;
    for (const size_t maxPoints : {size_t{1}, size_t{7}, size_t{300}, size_t{5000}}) {
        const std::vector<SpeedPoint> points = SpeedProfile(files, maxPoints);
        ASSERT_FALSE(points.empty());
        EXPECT_LE(points.size(), maxPoints);
        EXPECT_DOUBLE_EQ(points.back().Megabytes, static_cast<double>(total) / kMiB);
        for (size_t i = 0; i < points.size(); ++i) {
            EXPECT_GT(points[i].MegabytesPerSecond, 0.0) << i;
            if (i > 0) {
                EXPECT_GE(points[i].Megabytes, points[i - 1].Megabytes);
            }
        }
    }
    EXPECT_TRUE(SpeedProfile({}).empty());
}

// Each steady reading advances one second.
class SteppingClock final : public Clock {
  public:
    platform::LocalDateTime Now() override { return {}; }
    double SteadySeconds() override { return ++m_seconds; }

  private:
    double m_seconds = 0;
};

TEST(TestRun, TimesEachFileWithOneSteadyReadingAndNoneForItsBlocks) {
    RunFixture f;
    SteppingClock steps;
    TestSession session(f.settings, f.statistics, f.display, f.host, f.dialogs, steps, f.calls);
    session.LogPathOverride = f.logs.path() + "log.txt";
    f.settings.GoNonstop = true;
    f.settings.BlockSize = 4;
    f.tree.file("a.bin", std::string(100000, 'a'));  // 25 blocks
    f.tree.file("b.bin", "b");
    const std::string bad = f.tree.file("c.bin", "ccc");
    f.calls.failOpen[bad] = 1;
    PerformTest(session, f.tree.path());
    ASSERT_EQ(session.FileSpeeds.size(), 3u);
    for (const FileSpeed& file : session.FileSpeeds) {
        SCOPED_TRACE(file.Path);
        EXPECT_EQ(file.Seconds, 1.0);
        EXPECT_EQ(file.Unreadable, file.Path == bad);
        EXPECT_EQ(file.BytesRead, file.Unreadable ? 0 : file.Size);
    }
}

// Each steady reading advances one second, and 100 more once `slow` was opened since the last.
class SlowFileClock final : public Clock {
  public:
    SlowFileClock(const FailingCalls& calls, std::string slow)
        : m_calls(calls), m_slow(std::move(slow)) {}
    platform::LocalDateTime Now() override { return {}; }
    double SteadySeconds() override {
        const auto it = m_calls.opens.find(m_slow);
        const int opens = it == m_calls.opens.end() ? 0 : it->second;
        m_seconds += opens > m_slowOpens ? 101 : 1;
        m_slowOpens = opens;
        return m_seconds;
    }

  private:
    const FailingCalls& m_calls;
    const std::string m_slow;
    int m_slowOpens = 0;
    double m_seconds = 0;
};

// The run keeps the paths of the files it names only; a retried file is one record, so the slow
// file found among the records is named by its own path, not a neighbour's.
TEST(TestRun, NamesTheSlowFileAndTheUnreadableOneAfterARetry) {
    RunFixture f;
    std::vector<std::string> paths;
    for (int i = 0; i < 8; ++i) paths.push_back(f.tree.file("f" + std::to_string(i), "abcd"));
    const std::string bad = paths[2], slow = paths[5];
    f.calls.failReadAt[bad] = 0;
    f.host.answers = {ReadErrorAnswer::Retry, ReadErrorAnswer::Continue};
    SlowFileClock clock(f.calls, slow);
    TestSession session(f.settings, f.statistics, f.display, f.host, f.dialogs, clock, f.calls);
    session.LogPathOverride = f.logs.path() + "log.txt";
    PerformTest(session, f.tree.path());
    ASSERT_EQ(session.FileSpeeds.size(), paths.size());
    const std::vector<size_t> found = FindSlowFiles(session.FileSpeeds);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(session.FileSpeeds[found[0]].Path, slow);
    for (const FileSpeed& file : session.FileSpeeds) {
        if (file.Path != slow) {
            EXPECT_EQ(file.Path, file.Unreadable ? bad : "");
        }
    }
}

}  // namespace
}  // namespace vorlaxis::test
