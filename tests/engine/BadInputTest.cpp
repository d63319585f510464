// Trees that hold what a medium should not: special files, links that lead nowhere or in a
// circle, names that are not UTF-8, directories that deny listing, files that vanish.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "RunFixture.h"
#include "engine/Tools.h"

namespace vorlaxis::test {
namespace {

bool MakeSocket(const std::string& path) {
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (s < 0) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    path.copy(addr.sun_path, path.size());
    const bool ok = ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(s);
    return ok;
}

TEST(BadInput, SpecialFilesAreNeverReadAndCountAsTested) {
    RunFixture f;
    f.tree.file("data", "abc");
    ASSERT_EQ(::mkfifo((f.tree.path() + "fifo").c_str(), 0600), 0);
    ASSERT_TRUE(MakeSocket(f.tree.path() + "sock"));
    // A device node needs privilege; where it cannot be made the rest still holds.
    const bool node = ::mknod((f.tree.path() + "null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    EXPECT_EQ(f.Run(f.tree.path()), 0);
    EXPECT_EQ(f.session.FileCount, node ? 4 : 3);
    EXPECT_EQ(f.statistics.BytesTotal, 3);
    EXPECT_EQ(f.session.DataChecksum, 0x126);
    EXPECT_EQ(f.display.outcomeText, "test dokončen OK");
    EXPECT_TRUE(f.host.asked.empty());
}

TEST(BadInput, LinkLoopAndDanglingLinkEndWithTheDanglingLinkUnreadable) {
    RunFixture f;
    f.tree.file("sub/a", "abc");
    std::filesystem::create_directory_symlink(f.tree.path(), f.tree.path() + "sub/loop");
    std::filesystem::create_symlink(f.tree.path() + "gone", f.tree.path() + "dangling");
    f.settings.GoNonstop = true;
    EXPECT_EQ(f.Run(f.tree.path()), 1);
    EXPECT_EQ(f.session.FileCount, 2);
    EXPECT_EQ(f.statistics.BytesTotal, 3 - 1);
    ASSERT_EQ(f.session.BadFiles.size(), 1u);
    EXPECT_EQ(f.session.BadFiles[0].Name, "dangling");
    EXPECT_NE(f.LogText().find("  počet adresářů:      2\r\n"), std::string::npos);
}

TEST(BadInput, NameThatIsNotUtf8IsOpenedByItsBytesAndLoggedWithQuestionMark) {
    RunFixture f;
    const std::string odd = f.tree.file("bad\xFF\xFEname", "abc");
    EXPECT_EQ(f.Run(f.tree.path()), 0);
    EXPECT_EQ(f.session.DataChecksum, 0x126);
    f.calls.failOpen[odd] = 1;
    f.settings.GoNonstop = true;
    EXPECT_EQ(f.Run(f.tree.path()), 1);
    EXPECT_NE(
        f.LogBytes().find("  \"" + f.tree.path() + "bad??name\" nelze p\xF8\x65\xE8\xEDst\r\n"),
        std::string::npos);
    EXPECT_EQ(f.session.BadFiles[0].Name, "bad\xFF\xFEname");
}

TEST(BadInput, ControlCharactersInANameCannotBreakTheLogsLines) {
    RunFixture f;
    f.UnopenableFile("two\r\nlines\tand\x1B[31mescape", "abc");
    f.settings.GoNonstop = true;
    EXPECT_EQ(f.Run(f.tree.path()), 1);
    const std::string log = f.LogBytes();
    EXPECT_NE(log.find("  \"" + f.tree.path() + "two??lines?and?[31mescape\" nelze p"),
              std::string::npos);
    // Every line break of the log is the pair CR LF, and nothing else is a control character.
    for (size_t i = 0; i < log.size(); ++i) {
        const auto byte = static_cast<unsigned char>(log[i]);
        if (byte == '\r' && i + 1 < log.size() && log[i + 1] == '\n') {
            ++i;
            continue;
        }
        // The collection-failure ending begins with LF CR; this run has none.
        EXPECT_GE(byte, 0x20) << "control byte " << int(byte) << " at " << i;
    }
    EXPECT_EQ(f.session.BadFiles[0].Name, "two\r\nlines\tand\x1B[31mescape");
}

TEST(BadInput, FileVanishingBeforeItsSizeIsTakenIsEnteredWithMinusOne) {
    RunFixture f;
    const std::string a = f.tree.file("a", "abc");
    f.calls.beforeSize = [&](const std::string& path) { std::filesystem::remove(path); };
    f.host.answers = {ReadErrorAnswer::Continue};
    EXPECT_EQ(f.Run(f.tree.path()), 1);
    EXPECT_EQ(f.session.FileTable[0].Size, -1);
    EXPECT_EQ(f.statistics.BytesTotal, -1);
    EXPECT_EQ(f.host.asked, std::vector<std::string>{a});
    // The unread rest of a file of size -1 is -1: "continue" counts it as the run does.
    EXPECT_EQ(f.statistics.BytesDone, -1);
}

TEST(BadInput, FileVanishingBeforeReadingIsUnreadable) {
    RunFixture f;
    const std::string a = f.tree.file("a", "abc");
    f.host.onPump = [&] {
        if (f.display.statusText == "Probíhá test...") std::filesystem::remove(a);
    };
    f.settings.GoNonstop = true;
    EXPECT_EQ(f.Run(f.tree.path()), 1);
    EXPECT_EQ(f.session.FileTable[0].Size, 3);
    EXPECT_EQ(f.display.outcomeText, "test dokončen, chyby!");
}

// Lists the tree as the user `nobody` in a child process; the exit code carries the counts.
int WalkAsNobody(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
        ScriptedHost host;
        DirectoryList dirs;
        ScanDirectories(path, dirs, DefaultBlockingCalls(), host);
        std::vector<std::string> files;
        for (const std::string& d : dirs) ListFiles(d, "*.*", files, DefaultBlockingCalls());
        ::_exit(static_cast<int>(dirs.size() * 10 + files.size()));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BadInput, DirectoryWithoutReadPermissionCountsAsEmpty) {
    TempDir t;
    t.file("open/a", "1");
    t.file("closed/b", "2");
    t.file("closed/inner/c", "3");
    ::chmod(t.path().c_str(), 0755);
    ::chmod((t.path() + "open").c_str(), 0755);
    ::chmod((t.path() + "open/a").c_str(), 0644);
    ::chmod((t.path() + "closed").c_str(), 0);
    int result;
    if (::geteuid() == 0) {
        result = WalkAsNobody(t.path());
        if (result == 99) GTEST_SKIP() << "cannot become nobody";
    } else {
        ScriptedHost host;
        DirectoryList dirs;
        ScanDirectories(t.path(), dirs, DefaultBlockingCalls(), host);
        std::vector<std::string> files;
        for (const std::string& d : dirs) ListFiles(d, "*.*", files, DefaultBlockingCalls());
        result = static_cast<int>(dirs.size() * 10 + files.size());
    }
    // The root, "open" and "closed" stand in the list; only "open/a" is listed.
    EXPECT_EQ(result, 31);
}

}  // namespace
}  // namespace vorlaxis::test
