#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "TempDir.h"

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

TEST(TempFolder, IsPrivateAndReusedAndRefusesAForeignLink) {
    vorlaxis::test::TempDir dir;
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    const std::string folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    struct stat st{};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(TempFolder(), folder);

    vorlaxis::test::TempDir other;
    ::setenv("TMPDIR", other.path().c_str(), 1);
    const std::string planted = other.path() + "vorlaxis-" + std::to_string(::geteuid());
    ASSERT_EQ(::symlink(dir.path().c_str(), planted.c_str()), 0);
    EXPECT_EQ(TempFolder(), "");
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
