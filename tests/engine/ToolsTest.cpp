// The directory walk and the file lists over real trees.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "DeepTree.h"
#include "Fakes.h"
#include "TempDir.h"
#include "engine/Tools.h"

namespace vorlaxis::test {
namespace {

// The names of `dir`'s subdirectories in the order the platform lists them.
std::vector<std::string> ListedSubdirs(const std::string& dir) {
    std::vector<std::string> names;
    platform::DirSearch search(dir, "*.*", platform::kMaskWalk);
    platform::DirEntry e;
    while (search.next(e)) {
        if (e.name != "." && e.name != ".." && (e.attributes & platform::kAttrDirectory)) {
            names.push_back(e.name);
        }
    }
    return names;
}

DirectoryList Walk(const std::string& path, ScriptedHost& host) {
    DirectoryList list;
    ScanDirectories(path, list, DefaultBlockingCalls(), host);
    return list;
}

TEST(Tools, WalkIsDepthFirstPreOrderInListingOrder) {
    TempDir t;
    t.file("A/X/f", "1");
    t.file("B/g", "2");
    t.file("top", "3");
    ScriptedHost host;
    const DirectoryList list = Walk(t.path(), host);
    DirectoryList expected{t.path()};
    for (const std::string& name : ListedSubdirs(t.path())) {
        expected.push_back(t.path() + name + "/");
        if (name == "A") expected.push_back(t.path() + "A/X/");
    }
    EXPECT_EQ(list, expected);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_GT(host.pumps, 0);
}

TEST(Tools, LocationWithoutSubdirectoriesIsItsOwnList) {
    TempDir t;
    t.file("a", "1");
    ScriptedHost host;
    EXPECT_EQ(Walk(t.path(), host), DirectoryList{t.path()});
}

TEST(Tools, ListFilesAppendsEveryNonDirectoryEntry) {
    TempDir t;
    t.file("a", "1");
    t.file(".hidden", "2");
    t.file("sub/inner", "3");
    std::vector<std::string> list{"kept"};
    ListFiles(t.path(), "*.*", list, DefaultBlockingCalls());
    std::sort(list.begin() + 1, list.end());
    EXPECT_EQ(list, (std::vector<std::string>{"kept", t.path() + ".hidden", t.path() + "a"}));
    std::vector<std::string> limited;
    ListFiles(t.path(), "*.*", limited, DefaultBlockingCalls(), 1);
    EXPECT_EQ(limited.size(), 1u);
    std::vector<std::string> none;
    ListFiles(t.path() + "missing/", "*.*", none, DefaultBlockingCalls());
    EXPECT_TRUE(none.empty());
}

TEST(Tools, SymlinkLoopEndsAndOtherDirectoryLinksAreWalked) {
    TempDir t;
    t.file("real/deep/f", "1");
    std::filesystem::create_directory_symlink(t.path(), t.path() + "real/deep/up");
    std::filesystem::create_directory_symlink(t.path() + "real/deep", t.path() + "alias");
    std::filesystem::create_directory_symlink(t.path() + "real/deep/up", t.path() + "self");
    ScriptedHost host;
    DirectoryList list = Walk(t.path(), host);
    std::sort(list.begin(), list.end());
    // "alias" leads to a directory that is not on its path: walked; its "up" leads back to
    // the location and "self" leads to the location itself: both left out.
    EXPECT_EQ(list, (DirectoryList{t.path(), t.path() + "alias/", t.path() + "real/",
                                   t.path() + "real/deep/"}));
}

// Each level holds two links to the next: 2^11 ways to the last if every link were walked.
TEST(Tools, LinksThatMultiplyPathsAreWalkedIntoOnce) {
    TempDir t;
    constexpr int kLevels = 12;
    for (int k = 1; k <= kLevels; ++k) t.file("d" + std::to_string(k) + "/f", "x");
    for (int k = 1; k < kLevels; ++k) {
        const std::string next = t.path() + "d" + std::to_string(k + 1);
        const std::string here = t.path() + "d" + std::to_string(k) + "/";
        std::filesystem::create_directory_symlink(next, here + "x");
        std::filesystem::create_directory_symlink(next, here + "y");
    }
    ScriptedHost host;
    const DirectoryList list = Walk(t.path(), host);
    // The location, each real directory, and each directory once more through a link.
    EXPECT_EQ(list.size(), 1u + kLevels + (kLevels - 1));
}

TEST(Tools, TwoLinksToOneDirectoryWalkItThroughTheFirstOnly) {
    TempDir t;
    t.file("links/target/f", "1");
    std::filesystem::create_directory_symlink(t.path() + "links/target", t.path() + "a");
    std::filesystem::create_directory_symlink(t.path() + "links/target", t.path() + "b");
    ScriptedHost host;
    DirectoryList list = Walk(t.path(), host);
    // The real directory is always walked; of the two links, the one listed first.
    const bool viaA = std::find(list.begin(), list.end(), t.path() + "a/") != list.end();
    const bool viaB = std::find(list.begin(), list.end(), t.path() + "b/") != list.end();
    EXPECT_NE(viaA, viaB);
    EXPECT_NE(std::find(list.begin(), list.end(), t.path() + "links/target/"), list.end());
    EXPECT_EQ(list.size(), 4u);
    // A link to a file is still a file of the table, marked as a link by the listing.
    std::filesystem::create_symlink(t.path() + "links/target/f", t.path() + "file-link");
    platform::DirSearch search(t.path(), "*.*", platform::kMaskFiles);
    uint32_t attributes = 0;
    for (platform::DirEntry e; search.next(e);) {
        if (e.name == "file-link") attributes = e.attributes;
    }
    EXPECT_EQ(attributes, platform::kAttrReparsePoint);
}

TEST(Tools, DanglingLinkIsAFileThatCannotBeRead) {
    TempDir t;
    std::filesystem::create_symlink(t.path() + "nowhere", t.path() + "dangling");
    ScriptedHost host;
    EXPECT_EQ(Walk(t.path(), host), DirectoryList{t.path()});
    std::vector<std::string> files;
    ListFiles(t.path(), "*.*", files, DefaultBlockingCalls());
    EXPECT_EQ(files, std::vector<std::string>{t.path() + "dangling"});
    EXPECT_EQ(platform::ListedFileSize(files[0]), -1);
}

TEST(Tools, PathLongerThanTheSystemAllowsIsAnUnlistedDirectory) {
    TempDir t;
    // Built with relative steps, since the full path is refused by the system.
    const std::string name(200, 'd');
    int fd = ::open(t.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < 25; ++i) {
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0700), 0);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    ::close(::openat(fd, "f", O_CREAT | O_WRONLY, 0600));
    ::close(fd);
    ScriptedHost host;
    DirectoryList list;
    UnlistedDirectories unlisted;
    ScanDirectories(t.path(), list, DefaultBlockingCalls(), host, &unlisted);
    ASSERT_GE(list.size(), 19u);
    EXPECT_LE(list.size(), 26u);
    EXPECT_GT(list.back().size(), 4096u);
    // The first directory out of reach is named with why; none is taken for empty.
    ASSERT_EQ(unlisted.size(), 1u);
    EXPECT_EQ(unlisted[0].index, list.size() - 1);
    EXPECT_EQ(unlisted[0].failure, platform::ListingFailure::PathTooLong);
    EXPECT_FALSE(unlisted[0].started);
    std::vector<std::string> files;
    for (const std::string& d : list) ListFiles(d, "*.*", files, DefaultBlockingCalls());
    EXPECT_TRUE(files.empty());
    // Removal of the deep tree needs relative steps as well.
    RemoveBelow(::open(t.path().c_str(), O_RDONLY | O_DIRECTORY));
}

}  // namespace
}  // namespace vorlaxis::test
