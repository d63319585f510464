// The helper thread only carries the calls out: on a real tree, a run through it writes the
// same log, counts and checksum as a run that calls the platform itself, in every read mode.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "engine/Checksum.h"
#include "engine/TestRun.h"
#include "engine/ThreadedBlockingCalls.h"
#include "platform/Files.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedHost.h"

using namespace vorlaxis;
using namespace vorlaxis::test;

namespace {

struct Outcome {
    std::string log;
    std::vector<std::string> bad, asked;
    uint16_t checksum = 0;
    int64_t bytesDone = 0;
    MainDisplay display;
};

Outcome RunWith(bool threaded, const std::string& location, int32_t override, int style) {
    TempDir logs;
    TestSettings settings;
    settings.EjectAfterTest = false;
    settings.BlockSize = 4;
    settings.DataReadStyle = style;
    settings.ReadEveryXthBlock = 1;
    TestStatistics statistics;
    MainDisplay display;
    ScriptedHost host;
    ScriptedDialogs dialogs;
    FixedClock clock;
    clock.now = {2026, 12, 7, 21, 0, 5, 0};
    DirectBlockingCalls direct;
    ThreadedBlockingCalls helper(host, statistics, display);
    BlockingCalls& calls = threaded ? static_cast<BlockingCalls&>(helper) : direct;
    TestSession session(settings, statistics, display, host, dialogs, clock, calls);
    session.LogPathOverride = logs.path() + "log.txt";
    PerformTest(session, location, static_cast<ReadModeOverride>(override));
    EXPECT_FALSE(calls.Abandoned());
    Outcome o;
    platform::ReadWholeFile(session.LogPath, o.log);
    for (const BadFileEntry& e : session.BadFiles) o.bad.push_back(e.Directory + e.Name);
    o.asked = host.asked;
    o.checksum = session.DataChecksum;
    o.bytesDone = statistics.BytesDone;
    o.display = display;
    if (threaded) {
        EXPECT_EQ(helper.StuckHelpers(), 0u);
    }
    return o;
}

std::string Bytes(size_t size, int seed) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = char((i * 31 + i / 4096 * 7 + size_t(seed)) & 0xFF);
    return s;
}

TEST(ThreadedCalls, RunThroughTheHelperMatchesTheDirectRunInEveryMode) {
    TempDir tree;
    tree.file("empty", "");
    tree.file("one", "x");
    tree.file("a/under-block", Bytes(4095, 1));
    tree.file("a/block", Bytes(4096, 2));
    tree.file("a/b/odd", Bytes(3 * 4096 + 5, 3));
    tree.file("c/big", Bytes(300000, 4));  // past the blocks read ahead at once
    ASSERT_EQ(::symlink("nowhere", (tree.path() + "c/gone").c_str()), 0);
    ASSERT_EQ(::mkfifo((tree.path() + "a/pipe").c_str(), 0600), 0);

    struct Mode {
        int32_t override;
        int style;
    };
    for (const Mode m : {Mode{0, 1}, Mode{2, 1}, Mode{0, 2}, Mode{3, 1}}) {
        SCOPED_TRACE("override " + std::to_string(m.override) + ", style " +
                     std::to_string(m.style));
        const Outcome direct = RunWith(false, tree.path(), m.override, m.style);
        const Outcome threaded = RunWith(true, tree.path(), m.override, m.style);
        EXPECT_EQ(threaded.log, direct.log);
        EXPECT_EQ(threaded.bad, direct.bad);
        EXPECT_EQ(threaded.asked, direct.asked);
        EXPECT_EQ(threaded.checksum, direct.checksum);
        EXPECT_EQ(threaded.bytesDone, direct.bytesDone);
        EXPECT_EQ(threaded.display.filesTotalText, "8");
        EXPECT_EQ(threaded.display.filesTestedText, direct.display.filesTestedText);
        EXPECT_EQ(threaded.display.badFilesText, "1");  // the dangling link, and only it
        EXPECT_EQ(threaded.display.outcomeText, direct.display.outcomeText);
    }
}

TEST(ThreadedCalls, ListingAndFileOutliveTheHelperThatOpenedThem) {
    TempDir tree;
    tree.file("d/f1", "12345");
    tree.file("d/f2", "");
    TestStatistics statistics;
    MainDisplay display;
    ScriptedHost host;
    std::unique_ptr<platform::DirSearch> search;
    platform::InputFile file;
    {
        ThreadedBlockingCalls calls(host, statistics, display);
        search = calls.StartListing(tree.path() + "d/", "*", platform::kMaskFiles);
        ASSERT_TRUE(calls.Open(file, tree.path() + "d/f1"));
        char c = 0;
        ASSERT_EQ(calls.Read(file, &c, 1), 1);
        EXPECT_EQ(c, '1');
        EXPECT_EQ(calls.Position(file), 1);
    }
    // Both belong to the caller, not to the helper that ended with its object.
    char rest[8] = {};
    EXPECT_EQ(file.read(rest, 8), 4);
    EXPECT_EQ(std::string(rest, 4), "2345");
    ASSERT_TRUE(search->valid());
    std::vector<std::string> names;
    for (platform::DirEntry e; search->next(e);) {
        if (e.name != "." && e.name != "..") names.push_back(e.name);
    }
    EXPECT_EQ(names.size(), 2u);
}

// Reads of whole blocks let the helper read the next one ahead; whatever the caller asks next,
// it gets the bytes of its own file at its own position.
TEST(ThreadedCalls, EveryCallAfterAReadAheadGetsTheFilesOwnBytes) {
    TempDir tree;
    const std::string first = Bytes(20 * 4096 + 7, 5);
    const std::string second = Bytes(6 * 4096, 6);
    tree.file("first", first);
    tree.file("second", second);
    TestStatistics statistics;
    MainDisplay display;
    ScriptedHost host;
    ThreadedBlockingCalls calls(host, statistics, display);
    platform::InputFile file;
    std::string block(4096, '\0');
    auto read = [&](int64_t count) {
        block.assign(static_cast<size_t>(count), '\0');
        const int64_t got = calls.Read(file, block.data(), count);
        block.resize(got > 0 ? static_cast<size_t>(got) : 0);
        return got;
    };

    ASSERT_TRUE(calls.Open(file, tree.path() + "first"));
    for (int i = 0; i < 3; ++i) {  // from the second read on, the next block is read ahead
        ASSERT_EQ(read(4096), 4096);
        EXPECT_EQ(block, first.substr(size_t(i) * 4096, 4096)) << i;
    }
    EXPECT_EQ(calls.Position(file), 3 * 4096);
    // Another size than the block read ahead.
    ASSERT_EQ(read(100), 100);
    EXPECT_EQ(block, first.substr(3 * 4096, 100));
    ASSERT_EQ(read(4096), 4096);
    ASSERT_EQ(read(4096), 4096);
    EXPECT_EQ(block, first.substr(3 * 4096 + 100 + 4096, 4096));
    // A move back while the next block is read ahead.
    ASSERT_TRUE(calls.Seek(file, 5));
    ASSERT_EQ(read(4096), 4096);
    EXPECT_EQ(block, first.substr(5, 4096));
    // To the end: whole blocks, then the part block, then nothing.
    ASSERT_TRUE(calls.Seek(file, 16 * 4096));
    for (int i = 16; i < 20; ++i) {
        ASSERT_EQ(read(4096), 4096);
        EXPECT_EQ(block, first.substr(size_t(i) * 4096, 4096)) << i;
    }
    ASSERT_EQ(read(4096), 7);
    EXPECT_EQ(block, first.substr(20 * 4096));
    EXPECT_EQ(read(4096), 0);
    EXPECT_EQ(calls.Position(file), 20 * 4096 + 7);

    // Closed by the caller while a block is read ahead, and opened on another file.
    ASSERT_TRUE(calls.Seek(file, 0));
    ASSERT_EQ(read(4096), 4096);
    ASSERT_EQ(read(4096), 4096);
    file.close();
    ASSERT_TRUE(calls.Open(file, tree.path() + "second"));
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(read(4096), 4096);
        EXPECT_EQ(block, second.substr(size_t(i) * 4096, 4096)) << i;
    }
    EXPECT_EQ(read(4096), 0);
    EXPECT_FALSE(calls.Abandoned());
    EXPECT_EQ(calls.StuckHelpers(), 0u);
}

// Calls on a helper thread, with what they report to.
struct HelperCalls {
    TestStatistics statistics;
    MainDisplay display;
    ScriptedHost host;
    ThreadedBlockingCalls calls{host, statistics, display};
};

// A block read ahead is handed over where it lies: it stays the caller's, untouched, while the
// helper fills every other place it has, until the caller's next call.
TEST(ThreadedCalls, BlockHandedOverInPlaceStaysIntactUntilTheNextCall) {
    TempDir tree;
    const std::string data = Bytes(40 * 4096, 7);
    tree.file("f", data);
    HelperCalls helper;
    ThreadedBlockingCalls& calls = helper.calls;
    platform::InputFile file;
    ASSERT_TRUE(calls.Open(file, tree.path() + "f"));
    std::vector<unsigned char> buffer(4096);
    bool inPlace = false;
    for (size_t i = 0; i < 40; ++i) {
        const unsigned char* at = nullptr;
        int32_t sum = -1;
        ASSERT_EQ(calls.ReadBlock(file, buffer.data(), 4096, &at, sum), 4096) << i;
        // The sum comes with the block, taken where it was read.
        EXPECT_EQ(sum, AddToChecksum(0, at, 4096)) << i;
        inPlace = inPlace || at != buffer.data();
        // Time for the helper to read ahead as far as it may.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_EQ(std::string(reinterpret_cast<const char*>(at), 4096), data.substr(i * 4096, 4096))
            << i;
    }
    const unsigned char* at = nullptr;
    int32_t sum = -1;
    EXPECT_EQ(calls.ReadBlock(file, buffer.data(), 4096, &at, sum), 0);
    EXPECT_TRUE(inPlace);  // no copy into the caller's buffer
}

// A file's first block comes with its open. The caller gets it when it reads that block next;
// any other call finds the file as just opened.
TEST(ThreadedCalls, FirstBlockReadWithTheOpenIsTheFilesStartWhateverComesNext) {
    TempDir tree;
    const std::string data = Bytes(3 * 4096 + 9, 8);
    tree.file("f", data);
    tree.file("short", "seven!!");
    HelperCalls helper;
    ThreadedBlockingCalls& calls = helper.calls;
    platform::InputFile file;
    std::vector<unsigned char> buffer(4096);
    auto readBlock = [&](int64_t count) {
        const unsigned char* at = nullptr;
        int32_t sum = -1;
        const int64_t got = calls.ReadBlock(file, buffer.data(), count, &at, sum);
        // A sum that comes with the block is the sum of its bytes.
        if (got >= 0 && sum >= 0) {
            EXPECT_EQ(sum, AddToChecksum(0, at, static_cast<size_t>(got)));
        }
        return got < 0 ? std::string("failed")
                       : std::string(reinterpret_cast<const char*>(at), static_cast<size_t>(got));
    };
    const std::string f = tree.path() + "f";

    ASSERT_TRUE(calls.OpenToRead(file, f, 4096, 0));
    EXPECT_EQ(readBlock(4096), data.substr(0, 4096));
    EXPECT_EQ(readBlock(4096), data.substr(4096, 4096));
    EXPECT_EQ(calls.Position(file), 2 * 4096);

    ASSERT_TRUE(calls.OpenToRead(file, f, 4096, 0));
    EXPECT_EQ(calls.Position(file), 0);
    EXPECT_EQ(readBlock(100), data.substr(0, 100));  // another size than the block read

    ASSERT_TRUE(calls.OpenToRead(file, f, 4096, 0));
    ASSERT_TRUE(calls.Seek(file, 5));
    EXPECT_EQ(readBlock(4096), data.substr(5, 4096));

    ASSERT_TRUE(calls.OpenToRead(file, tree.path() + "short", 4096, 0));
    EXPECT_EQ(readBlock(4096), "seven!!");
    EXPECT_EQ(readBlock(4096), "");
    EXPECT_FALSE(calls.OpenToRead(file, tree.path() + "missing", 4096, 0));

    // The same for a block read with a move: the file stays just moved until it is taken.
    ASSERT_TRUE(calls.OpenToRead(file, f, 4096, 0));
    ASSERT_TRUE(calls.SeekToRead(file, 2 * 4096, 4096));
    EXPECT_EQ(calls.Position(file), 2 * 4096);
    EXPECT_EQ(readBlock(4096), data.substr(2 * 4096, 4096));
    ASSERT_TRUE(calls.SeekToRead(file, 4096, 4096));
    EXPECT_EQ(readBlock(10), data.substr(4096, 10));
    ASSERT_TRUE(calls.SeekToRead(file, 0, 4096));
    ASSERT_TRUE(calls.SeekToRead(file, 3, 4096));
    EXPECT_EQ(readBlock(4096), data.substr(3, 4096));
    ASSERT_TRUE(calls.SeekToRead(file, 10 * 4096, 4096));  // past the end: nothing there
    EXPECT_EQ(readBlock(4096), "");
    EXPECT_FALSE(calls.Abandoned());
}

// Entries come from the helper many at a time; each listing still gets all of its own, in
// order, even when two are read in turns.
TEST(ThreadedCalls, ListingsLongerThanOneFetchAndReadInTurnsKeepTheirEntries) {
    TempDir tree;
    for (int i = 0; i < 300; ++i) tree.file("a/" + std::to_string(i), "");
    for (int i = 0; i < 5; ++i) tree.file("b/" + std::to_string(i), "");
    auto direct = [&](const std::string& dir) {
        std::vector<std::string> names;
        platform::DirSearch search(tree.path() + dir, "*", platform::kMaskFiles);
        for (platform::DirEntry e; search.next(e);) names.push_back(e.name);
        return names;
    };
    HelperCalls helper;
    ThreadedBlockingCalls& calls = helper.calls;
    auto a = calls.StartListing(tree.path() + "a/", "*", platform::kMaskFiles);
    auto b = calls.StartListing(tree.path() + "b/", "*", platform::kMaskFiles);
    std::vector<std::string> fromA, fromB;
    platform::DirEntry e;
    auto next = [&](platform::DirSearch& search, std::vector<std::string>& names) {
        const bool more = calls.NextEntry(search, e);
        if (more) names.push_back(e.name);
        return more;
    };
    for (bool moreA = true, moreB = true; moreA || moreB;) {
        moreA = moreA && next(*a, fromA);
        moreB = moreB && next(*b, fromB);
    }
    EXPECT_EQ(fromA, direct("a/"));
    EXPECT_EQ(fromB, direct("b/"));
    EXPECT_EQ(fromA.size(), 300u);
    EXPECT_FALSE(calls.NextEntry(*a, e));
}

}  // namespace
