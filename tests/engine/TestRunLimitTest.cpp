// The file table's limit of 49152 files. The files are created once and reused by the phases.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

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

TEST(TestRunLimit, FullTableMessageOnlyWhenAFurtherDirectoryFollows) {
    RunFixture f;
    TempDir many(ManyFilesBase());
    const std::string root = many.path();
    CreateEmptyFiles(root, kFileTableSize);

    // 49152 files in the last directory: all in the table, no message.
    f.Run(root, 3);
    EXPECT_TRUE(f.dialogs.shown.empty());
    EXPECT_EQ(f.session.FileCount, 49152);
    EXPECT_EQ(f.display.filesTotalText, "49152");
    EXPECT_NE(f.LogText().find("  počet souborů:       49152\r\n"), std::string::npos);

    // The table full after the first directory with empty directories following: the message
    // once, the run goes on with the table.
    std::filesystem::create_directory(root + "e1");
    std::filesystem::create_directory(root + "e2");
    f.Run(root, 3);
    ASSERT_EQ(f.dialogs.shown.size(), 1u);
    EXPECT_EQ(f.dialogs.shown[0].text, kLimitText);
    EXPECT_EQ(f.dialogs.shown[0].caption, "Překročen limit...");
    EXPECT_EQ(f.dialogs.shown[0].icon, MsgIcon::Warning);
    EXPECT_EQ(f.dialogs.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(f.session.FileCount, 49152);
    EXPECT_NE(f.LogText().find("  počet adresářů:      3\r\n  počet souborů:       49152\r\n"),
              std::string::npos);
    EXPECT_EQ(f.display.outcomeText, "test dokončen OK");

    // 49153 files in the last directory: no message, the last listed file left out.
    std::filesystem::remove(root + "e1");
    std::filesystem::remove(root + "e2");
    CreateEmptyFiles(root, kFileTableSize + 1);
    f.dialogs.shown.clear();
    f.Run(root, 3);
    EXPECT_TRUE(f.dialogs.shown.empty());
    EXPECT_EQ(f.session.FileCount, 49152);
    const std::vector<std::string> listed = Listed(root);
    ASSERT_EQ(listed.size(), 49153u);
    EXPECT_EQ(f.Number(listed.back()), 0);
    EXPECT_EQ(f.Number(listed[49151]), 49152);
}

}  // namespace
}  // namespace vorlaxis::test
