#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/Files.h"

using namespace vorlaxis::platform;
namespace fs = std::filesystem;

TEST(InputFile, ReadsPositionsAndStopsAtTheEnd) {
    vorlaxis::test::TempDir dir;
    const std::string path = dir.file("data.bin", std::string(10000, 'x'));
    InputFile f;
    ASSERT_TRUE(f.open(path));
    char buffer[4096];
    EXPECT_EQ(f.read(buffer, 4096), 4096);
    EXPECT_EQ(f.position(), 4096);
    EXPECT_TRUE(f.seek(8192));
    EXPECT_EQ(f.read(buffer, 4096), 10000 - 8192);
    EXPECT_EQ(f.read(buffer, 4096), 0);
    EXPECT_TRUE(f.seek(1'000'000));  // past the end is a position, reading there gives 0
    EXPECT_EQ(f.read(buffer, 4096), 0);
    // Bytes read through a duplicate are passed over; the next read goes on after them.
    std::string data(10000, 'x');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i % 251);
    const std::string other = dir.file("other.bin", data);
    ASSERT_TRUE(f.open(other));
    InputFile twin;
    ASSERT_TRUE(f.duplicate(twin));
    EXPECT_EQ(twin.readAt(0, buffer, 4096), 4096);
    EXPECT_TRUE(f.skipRead(4096) && f.skipRead(100));
    EXPECT_EQ(f.position(), 4196);
    ASSERT_EQ(f.read(buffer, 10), 10);
    EXPECT_EQ(std::string(buffer, 10), data.substr(4196, 10));
}

namespace {

// Bytes this process has caused to be fetched from storage; -1 where the system does not count.
int64_t StorageReadBytes() {
    std::ifstream io("/proc/self/io");
    std::string key;
    int64_t value = 0;
    while (io >> key >> value) {
        if (key == "read_bytes:") return value;
    }
    return -1;
}

std::string Pattern(size_t size) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 131 + i / 4096) & 0xFF);
    return data;
}

// Reads every n-th block as the block modes do: read a block, move over n - 1 blocks.
std::string ReadEveryNth(InputFile& f, int64_t block, int64_t n) {
    std::string got;
    std::vector<char> buffer(static_cast<size_t>(block));
    for (;;) {
        const int64_t r = f.read(buffer.data(), block);
        EXPECT_GE(r, 0);
        if (r <= 0) break;
        got.append(buffer.data(), static_cast<size_t>(r));
        if (r < block) break;
        const int64_t here = f.position();
        if (!f.seek(here + (n - 1) * block)) break;
    }
    return got;
}

std::string EveryNth(const std::string& data, size_t block, size_t n) {
    std::string want;
    for (size_t at = 0; at < data.size(); at += n * block) want += data.substr(at, block);
    return want;
}

}  // namespace

TEST(InputFile, EveryNthBlockReadingDeliversExactlyThoseBlocks) {
    vorlaxis::test::TempDir dir;
    const std::string data = Pattern(3 * 1024 * 1024 + 1234);  // ends in a part block
    const std::string path = dir.file("data.bin", data);
    for (int64_t block : {4096, 49152}) {
        for (int64_t n : {4, 8, 16}) {
            InputFile f;
            ASSERT_TRUE(f.open(path));
            EXPECT_EQ(ReadEveryNth(f, block, n), EveryNth(data, size_t(block), size_t(n)))
                << block << " / " << n;
        }
    }
    // After every-n-th reading, moving back and reading on gives the plain bytes again, and a
    // file taken over by swap goes on from where it was.
    InputFile f;
    ASSERT_TRUE(f.open(path));
    ReadEveryNth(f, 4096, 8);
    ASSERT_TRUE(f.seek(100));
    std::string buffer(300000, '\0');
    EXPECT_EQ(f.read(buffer.data(), 300000), 300000);
    EXPECT_EQ(buffer, data.substr(100, 300000));
    ASSERT_TRUE(f.seek(0));
    InputFile other;
    EXPECT_EQ(f.read(buffer.data(), 4096), 4096);
    ASSERT_TRUE(f.seek(4 * 4096));
    other.swap(f);
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(ReadEveryNth(other, 4096, 4), EveryNth(data, 4096, 4).substr(4096));
}

// The blocks asked for ahead must be the read blocks only: the stretches passed over are never
// fetched from the medium.
TEST(InputFile, EveryNthBlockReadingFetchesLittleMoreThanThoseBlocks) {
    const int64_t mib = 1024 * 1024;
    const std::string data = Pattern(size_t(64 * mib));
    vorlaxis::test::TempDir dir(fs::path("/var/tmp"));
    const std::string path = dir.file("big.bin", data);
    {
        const int fd = ::open(path.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        ::fsync(fd);  // written pages cannot be dropped until they are on the disk
        ::close(fd);
    }
    std::vector<char> buffer(49152);
    InputFile f;
    const int64_t before = StorageReadBytes();
    ASSERT_TRUE(f.open(path));
    while (f.read(buffer.data(), 49152) > 0) {
    }
    const int64_t full = StorageReadBytes() - before;
    if (before < 0 || full < 48 * mib) {
        GTEST_SKIP() << "reads of this folder are not counted as storage reads here (" << full
                     << " bytes for a 64 MiB file)";
    }
    ASSERT_TRUE(f.open(path));
    const int64_t start = StorageReadBytes();
    EXPECT_EQ(ReadEveryNth(f, 49152, 16).size(), EveryNth(data, 49152, 16).size());
    const int64_t sparse = StorageReadBytes() - start;
    // A sixteenth is 4 MiB; the hints ask for a few blocks past the end at most.
    EXPECT_LT(sparse, 8 * mib) << "every 16th block of 64 MiB fetched " << sparse << " bytes";

    // Told at the open, the file asks for its first blocks before any is read, and still for
    // nothing between them.
    ASSERT_TRUE(f.open(path));
    const int64_t opened = StorageReadBytes();
    EXPECT_TRUE(f.willReadEvery(49152, 16 * 49152, 64));
    EXPECT_GE(StorageReadBytes() - opened, 8 * 49152);
    EXPECT_EQ(ReadEveryNth(f, 49152, 16), EveryNth(data, 49152, 16));
    EXPECT_LT(StorageReadBytes() - opened, 8 * mib);
}

// A medium read through is not left in the page cache: pages are let go behind the reading,
// the rest when the file is closed. Read on, and through a duplicate at positions.
TEST(InputFile, ReadingThroughLeavesLittleOfTheFileCached) {
    const size_t size = 32 * 1024 * 1024;
    vorlaxis::test::TempDir dir(fs::path("/var/tmp"));
    const std::string path = dir.file("big.bin", Pattern(size));
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ::fsync(fd);  // written pages cannot be let go until they are on the disk
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    ASSERT_NE(map, MAP_FAILED);
    const auto cachedMiB = [&] {
        std::vector<unsigned char> pages((size + 4095) / 4096);
        EXPECT_EQ(::mincore(map, size, pages.data()), 0);
        return std::count_if(pages.begin(), pages.end(), [](unsigned char p) { return p & 1; }) *
               4096 / (1024 * 1024);
    };
    for (const bool atPositions : {false, true}) {
        std::vector<char> buffer(49152);
        InputFile f;
        ASSERT_TRUE(f.open(path));
        // The open lets the whole file go where the system can: not where the pages are the
        // file itself (a memory file system).
        if (cachedMiB() > 1) {
            ::munmap(map, size);
            GTEST_SKIP() << "this file system keeps pages it is told to let go";
        }
        InputFile twin;
        ASSERT_TRUE(f.duplicate(twin));
        int64_t total = 0;
        for (int64_t got = 1; got > 0; total += got) {
            got = atPositions ? twin.readAt(total, buffer.data(), 49152)
                              : f.read(buffer.data(), 49152);
        }
        EXPECT_EQ(total, int64_t(size));
        EXPECT_LE(cachedMiB(), 16) << "while open, at positions: " << atPositions;
        f.close();
        twin.close();
        EXPECT_LE(cachedMiB(), 1) << "closed, at positions: " << atPositions;
    }
    ::munmap(map, size);
}

TEST(InputFile, SpecialFilesAreNeverOpenedAndReadAsEmpty) {
    vorlaxis::test::TempDir dir;
    const std::string fifo = dir.path() + "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    InputFile f;
    ASSERT_TRUE(f.open(fifo));  // would block forever if it were opened
    char buffer[16];
    EXPECT_EQ(f.read(buffer, 16), 0);
    EXPECT_EQ(ListedFileSize(fifo), 0);
    EXPECT_TRUE(f.open("/dev/zero"));
    EXPECT_EQ(f.read(buffer, 16), 0);
}

namespace {

// The folder "d/" in `dir` with a file of seven bytes, an empty one, a subdirectory "sub" (with
// a file "x"), a FIFO, a link to the seven bytes and a dangling link; returns its path.
std::string MakeOddEntries(const vorlaxis::test::TempDir& dir) {
    dir.file("d/seven", "1234567");
    dir.file("d/empty", "");
    dir.file("d/sub/x", "x");
    const std::string d = dir.path() + "d/";
    EXPECT_EQ(::mkfifo((d + "fifo").c_str(), 0600), 0);
    EXPECT_EQ(::symlink("seven", (d + "link").c_str()), 0);
    EXPECT_EQ(::symlink("nowhere", (d + "dangling").c_str()), 0);
    return d;
}

}  // namespace

// The sizes of a directory's files asked for together are those asked for one by one.
TEST(ListedFileSizes, AreTheSizesOfEachPath) {
    vorlaxis::test::TempDir dir;
    const std::string d = MakeOddEntries(dir);
    const std::vector<std::pair<std::string, int64_t>> cases = {
        {"seven", 7}, {"empty", 0}, {"sub", -1},     {"fifo", 0},
        {"link", 7},  {"gone", -1}, {"dangling", -1}};
    std::vector<std::string> paths;
    for (const auto& c : cases) paths.push_back(d + c.first);
    paths.push_back(dir.path() + "d/sub/x");  // a path below the directory still counts
    std::vector<int64_t> sizes;
    ListedFileSizes(d, paths, sizes);
    ASSERT_EQ(sizes.size(), paths.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(sizes[i], cases[i].second) << cases[i].first;
        EXPECT_EQ(sizes[i], ListedFileSize(paths[i])) << cases[i].first;
    }
    EXPECT_EQ(sizes.back(), 1);
    ListedFileSizes(dir.path() + "missing/", {dir.path() + "missing/a"}, sizes);
    EXPECT_EQ(sizes, std::vector<int64_t>{-1});
}

// One listing gives every file of a directory once, in listing order, with the size its path
// has; a directory larger than one fetch of entries included.
TEST(ListFilesWithSizes, AreTheFilesOfTheListingWithTheSizesOfTheirPaths) {
    vorlaxis::test::TempDir dir;
    const std::string d = MakeOddEntries(dir);
    std::vector<std::string> expected = {"dangling", "empty", "fifo", "link", "seven"};
    for (int i = 0; i < 400; ++i) {
        expected.push_back(std::string(100, 'n') + std::to_string(1000 + i));
        dir.file("d/" + expected.back(), std::string(size_t(i % 3), 'z'));
    }
    std::sort(expected.begin(), expected.end());

    std::vector<std::string> paths, names;
    std::vector<int64_t> sizes;
    ListingOutcome outcome;
    ASSERT_TRUE(ListFilesWithSizes(d, static_cast<size_t>(-1), paths, sizes, outcome));
    EXPECT_EQ(outcome.failure, ListingFailure::None);
    EXPECT_EQ(outcome.pastLimit, 0);
    ASSERT_EQ(sizes.size(), paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(sizes[i], ListedFileSize(paths[i])) << paths[i];
        names.push_back(paths[i].substr(d.size()));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);

    const std::vector<std::string> all = paths;
    ASSERT_TRUE(ListFilesWithSizes(d, 3, paths, sizes, outcome));
    EXPECT_EQ(paths, std::vector<std::string>(all.begin(), all.begin() + 3));
    EXPECT_EQ(sizes.size(), 3u);
    EXPECT_EQ(outcome.pastLimit, static_cast<int64_t>(all.size()) - 3);  // counted, not kept
    // A listing that cannot start says why: the medium, or a path no call can open.
    EXPECT_FALSE(ListFilesWithSizes(dir.path() + "missing/", 10, paths, sizes, outcome));
    EXPECT_TRUE(paths.empty() && sizes.empty());
    EXPECT_EQ(outcome.failure, ListingFailure::Unreadable);
    const std::string tooLong = dir.path() + std::string(PATH_MAX, 'x') + "/";
    EXPECT_TRUE(PathTooLong(tooLong));
    EXPECT_FALSE(PathTooLong(d));
    EXPECT_FALSE(ListFilesWithSizes(tooLong, 10, paths, sizes, outcome));
    EXPECT_EQ(outcome.failure, ListingFailure::PathTooLong);
}

// The identities of a directory's subdirectories asked together are those asked one by one.
TEST(GetDirectoryIdentities, AreTheIdentitiesOfEachSubdirectory) {
    vorlaxis::test::TempDir dir;
    dir.file("d/a/x", "x");
    dir.file("d/b/y", "y");
    dir.file("d/file", "f");
    const std::string d = dir.path() + "d/";
    ASSERT_EQ(::symlink("a", (d + "link").c_str()), 0);
    const std::vector<std::string> names = {"a", "b", "link", "file", "gone"};
    std::vector<std::optional<FileIdentity>> ids;
    GetDirectoryIdentities(d, names, ids);
    ASSERT_EQ(ids.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        FileIdentity one;
        const bool known = GetFileIdentity(d + names[i] + "/", one);
        EXPECT_EQ(ids[i].has_value(), known) << names[i];
        if (ids[i] && known) {
            EXPECT_EQ(*ids[i], one) << names[i];
        }
    }
    EXPECT_TRUE(ids[0] && ids[2] && *ids[0] == *ids[2]);  // the link leads to a
    EXPECT_FALSE(ids[3] || ids[4]);
}

TEST(InputFile, DirectoriesAndDanglingLinksFail) {
    vorlaxis::test::TempDir dir;
    InputFile f;
    EXPECT_FALSE(f.open(dir.path()));
    const std::string link = dir.path() + "dangling";
    ASSERT_EQ(::symlink("nowhere", link.c_str()), 0);
    EXPECT_FALSE(f.open(link));
    EXPECT_EQ(ListedFileSize(link), -1);
    EXPECT_EQ(ListedFileSize(dir.path()), -1);
}

TEST(DirSearch, DeliversEveryEntryOrOnlyNonDirectories) {
    vorlaxis::test::TempDir dir;
    dir.file("a.txt", "a");
    dir.file("noext", "b");
    fs::create_directory(dir.path() + "sub");
    ::symlink("sub", (dir.path() + "linkdir").c_str());
    auto list = [&](uint32_t mask) {
        std::vector<std::string> names;
        DirSearch s(dir.path(), "*.*", mask);
        EXPECT_TRUE(s.valid());
        DirEntry e;
        while (s.next(e)) {
            if (e.name != "." && e.name != "..") {
                names.push_back(e.name + ((e.attributes & kAttrDirectory) ? "/" : ""));
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(list(kMaskWalk), (std::vector<std::string>{"a.txt", "linkdir/", "noext", "sub/"}));
    EXPECT_EQ(list(kMaskFiles), (std::vector<std::string>{"a.txt", "noext"}));
    DirSearch missing(dir.path() + "nope/", "*.*", kMaskWalk);
    EXPECT_FALSE(missing.valid());
}

TEST(OutputFile, PrivateCreateRefusesAPlantedLink) {
    vorlaxis::test::TempDir dir;
    const std::string victim = dir.file("victim", "keep");
    const std::string log = dir.path() + "tmplog0.txt";
    ASSERT_EQ(::symlink(victim.c_str(), log.c_str()), 0);
    OutputFile out;
    EXPECT_FALSE(out.createPrivate(log));
    std::string content;
    ASSERT_TRUE(ReadWholeFile(victim, content));
    EXPECT_EQ(content, "keep");
}

TEST(TempFolder, IsPrivateAndReusedAndNeverAPlantedLink) {
    vorlaxis::test::TempDir dir;
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    const std::string folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(TempFolder(), folder);

    vorlaxis::test::TempDir other;
    ::setenv("TMPDIR", other.path().c_str(), 1);
    const std::string planted = other.path() + "vorlaxis-" + std::to_string(::geteuid());
    ASSERT_EQ(::symlink(dir.path().c_str(), planted.c_str()), 0);
    // Never the link: a fresh folder of our own beside it, the same one at every call.
    const std::string fresh = TempFolder();
    EXPECT_EQ(fresh.rfind(planted + "-", 0), 0u) << fresh;
    EXPECT_EQ(TempFolder(), fresh);
    ASSERT_EQ(::lstat(fresh.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ::unsetenv("TMPDIR");
}

TEST(Files, MakeDirectoriesAndTimes) {
    vorlaxis::test::TempDir dir;
    const std::string deep = dir.path() + "a/b/c";
    EXPECT_TRUE(MakeDirectories(deep));
    EXPECT_TRUE(IsDirectory(deep));
    const std::string f = dir.file("t", "x");
    EXPECT_TRUE(SetLastWriteTime(f, 1'000'000'000'123'000'000));
    int64_t ns = 0;
    ASSERT_TRUE(GetLastWriteTime(f, ns));
    EXPECT_EQ(ns, 1'000'000'000'123'000'000);
    EXPECT_FALSE(ProgramFolder().empty());
    EXPECT_EQ(ProgramFolder().back(), '/');
}
