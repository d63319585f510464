// The program as several users and copies meet it: two copies running side by side keep their
// own temporary logs, and a program folder that takes no files sends the settings and the
// saved logs to the user's folders. The other copy is a real process: this test program run
// again for one test, or the window program itself.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "AppFixture.h"
#include "ChildProcess.h"
#include "LayoutCheck.h"
#include "ScopedEnv.h"
#include "engine/TestRun.h"
#include "help/qt/AboutUnit.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "settings/DataFolders.h"
#include "support/ReadBack.h"

namespace vorlaxis::test {
namespace {

class SharedUse : public AppFixture {
  protected:
    std::string Tree(const std::string& name) {
        m_dir.file(name + "/a.txt", "alpha " + name);
        return m_dir.path() + name;
    }
    // Runs one test of this program (`exe`: this program or a copy of it) in a process of its
    // own; true when it passed, not skipped.
    static bool RunTestOf(const std::string& exe, const std::string& test,
                          const std::vector<std::string>& env) {
        const ProgramResult r =
            RunProgram({exe, "--gtest_filter=SharedUse." + test}, env, std::chrono::seconds(45));
        const bool passed =
            r.exitCode == 0 && r.out.find("[  PASSED  ] 1 test") != std::string::npos;
        if (!passed) ADD_FAILURE() << r.out << r.err;
        return passed;
    }
};

// ---------------------------------------------------------------------------------------------
// Two copies at once

TEST_F(SharedUse, ASecondCopyNeverDeletesNorOverwritesTheLogOfTheFirst) {
    const std::string own = platform::ClaimOwnTempFolder();
    ASSERT_FALSE(own.empty());
    Start(kQuietOptions + Ini({Tree("mine")}));
    RunBatch([&] { Button("BitBtn2")->click(); });
    ASSERT_EQ(TempLogPath(0), own + "tmplog0.txt");
    const std::string before = ReadOrMissing(TempLogPath(0));
    ASSERT_NE(before, "<missing>");

    // The second copy tests a medium of its own, then its window is closed.
    const std::string report = m_dir.path() + "second-copy.txt";
    ASSERT_TRUE(RunTestOf("/proc/self/exe", "SecondCopy",
                          {"VORLAXIS_SECOND_COPY=" + report,
                           "VORLAXIS_SHARED_TMPDIR=" + std::string(std::getenv("TMPDIR")),
                           "VORLAXIS_SECOND_MEDIUM=" + Tree("theirs")}));
    const std::string theirs = ReadOrMissing(report);
    EXPECT_NE(theirs, own);
    EXPECT_FALSE(platform::Exists(theirs + "tmplog0.txt"));  // its close removed its own
    EXPECT_EQ(ReadOrMissing(TempLogPath(0)), before);
    CheckScript();
}

// The second copy of the test above; skipped unless that test runs it.
TEST_F(SharedUse, SecondCopy) {
    const char* report = std::getenv("VORLAXIS_SECOND_COPY");
    if (!report) GTEST_SKIP() << "run by ASecondCopyNeverDeletesNorOverwritesTheLogOfTheFirst";
    ScopedEnv tmp("TMPDIR", std::getenv("VORLAXIS_SHARED_TMPDIR"));
    const std::string own = platform::ClaimOwnTempFolder();
    ASSERT_FALSE(own.empty());
    Start(kQuietOptions + Ini({std::getenv("VORLAXIS_SECOND_MEDIUM")}));
    RunBatch([&] { Button("BitBtn2")->click(); });
    ASSERT_TRUE(platform::Exists(own + "tmplog0.txt"));
    Main().close();
    EXPECT_FALSE(Main().isVisible());
    ASSERT_TRUE(platform::WriteWholeFile(report, own));
}

TEST_F(SharedUse, TheWindowProgramTakesATemporaryFolderOfItsOwnAtStart) {
    TempDir tmp;
    const std::string shared = tmp.path() + "vorlaxis-" + std::to_string(::geteuid()) + "/";
    ChildProcess program({VORLAXIS_PROGRAM}, {"TMPDIR=" + tmp.path()});
    ASSERT_TRUE(program.Start());
    // Some copy folder's lock is held while the program runs.
    auto held = [&] {
        for (int n = 1; n <= 3; ++n) {
            const std::string lock = shared + "copy" + std::to_string(n) + "/owner.lock";
            const int fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            const bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
            ::close(fd);
            if (busy) return true;
        }
        return false;
    };
    bool seen = false;
    for (int i = 0; i < 400 && !seen; ++i) {
        seen = held();
        if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    program.Signal(SIGKILL);
    const ProgramResult ended = program.Wait();
    EXPECT_TRUE(seen) << ended.err;
    EXPECT_FALSE(held());  // gone with the program, however it ended
}

// ---------------------------------------------------------------------------------------------
// Where the settings and the saved logs go

TEST_F(SharedUse, SettingsAndLogsGoBesideAWritableProgramElseToTheUsersFolders) {
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only program folder" : "writable program folder");
        TempDir base, user;
        const std::string folder = base.path() + "program/";
        std::filesystem::create_directory(folder);
        if (readOnly && ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "mode=0755") != 0) {
            GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
        }
        const std::unique_ptr<const std::string, void (*)(const std::string*)> unmount(
            readOnly ? &folder : nullptr,
            [](const std::string* p) { ::umount2(p->c_str(), MNT_DETACH); });
        const std::string copy = folder + "app_tests";
        std::filesystem::copy_file("/proc/self/exe", copy);
        std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
        // The settings the program was delivered with, or left from portable use.
        ASSERT_TRUE(
            platform::WriteWholeFile(folder + "Ulvenor.ini", "[Paths]\nPath0=/media/cd/\n"));
        if (readOnly) {
            ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
                      0);
        }
        const std::string settings =
            readOnly ? user.path() + "config/vorlaxis/Ulvenor.ini" : folder + "Ulvenor.ini";
        const std::string logs = readOnly ? user.path() + "data/vorlaxis/Logs/" : folder + "Logs/";

        EXPECT_TRUE(
            RunTestOf(copy, "ProgramInAnotherFolder",
                      {"VORLAXIS_EXPECT_SETTINGS=" + settings, "VORLAXIS_EXPECT_LOGS=" + logs,
                       "XDG_CONFIG_HOME=" + user.path() + "config",
                       "XDG_DATA_HOME=" + user.path() + "data"}));
        EXPECT_NE(ReadOrMissing(settings).find("[Application]"), std::string::npos);
        EXPECT_NE(ReadOrMissing(settings).find("Path0=/media/cd/"), std::string::npos);
        EXPECT_TRUE(platform::IsDirectory(logs));
        EXPECT_EQ(std::filesystem::is_empty(user.path()), !readOnly);
    }
}

// The window program started from a copy of this test program elsewhere; skipped unless the
// test above runs it.
TEST_F(SharedUse, ProgramInAnotherFolder) {
    const char* settings = std::getenv("VORLAXIS_EXPECT_SETTINGS");
    if (!settings) GTEST_SKIP() << "run by SettingsAndLogsGoBesideAWritableProgramElse...";
    const std::string logs = std::getenv("VORLAXIS_EXPECT_LOGS");
    gui::CreateApplicationWindows(m_windows);  // the settings file the program chooses itself
    EXPECT_EQ(Main().SettingsPath, settings);
    auto shell = std::make_unique<RecordingShell>();
    RecordingShell& opened = *shell;
    Main().Results()->SetShell(std::move(shell));
    Main().mmZobrazitSlozkuZaznamyClick();
    EXPECT_EQ(opened.requests, std::vector<ShellRequest>({{"folder", logs, {}}}));
    const std::string settingsFolder = std::filesystem::path(settings).parent_path().string();
    EXPECT_EQ(m_windows.AboutBox->findChild<QLabel*>("FoldersLabel")->toolTip().toStdString(),
              "Nastavení: " + settingsFolder + "/\nZáznamy: " + logs);
    Main().close();  // writes the settings file
}

TEST_F(SharedUse, AboutBoxSaysWhereSettingsAndLogsAreKept) {
    Start();
    gui::TAboutBox& about = *m_windows.AboutBox;
    QLabel* label = about.findChild<QLabel*>("FoldersLabel");
    const std::string home = "/home/" + std::string(40, 'u') + "/";
    const DataFolders user = ChooseDataFolders("/opt/vorlaxis/", false, home + ".config/vorlaxis/",
                                               home + ".local/share/vorlaxis/");
    about.ShowDataFolders(user);
    EXPECT_EQ(label->toolTip().toStdString(), "Nastavení: " + home +
                                                  ".config/vorlaxis/\nZáznamy: " + home +
                                                  ".local/share/vorlaxis/Logs/");
    const QStringList lines = label->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("Nastavení: /home/")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("vorlaxis/Logs/")) << lines[1].toStdString();
    ExpectNothingClipped(about);

    about.ShowDataFolders(ChooseDataFolders("/opt/vorlaxis/", true, {}, {}));
    EXPECT_EQ(label->text(), "Nastavení: /opt/vorlaxis/\nZáznamy: /opt/vorlaxis/Logs/");
    ExpectNothingClipped(about);
}

}  // namespace
}  // namespace vorlaxis::test
