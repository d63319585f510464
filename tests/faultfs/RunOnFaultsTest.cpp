// The core's run over a medium that fails: bad blocks, failed opens and listings, vanishing,
// growing and shrinking files, a slow medium. The read-error question is answered from a
// script; the log, the counters and the checksum are compared with what the medium holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FaultFsFixture.h"
#include "RunHarness.h"

using namespace vorlaxis;
using namespace vorlaxis::test;

namespace {

constexpr int64_t kBlock = 4096;

// Bytes that differ from block to block, so a sum tells which blocks were read.
std::string Pattern(int64_t size, int seed = 0) {
    std::string bytes(static_cast<size_t>(size), '\0');
    for (int64_t i = 0; i < size; ++i)
        bytes[size_t(i)] = char((i * 7 + i / kBlock * 13 + seed) & 0xFF);
    return bytes;
}

std::string Block(const std::string& bytes, int64_t block) {
    return bytes.substr(size_t(block * kBlock), size_t(kBlock));
}

class RunOnFaults : public FaultFsFixture {
  protected:
    void SetUp() override {
        FaultFsFixture::SetUp();
        h.host.onQuestion = [this](const std::string&) {
            atQuestion.push_back({h.statistics.BytesDone, h.session.DataChecksum});
        };
    }

    // Requests of the file system for one path ("/name").
    std::vector<TraceLine> Requests(const std::string& what, const std::string& path) const {
        std::vector<TraceLine> found;
        for (const TraceLine& t : fs.Trace()) {
            if (t.what == what && t.path == path) found.push_back(t);
        }
        return found;
    }

    std::string FailureLine(const std::string& relative) const {
        return "  \"" + fs.root() + relative + "\" nelze přečíst";
    }

    // The log from the line "Průběh testu ...:" on, without the heading.
    std::vector<std::string> Progress() const {
        const std::vector<std::string> log = h.Log();
        std::vector<std::string> lines;
        bool in = false;
        for (const std::string& line : log) {
            if (in) lines.push_back(line);
            in = in || line.rfind("Průběh testu ", 0) == 0;
        }
        return lines;
    }

    struct Moment {
        int64_t bytesDone;
        uint16_t checksum;
    };
    RunHarness h;
    std::vector<Moment> atQuestion;
};

}  // namespace

TEST_F(RunOnFaults, BadBlockInTheMiddleOfAFullRead) {
    const std::string data = Pattern(10 * kBlock);
    fs.AddFile("bad.bin", data);
    fs.SetFaults("read-error /bad.bin " + std::to_string(5 * kBlock + 100) + " 1\n");
    h.host.answers = {ReadErrorAnswer::Continue};

    EXPECT_EQ(h.Run(fs.root()), 1);
    ASSERT_EQ(atQuestion.size(), 1u);
    // The five blocks before the bad one were read and counted, and nothing else.
    const uint16_t before = ByteSum(data.substr(0, size_t(5 * kBlock)));
    EXPECT_EQ(atQuestion[0].bytesDone, 5 * kBlock);
    EXPECT_EQ(atQuestion[0].checksum, before);
    EXPECT_EQ(h.statistics.BytesDone, 10 * kBlock);  // "Pokračovat" adds the unread rest
    EXPECT_EQ(h.statistics.BytesTotal, 10 * kBlock);
    EXPECT_EQ(Progress(),
              (std::vector<std::string>{
                  FailureLine("bad.bin"), "", "Kontrolní součet média:" + Hex4(before), "",
                  "Konec testu:", "  počet chybých souborů: 1", Progress().back()}));
    EXPECT_EQ(Progress().back().rfind("  test úspěšně dokončen ", 0), 0u);
    ASSERT_EQ(h.session.BadFiles.size(), 1u);
    EXPECT_EQ(h.session.BadFiles[0].Name, "bad.bin");
    EXPECT_EQ(h.session.BadFiles[0].Directory, fs.root());
    EXPECT_EQ(h.display.outcomeText, "test dokončen, chyby!");
}

TEST_F(RunOnFaults, RetryReadsTheFileAgainFromItsStart) {
    const std::string data = Pattern(10 * kBlock, 3);
    fs.AddFile("bad.bin", data);
    fs.SetFaults("read-error /bad.bin " + std::to_string(5 * kBlock) + " 1\n");
    h.host.answers = {ReadErrorAnswer::Retry, ReadErrorAnswer::Retry, ReadErrorAnswer::Continue};

    EXPECT_EQ(h.Run(fs.root()), 1);
    EXPECT_EQ(h.host.asked.size(), 3u);
    const std::vector<std::string> progress = Progress();
    ASSERT_GE(progress.size(), 5u);
    EXPECT_EQ(progress[0], FailureLine("bad.bin"));
    EXPECT_EQ(progress[1], "    - nový pokus o čtení");
    EXPECT_EQ(progress[2], FailureLine("bad.bin"));
    EXPECT_EQ(progress[3], "    - nový pokus o čtení");
    EXPECT_EQ(progress[4], FailureLine("bad.bin"));
    // Every attempt opened the file anew and read it from byte 0.
    EXPECT_EQ(Requests("open", "/bad.bin").size(), 3u);
    int fromStart = 0;
    for (const TraceLine& t : Requests("read", "/bad.bin")) fromStart += t.offset == 0;
    EXPECT_EQ(fromStart, 3);
    // The bytes of every attempt stay counted.
    const std::string prefix = data.substr(0, size_t(5 * kBlock));
    EXPECT_EQ(h.session.DataChecksum, ByteSum(prefix + prefix + prefix));
    EXPECT_EQ(h.statistics.BytesDone, 3 * 5 * kBlock + 5 * kBlock);
    EXPECT_EQ(h.session.BadFiles.size(), 1u);
}

TEST_F(RunOnFaults, RetryAfterATransientErrorSucceeds) {
    const std::string data = Pattern(6 * kBlock, 5);
    fs.AddFile("flaky.bin", data);
    fs.SetFaults("read-error /flaky.bin " + std::to_string(2 * kBlock) + " 1 1\n");
    h.host.answers = {ReadErrorAnswer::Retry};

    EXPECT_EQ(h.Run(fs.root()), 0);
    EXPECT_EQ(h.session.DataChecksum, ByteSum(data.substr(0, size_t(2 * kBlock)) + data));
    EXPECT_EQ(h.LogLinesStartingWith("  žádné problémy").size(), 1u);
    EXPECT_EQ(h.LogLinesStartingWith("    - nový pokus o čtení").size(), 1u);
    EXPECT_TRUE(h.session.BadFiles.empty());
    EXPECT_EQ(h.display.outcomeText, "test dokončen OK");
}

TEST_F(RunOnFaults, NonStopAnswerListsLaterFailuresWithoutAsking) {
    fs.AddFile("a.bad", Pattern(3 * kBlock));
    fs.AddFile("b.good", Pattern(2 * kBlock));
    fs.AddFile("c.bad", Pattern(3 * kBlock));
    fs.SetFaults("read-error /a.bad 0 1\nread-error /c.bad 4096 1\n");
    h.host.answers = {ReadErrorAnswer::NonStop};

    EXPECT_EQ(h.Run(fs.root()), 2);
    EXPECT_EQ(h.host.asked, std::vector<std::string>{fs.root() + "a.bad"});
    EXPECT_EQ(h.LogLinesStartingWith("  \"").size(), 2u);
    EXPECT_EQ(h.session.BadFiles.size(), 2u);
    EXPECT_FALSE(h.statistics.StopRequested);
    // The next location asks again.
    h.host.answers = {ReadErrorAnswer::Continue, ReadErrorAnswer::Continue};
    EXPECT_EQ(h.Run(fs.root()), 2);
    EXPECT_EQ(h.host.asked.size(), 3u);
}

TEST_F(RunOnFaults, GoNonstopNeverAsks) {
    fs.AddFile("a.bad", Pattern(3 * kBlock));
    fs.AddFile("b.bad", Pattern(3 * kBlock));
    fs.SetFaults("read-error /a.bad 0 1\nopen-error /b.bad EIO\n");
    h.settings.GoNonstop = true;

    EXPECT_EQ(h.Run(fs.root()), 2);
    EXPECT_TRUE(h.host.asked.empty());
    EXPECT_EQ(Progress()[0], FailureLine("a.bad"));
    EXPECT_EQ(Progress()[1], FailureLine("b.bad"));
    EXPECT_EQ(h.LogLinesStartingWith("  počet chybých souborů: 2").size(), 1u);
}

TEST_F(RunOnFaults, StopAnswerEndsTheLocationAsStopped) {
    fs.AddFile("a.good", Pattern(kBlock));
    fs.AddFile("b.bad", Pattern(3 * kBlock));
    fs.AddFile("c.good", Pattern(kBlock));
    fs.SetFaults("read-error /b.bad 8000 1\n");
    h.host.answers = {ReadErrorAnswer::Stop};

    EXPECT_EQ(h.Run(fs.root()), 1);
    EXPECT_TRUE(h.statistics.StopRequested);
    EXPECT_TRUE(Requests("open", "/c.good").empty());  // nothing after the stop
    const std::vector<std::string> progress = Progress();
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress[0], FailureLine("b.bad"));
    EXPECT_EQ(progress[1], "  - test přerušen uživatelem po chybě tohoto souboru");
    EXPECT_EQ(h.LogLinesStartingWith("  počet chybných souborů: 1").size(), 1u);
    EXPECT_EQ(h.LogLinesStartingWith("  test přerušen uživatelem ").size(), 1u);
    EXPECT_TRUE(h.LogLinesStartingWith("  test úspěšně").empty());
    EXPECT_EQ(h.display.outcomeText, "test přerušen !");
    EXPECT_EQ(h.display.filesTestedText, "1");
    EXPECT_EQ(h.display.filesLeftText, "2");
}

// The block modes (one block in 4, 8, 16) over a file of three strides: the first block of each
// stride is read.
class BlockModes : public RunOnFaults, public ::testing::WithParamInterface<int> {
  protected:
    void UseMode(int n) {
        h.settings.DataReadStyle = 2;
        h.settings.ReadEveryXthBlock = n == 4 ? 1 : n == 8 ? 2 : 3;
    }
};

TEST_P(BlockModes, BadBlockPassedOverIsNotNoticed) {
    const int n = GetParam();
    UseMode(n);
    const std::string data = Pattern(3 * n * kBlock, n);
    fs.AddFile("f.bin", data);
    fs.SetFaults("read-error /f.bin " + std::to_string(kBlock + 10) + " " + std::to_string(kBlock) +
                 "\n");

    EXPECT_EQ(h.Run(fs.root()), 0);
    EXPECT_EQ(h.statistics.ReadMode, n);
    EXPECT_EQ(h.statistics.BytesDone, 3 * n * kBlock);
    EXPECT_EQ(h.session.DataChecksum,
              ByteSum(Block(data, 0) + Block(data, n) + Block(data, 2 * n)));
    for (const TraceLine& t : Requests("read", "/f.bin")) {
        EXPECT_EQ(t.offset % (n * kBlock), 0) << "read outside the read blocks at " << t.offset;
    }
    EXPECT_EQ(h.LogLinesStartingWith("Kontrolní součet média:")[0],
              "Kontrolní součet média:" + Hex4(h.session.DataChecksum));
}

TEST_P(BlockModes, BadBlockInsideAReadBlockIsNoticed) {
    const int n = GetParam();
    UseMode(n);
    const std::string data = Pattern(3 * n * kBlock, n + 1);
    fs.AddFile("f.bin", data);
    fs.SetFaults("read-error /f.bin " + std::to_string(n * kBlock + 4000) + " 1\n");
    h.host.answers = {ReadErrorAnswer::Continue};

    EXPECT_EQ(h.Run(fs.root()), 1);
    ASSERT_EQ(atQuestion.size(), 1u);
    EXPECT_EQ(atQuestion[0].bytesDone, n * kBlock);  // block 0 read, blocks 1..N-1 passed over
    EXPECT_EQ(atQuestion[0].checksum, ByteSum(Block(data, 0)));
    EXPECT_EQ(h.statistics.BytesDone, 3 * n * kBlock);
    EXPECT_EQ(Progress()[0], FailureLine("f.bin"));
}

INSTANTIATE_TEST_SUITE_P(EveryNthBlock, BlockModes, ::testing::Values(4, 8, 16));

TEST_F(RunOnFaults, OnlyOpeningNoticesFailedOpensButNoBadBlocks) {
    fs.AddFile("a.eio", Pattern(1000));
    fs.AddFile("b.denied", Pattern(2000));
    fs.AddFile("c.badblock", Pattern(3000));
    fs.SetFaults(
        "open-error /a.eio EIO\nopen-error /b.denied EACCES\nread-error /c.badblock 0 3000\n");
    h.host.answers = {ReadErrorAnswer::Continue, ReadErrorAnswer::Continue};

    EXPECT_EQ(h.Run(fs.root(), 3), 2);
    EXPECT_EQ(h.statistics.ReadMode, 0);
    EXPECT_EQ(h.host.asked,
              (std::vector<std::string>{fs.root() + "a.eio", fs.root() + "b.denied"}));
    EXPECT_TRUE(Requests("read", "/c.badblock").empty());
    EXPECT_EQ(h.statistics.BytesDone, 3000);  // the two given-up files' sizes
    EXPECT_TRUE(h.LogLinesStartingWith("Kontrolní součet").empty());
    EXPECT_EQ(h.LogLinesStartingWith("Průběh testu (pouze otevírání souborů):").size(), 1u);
    EXPECT_FALSE(h.display.speedCaptionsVisible);
}

// A directory the medium will not list is unreadable like a file (and asks nothing: there is
// nothing to retry but the listing); one that is refused is not damage, only not tested.
TEST_F(RunOnFaults, DirectoryThatCannotBeListedIsNeverTakenForAnEmptyOne) {
    fs.AddFile("a.txt", "a");
    fs.AddFile("d1/x.txt", "x");
    fs.AddFile("d1/sub/deep.txt", "deep");
    fs.AddFile("d2/y.txt", "y");
    fs.AddFile("d3/z.txt", "z");
    fs.AddFile("d4/p.txt", "p");
    fs.AddFile("d4/q.txt", "q");
    fs.AddFile("denied/w.txt", "w");
    fs.SetFaults(
        "list-error /d1\nlist-error /d2 read\nlist-error /d4 after 3\n"
        "list-error /denied open EACCES\n");
    const std::string root = fs.root();

    EXPECT_EQ(h.Run(root), 3);
    EXPECT_EQ(h.LogLinesStartingWith("  počet adresářů:")[0], "  počet adresářů:      6");
    // d4 broke off after its first file: that one is still read.
    EXPECT_EQ(h.LogLinesStartingWith("  počet souborů:")[0], "  počet souborů:       3");
    EXPECT_EQ(h.session.DataChecksum, ByteSum("apz"));
    EXPECT_EQ(
        h.LogLinesStartingWith("  \""),
        (std::vector<std::string>{
            "  \"" + root + "d1/\" nelze přečíst", "  \"" + root + "d2/\" nelze přečíst",
            "  \"" + root + "d4/\" nelze přečíst", "  \"" + root + "denied/\" - přístup odepřen"}));
    ASSERT_EQ(h.session.BadFiles.size(), 3u);
    EXPECT_EQ(h.session.BadFiles[0].Name, "d1/");
    EXPECT_EQ(h.session.BadFiles[0].Directory, root);
    ASSERT_EQ(h.session.Unchecked.size(), 1u);
    EXPECT_EQ(h.session.Unchecked[0].Reason, UncheckedReason::AccessDenied);
    EXPECT_EQ(h.session.Unchecked[0].Path, root + "denied/");
    EXPECT_TRUE(h.host.asked.empty());
    EXPECT_EQ(h.LogLinesStartingWith("  počet chybých souborů:")[0], "  počet chybých souborů: 3");
    EXPECT_EQ(h.display.outcomeText, "test dokončen, chyby!");

    // Refused alone: nothing unreadable, yet no success.
    fs.SetFaults("list-error /denied open EACCES\n");
    EXPECT_EQ(h.Run(root), 0);
    EXPECT_EQ(h.display.outcomeText, "test neúplný !");
    EXPECT_EQ(h.LogLinesStartingWith("  test neúplný, něco nebylo otestováno ").size(), 1u);
}

TEST_F(RunOnFaults, LocationWhoseListingFailsIsNoEmptySuccess) {
    fs.AddFile("a.txt", "a");
    fs.SetFaults("list-error /\n");

    EXPECT_EQ(h.Run(fs.root()), 0);
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    EXPECT_EQ(h.dialogs.shown[0].caption, "Fatální chyba");
    EXPECT_TRUE(h.statistics.StopRequested);
    EXPECT_EQ(h.display.outcomeText, "test přerušen !");
    const std::vector<std::string> log = h.Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.back().rfind("  test přerušen - nelze načíst adresářovou strukturu ", 0), 0u);
}

TEST_F(RunOnFaults, FileThatVanishesAfterListingIsUnreadable) {
    fs.AddFile("a.bin", Pattern(1000));
    fs.AddFile("ghost.bin", Pattern(500));
    fs.AddFile("z.bin", Pattern(700));
    // The walk lists the location once and the file listing once more; then it is gone.
    fs.SetFaults("vanish /ghost.bin 2\n");
    h.host.answers = {ReadErrorAnswer::Continue};

    EXPECT_EQ(h.Run(fs.root()), 1);
    EXPECT_EQ(h.LogLinesStartingWith("  počet souborů:")[0], "  počet souborů:       3");
    EXPECT_EQ(h.session.FileTable[1].Path, fs.root() + "ghost.bin");
    EXPECT_EQ(h.session.FileTable[1].Size, -1);
    EXPECT_EQ(h.statistics.BytesTotal, 1000 + 700 - 1);
    EXPECT_EQ(Progress()[0], FailureLine("ghost.bin"));
}

TEST_F(RunOnFaults, FilesThatGrowOrShrinkWhileReadAreReadToTheirNewEnd) {
    const std::string grow = Pattern(kBlock + 5, 1), shrink = Pattern(5 * kBlock, 2);
    fs.AddFile("grow.bin", grow);
    fs.AddFile("shrink.bin", shrink);
    fs.SetFaults("resize /grow.bin " + std::to_string(3 * kBlock + 10) + "\nresize /shrink.bin " +
                 std::to_string(2 * kBlock + 7) + "\n");

    EXPECT_EQ(h.Run(fs.root()), 0);
    const std::string grown = grow + std::string(size_t(2 * kBlock + 5), 'G');
    const std::string shrunk = shrink.substr(0, size_t(2 * kBlock + 7));
    EXPECT_EQ(h.session.DataChecksum, ByteSum(grown + shrunk));
    EXPECT_EQ(h.statistics.BytesDone, int64_t(grown.size() + shrunk.size()));
    EXPECT_EQ(h.display.outcomeText, "test dokončen OK");
}

TEST_F(RunOnFaults, ShrinkingFileInABlockModeEndsWithoutAFailure) {
    h.settings.DataReadStyle = 2;
    h.settings.ReadEveryXthBlock = 1;
    fs.AddFile("shrink.bin", Pattern(20 * kBlock));
    fs.SetFaults("resize /shrink.bin " + std::to_string(kBlock / 2) + "\n");

    EXPECT_EQ(h.Run(fs.root()), 0);
    EXPECT_EQ(h.display.outcomeText, "test dokončen OK");
}

TEST_F(RunOnFaults, StopOnASlowMediumIsHonouredAfterTheCurrentBlock) {
    fs.AddFile("slow.bin", Pattern(40 * kBlock));
    fs.AddFile("zz.bin", Pattern(kBlock));
    fs.SetFaults("delay 20 /slow.bin\n");
    size_t readsWhenStopped = 0;
    int64_t pumpsAfterStart = 0;
    h.host.onPump = [&] {
        if (h.host.timerStarts == 0 || h.statistics.StopRequested) return;
        if (++pumpsAfterStart == 4) {
            readsWhenStopped = Requests("read", "/slow.bin").size();
            h.statistics.StopRequested = true;  // the cancel button, confirmed
        }
    };

    EXPECT_EQ(h.Run(fs.root()), 0);
    EXPECT_GT(readsWhenStopped, 0u);
    EXPECT_EQ(Requests("read", "/slow.bin").size(), readsWhenStopped);
    EXPECT_TRUE(Requests("open", "/zz.bin").empty());
    EXPECT_EQ(h.LogLinesStartingWith("  test přerušen uživatelem ").size(), 1u);
    EXPECT_EQ(h.LogLinesStartingWith("  žádné problémy").size(), 1u);  // not a bad file
    EXPECT_EQ(h.display.filesTestedText, "1");
}

TEST_F(RunOnFaults, PumpRunsAfterEveryBlockOfASlowMedium) {
    fs.AddFile("slow.bin", Pattern(12 * kBlock + 1));
    fs.SetFaults("delay 5\n");
    int64_t pumpsWhileReading = 0;
    h.host.onPump = [&] { pumpsWhileReading += h.host.timerStarts > 0; };

    EXPECT_EQ(h.Run(fs.root()), 0);
    int64_t blocksRead = 0;  // the platform asks once more at the end: that read delivers 0
    for (const TraceLine& t : Requests("read", "/slow.bin")) blocksRead += t.result > 0;
    EXPECT_EQ(blocksRead, 13);
    EXPECT_GE(pumpsWhileReading, blocksRead);
}
