// vorlaxis-check end to end: its output, its log file, its exit codes and its stop signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "TempDir.h"

extern char** environ;

namespace vorlaxis::test {
namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// One run of the tool with its own temporary folder; output captured in files.
class Check {
  public:
    explicit Check(std::vector<std::string> args) {
        args.insert(args.begin(), VORLAXIS_CHECK_EXE);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::string tmpdir = "TMPDIR=" + m_tmp.path();
        std::vector<char*> env{tmpdir.data()};
        for (char** e = environ; *e; ++e) {
            if (std::string(*e).rfind("TMPDIR=", 0) != 0) env.push_back(*e);
        }
        env.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, (m_tmp.path() + "out").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, (m_tmp.path() + "err").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }

    int Wait() {
        int status = 0;
        if (m_pid <= 0 || ::waitpid(m_pid, &status, 0) != m_pid) return -1;
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    void Signal(int sig) { ::kill(m_pid, sig); }
    std::string Out() const { return Slurp(m_tmp.path() + "out"); }
    std::string Err() const { return Slurp(m_tmp.path() + "err"); }
    // What is left in the tool's private temporary folder.
    size_t TempFiles() const {
        size_t n = 0;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(
                 m_tmp.path() + "vorlaxis-" + std::to_string(::geteuid()), ec)) {
            (void)entry;
            ++n;
        }
        return n;
    }

  private:
    TempDir m_tmp;
    pid_t m_pid = -1;
};

int RunCheck(std::vector<std::string> args, std::string* out = nullptr,
             std::string* err = nullptr) {
    Check c(std::move(args));
    const int rc = c.Wait();
    if (out) *out = c.Out();
    if (err) *err = c.Err();
    return rc;
}

TEST(CheckTool, HelpDocumentsOptionsAndExitCodes) {
    std::string out;
    EXPECT_EQ(RunCheck({"--help"}, &out), 0);
    for (const char* word : {"--mode", "all|4|8|16|open", "--block-size", "--log", "SIGTERM",
                             "Exit status", "  3  stopped by a signal"}) {
        EXPECT_NE(out.find(word), std::string::npos) << word;
    }
}

TEST(CheckTool, BadUsageExitsWithTwoAndSaysWhy) {
    TempDir t;
    std::string err;
    EXPECT_EQ(RunCheck({}, nullptr, &err), 2);
    EXPECT_NE(err.find("no PATH"), std::string::npos);
    EXPECT_EQ(RunCheck({"--mode", "7", t.path()}, nullptr, &err), 2);
    EXPECT_NE(err.find("unknown mode"), std::string::npos);
    EXPECT_EQ(RunCheck({t.path() + "missing"}, nullptr, &err), 2);
    EXPECT_NE(err.find("not an existing directory"), std::string::npos);
    EXPECT_EQ(RunCheck({"--log", t.path() + "l", t.path(), t.path()}, nullptr, &err), 2);
    const std::string file = t.file("plain", "x");
    EXPECT_EQ(RunCheck({file}), 2);
}

TEST(CheckTool, CleanTreePrintsTheLogAsUtf8AndRemovesTheTemporaryLog) {
    TempDir t;
    t.file("sub/a", "abc");
    std::string out;
    Check c({t.path().substr(0, t.path().size() - 1)});
    EXPECT_EQ(c.Wait(), 0);
    out = c.Out();
    EXPECT_EQ(out.find('\r'), std::string::npos);
    EXPECT_NE(out.find("\nInformace o médiu:\n"), std::string::npos);
    EXPECT_NE(out.find("  počet adresářů:      2\n  počet souborů:       1\n"), std::string::npos);
    EXPECT_NE(out.find("Kontrolní součet média:0126\n"), std::string::npos);
    EXPECT_NE(out.find("  test úspěšně dokončen "), std::string::npos);
    EXPECT_EQ(c.TempFiles(), 0u);
    EXPECT_EQ(c.Err(), "");  // not a terminal: no progress
}

TEST(CheckTool, UnreadableFileExitsWithOneAndIsLoggedWithoutAQuestion) {
    TempDir t;
    t.file("a", "abc");
    std::filesystem::create_symlink(t.path() + "gone", t.path() + "dangling");
    std::string out;
    EXPECT_EQ(RunCheck({t.path()}, &out), 1);
    EXPECT_NE(out.find("  \"" + t.path() + "dangling\" nelze přečíst\n"), std::string::npos);
    EXPECT_NE(out.find("  počet chybých souborů: 1\n"), std::string::npos);
}

TEST(CheckTool, LogFileGetsTheExactBytes) {
    TempDir t;
    t.file("d/a", std::string(100000, '\x01'));
    const std::string log = t.path() + "d.log";
    std::string out;
    EXPECT_EQ(RunCheck({"--mode", "16", "--block-size", "100", "--log", log, t.path() + "d"}, &out),
              0);
    EXPECT_EQ(out, "");
    const std::string bytes = Slurp(log);
    EXPECT_EQ(bytes.rfind("Zubrak's Vorlaxis v2.0 Media Test Log File\r\n", 0), 0u);
    // Block size pulled to 48 kB: one block of 49152 bytes read, the rest passed over.
    EXPECT_NE(bytes.find("Pr\xF9"
                         "b\xECh testu (\xE8ten\xED ka\x9E"
                         "d\xE9ho 16. bloku):\r\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("dia:C000\r\n"), std::string::npos);
    EXPECT_EQ(RunCheck({"--mode", "16", "--block-size", "1", "--log", log, t.path() + "d"}), 0);
    EXPECT_NE(Slurp(log).find("dia:2000\r\n"), std::string::npos);
    EXPECT_EQ(RunCheck({"--mode", "open", "--log", log, t.path() + "d"}), 0);
    EXPECT_EQ(Slurp(log).find("Kontroln"), std::string::npos);
}

TEST(CheckTool, SeveralPathsPrintOneLogEachAndSkipWhatIsNoDirectory) {
    TempDir t;
    t.file("one/a", "a");
    t.file("two/b", "b");
    std::string out, err;
    EXPECT_EQ(RunCheck({t.path() + "one", t.path() + "none", t.path() + "two"}, &out, &err), 0);
    size_t logs = 0;
    for (size_t at = out.find("Zubrak's"); at != std::string::npos;
         at = out.find("Zubrak's", at + 1)) {
        ++logs;
    }
    EXPECT_EQ(logs, 2u);
    EXPECT_NE(err.find("none"), std::string::npos);
}

TEST(CheckTool, LogThatCannotBeWrittenIsNeverASuccess) {
    TempDir t;
    t.file("d/a", "abc");
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    std::string err;
    EXPECT_EQ(RunCheck({"--log", "/dev/full", t.path() + "d"}, nullptr, &err), 1);
    EXPECT_NE(err.find("Fatální chyba"), std::string::npos);
    EXPECT_NE(err.find("could not be written completely"), std::string::npos);
}

TEST(CheckTool, TerminationSignalStopsTheRunAndTheLogEndsAsStopped) {
    TempDir t;
    // A large sparse file keeps the run reading long enough to be stopped.
    const std::string big = t.path() + "d/big";
    std::filesystem::create_directories(t.path() + "d");
    { std::ofstream(big, std::ios::binary); }
    std::filesystem::resize_file(big, std::uintmax_t{1} << 40);
    const std::string log = t.path() + "run.log";
    Check c({"--log", log, t.path() + "d"});
    // Wait until the reading phase has begun (its heading is in the log), then stop.
    for (int i = 0; i < 20000 && Slurp(log).find("Pr\xF9"
                                                 "b\xECh testu") == std::string::npos;
         ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    c.Signal(SIGTERM);
    EXPECT_EQ(c.Wait(), 3);
    const std::string bytes = Slurp(log);
    EXPECT_NE(bytes.find("Konec testu:\r\n  \x9E\xE1"
                         "dn\xE9 probl\xE9my"),
              std::string::npos);
    EXPECT_NE(bytes.find("  test p\xF8"
                         "eru\x9A"
                         "en u\x9Eivatelem "),
              std::string::npos);
}

}  // namespace
}  // namespace vorlaxis::test
