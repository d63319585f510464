// The helper thread reads the next block while the run sums the last one. The medium must not
// be able to tell: the same read requests in the same order as a run that reads each block
// itself, failures met at the same block, and a stop that does not wait for a block read ahead.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "FaultFsFixture.h"
#include "OpenFiles.h"
#include "RunHarness.h"
#include "TempDir.h"
#include "engine/ThreadedBlockingCalls.h"

using namespace vorlaxis;
using namespace vorlaxis::test;
using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

namespace {

constexpr int64_t kBlock = 4096;

std::string Blocks(int64_t size, int seed) {
    std::string s(static_cast<size_t>(size), '\0');
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = char((i * 13 + i / 4096 * 5 + size_t(seed)) & 0xFF);
    return s;
}

// One run over `root`, with the calls made on the run's thread or on the helper thread.
struct Outcome {
    std::vector<std::string> log;
    std::vector<std::string> questions;
    std::vector<std::string> reads;  // "path offset size result", in the medium's order
    uint16_t checksum = 0;
    int64_t bytesDone = 0;
};

Outcome RunOver(FaultFs& fs, bool threaded, int32_t mode, std::deque<ReadErrorAnswer> answers) {
    fs.ClearTrace();
    RunHarness h(threaded ? CallsOn::HelperThread : CallsOn::RunThread);
    h.settings.ReadEveryXthBlock = 1;  // the block mode of override 2: every 4th block
    h.host.answers = std::move(answers);
    h.Run(fs.root(), mode);
    Outcome o;
    o.log = h.Log();
    o.questions = h.host.asked;
    for (const TraceLine& t : fs.Trace()) {
        if (t.what != "read") continue;
        o.reads.push_back(t.path + " " + std::to_string(t.offset) + " " + std::to_string(t.size) +
                          " " + std::to_string(t.result));
    }
    o.checksum = h.session.DataChecksum;
    o.bytesDone = h.statistics.BytesDone;
    return o;
}

using ReadAhead = FaultFsFixture;

TEST_F(ReadAhead, MediumSeesTheSameReadsAndFailuresAsWithoutIt) {
    fs.AddFile("a/exact.bin", Blocks(8 * kBlock, 1));        // ends on a block boundary
    fs.AddFile("a/long.bin", Blocks(10 * kBlock + 100, 2));  // ends in a part block
    fs.AddFile("b/bad.bin", Blocks(9 * kBlock, 3));          // block 6 cannot be read
    fs.AddFile("b/flaky.bin", Blocks(7 * kBlock, 4));        // block 4 fails once only
    fs.AddFile("c/two.bin", Blocks(2 * kBlock, 5));
    fs.AddFile("c/tiny.bin", "t");
    const std::string faults = "read-error /b/bad.bin " + std::to_string(6 * kBlock + 10) + " 1\n" +
                               "read-error /b/flaky.bin " + std::to_string(4 * kBlock) + " 1 1\n";
    for (const int32_t mode : {0, 2}) {  // every block, every 4th block
        SCOPED_TRACE("mode override " + std::to_string(mode));
        // Every block: bad.bin is passed (continue), flaky.bin read again from its start (retry)
        // and then read. Every 4th block meets flaky.bin's block 4 only, and passes it.
        const std::deque<ReadErrorAnswer> answers{ReadErrorAnswer::Continue,
                                                  ReadErrorAnswer::Retry};
        fs.SetFaults(faults);  // afresh for each run: the flaky block fails once per rule
        const Outcome direct = RunOver(fs, false, mode, answers);
        fs.SetFaults(faults);
        const Outcome threaded = RunOver(fs, true, mode, answers);
        EXPECT_EQ(threaded.reads, direct.reads);
        EXPECT_EQ(threaded.log, direct.log);
        EXPECT_EQ(threaded.questions, direct.questions);
        EXPECT_EQ(threaded.checksum, direct.checksum);
        EXPECT_EQ(threaded.bytesDone, direct.bytesDone);
        EXPECT_EQ(direct.questions.size(), mode == 0 ? 2u : 1u);  // the faults were met
    }
}

TEST_F(ReadAhead, StopDoesNotWaitForTheBlockReadAheadAndItsFileIsClosedLater) {
    const std::string data = Blocks(6 * kBlock, 6);
    fs.AddFile("slow.bin", data);
    const uint16_t twoBlocks = ByteSum(data.substr(0, 2 * kBlock));
    fs.SetFaults("delay 500 /slow.bin\n");
    RunHarness h(CallsOn::HelperThread);
    SteadyClock::time_point stoppedAt{};
    h.host.onPump = [&] {
        // The second block is summed and the third is being read ahead, slowly: stop now,
        // between two reads of the run.
        if (h.session.DataChecksum == twoBlocks && !h.statistics.StopRequested) {
            h.statistics.StopRequested = true;
            stoppedAt = SteadyClock::now();
        }
    };
    h.Run(fs.root());
    const auto ended = SteadyClock::now() - stoppedAt;
    std::printf("run ended %lld ms after the stop\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(ended).count()));
    // The block read ahead still holds its handle: the run ended without waiting for it.
    EXPECT_EQ(OpenFilesUnder(fs.root()), 1);
    EXPECT_EQ(h.threaded.StuckHelpers(), 0u);
    EXPECT_FALSE(h.threaded.Abandoned());
    EXPECT_EQ(h.statistics.BytesDone, 2 * kBlock);
    EXPECT_EQ(h.display.outcomeText, "test přerušen !");
    int reads = 0;
    for (const TraceLine& t : fs.Trace()) reads += t.what == "read";
    EXPECT_LE(reads, 2 + 4);  // at most the few blocks read ahead beyond what was tested

    // It lets go of it once the blocks read ahead are in (none is read for ever).
    const auto limit = SteadyClock::now() + 10s;
    while (OpenFilesUnder(fs.root()) > 0 && SteadyClock::now() < limit) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(OpenFilesUnder(fs.root()), 0);
}

TEST_F(ReadAhead, SmallFilesAreOpenedAheadOnAQuickMediumAndAStopEndsThat) {
    auto name = [](int i) { return "f" + std::to_string(10 + i) + ".bin"; };
    for (int i = 0; i < 60; ++i) fs.AddFile(name(i), Blocks(kBlock / 2 + i, i));
    const std::string faults = "read-error /" + name(40) + " 0 1\n";
    fs.SetFaults(faults);
    const Outcome direct = RunOver(fs, false, 0, {ReadErrorAnswer::Stop});
    fs.SetFaults(faults);
    const Outcome threaded = RunOver(fs, true, 0, {ReadErrorAnswer::Stop});
    EXPECT_EQ(threaded.log, direct.log);
    EXPECT_EQ(threaded.questions, direct.questions);
    EXPECT_EQ(threaded.checksum, direct.checksum);
    // The run's own reads come in the same order; the others are first blocks asked for ahead
    // (this medium reads past its cache, so they show).
    size_t next = 0;
    for (const std::string& r : threaded.reads) {
        if (next < direct.reads.size() && r == direct.reads[next]) {
            ++next;
        } else {
            EXPECT_NE(r.find(" 0 4096 "), std::string::npos) << r;
        }
    }
    EXPECT_EQ(next, direct.reads.size());

    // The run's clock stands still: every file counts as quick. After a row of 16 files the
    // run takes handles opened 16 files ahead (each file is opened once), up to 16 files beyond
    // the bad one, and none is left open.
    std::map<std::string, int> opens;
    bool thirtyFirstOpenWhileEighteenthIsRead = false;
    for (const TraceLine& t : fs.Trace()) {
        if (t.what == "open") ++opens[t.path];
        if (t.what == "read" && t.path == "/" + name(17) && t.offset > 0)
            thirtyFirstOpenWhileEighteenthIsRead = opens.count("/" + name(30)) > 0;
    }
    EXPECT_TRUE(thirtyFirstOpenWhileEighteenthIsRead);
    for (int i = 0; i < 60; ++i) EXPECT_EQ(opens["/" + name(i)], i <= 40 + 16 ? 1 : 0) << name(i);
    EXPECT_EQ(OpenFilesUnder(fs.root()), 0);
}

}  // namespace

// From a file system in memory the run reads blocks itself beside the helper; the log, the sums
// and the bytes counted must be those of a run that reads each block in turn.
TEST(ReadAheadInMemory, RunReadingBesideTheHelperChangesNothing) {
    if (!std::filesystem::is_directory("/dev/shm")) GTEST_SKIP() << "no memory file system";
    TempDir memory("/dev/shm");
    const std::map<std::string, std::string> files{{"exact.bin", Blocks(2000 * kBlock, 6)},
                                                   {"long.bin", Blocks(3000 * kBlock + 100, 7)}};
    for (const auto& [name, bytes] : files) {
        std::ofstream(PathFromUtf8(memory.path() + name), std::ios::binary) << bytes;
    }
    for (const bool fingerprints : {true, false}) {  // the blocks' bytes wanted, or sums only
        SCOPED_TRACE(fingerprints ? "fingerprints" : "sums only");
        std::vector<Outcome> outcomes;
        for (const CallsOn on : {CallsOn::RunThread, CallsOn::HelperThread}) {
            RunHarness h(on);
            h.session.KeepFingerprints = fingerprints;
            h.Run(memory.path());
            outcomes.push_back(
                {h.Log(), h.host.asked, {}, h.session.DataChecksum, h.statistics.BytesDone});
        }
        EXPECT_EQ(outcomes[1].log, outcomes[0].log);
        EXPECT_EQ(outcomes[1].checksum, outcomes[0].checksum);
        EXPECT_EQ(outcomes[1].bytesDone, 5000 * kBlock + 100);
    }
}
