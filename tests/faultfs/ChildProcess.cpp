#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace vorlaxis::test {

namespace {

std::string ReadText(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// This process's environment with `extra` added; an entry of the same name is replaced.
std::vector<std::string> Environment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string& x : extra) replaced = replaced || x.rfind(name, 0) == 0;
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& t : texts) pointers.push_back(t.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ChildProcess::ChildProcess(std::vector<std::string> args, std::vector<std::string> env)
    : m_args(std::move(args)), m_env(std::move(env)) {}

ChildProcess::~ChildProcess() {
    if (m_pid > 0) Wait(std::chrono::milliseconds(0));
}

bool ChildProcess::Start() {
    std::vector<std::string> env = Environment(m_env);
    std::vector<char*> argv = Pointers(m_args), envp = Pointers(env);
    const std::string out = m_dir.path() + "out", err = m_dir.path() + "err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0600);
    const int rc = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) m_pid = -1;
    return rc == 0;
}

void ChildProcess::Signal(int signal) const {
    if (m_pid > 0) ::kill(m_pid, signal);
}

ProgramResult ChildProcess::Wait(std::chrono::milliseconds limit) {
    ProgramResult result;
    if (m_pid <= 0) return result;
    const auto until = std::chrono::steady_clock::now() + limit;
    int status = 0;
    pid_t r = 0;
    while ((r = ::waitpid(m_pid, &status, WNOHANG)) == 0) {
        if (std::chrono::steady_clock::now() >= until) {
            result.timedOut = true;
            ::kill(m_pid, SIGKILL);
            r = ::waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    m_pid = -1;
    if (r > 0 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (r > 0 && WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = ReadText(m_dir.path() + "out");
    result.err = ReadText(m_dir.path() + "err");
    return result;
}

ProgramResult RunProgram(std::vector<std::string> args, std::vector<std::string> env,
                         std::chrono::milliseconds limit) {
    ChildProcess child(std::move(args), std::move(env));
    if (!child.Start()) return {};
    return child.Wait(limit);
}

}  // namespace vorlaxis::test
