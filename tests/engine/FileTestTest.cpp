// TestFile over real files: the block arithmetic of every read mode.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "Fakes.h"
#include "TempDir.h"
#include "engine/FileTest.h"

namespace vorlaxis::test {
namespace {

struct Recorder : FileStepObserver {
    void AfterRead() override { ++reads; }
    void AfterStep(int64_t done) override { steps.push_back(done); }
    int reads = 0;
    std::vector<int64_t> steps;  // the file's bytes done after each step
};

struct FileRig {
    // `stride` is the mode's value: 0, 1, 4, 8 or 16.
    FileTestResult Test(const std::string& path, int64_t size, int64_t blockBytes, int stride) {
        FileTestContext c{
            calls,      file,     buffer.get(), blockBytes, static_cast<ReadMode>(stride),
            statistics, checksum, recorder};
        return TestFile(c, FileEntry{path, size});
    }
    FailingCalls calls;
    platform::InputFile file;
    std::unique_ptr<unsigned char[]> buffer = std::make_unique<unsigned char[]>(49152);
    TestStatistics statistics;
    uint16_t checksum = 0;
    Recorder recorder;
    TempDir dir;
};

TEST(FileTest, EveryFourthBlockExamples) {
    FileRig r;
    const std::string p20000 = r.dir.file("20000", std::string(20000, '\x01'));
    FileTestResult res = r.Test(p20000, 20000, 4096, 4);
    EXPECT_TRUE(res.Finished);
    EXPECT_EQ(r.recorder.steps, (std::vector<int64_t>{4096, 4096 + 12288, 20000}));
    EXPECT_EQ(r.recorder.reads, 2);
    EXPECT_EQ(r.checksum, 4096 + 3616);
    EXPECT_EQ(r.statistics.BytesDone, 20000);

    FileRig r2;
    r2.Test(r2.dir.file("10000", std::string(10000, '\x01')), 10000, 4096, 4);
    EXPECT_EQ(r2.recorder.steps, (std::vector<int64_t>{4096, 10000}));
    EXPECT_EQ(r2.recorder.reads, 1);
    EXPECT_EQ(r2.checksum, 4096);

    FileRig r3;
    r3.Test(r3.dir.file("4096", std::string(4096, '\x01')), 4096, 4096, 4);
    EXPECT_EQ(r3.statistics.BytesDone, 4096);
    EXPECT_EQ(r3.checksum, 4096);

    FileRig r4;
    EXPECT_TRUE(r4.Test(r4.dir.file("0", ""), 0, 4096, 4).Finished);
    EXPECT_EQ(r4.recorder.steps, (std::vector<int64_t>{0}));
    EXPECT_EQ(r4.recorder.reads, 1);
}

TEST(FileTest, FileOfExactlyNBlocksReadsZeroBytesAtItsEnd) {
    FileRig r;
    r.Test(r.dir.file("f", std::string(4 * 4096, '\x02')), 4 * 4096, 4096, 4);
    EXPECT_EQ(r.recorder.reads, 2);
    EXPECT_EQ(r.statistics.BytesDone, 4 * 4096);
    EXPECT_EQ(r.checksum, 2 * 4096);
}

TEST(FileTest, EverySixteenthBlockOfAHundredThousandBytes) {
    FileRig r;
    r.Test(r.dir.file("f", std::string(100000, '\x01')), 100000, 49152, 16);
    EXPECT_EQ(r.recorder.steps, (std::vector<int64_t>{49152, 100000}));
    EXPECT_EQ(r.statistics.BytesDone, 100000);
    EXPECT_EQ(r.checksum, 49152);
}

TEST(FileTest, ReadAllFollowsTheFileNotTheRecordedSize) {
    FileRig r;
    const std::string p = r.dir.file("grown", std::string(10000, '\x01'));
    EXPECT_TRUE(r.Test(p, 10, 4096, 1).Finished);
    EXPECT_EQ(r.statistics.BytesDone, 10000);
    EXPECT_EQ(r.checksum, 10000);
}

TEST(FileTest, OpenOnlyReadsNothing) {
    FileRig r;
    EXPECT_TRUE(r.Test(r.dir.file("f", "abc"), 3, 4096, 0).Finished);
    EXPECT_EQ(r.recorder.reads, 0);
    EXPECT_EQ(r.statistics.BytesDone, 0);
    EXPECT_EQ(r.checksum, 0);
    FileRig missing;
    const FileTestResult res = missing.Test(missing.dir.path() + "none", 77, 4096, 0);
    EXPECT_FALSE(res.Finished);
    EXPECT_EQ(res.Remaining, 77);
}

TEST(FileTest, FailedReadKeepsWhatWasCounted) {
    FileRig r;
    const std::string p = r.dir.file("f", std::string(20000, '\x01'));
    r.calls.failReadAt[p] = 8192;
    const FileTestResult res = r.Test(p, 20000, 4096, 1);
    EXPECT_FALSE(res.Finished);
    EXPECT_EQ(res.Remaining, 20000 - 8192);
    EXPECT_EQ(r.statistics.BytesDone, 8192);
    EXPECT_EQ(r.checksum, 8192);
    EXPECT_FALSE(r.file.isOpen());
}

TEST(FileTest, StopEndsTheFileAfterTheCurrentStep) {
    FileRig r;
    r.statistics.StopRequested = true;
    EXPECT_TRUE(r.Test(r.dir.file("f", std::string(20000, '\x01')), 20000, 4096, 1).Finished);
    EXPECT_EQ(r.statistics.BytesDone, 4096);
}

TEST(FileTest, BlockModesReachPositionsBeyondFourGiBInASparseFile) {
    FileRig r;
    const std::string p = r.dir.path() + "sparse";
    const int64_t b = 49152;
    const int64_t size = (int64_t{5} << 30) + 12345;
    const int64_t marked = 5462 * 16 * b;  // the first read block beyond 4 GiB
    ASSERT_GT(marked, int64_t{1} << 32);
    const int fd = ::open(p.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    const unsigned char mark[2] = {0x7F, 0x01};
    ASSERT_EQ(::pwrite(fd, mark, 1, marked), 1);
    ASSERT_EQ(::pwrite(fd, mark + 1, 1, marked + b), 1);  // passed over, never summed
    ::close(fd);
    EXPECT_TRUE(r.Test(p, size, b, 16).Finished);
    EXPECT_EQ(r.checksum, 0x7F);
    EXPECT_EQ(r.statistics.BytesDone, size);
}

}  // namespace
}  // namespace vorlaxis::test
