// Starting real programs detached: argument lists arrive untouched, no shell, no zombie.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "TempDir.h"
#include "platform/Files.h"
#include "platform/Process.h"

using namespace vorlaxis;
using vorlaxis::test::TempDir;

namespace {

// A program that writes its folder and arguments, one a line, then renames the file into
// place so the test never sees it half written.
std::string WriteRecorder(const TempDir& dir, const std::string& name) {
    const std::string path =
        dir.file("bin/" + name,
                 "#!/bin/sh\n"
                 "out=\"$RECORD_TO\"\n"
                 "pwd > \"$out.part\"\n"
                 "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$out.part\"; done\n"
                 "mv \"$out.part\" \"$out\"\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

std::string WaitForFile(const std::string& path) {
    std::string content;
    for (int i = 0; i < 1000 && !platform::ReadWholeFile(path, content); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return content;
}

TEST(StartDetached, PassesArgumentsVerbatimInTheWorkingFolder) {
    TempDir dir;
    const std::string program = WriteRecorder(dir, "recorder");
    const std::string record = dir.path() + "record.txt";
    ::setenv("RECORD_TO", record.c_str(), 1);
    dir.file("work/.keep", "");
    const std::string tricky = "a b \"c\" $(touch " + dir.path() + "pwned) ; |";
    ASSERT_TRUE(platform::StartDetached(program, {tricky, "", "-x"}, dir.path() + "work/"));
    EXPECT_EQ(WaitForFile(record), dir.path() + "work\n" + tricky + "\n\n-x\n");
    EXPECT_FALSE(platform::Exists(dir.path() + "pwned"));
    // The middle child was reaped and the program belongs to someone else: nothing to wait for.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    ::unsetenv("RECORD_TO");
}

TEST(StartDetached, FindsProgramsOnThePathAndReportsMissingOnes) {
    TempDir dir;
    WriteRecorder(dir, "my-editor");
    dir.file("bin/not-executable", "#!/bin/sh\n");
    const char* oldPath = std::getenv("PATH");
    const std::string saved = oldPath ? oldPath : "";
    // The recorder itself needs the system tools after our folder.
    ::setenv("PATH", (dir.path() + "nowhere:" + dir.path() + "bin:/usr/bin:/bin").c_str(), 1);
    EXPECT_EQ(platform::FindProgram("my-editor"), dir.path() + "bin/my-editor");
    EXPECT_EQ(platform::FindProgram("not-executable"), "");
    EXPECT_EQ(platform::FindProgram("no-such-program"), "");
    EXPECT_FALSE(platform::StartDetached("no-such-program", {}, ""));
    ::setenv("RECORD_TO", (dir.path() + "r.txt").c_str(), 1);
    EXPECT_TRUE(platform::StartDetached("my-editor", {"x"}, ""));
    EXPECT_NE(WaitForFile(dir.path() + "r.txt"), "");
    ::setenv("PATH", saved.c_str(), 1);
    ::unsetenv("RECORD_TO");
}

TEST(StartDetached, ProgramThatCannotBeExecutedIsReported) {
    TempDir dir;
    const std::string bad = dir.file("bin/broken", "#!/no/such/interpreter\n");
    ::chmod(bad.c_str(), 0755);
    EXPECT_FALSE(platform::StartDetached(bad, {}, ""));
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
