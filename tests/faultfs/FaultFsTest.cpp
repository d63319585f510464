// The fault file system itself: what each rule does to the requests of a program, and that
// the helper mounts and unmounts reliably.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FaultFs.h"

using vorlaxis::test::FaultFs;
using vorlaxis::test::TraceLine;

namespace {

// Result of one pread: bytes, or -errno.
int64_t ReadAt(const std::string& path, int64_t offset, int64_t size) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return -errno;
    std::string buffer(static_cast<size_t>(size), '\0');
    const ssize_t n = ::pread(fd, buffer.data(), buffer.size(), offset);
    const int64_t result = n < 0 ? -errno : n;
    ::close(fd);
    return result;
}

std::string ReadAll(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return "<open failed>";
    std::string all;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) all.append(buffer, size_t(n));
    ::close(fd);
    return n < 0 ? "<read failed>" : all;
}

// Names of a directory's listing, or the errno of the failure (opendir or readdir).
std::vector<std::string> List(const std::string& dir, int* error = nullptr, bool sorted = true) {
    std::vector<std::string> names;
    if (error) *error = 0;
    DIR* d = ::opendir(dir.c_str());
    if (!d) {
        if (error) *error = errno;
        return names;
    }
    errno = 0;
    while (const dirent* e = ::readdir(d)) {
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") {
            names.emplace_back(e->d_name);
        }
    }
    if (error && errno != 0) *error = errno;
    ::closedir(d);
    if (sorted) std::sort(names.begin(), names.end());
    return names;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

class FaultFsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        VORLAXIS_REQUIRE_FUSE();
        ASSERT_TRUE(fs.Mount()) << fs.error();
    }
    FaultFs fs;
};

}  // namespace

TEST_F(FaultFsTest, ServesTheBackingFolderReadOnly) {
    const std::string a = fs.AddFile("a.txt", "alpha");
    fs.AddFile("sub/b.bin", std::string(70000, 'b'));
    ASSERT_EQ(::symlink("a.txt", (fs.backing() + "link").c_str()), 0);

    EXPECT_EQ(ReadAll(a), "alpha");
    EXPECT_EQ(ReadAll(fs.root() + "sub/b.bin"), std::string(70000, 'b'));
    EXPECT_EQ(ReadAll(fs.root() + "link"), "alpha");
    EXPECT_EQ(List(fs.root()), (std::vector<std::string>{"a.txt", "link", "sub"}));
    EXPECT_LT(::open(a.c_str(), O_WRONLY), 0);
    EXPECT_EQ(errno, EROFS);
}

TEST_F(FaultFsTest, ListsInNameOrder) {
    std::vector<std::string> names;
    for (int i = 40; i > 0; --i)
        names.push_back(fs.AddFile("n" + std::to_string(i * 37 % 101), ""));
    std::vector<std::string> listed = List(fs.root(), nullptr, false);
    EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
    EXPECT_EQ(listed.size(), 40u);
}

TEST_F(FaultFsTest, OneReadOfTheProgramIsOneRequest) {
    const std::string path = fs.AddFile("big.bin", std::string(200000, 'x'));
    fs.ClearTrace();
    EXPECT_EQ(ReadAt(path, 4096, 49152), 49152);
    std::vector<TraceLine> reads;
    for (const TraceLine& t : fs.Trace()) {
        if (t.what == "read") reads.push_back(t);
    }
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].offset, 4096);
    EXPECT_EQ(reads[0].size, 49152);
    EXPECT_EQ(reads[0].path, "/big.bin");
}

TEST_F(FaultFsTest, ReadErrorHitsExactlyTheReadsTouchingTheRange) {
    const std::string path = fs.AddFile("f.bin", std::string(3 * 4096, 'f'));
    fs.SetFaults("read-error /f.bin 5000 10\n");
    EXPECT_EQ(ReadAt(path, 0, 4096), 4096);
    EXPECT_EQ(ReadAt(path, 4096, 4096), -EIO);
    EXPECT_EQ(ReadAt(path, 4096, 904), 904);  // ends right before the bad bytes
    EXPECT_EQ(ReadAt(path, 5009, 1), -EIO);   // the last bad byte
    EXPECT_EQ(ReadAt(path, 5010, 4096), 4096);
    EXPECT_EQ(ReadAt(path, 0, 3 * 4096), -EIO);
}

TEST_F(FaultFsTest, TransientFaultsHealAfterTheirCount) {
    const std::string path = fs.AddFile("t.bin", std::string(100, 't'));
    fs.SetFaults("read-error /t.bin 0 1 2\nopen-error /t.bin EIO 1\n");
    EXPECT_EQ(ReadAt(path, 0, 100), -EIO);  // the open fails
    EXPECT_EQ(ReadAt(path, 0, 100), -EIO);  // the read fails, twice
    EXPECT_EQ(ReadAt(path, 0, 100), -EIO);
    EXPECT_EQ(ReadAt(path, 0, 100), 100);
}

TEST_F(FaultFsTest, OpenFailsWithTheNamedError) {
    const std::string eio = fs.AddFile("eio", "x");
    const std::string denied = fs.AddFile("denied", "x");
    const std::string good = fs.AddFile("good", "x");
    fs.SetFaults("open-error /eio EIO\nopen-error /denied EACCES\n");
    EXPECT_EQ(ReadAt(eio, 0, 1), -EIO);
    EXPECT_EQ(ReadAt(denied, 0, 1), -EACCES);
    EXPECT_EQ(ReadAt(good, 0, 1), 1);
    EXPECT_TRUE(Exists(eio));  // the name itself can still be examined
}

TEST_F(FaultFsTest, ListingFailsAtOpenOrAtRead) {
    fs.AddFile("d1/x", "x");
    fs.AddFile("d2/y", "y");
    fs.AddFile("d3/z", "z");
    fs.AddFile("d4/a", "a");
    fs.AddFile("d4/b", "b");
    fs.AddFile("d5/c", "c");
    fs.SetFaults(
        "list-error /d1\nlist-error /d2 read\nlist-error /d4 after 3\n"
        "list-error /d5 open EACCES\n");
    int error = 0;
    EXPECT_TRUE(List(fs.root() + "d1", &error).empty());
    EXPECT_EQ(error, EIO);
    EXPECT_TRUE(List(fs.root() + "d2", &error).empty());
    EXPECT_EQ(error, EIO);
    EXPECT_EQ(List(fs.root() + "d3", &error), std::vector<std::string>{"z"});
    EXPECT_EQ(error, 0);
    EXPECT_EQ(List(fs.root() + "d4", &error), std::vector<std::string>{"a"});  // then it breaks
    EXPECT_EQ(error, EIO);
    EXPECT_TRUE(List(fs.root() + "d5", &error).empty());
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(ReadAll(fs.root() + "d1/x"), "x");  // files stay reachable by name
}

TEST_F(FaultFsTest, FileVanishesAfterItsDirectoryWasListed) {
    const std::string ghost = fs.AddFile("dir/ghost", "boo");
    fs.AddFile("dir/stays", "s");
    fs.SetFaults("vanish /dir/ghost 2\n");
    EXPECT_TRUE(Exists(ghost));
    EXPECT_EQ(List(fs.root() + "dir"), (std::vector<std::string>{"ghost", "stays"}));
    EXPECT_TRUE(Exists(ghost));
    EXPECT_EQ(List(fs.root() + "dir"), (std::vector<std::string>{"ghost", "stays"}));
    EXPECT_FALSE(Exists(ghost));
    EXPECT_EQ(ReadAt(ghost, 0, 3), -ENOENT);
    EXPECT_EQ(List(fs.root() + "dir"), std::vector<std::string>{"stays"});
    EXPECT_TRUE(Exists(fs.backing() + "dir/ghost"));  // the backing file is untouched
}

TEST_F(FaultFsTest, FileShrinksOrGrowsWhileItIsRead) {
    const std::string shrinking = fs.AddFile("shrinking", std::string(10000, 's'));
    const std::string growing = fs.AddFile("growing", std::string(5000, 'g'));
    fs.SetFaults("resize /shrinking 4100 4096\nresize /growing 9000\n");
    EXPECT_EQ(ReadAt(shrinking, 0, 4096), 4096);
    EXPECT_EQ(ReadAt(shrinking, 4096, 4096), 4);
    EXPECT_EQ(ReadAll(growing), std::string(5000, 'g') + std::string(4000, 'G'));
    struct stat st {};
    ASSERT_EQ(::stat(growing.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 9000);
}

TEST_F(FaultFsTest, SlowMediumStillDeliversEveryByte) {
    const std::string path = fs.AddFile("slow", std::string(3 * 4096 + 7, 'w'));
    fs.SetFaults("delay 5 /slow\n");
    EXPECT_EQ(ReadAll(path), std::string(3 * 4096 + 7, 'w'));
}

TEST_F(FaultFsTest, NewRulesTakeEffectAtTheNextRequest) {
    const std::string path = fs.AddFile("r", "data");
    EXPECT_EQ(ReadAt(path, 0, 4), 4);
    fs.SetFaults("read-error /r 0 1\n");
    EXPECT_EQ(ReadAt(path, 0, 4), -EIO);
    fs.SetFaults("# healed\n");
    EXPECT_EQ(ReadAt(path, 0, 4), 4);
}

TEST_F(FaultFsTest, UnmountsEvenWhileAFileIsHeldOpen) {
    const std::string path = fs.AddFile("held", "h");
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    fs.Unmount();
    EXPECT_FALSE(fs.mounted());
    EXPECT_FALSE(Exists(path));  // the mount point is an empty folder again
    char c;
    EXPECT_LT(::read(fd, &c, 1), 1);
    ::close(fd);
    ASSERT_TRUE(fs.Mount()) << fs.error();  // and it comes back
    EXPECT_EQ(ReadAll(path), "h");
}

namespace {

bool StillMounted(const std::string& root) {
    const std::string wanted = " " + root.substr(0, root.size() - 1) + " ";
    FILE* f = std::fopen("/proc/self/mountinfo", "re");
    if (!f) return false;
    char line[4096];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, f)) found = std::strstr(line, wanted.c_str());
    std::fclose(f);
    return found;
}

}  // namespace

TEST(FaultFsCleanup, MountEndsWithATestProcessThatCrashed) {
    VORLAXIS_REQUIRE_FUSE();
    FaultFs fs;
    // The child mounts and dies without any clean-up of its own.
    EXPECT_DEATH(
        {
            if (fs.Mount()) std::abort();
            std::exit(0);
        },
        "");
    for (int i = 0; i < 2000 && StillMounted(fs.root()); ++i) ::usleep(5000);
    EXPECT_FALSE(StillMounted(fs.root()));
}
