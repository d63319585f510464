// Starting programs on Windows (or Wine): look-up, argument quoting and the working folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "TempDir.h"
#include "platform/Files.h"
#include "platform/Process.h"

using namespace vorlaxis::platform;

namespace {

// The started program runs on its own; give it a while to leave its trace.
bool AppearsWithin(const std::string& path, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        if (Exists(path)) return true;
        ::Sleep(100);
    }
    return Exists(path);
}

}  // namespace

TEST(Process, FindsSystemProgramsAndChecksPaths) {
    const std::string cmd = FindProgram("cmd");
    ASSERT_FALSE(cmd.empty());
    EXPECT_NE(cmd.find("cmd.exe"), std::string::npos) << cmd;
    EXPECT_EQ(FindProgram(cmd), cmd);
    EXPECT_EQ(FindProgram("no-such-program-here"), "");
    EXPECT_EQ(FindProgram("C:\\no\\such.exe"), "");
    EXPECT_EQ(FindProgram(""), "");
}

TEST(Process, StartsDetachedWithQuotedArgumentsInTheWorkingFolder) {
    vorlaxis::test::TempDir dir;
    // cmd reads its own command line; a name with blanks must arrive as one argument.
    ASSERT_TRUE(StartDetached("cmd", {"/c", "mkdir", "složka s mezerami"}, dir.path()));
    EXPECT_TRUE(AppearsWithin(dir.path() + "složka s mezerami", 20));
    EXPECT_FALSE(StartDetached("no-such-program-here", {}, dir.path()));
}

TEST(Process, NotepadComesFromTheWindowsFolder) {
    const std::string notepad = SystemTextEditor();
    wchar_t windows[MAX_PATH + 1];
    ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH + 1), 0u);
    ASSERT_GT(notepad.size(), 12u);
    EXPECT_EQ(notepad.substr(notepad.size() - 12), "\\notepad.exe");
    EXPECT_TRUE(Exists(notepad)) << notepad;
}
