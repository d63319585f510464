// vorlaxis-check where its log cannot be written, and over odd entries: it must end, say why,
// and never exit 0 unless every file was read and the log is whole.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "RamFolder.h"

using namespace vorlaxis::test;

namespace {

constexpr int kAllReadable = 0, kUnreadable = 1;

void Fill(const std::string& path, off_t keep = -1) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const std::string chunk(4096, 'f');
    while (::write(fd, chunk.data(), chunk.size()) > 0) {
    }
    while (::write(fd, "f", 1) > 0) {
    }
    if (keep >= 0) {
        ASSERT_EQ(::ftruncate(fd, keep), 0);
    }
    ::close(fd);
}

ProgramResult Check(std::vector<std::string> args, const std::string& tmp) {
    args.insert(args.begin(), VORLAXIS_CHECK_EXE);
    ProgramResult r = RunProgram(args, {"TMPDIR=" + tmp});
    EXPECT_FALSE(r.timedOut) << "vorlaxis-check hung";
    EXPECT_EQ(r.signal, 0) << r.err;
    return r;
}

}  // namespace

TEST(CheckProgram, FullTemporaryFolderNeverExitsZero) {
    RamFolder full(64 * 1024);
    if (!full.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    TempDir media;
    media.file("a.txt", "abc");
    ::mkdir((full.path() + "vorlaxis-" + std::to_string(::geteuid())).c_str(), 0700);
    Fill(full.path() + "filler");

    const ProgramResult r = Check({media.path()}, full.path());
    EXPECT_NE(r.exitCode, kAllReadable);
    EXPECT_EQ(r.exitCode, kUnreadable);
    EXPECT_NE(r.err.find("Fatální chyba"), std::string::npos) << r.err;
}

TEST(CheckProgram, LogFileOnAFullFileSystemNeverExitsZero) {
    RamFolder full(64 * 1024);
    if (!full.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    TempDir media, tmp;
    media.file("a.txt", "abc");
    Fill(full.path() + "filler");

    const ProgramResult r = Check({"--log", full.path() + "log.txt", media.path()}, tmp.path());
    EXPECT_EQ(r.exitCode, kUnreadable) << r.err;
    EXPECT_FALSE(r.err.empty());
}

TEST(CheckProgram, LogThatFillsUpMidRunIsReportedIncomplete) {
    RamFolder small(8192);
    if (!small.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    TempDir media, tmp;
    for (int i = 0; i < 40; ++i) {
        const std::string name = media.path() + std::string(100, 'n') + std::to_string(i);
        ASSERT_EQ(::symlink("nowhere", name.c_str()), 0);
    }
    Fill(small.path() + "filler", 4096);  // one page left for the log

    const ProgramResult r = Check({"--log", small.path() + "log.txt", media.path()}, tmp.path());
    EXPECT_EQ(r.exitCode, kUnreadable);
    EXPECT_NE(r.err.find("could not be written"), std::string::npos) << r.err;
}

TEST(CheckProgram, SpecialFilesAndLinkLoopsEndWithATruthfulStatus) {
    TempDir media, tmp;
    media.file("a.txt", "abc");
    ASSERT_EQ(::mkfifo((media.path() + "fifo").c_str(), 0600), 0);
    ASSERT_EQ(::symlink(".", (media.path() + "self").c_str()), 0);
    EXPECT_EQ(Check({media.path()}, tmp.path()).exitCode, kAllReadable);

    ASSERT_EQ(::symlink("loop2", (media.path() + "loop1").c_str()), 0);
    ASSERT_EQ(::symlink("loop1", (media.path() + "loop2").c_str()), 0);
    const ProgramResult r = Check({media.path()}, tmp.path());
    EXPECT_EQ(r.exitCode, kUnreadable);
    EXPECT_NE(r.out.find("  počet chybých souborů: 2"), std::string::npos) << r.out;
}

TEST(CheckProgram, HostileNamesCannotSendEscapeSequencesToTheTerminal) {
    TempDir media, tmp;
    // Unreadable (dangling), so the name is printed in the log's failure line.
    const std::string name =
        "x\x1b]2;pwned\x07\x1b[2J\xc2\x9b"
        "31m\x7f"
        "end";
    ASSERT_EQ(::symlink("nowhere", (media.path() + name).c_str()), 0);

    const ProgramResult r = Check({media.path()}, tmp.path());
    EXPECT_EQ(r.exitCode, kUnreadable);
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(r.out.find('\x07'), std::string::npos);
    EXPECT_EQ(r.out.find('\x7f'), std::string::npos);
    EXPECT_EQ(r.out.find("\xc2\x9b"), std::string::npos);
    // The Windows-1250 log turned the C1 byte into "?" already; the printed text does the rest.
    EXPECT_NE(r.out.find("x?]2;pwned??[2J"), std::string::npos) << r.out;
}
