// The temporary log on a machine shared with others, and locations that stop existing: a full
// temporary folder, links and foreign files planted where the program writes, a location that
// vanished or is a file. The run must end cleanly and say so, never report success, and never
// write through what someone planted.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "RamFolder.h"
#include "RunHarness.h"
#include "ScopedEnv.h"

using namespace vorlaxis;
using namespace vorlaxis::test;

namespace {

constexpr uid_t kStranger = 4242;

std::string ReadText(const std::string& path) {
    std::string text;
    platform::ReadWholeFile(path, text);
    return text;
}

// Fills a file system to its last byte.
void Fill(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const std::string chunk(4096, 'f');
    while (::write(fd, chunk.data(), chunk.size()) > 0) {
    }
    while (::write(fd, "f", 1) > 0) {
    }
    ::close(fd);
}

class TempLogs : public ::testing::Test {
  protected:
    TempLogs() : env("TMPDIR", tmp.path()) {
        h.session.LogPathOverride.clear();  // the real temporary log
        media.file("a.txt", "abc");
    }

    std::string PrivateFolder() const {
        return tmp.path() + "vorlaxis-" + std::to_string(::geteuid());
    }

    // What a run that could not write its log must show.
    void ExpectCollectionFailure() {
        ASSERT_EQ(h.dialogs.shown.size(), 1u);
        EXPECT_EQ(h.dialogs.shown[0].caption, "Fatální chyba");
        EXPECT_EQ(h.dialogs.shown[0].icon, MsgIcon::Error);
        EXPECT_TRUE(h.statistics.StopRequested);
        EXPECT_EQ(h.display.outcomeText, "test přerušen !");
        EXPECT_EQ(h.statistics.BytesDone, 0);
        EXPECT_EQ(h.session.DataChecksum, 0);
        EXPECT_TRUE(h.session.CollectionFailed);
    }

    TempDir tmp, media, elsewhere;
    ScopedEnv env;
    RunHarness h;
};

}  // namespace

TEST_F(TempLogs, FullTemporaryFolderEndsTheRunAsAFailure) {
    RamFolder full(64 * 1024);
    if (!full.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    ScopedEnv inFull("TMPDIR", full.path());
    ASSERT_FALSE(platform::TempFolder().empty());  // the private folder needs no data blocks
    Fill(full.path() + "filler");

    EXPECT_EQ(h.Run(media.path()), 0);
    ExpectCollectionFailure();
    EXPECT_TRUE(h.session.LogIncomplete);
}

TEST_F(TempLogs, LogThatFillsUpDuringTheRunIsKnownIncomplete) {
    RamFolder small(8192);
    if (!small.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    ScopedEnv inSmall("TMPDIR", small.path());
    ASSERT_FALSE(platform::TempFolder().empty());
    Fill(small.path() + "filler");
    ASSERT_EQ(::truncate((small.path() + "filler").c_str(), 4096), 0);  // one page left
    // Forty unreadable files: their failure lines need more than the page that is left.
    for (int i = 0; i < 40; ++i) {
        const std::string name = media.path() + std::string(100, 'n') + std::to_string(i);
        ASSERT_EQ(::symlink("nowhere", name.c_str()), 0);
    }
    h.settings.GoNonstop = true;

    EXPECT_EQ(h.Run(media.path()), 40);
    EXPECT_TRUE(h.dialogs.shown.empty());  // the header was written: no collection failure
    EXPECT_FALSE(h.session.CollectionFailed);
    EXPECT_TRUE(h.session.LogIncomplete);
    std::string log;
    ASSERT_TRUE(platform::ReadWholeFile(h.session.LogPath, log));
    EXPECT_EQ(log.find("Konec testu:"), std::string::npos);
}

TEST_F(TempLogs, LogWrittenInFullIsNotMarkedIncomplete) {
    EXPECT_EQ(h.Run(media.path()), 0);
    EXPECT_FALSE(h.session.LogIncomplete);
    EXPECT_EQ(h.LogLinesStartingWith("  test úspěšně dokončen ").size(), 1u);
}

TEST_F(TempLogs, PlantedLinkAtTheLogNameIsNeverWrittenThrough) {
    ASSERT_EQ(::mkdir(PrivateFolder().c_str(), 0700), 0);
    const std::string victim = elsewhere.file("precious.txt", "precious");
    ASSERT_EQ(::symlink(victim.c_str(), (PrivateFolder() + "/tmplog0.txt").c_str()), 0);

    h.Run(media.path());
    ExpectCollectionFailure();
    EXPECT_EQ(ReadText(victim), "precious");
}

TEST_F(TempLogs, ForeignFileAtTheLogNameIsLeftAlone) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    ASSERT_EQ(::mkdir(PrivateFolder().c_str(), 0700), 0);
    const std::string foreign = PrivateFolder() + "/tmplog0.txt";
    std::ofstream(foreign) << "someone else's log";
    ASSERT_EQ(::chown(foreign.c_str(), kStranger, kStranger), 0);

    h.Run(media.path());
    ExpectCollectionFailure();
    EXPECT_EQ(ReadText(foreign), "someone else's log");
}

TEST_F(TempLogs, PlantedPrivateFolderIsPassedOverForAFreshOneOfOurOwn) {
    const std::string target = elsewhere.path() + "trap";
    ASSERT_EQ(::mkdir(target.c_str(), 0700), 0);
    const std::string fresh = PrivateFolder() + "-";
    for (const char* how : {"link", "foreign", "writable"}) {
        SCOPED_TRACE(how);
        const std::string kind = how;
        if (kind == "foreign" && ::geteuid() != 0) continue;  // only root can give it away
        std::filesystem::remove_all(PrivateFolder());
        if (kind == "link") {
            ASSERT_EQ(::symlink(target.c_str(), PrivateFolder().c_str()), 0);
        } else {
            ASSERT_EQ(::mkdir(PrivateFolder().c_str(), 0700), 0);
            if (kind == "foreign") {
                ASSERT_EQ(::chown(PrivateFolder().c_str(), 65534, 65534), 0);  // nobody
            }
            if (kind == "writable") {
                ASSERT_EQ(::chmod(PrivateFolder().c_str(), 0777), 0);
            }
        }
        h.dialogs.shown.clear();
        EXPECT_EQ(h.Run(media.path()), 0);
        EXPECT_TRUE(h.dialogs.shown.empty());
        EXPECT_FALSE(h.session.CollectionFailed);
        EXPECT_EQ(h.LogLinesStartingWith("  test úspěšně dokončen ").size(), 1u);
        // The log lies in a folder of ours, made for it: "vorlaxis-<uid>-XXXXXX", mode 0700.
        ASSERT_EQ(h.session.LogPath.rfind(fresh, 0), 0u) << h.session.LogPath;
        const std::string folder = h.session.LogPath.substr(0, fresh.size() + 6);
        struct stat st {};
        ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_uid, ::geteuid());
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_TRUE(std::filesystem::is_empty(target));
        EXPECT_FALSE(std::filesystem::exists(PrivateFolder() + "/tmplog0.txt"));
    }
}

TEST_F(TempLogs, LocationThatVanishedBeforeItsTestIsNoSuccess) {
    const std::string gone = elsewhere.path() + "medium/";
    ASSERT_EQ(::mkdir(gone.c_str(), 0755), 0);
    ASSERT_EQ(::rmdir(gone.c_str()), 0);  // taken out after the batch was put together

    h.Run(gone);
    ExpectCollectionFailure();
    EXPECT_EQ(
        h.LogLinesStartingWith("  test přerušen - nelze načíst adresářovou strukturu ").size(), 1u);
}

TEST_F(TempLogs, LocationThatIsAFileIsNoSuccess) {
    const std::string file = elsewhere.file("image.iso", "not a folder");

    h.Run(file + "/");
    ExpectCollectionFailure();
}
