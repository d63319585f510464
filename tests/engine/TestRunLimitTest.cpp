// What a run cannot reach: files past the table's limit of 49152 (created once and reused by
// the phases), and paths past the system's length limit. Never silently left out.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "DeepTree.h"
#include "RunFixture.h"
#include "engine/Tools.h"

namespace vorlaxis::test {
namespace {

void CreateEmptyFiles(const std::string& dir, int count) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < count; ++i) {
        const std::string name = "f" + std::to_string(i);
        const int f = ::openat(fd, name.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        ASSERT_GE(f, 0);
        ::close(f);
    }
    ::close(fd);
}

// The names of `dir` in the platform's listing order, directories left out.
std::vector<std::string> Listed(const std::string& dir) {
    std::vector<std::string> files;
    ListFiles(dir, "*.*", files, DefaultBlockingCalls());
    return files;
}

const char kLimitText[] =
    "Na médiu je více souborů než je možné testovat (maximum je 49152).\r\r"
    "Bude otestovánou pouze prvních 49152 souborů...";

// Many files are made fastest in memory, where the machine has a memory file system.
std::string ManyFilesBase() {
    return platform::IsDirectory("/dev/shm/") ? "/dev/shm"
                                              : std::filesystem::temp_directory_path().string();
}

// The message comes once a file is left out, wherever the table fills; the files left out are
// counted to the log and the unchecked list, and no run that left one out passes as "ok".
TEST(TestRunLimit, FilesPastTheTableAreCountedWhereverTheTableFills) {
    RunFixture f;
    TempDir many(ManyFilesBase());
    const std::string root = many.path();
    CreateEmptyFiles(root, kFileTableSize);
    const auto check = [&](int32_t files, int64_t leftOut, const char* outcome) {
        f.dialogs.shown.clear();
        f.Run(root, 3);
        EXPECT_EQ(f.session.FileCount, files);
        EXPECT_NE(f.LogText().find("  počet souborů:       " + std::to_string(files) + "\r\n"),
                  std::string::npos);
        EXPECT_EQ(f.display.outcomeText, outcome);
        if (leftOut == 0) {
            EXPECT_TRUE(f.dialogs.shown.empty());
            EXPECT_TRUE(f.session.Unchecked.empty());
            return;
        }
        ASSERT_EQ(f.dialogs.shown.size(), 1u);
        EXPECT_EQ(f.dialogs.shown[0].text, kLimitText);
        EXPECT_EQ(f.dialogs.shown[0].caption, "Překročen limit...");
        EXPECT_EQ(f.dialogs.shown[0].icon, MsgIcon::Warning);
        EXPECT_EQ(f.dialogs.shown[0].buttons, MsgButtons::Ok);
        ASSERT_EQ(f.session.Unchecked.size(), 1u);
        EXPECT_EQ(f.session.Unchecked[0].Reason, UncheckedReason::FileLimit);
        EXPECT_EQ(f.session.Unchecked[0].Count, leftOut);
        EXPECT_NE(f.LogText().find("\r\nNebylo otestováno:\r\n  souborů nad limit: " +
                                   std::to_string(leftOut) + "\r\n"),
                  std::string::npos);
    };

    {
        SCOPED_TRACE("49152 files, then empty directories: nothing left out");
        check(49152, 0, "test dokončen OK");
        std::filesystem::create_directory(root + "e1");
        std::filesystem::create_directory(root + "e2");
        check(49152, 0, "test dokončen OK");
        EXPECT_NE(f.LogText().find("  počet adresářů:      3\r\n"), std::string::npos);
        std::filesystem::remove(root + "e1");
        std::filesystem::remove(root + "e2");
    }
    CreateEmptyFiles(root, kFileTableSize + 1);
    {
        SCOPED_TRACE("the table fills in the last directory: the last listed file left out");
        check(49152, 1, "test neúplný !");
        const std::vector<std::string> listed = Listed(root);
        ASSERT_EQ(listed.size(), 49153u);
        EXPECT_EQ(f.Number(listed.back()), 0);
        EXPECT_EQ(f.Number(listed[49151]), 49152);
    }
    {
        SCOPED_TRACE("files of the directories after the full table are counted too");
        std::filesystem::create_directory(root + "s");
        CreateEmptyFiles(root + "s", 2);
        check(49152, 3, "test neúplný !");
    }
    {
        SCOPED_TRACE("with no file limit every file is tested");
        f.session.NoFileLimit = true;
        check(49155, 0, "test dokončen OK");
        f.session.NoFileLimit = false;
    }
}

// A path past what the system opens by full name is named as not tested; a file beside it
// that can be reached is read.
TEST(TestRunLimit, PathsPastTheSystemLimitAreNamedNotSkipped) {
    RunFixture f;
    TempDir t;
    std::string deep;
    const int fd = MakeDeepDirectory(t.path(), 4090, deep);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(deep.size(), 4090u);
    ::close(::openat(fd, "a", O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
    ::close(::openat(fd, "0123456789", O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
    ASSERT_EQ(::mkdirat(fd, "ssssssssss", 0700), 0);
    ::close(fd);

    EXPECT_EQ(f.Run(t.path()), 0);
    EXPECT_EQ(f.session.FileCount, 1);
    EXPECT_EQ(f.Number(deep + "a"), 1);
    ASSERT_EQ(f.session.Unchecked.size(), 2u);
    EXPECT_EQ(f.session.Unchecked[0].Reason, UncheckedReason::PathTooLong);
    EXPECT_EQ(f.session.Unchecked[0].Path, deep + "0123456789");
    EXPECT_EQ(f.session.Unchecked[1].Reason, UncheckedReason::PathTooLong);
    EXPECT_EQ(f.session.Unchecked[1].Path, deep + "ssssssssss/");
    EXPECT_NE(f.LogText().find("\r\n  \"" + deep + "0123456789\" - příliš dlouhá cesta\r\n"),
              std::string::npos);
    EXPECT_EQ(f.display.outcomeText, "test neúplný !");
    RemoveBelow(::open(t.path().c_str(), O_RDONLY | O_DIRECTORY));
}

}  // namespace
}  // namespace vorlaxis::test
