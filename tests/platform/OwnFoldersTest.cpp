// The folders the program writes in on Linux: a temporary folder for each running copy (real
// processes), the user's folders, whether the program's folder takes files (a read-only mount),
// and never writing through a link.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ScopedEnv.h"
#include "TempDir.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "support/ReadBack.h"

using namespace vorlaxis::platform;
using vorlaxis::test::ReadOrMissing;
using vorlaxis::test::ScopedEnv;
using vorlaxis::test::TempDir;

namespace {

// Another running copy: a process that claims a folder in `parent`, says which, and lives until
// it is killed.
class OtherCopy {
  public:
    explicit OtherCopy(const std::string& parent) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            CopyFolder folder;
            const std::string path = folder.claim(parent) ? folder.path() : "-";
            if (::write(fds[1], path.data(), path.size()) < 0) ::_exit(1);
            ::close(fds[1]);
            for (;;) ::pause();
        }
        ::close(fds[1]);
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) m_path.append(buffer, n);
        ::close(fds[0]);
    }
    ~OtherCopy() { Kill(); }
    // Ends it as a crash would: no clean-up of its own.
    void Kill() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    const std::string& path() const { return m_path; }

  private:
    pid_t m_pid = -1;
    std::string m_path;
};

}  // namespace

TEST(CopyFolder, EachRunningCopyHasItsOwnAndAnEndedCopysFolderIsTakenOver) {
    TempDir parent;
    OtherCopy first(parent.path());
    ASSERT_EQ(first.path(), parent.path() + "copy1/");
    const std::string firstLog = first.path() + "tmplog0.txt";
    std::ofstream(firstLog) << "first copy's log";

    CopyFolder second;
    ASSERT_TRUE(second.claim(parent.path()));
    EXPECT_EQ(second.path(), parent.path() + "copy2/");
    struct stat st {};
    ASSERT_EQ(::stat(second.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(ReadOrMissing(firstLog), "first copy's log");

    first.Kill();
    CopyFolder third;
    ASSERT_TRUE(third.claim(parent.path()));
    EXPECT_EQ(third.path(), parent.path() + "copy1/");       // its copy has ended
    EXPECT_EQ(ReadOrMissing(firstLog), "first copy's log");  // taken over as it is
    EXPECT_FALSE(CopyFolder().claim(""));
}

TEST(CopyFolder, APlantedLinkOrForeignFolderIsPassedOver) {
    TempDir parent, elsewhere;
    ASSERT_EQ(::symlink(elsewhere.path().c_str(), (parent.path() + "copy1").c_str()), 0);
    ASSERT_EQ(::mkdir((parent.path() + "copy2").c_str(), 0777), 0);
    ASSERT_EQ(::chmod((parent.path() + "copy2").c_str(), 0777), 0);  // writable by others
    CopyFolder folder;
    ASSERT_TRUE(folder.claim(parent.path()));
    EXPECT_EQ(folder.path(), parent.path() + "copy3/");
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
}

TEST(ClaimOwnTempFolder, TempFolderBecomesTheCopysOwnForGood) {
    // In a process of its own: the claim holds until the process ends.
    TempDir tmp;
    EXPECT_EXIT(
        {
            ::setenv("TMPDIR", tmp.path().c_str(), 1);
            const std::string shared = TempFolder();
            const std::string own = ClaimOwnTempFolder();
            const bool ok = !shared.empty() && own == shared + "copy1/" && TempFolder() == own &&
                            ClaimOwnTempFolder() == own;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(ProgramFolderIsWritable, TriesToCreateAFileAndLeavesNothing) {
    TempDir dir;
    EXPECT_TRUE(ProgramFolderIsWritable(dir.path()));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_FALSE(ProgramFolderIsWritable(dir.path() + "missing/"));
    EXPECT_FALSE(ProgramFolderIsWritable("/usr/bin/"));  // root may, the program does not
}

TEST(ProgramFolderIsWritable, ReadOnlyMountIsNotEvenForRoot) {
    TempDir dir;
    const std::string point = dir.path() + "ro";
    ASSERT_EQ(::mkdir(point.c_str(), 0755), 0);
    if (::mount("tmpfs", point.c_str(), "tmpfs", MS_RDONLY, "mode=0777") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    }
    EXPECT_FALSE(ProgramFolderIsWritable(point + "/"));
    ::umount2(point.c_str(), MNT_DETACH);
}

TEST(UserFolders, XdgFoldersOrTheirDefaultsInHome) {
    struct Case {
        const char* config;  // nullptr: unset
        const char* data;
        const char* wantConfig;
        const char* wantData;
    };
    const Case cases[] = {
        {nullptr, nullptr, "/home/u/.config/vorlaxis/", "/home/u/.local/share/vorlaxis/"},
        {"/x/cfg", "/x/data/", "/x/cfg/vorlaxis/", "/x/data/vorlaxis/"},
        {"", "relative/data", "/home/u/.config/vorlaxis/", "/home/u/.local/share/vorlaxis/"},
    };
    ScopedEnv home("HOME", "/home/u/");
    for (const Case& c : cases) {
        ScopedEnv config("XDG_CONFIG_HOME", c.config ? c.config : "");
        ScopedEnv data("XDG_DATA_HOME", c.data ? c.data : "");
        if (!c.config) ::unsetenv("XDG_CONFIG_HOME");
        if (!c.data) ::unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(UserConfigFolder(), c.wantConfig) << (c.config ? c.config : "unset");
        EXPECT_EQ(UserDataFolder(), c.wantData) << (c.data ? c.data : "unset");
    }
}

TEST(OutputFile, CreateNoLinkNeverWritesThroughALink) {
    TempDir dir, outside;
    const std::string victim = outside.file("precious.txt", "precious");
    const std::string symlink = dir.path() + "symlink.txt";
    const std::string dangling = dir.path() + "dangling.txt";
    const std::string hardlink = dir.path() + "hardlink.txt";
    const std::string fifo = dir.path() + "fifo.txt";
    ASSERT_EQ(::symlink(victim.c_str(), symlink.c_str()), 0);
    ASSERT_EQ(::symlink((outside.path() + "new.txt").c_str(), dangling.c_str()), 0);
    ASSERT_EQ(::link(victim.c_str(), hardlink.c_str()), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {symlink, dangling, hardlink, fifo}) {
        OutputFile out;
        EXPECT_FALSE(out.createNoLink(path)) << path;
    }
    EXPECT_EQ(ReadOrMissing(victim), "precious");
    EXPECT_FALSE(Exists(outside.path() + "new.txt"));
    EXPECT_TRUE(IsSymbolicLink(symlink));
    EXPECT_FALSE(IsSymbolicLink(victim));

    const std::string plain = dir.file("plain.txt", "an older and longer text");
    OutputFile out;
    ASSERT_TRUE(out.createNoLink(plain));
    EXPECT_TRUE(out.write("new"));
    EXPECT_TRUE(out.close());
    EXPECT_EQ(ReadOrMissing(plain), "new");
}
