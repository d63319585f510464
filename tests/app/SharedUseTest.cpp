// The program as several users and copies meet it: two copies running side by side keep their
// own temporary logs, and a program folder that takes no files sends the settings and the
// saved logs to the user's folders. The other copy is a real process: this test program run
// again for one test, or the window program itself.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "AppFixture.h"
#include "LayoutCheck.h"
#include "ScopedEnv.h"
#include "engine/TestRun.h"
#include "help/AboutUnit.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "settings/DataFolders.h"

extern char** environ;

namespace vorlaxis::test {
namespace {

const std::string kQuiet = "[Application]\nEject media=0\n[Logs]\nShow Logs After Test=0\n";

// Starts `exe` with `args` and the environment plus `env` ("NAME=value", replacing), its output
// into `output`.
pid_t Spawn(const std::string& exe, const std::vector<std::string>& args,
            const std::vector<std::string>& env, const std::string& output) {
    std::vector<std::string> vars = env;
    for (char** e = environ; *e; ++e) {
        const std::string var = *e;
        const std::string name = var.substr(0, var.find('=') + 1);
        bool replaced = false;
        for (const std::string& mine : env) replaced = replaced || mine.rfind(name, 0) == 0;
        if (!replaced) vars.push_back(var);
    }
    std::vector<char*> argv{const_cast<char*>(exe.c_str())}, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (std::string& v : vars) envp.push_back(v.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

class SharedUse : public AppFixture {
  protected:
    std::string Tree(const std::string& name) {
        m_dir.file(name + "/a.txt", "alpha " + name);
        return m_dir.path() + name;
    }
    static std::string Read(const std::string& path) {
        std::string content;
        return platform::ReadWholeFile(path, content) ? content : "<missing>";
    }
    // Runs one test of this program (`exe`: this program or a copy of it) in a process of its
    // own; true when it passed, not skipped.
    bool RunTestOf(const std::string& exe, const std::string& test,
                   const std::vector<std::string>& env) {
        const std::string output = m_dir.path() + "child-output.txt";
        const pid_t pid = Spawn(exe, {"--gtest_filter=SharedUse." + test}, env, output);
        int status = -1;
        if (pid <= 0 || ::waitpid(pid, &status, 0) != pid) return false;
        const std::string text = Read(output);
        const bool passed = WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                            text.find("[  PASSED  ] 1 test") != std::string::npos;
        if (!passed) ADD_FAILURE() << text;
        return passed;
    }
};

// ---------------------------------------------------------------------------------------------
// Two copies at once

TEST_F(SharedUse, ASecondCopyNeverDeletesNorOverwritesTheLogOfTheFirst) {
    const std::string own = platform::ClaimOwnTempFolder();
    ASSERT_FALSE(own.empty());
    Start(kQuiet + Ini({Tree("mine")}));
    RunBatch([&] { Button("BitBtn2")->click(); });
    ASSERT_EQ(TempLogPath(0), own + "tmplog0.txt");
    const std::string before = Read(TempLogPath(0));
    ASSERT_NE(before, "<missing>");

    // The second copy tests a medium of its own, then its window is closed.
    const std::string report = m_dir.path() + "second-copy.txt";
    ASSERT_TRUE(RunTestOf("/proc/self/exe", "SecondCopy",
                          {"VORLAXIS_SECOND_COPY=" + report,
                           "VORLAXIS_SHARED_TMPDIR=" + std::string(std::getenv("TMPDIR")),
                           "VORLAXIS_SECOND_MEDIUM=" + Tree("theirs")}));
    const std::string theirs = Read(report);
    EXPECT_NE(theirs, own);
    EXPECT_FALSE(platform::Exists(theirs + "tmplog0.txt"));  // its close removed its own
    EXPECT_EQ(Read(TempLogPath(0)), before);
    CheckScript();
}

// The second copy of the test above; skipped unless that test runs it.
TEST_F(SharedUse, SecondCopy) {
    const char* report = std::getenv("VORLAXIS_SECOND_COPY");
    if (!report) GTEST_SKIP() << "run by ASecondCopyNeverDeletesNorOverwritesTheLogOfTheFirst";
    ScopedEnv tmp("TMPDIR", std::getenv("VORLAXIS_SHARED_TMPDIR"));
    const std::string own = platform::ClaimOwnTempFolder();
    ASSERT_FALSE(own.empty());
    Start(kQuiet + Ini({std::getenv("VORLAXIS_SECOND_MEDIUM")}));
    RunBatch([&] { Button("BitBtn2")->click(); });
    ASSERT_TRUE(platform::Exists(own + "tmplog0.txt"));
    Main().close();
    EXPECT_FALSE(Main().isVisible());
    ASSERT_TRUE(platform::WriteWholeFile(report, own));
}

TEST_F(SharedUse, TheWindowProgramTakesATemporaryFolderOfItsOwnAtStart) {
    TempDir tmp;
    const std::string shared = tmp.path() + "vorlaxis-" + std::to_string(::geteuid()) + "/";
    const pid_t program =
        Spawn(VORLAXIS_PROGRAM, {}, {"TMPDIR=" + tmp.path()}, m_dir.path() + "program-output.txt");
    ASSERT_GT(program, 0);
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
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
    EXPECT_TRUE(seen) << Read(m_dir.path() + "program-output.txt");
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
        EXPECT_NE(Read(settings).find("[Application]"), std::string::npos);
        EXPECT_NE(Read(settings).find("Path0=/media/cd/"), std::string::npos);
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
    Main().Results()->setShell(std::move(shell));
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
