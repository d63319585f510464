// A full test of 49152 files by vorlaxis-check under valgrind: no leak, no invalid access.
// Slow (minutes): registered only with -DVORLAXIS_SLOW_TESTS=ON, label "slow".
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "ChildProcess.h"
#include "RamFolder.h"

using namespace vorlaxis::test;

TEST(Memcheck, FullTestOf49152FilesUnderValgrindLeaksNothing) {
    if (RunProgram({"/usr/bin/valgrind", "--version"}).exitCode != 0) {
        GTEST_SKIP() << "valgrind is not installed";
    }
    RamFolder ram;
    const std::string media = ram.path() + "media/";
    ASSERT_EQ(::mkdir(media.c_str(), 0755), 0);
    for (int i = 0; i < 49152; ++i) {
        const int fd = ::open((media + "f" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "data", 4), 4);
        ::close(fd);
    }
    TempDir tmp;
    const ProgramResult r =
        RunProgram({"/usr/bin/valgrind", "--leak-check=full", "--show-leak-kinds=all",
                    "--errors-for-leak-kinds=definite,indirect,possible", "--error-exitcode=99",
                    VORLAXIS_CHECK_EXE, "--log", tmp.path() + "log.txt", media},
                   {"TMPDIR=" + tmp.path()}, std::chrono::minutes(60));
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err.substr(r.err.size() > 4000 ? r.err.size() - 4000 : 0);
    EXPECT_NE(r.err.find("ERROR SUMMARY: 0 errors"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("in use at exit: 0 bytes"), std::string::npos)
        << "memory still held at exit:\n"
        << r.err;
}
