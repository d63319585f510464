// Entries a hostile or damaged medium may hold: odd names, special files, link loops, paths at
// the system's length limit, a sparse file beyond 4 GiB. Each must give a clear result: no
// crash, no hang, nothing left out silently.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "RamFolder.h"
#include "RunHarness.h"

using namespace vorlaxis;
using namespace vorlaxis::test;

namespace {

class OddEntries : public ::testing::Test {
  protected:
    std::string Add(const std::string& name, const std::string& content) {
        std::ofstream(root() + name, std::ios::binary) << content;
        return root() + name;
    }
    const std::string& root() const { return ram.path(); }

    RamFolder ram;
    RunHarness h;
};

}  // namespace

TEST_F(OddEntries, NamesWithNewlinesInvalidUtf8AndCzechLettersAreRead) {
    Add("line\nbreak.txt", "a");
    Add("bad\xff\xfe.bin", "bb");
    Add("žluťoučký kůň.txt", "ccc");
    Add("quote\"and\r;$(rm -rf x)", "dddd");
    Add("-leading dash", "e");
    h.settings.GoNonstop = true;

    EXPECT_EQ(h.Run(root()), 0);
    EXPECT_EQ(h.session.FileCount, 5);
    EXPECT_EQ(h.session.DataChecksum, ByteSum("abbcccdddde"));
    EXPECT_EQ(h.display.outcomeText, "test dokončen OK");
}

TEST_F(OddEntries, UnreadableOddNameIsLoggedAndListedByItsBytes) {
    const std::string name = "nový\nodkaz\xff";
    ASSERT_EQ(::symlink("nowhere", (root() + name).c_str()), 0);  // dangling: unreadable
    h.settings.GoNonstop = true;

    EXPECT_EQ(h.Run(root()), 1);
    ASSERT_EQ(h.session.BadFiles.size(), 1u);
    EXPECT_EQ(h.session.BadFiles[0].Name, name);
    EXPECT_EQ(h.session.BadFiles[0].Directory, root());
    // In the Windows-1250 log the invalid byte and the line break become "?", the Czech
    // letter stays.
    std::string raw;
    ASSERT_TRUE(platform::ReadWholeFile(h.session.LogPath, raw));
    EXPECT_NE(raw.find("  \"" + root() +
                       "nov\xfd?odkaz?\" nelze p\xf8"
                       "e\xe8\xedst\r\n"),
              std::string::npos);
}

TEST_F(OddEntries, SpecialFilesCountAsTestedAndAreNeverOpened) {
    if (::geteuid() != 0) GTEST_SKIP() << "device nodes can only be made by root";
    Add("regular.txt", "abc");
    ASSERT_EQ(::mkfifo((root() + "fifo").c_str(), 0600), 0);  // opening it would block
    // Reading this one would never end.
    ASSERT_EQ(::mknod((root() + "zero").c_str(), S_IFCHR | 0600, makedev(1, 5)), 0);
    ASSERT_EQ(::mknod((root() + "loop").c_str(), S_IFBLK | 0600, makedev(7, 0)), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, (root() + "socket").c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    for (const int override : {1, 2, 3}) {
        SCOPED_TRACE(override);
        EXPECT_EQ(h.Run(root(), override), 0);
        EXPECT_EQ(h.session.FileCount, 5);
        EXPECT_EQ(h.statistics.BytesTotal, 3);
        EXPECT_EQ(h.display.outcomeText, "test dokončen OK");
    }
    EXPECT_EQ(h.session.DataChecksum, 0);  // only-open reads nothing
    ::close(sock);
}

TEST_F(OddEntries, LinksBackToTheRootAreNotWalkedAgain) {
    ::mkdir((root() + "a").c_str(), 0755);
    ::mkdir((root() + "a/b").c_str(), 0755);
    Add("a/b/data.txt", "data");
    const std::string self = root().substr(0, root().size() - 1);
    ASSERT_EQ(::symlink(".", (root() + "self").c_str()), 0);
    ASSERT_EQ(::symlink("..", (root() + "a/up").c_str()), 0);
    ASSERT_EQ(::symlink("../..", (root() + "a/b/upup").c_str()), 0);
    ASSERT_EQ(::symlink(self.c_str(), (root() + "a/b/root").c_str()), 0);
    ASSERT_EQ(::symlink("../../a", (root() + "a/b/parent").c_str()), 0);
    ASSERT_EQ(::symlink("loop2", (root() + "loop1").c_str()), 0);  // a link loop: ELOOP
    ASSERT_EQ(::symlink("loop1", (root() + "loop2").c_str()), 0);
    h.settings.GoNonstop = true;

    EXPECT_EQ(h.Run(root()), 2);  // the two loop links cannot be examined
    EXPECT_EQ(h.LogLinesStartingWith("  počet adresářů:")[0], "  počet adresářů:      3");
    EXPECT_EQ(h.session.DataChecksum, ByteSum("data"));
}

TEST_F(OddEntries, PathsAtTheLengthLimit) {
    // Directories of long names down to where a 100-character name fills PATH_MAX.
    constexpr size_t kRoom = 100;
    const size_t dirLength = PATH_MAX - 1 - kRoom;
    std::string dir = root();
    while (dirLength - dir.size() > 255) {
        dir += std::string(200, 'd') + "/";
        ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    }
    dir += std::string(dirLength - dir.size() - 1, 'e') + "/";
    ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    const size_t room = kRoom;
    const std::string longest = dir + std::string(room, 'x');
    ASSERT_EQ(longest.size(), size_t(PATH_MAX - 1));
    std::ofstream(longest) << "limit";
    // One byte more can only be made relative to its folder: no program can open it by path.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(dirFd, 0);
    const int fd = ::openat(dirFd, std::string(room + 1, 'y').c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ::close(dirFd);
    h.settings.GoNonstop = true;

    // Not damage: named as not tested, with its path.
    EXPECT_EQ(h.Run(root()), 0);
    EXPECT_EQ(h.session.DataChecksum, ByteSum("limit"));
    EXPECT_TRUE(h.session.BadFiles.empty());
    ASSERT_EQ(h.session.Unchecked.size(), 1u);
    EXPECT_EQ(h.session.Unchecked[0].Reason, UncheckedReason::PathTooLong);
    EXPECT_EQ(h.session.Unchecked[0].Path, dir + std::string(room + 1, 'y'));
}

// Block modes over a sparse file beyond 4 GiB: positions past 2^32 are reached by the moves,
// and only the read blocks count into the sum.
TEST_F(OddEntries, SparseFileBeyondFourGibInTheBlockModes) {
    constexpr int64_t b = 48 * 1024;
    constexpr int64_t size = (int64_t(1) << 32) + 40 * b + 123;
    const std::string path = Add("sparse.bin", "");
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    // A marker at the start of every 16th block above 4 GiB (read in every mode), and one in
    // the block after each (never read).
    const int64_t first = ((int64_t(1) << 32) / (16 * b) + 1) * 16 * b;
    int markers = 0;
    for (int64_t at = first; at + b < size; at += 16 * b, ++markers) {
        ASSERT_EQ(::pwrite(fd, "\x40", 1, at), 1);
        ASSERT_EQ(::pwrite(fd, "\x80", 1, at + b), 1);
    }
    ::close(fd);
    ASSERT_GT(markers, 0);
    h.settings.BlockSize = 48;
    h.settings.DataReadStyle = 2;

    for (const int step : {3, 2, 1}) {  // every 16th, 8th, 4th block
        SCOPED_TRACE(step);
        h.settings.ReadEveryXthBlock = step;
        EXPECT_EQ(h.Run(root()), 0);
        EXPECT_EQ(h.statistics.BytesDone, size);
        EXPECT_EQ(h.session.DataChecksum, uint16_t(0x40 * markers));
    }
}
