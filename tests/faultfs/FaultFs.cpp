#include "FaultFs.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace vorlaxis::test {

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadText(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

std::string WithoutSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool IsMountPoint(const std::string& path) {
    const std::string wanted = " " + WithoutSlash(path) + " ";
    std::ifstream mounts("/proc/self/mountinfo");
    for (std::string line; std::getline(mounts, line);) {
        if (line.find(wanted) != std::string::npos) return true;
    }
    return false;
}

// Runs a program with an argument list (no shell) and returns its exit status, -1 on failure.
int RunQuietly(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Waits up to `limit` for the child to end; true when it has been reaped.
bool Reap(pid_t pid, std::chrono::milliseconds limit) {
    const auto until = Clock::now() + limit;
    do {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (Clock::now() < until);
    return false;
}

}  // namespace

FaultFs::FaultFs()
    : m_backing(m_dir.path() + "backing/"),
      m_root(m_dir.path() + "mnt/"),
      m_config(m_dir.path() + "faults.conf"),
      m_trace(m_dir.path() + "trace.log"),
      m_log(m_dir.path() + "faultfs.log") {
    std::filesystem::create_directory(m_backing);
    std::filesystem::create_directory(m_root);
    std::ofstream(m_config).flush();
}

FaultFs::~FaultFs() {
    Unmount();
    // A mount left by a process that died (a death test's child, a killed run) would keep the
    // temporary folder from being removed.
    const std::string point = WithoutSlash(m_root);
    if (IsMountPoint(point) && RunQuietly({"fusermount3", "-u", "-z", point}) != 0) {
        ::umount2(point.c_str(), MNT_DETACH);
    }
}

std::string FaultFs::Unavailable() {
    static const std::string reason = [] {
        if (::access(VORLAXIS_FAULTFS_EXE, X_OK) != 0) return std::string("no faultfs program");
        const int fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
        if (fd < 0) return std::string("/dev/fuse cannot be opened");
        ::close(fd);
        if (RunQuietly({"fusermount3", "-V"}) != 0) return std::string("no fusermount3");
        FaultFs probe;
        if (!probe.Mount()) return "the probe mount failed: " + probe.error();
        return std::string();
    }();
    return reason;
}

bool FaultFs::Mount() {
    if (mounted()) return true;
    std::vector<std::string> args = {VORLAXIS_FAULTFS_EXE,
                                     m_backing,
                                     m_root,
                                     "--config",
                                     m_config,
                                     "--trace",
                                     m_trace,
                                     "-f",
                                     "-o",
                                     "auto_unmount"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    m_pid = ::fork();
    if (m_pid == 0) {
        // The file system must not outlive a test process that crashed.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(1);
        const int log = ::open(m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (log >= 0) ::dup2(log, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (m_pid < 0) {
        m_error = "fork failed";
        return false;
    }
    return WaitForMount();
}

bool FaultFs::WaitForMount() {
    const auto until = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < until) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            m_error = "the file system process ended: " + ReadText(m_log);
            return false;
        }
        if (IsMountPoint(m_root)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Unmount();
    m_error = "the mount did not come up: " + ReadText(m_log);
    return false;
}

void FaultFs::Unmount() {
    if (!mounted()) return;
    const std::string point = WithoutSlash(m_root);
    bool detached = false;
    if (IsMountPoint(point) && RunQuietly({"fusermount3", "-u", point}) != 0) {
        // Busy (a test left a file open or a reader hangs): detach now; the process is told to
        // end, which cuts the connection of whatever still holds the mount.
        if (RunQuietly({"fusermount3", "-u", "-z", point}) != 0)
            ::umount2(point.c_str(), MNT_DETACH);
        detached = true;
    }
    if (detached) ::kill(m_pid, SIGTERM);
    if (!Reap(m_pid, std::chrono::seconds(10))) {
        ::kill(m_pid, SIGTERM);
        if (!Reap(m_pid, std::chrono::seconds(2))) {
            ::kill(m_pid, SIGKILL);
            Reap(m_pid, std::chrono::seconds(10));
        }
    }
    m_pid = -1;
}

std::string FaultFs::AddFile(const std::string& relative, const std::string& content) const {
    m_dir.file("backing/" + relative, content);
    return m_root + relative;
}

void FaultFs::SetFaults(const std::string& rules) const {
    // A new file under the same name: the file system notices the new inode at once.
    const std::string next = m_config + ".new";
    std::ofstream(next, std::ios::binary | std::ios::trunc) << rules;
    std::filesystem::rename(next, m_config);
}

std::vector<TraceLine> FaultFs::Trace() const {
    std::vector<TraceLine> lines;
    std::ifstream in(m_trace);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        TraceLine t;
        std::string detail;
        fields >> t.what >> t.result >> detail;
        if (const size_t colon = detail.find(':'); colon != std::string::npos) {
            t.offset = std::stoll(detail.substr(0, colon));
            t.size = std::stoll(detail.substr(colon + 1));
        }
        fields.get();
        std::getline(fields, t.path);
        lines.push_back(std::move(t));
    }
    return lines;
}

void FaultFs::ClearTrace() const {
    // The file system appends; cutting the file keeps its descriptor valid.
    ::truncate(m_trace.c_str(), 0);
}

}  // namespace vorlaxis::test
