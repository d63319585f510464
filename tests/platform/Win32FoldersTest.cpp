// The folders the program writes in, on Windows or under Wine: a temporary folder for each
// running copy, the user's folder, whether the program's folder takes files, and never writing
// through a link.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>

#include "TempDir.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/win32/Wide.h"
#include "support/ReadBack.h"

using namespace vorlaxis::platform;
using vorlaxis::test::ReadOrMissing;
using vorlaxis::test::TempDir;

TEST(CopyFolder, AFolderWhoseLockIsHeldIsPassedOverUntilItsCopyEnds) {
    TempDir parent;
    auto first = std::make_unique<CopyFolder>();
    ASSERT_TRUE(first->claim(parent.path()));
    EXPECT_EQ(first->path(), parent.path() + "copy1\\");
    CopyFolder second;
    ASSERT_TRUE(second.claim(parent.path()));
    EXPECT_EQ(second.path(), parent.path() + "copy2\\");
    first.reset();
    CopyFolder third;
    ASSERT_TRUE(third.claim(parent.path()));
    EXPECT_EQ(third.path(), parent.path() + "copy1\\");
}

TEST(ProgramFolderIsWritable, TriesToCreateAFileAndLeavesNothing) {
    TempDir dir;
    EXPECT_TRUE(ProgramFolderIsWritable(dir.path()));
    EXPECT_TRUE(std::filesystem::is_empty(vorlaxis::test::PathFromUtf8(dir.path())));
    EXPECT_FALSE(ProgramFolderIsWritable(dir.path() + "missing\\"));
}

TEST(UserFolders, BothAreVorlaxisInTheRoamingApplicationData) {
    const std::string folder = UserConfigFolder();
    ASSERT_GT(folder.size(), 10u);
    EXPECT_EQ(folder.substr(folder.size() - 10), "\\Vorlaxis\\");
    EXPECT_EQ(UserDataFolder(), folder);
}

TEST(OutputFile, CreateNoLinkNeverWritesThroughALink) {
    TempDir dir, outside;
    const std::string victim = outside.file("precious.txt", "precious");
    const std::string hard = dir.path() + "hard.txt";
    ASSERT_TRUE(
        ::CreateHardLinkW(win32::LongPath(hard).c_str(), win32::LongPath(victim).c_str(), nullptr));
    OutputFile out;
    EXPECT_FALSE(out.createNoLink(hard));
    // Wine makes a Unix link that its own calls do not show as a reparse point; where the
    // system shows the link as one, it is refused.
    const std::string soft = dir.path() + "soft.txt";
    if (::CreateSymbolicLinkW(win32::LongPath(soft).c_str(), win32::LongPath(victim).c_str(),
                              0x2 /* allow unprivileged creation */) &&
        IsSymbolicLink(soft)) {
        EXPECT_FALSE(out.createNoLink(soft));
    }
    EXPECT_EQ(ReadOrMissing(victim), "precious");
    const std::string plain = dir.file("plain.txt", "an older and longer text");
    ASSERT_TRUE(out.createNoLink(plain));
    EXPECT_TRUE(out.write("new"));
    EXPECT_TRUE(out.close());
    EXPECT_EQ(ReadOrMissing(plain), "new");
}
