// vorlaxis-check end to end: its output, its log file, its exit codes and its stop signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "TempDir.h"
#include "cli/ExitStatus.h"

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
    // `output`: where standard output goes; empty for a file of its own, "closed" for none.
    explicit Check(std::vector<std::string> args, const std::string& output = {},
                   const std::string& tmpdir = {}) {
        args.insert(args.begin(), VORLAXIS_CHECK_EXE);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::string tmpEnv = "TMPDIR=" + (tmpdir.empty() ? m_tmp.path() : tmpdir);
        std::vector<char*> env{tmpEnv.data()};
        for (char** e = environ; *e; ++e) {
            if (std::string(*e).rfind("TMPDIR=", 0) != 0) env.push_back(*e);
        }
        env.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (output == "closed") {
            posix_spawn_file_actions_addclose(&actions, 1);
        } else {
            posix_spawn_file_actions_addopen(
                &actions, 1, (output.empty() ? m_tmp.path() + "out" : output).c_str(),
                O_WRONLY | O_CREAT | O_TRUNC, 0600);
        }
        posix_spawn_file_actions_addopen(&actions, 2, (m_tmp.path() + "err").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }

    // The exit status, or 128 + the signal that ended the program.
    int Wait() {
        int status = 0;
        if (m_pid <= 0 || ::waitpid(m_pid, &status, 0) != m_pid) return -1;
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string TempPath() const { return m_tmp.path(); }
    void Signal(int sig) { ::kill(m_pid, sig); }
    std::string Out() const { return Slurp(m_tmp.path() + "out"); }
    std::string Err() const { return Slurp(m_tmp.path() + "err"); }
    // Whether the run has begun: its temporary log is there.
    size_t TempFilesPresent() const { return TempFiles(); }
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

int RunCheck(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr,
             const std::string& output = {}) {
    Check c(std::move(args), output);
    const int rc = c.Wait();
    if (out) *out = c.Out();
    if (err) *err = c.Err();
    return rc;
}

TEST(CheckTool, HelpDocumentsOptionsAndExitCodes) {
    std::string out;
    EXPECT_EQ(RunCheck({"--help"}, &out), 0);
    for (const char* word : {"--mode", "all|4|8|16|open", "--block-size", "--log", "SIGTERM",
                             "Exit status", "  3  stopped by a signal", "  5  incomplete",
                             "PATH: NOT CHECKED (REASON)", "gravest: 3, then 1, then 4, then 5"}) {
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
    // Both logs printed, but the missing location leaves the run incomplete.
    EXPECT_EQ(RunCheck({t.path() + "one", t.path() + "none", t.path() + "two"}, &out, &err), 5);
    size_t logs = 0;
    for (size_t at = out.find("Zubrak's"); at != std::string::npos;
         at = out.find("Zubrak's", at + 1)) {
        ++logs;
    }
    EXPECT_EQ(logs, 2u);
    EXPECT_NE(err.find(t.path() + "none: NOT CHECKED (no medium)\n"), std::string::npos) << err;
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
    EXPECT_EQ(c.Wait(), 128 + SIGTERM);  // dies by it, as a shell's loop expects
    const std::string bytes = Slurp(log);
    EXPECT_NE(bytes.find("Konec testu:\r\n  \x9E\xE1"
                         "dn\xE9 probl\xE9my"),
              std::string::npos);
    EXPECT_NE(bytes.find("  test p\xF8"
                         "eru\x9A"
                         "en u\x9Eivatelem "),
              std::string::npos);
}

TEST(CheckTool, ExitStatusesCombineToTheGravest) {
    // 3 stopped > 1 unreadable > 4 content differs > 5 incomplete > 0; 2 is never combined.
    const struct {
        int a, b, gravest;
    } cases[] = {{0, 0, 0}, {0, 5, 5}, {5, 4, 4}, {4, 1, 1}, {1, 3, 3}, {5, 1, 1},
                 {4, 5, 4}, {1, 4, 1}, {3, 1, 3}, {3, 5, 3}, {0, 4, 4}, {5, 5, 5}};
    for (const auto& c : cases) {
        EXPECT_EQ(cli::Graver(c.a, c.b), c.gravest) << c.a << " " << c.b;
        EXPECT_EQ(cli::Graver(c.b, c.a), c.gravest) << c.b << " " << c.a;
    }
}

TEST(CheckTool, FindingsAreNamedOnStandardErrorOneLineEach) {
    TempDir t;
    t.file("d/good", "good");
    t.file("d/bad", "before");
    t.file("d/gone", "gone");
    const std::string list = t.path() + "d/SHA256SUMS";
    ASSERT_EQ(
        std::system(("cd '" + t.path() + "d' && sha256sum good bad gone > SHA256SUMS").c_str()), 0);
    t.file("d/bad", "after!");
    std::filesystem::remove(t.path() + "d/gone");
    std::filesystem::create_directories(t.path() + "d/locked");
    t.file("d/locked/x", "x");
    std::string out, err;
    EXPECT_EQ(RunCheck({t.path() + "d", t.path() + "nowhere\x1b[31m\n"}, &out, &err), 4);
    // The log names them too, and does not end as a success.
    for (const std::string& line :
         {"  \"" + t.path() + "d/bad\" nesouhlasí se souborem kontrolních součtů\n",
          "  \"" + t.path() + "d/gone\" chybí, ač je uveden v souboru kontrolních součtů\n",
          std::string("  test dokončen, obsah nesouhlasí ")}) {
        EXPECT_NE(out.find(line), std::string::npos) << line << out;
    }
    for (const std::string& line : {t.path() + "d/bad: FAILED\n", t.path() + "d/gone: MISSING\n",
                                    t.path() + "nowhere\\x1b[31m\\n: NOT CHECKED (no medium)\n"}) {
        EXPECT_NE(err.find(line), std::string::npos) << line << err;
    }
    EXPECT_EQ(err.find("good:"), std::string::npos) << err;
    EXPECT_EQ(err.find('\x1b'), std::string::npos) << err;  // no escape reaches a terminal
}

TEST(CheckTool, OutputThatIsLostIsAnError) {
    TempDir t;
    t.file("d/a", "abc");
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string d = t.path() + "d";
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string output;  // standard output
        const char* message;
    } cases[] = {
        {"log to a closed output", {d}, "closed", "the log could not be written to standard"},
        {"log to a full output", {d}, "/dev/full", "the log could not be written to standard"},
        {"JSON to a full output", {"--json", "-", d}, "/dev/full", "JSON result could not be"},
        {"help to a full output", {"--help"}, "/dev/full", "could not be written to standard"},
        {"graph to a full disk", {"--graph", "/dev/full", d}, "", "speed graph could not be"},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(RunCheck(c.args, nullptr, &err, c.output), 1) << c.name;
        EXPECT_NE(err.find(c.message), std::string::npos) << c.name << ": " << err;
    }
    // With nothing meant for it, a closed output is no error.
    EXPECT_EQ(RunCheck({"--log", t.path() + "l", d}, nullptr, nullptr, "closed"), 0);
}

TEST(CheckTool, InterruptAfterCleaningUpEndsTheProgramByTheSignal) {
    TempDir t;
    const std::string big = t.path() + "d/big";
    std::filesystem::create_directories(t.path() + "d");
    { std::ofstream(big, std::ios::binary); }
    std::filesystem::resize_file(big, std::uintmax_t{1} << 40);
    const std::string json = t.path() + "r.json";
    Check c({"--json", json, t.path() + "d"});
    for (int i = 0; i < 20000 && c.TempFilesPresent() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    c.Signal(SIGINT);
    EXPECT_EQ(c.Wait(), 128 + SIGINT);
    EXPECT_NE(Slurp(json).find("\"exit_status\": 3"), std::string::npos) << Slurp(json);
    EXPECT_NE(Slurp(json).find("\"outcome\": \"stopped\""), std::string::npos);
    EXPECT_NE(c.Out().find("  test přerušen uživatelem "), std::string::npos);
    EXPECT_EQ(c.TempFiles(), 0u);  // the temporary log removed first
}

TEST(CheckTool, TerminationEndsTheProgramWhileItsResultWaitsForAReader) {
    TempDir t;
    t.file("d/a", "abc");
    for (const char* option : {"--json", "--graph"}) {
        const std::string fifo = t.path() + (option + 2);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const std::string log = t.path() + "run.log";
        Check c({option, fifo, "--log", log, t.path() + "d"});
        // Once the log has its end, the program waits to open the FIFO nobody reads.
        for (int i = 0; i < 20000 && Slurp(log).find("Konec testu") == std::string::npos; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        c.Signal(SIGTERM);
        EXPECT_EQ(c.Wait(), 128 + SIGTERM) << option;
    }
}

TEST(CheckTool, TemporaryFolderThatCannotBeMadeIsNamedNotTheMedium) {
    TempDir t;
    t.file("d/a", "abc");
    // Nothing can be made in /proc, not even by root.
    Check c({t.path() + "d"}, {}, "/proc");
    EXPECT_EQ(c.Wait(), 2);
    EXPECT_NE(c.Err().find("no private temporary folder can be made in /proc"), std::string::npos)
        << c.Err();
}

}  // namespace
}  // namespace vorlaxis::test
