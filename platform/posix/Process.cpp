// Starting external programs on Linux: fork twice and exec, so the started program belongs to
// init (or the session's reaper) and this process never waits for it.
#include "platform/Process.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

extern char** environ;

namespace vorlaxis::platform {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// Runs in the grandchild between fork and exec: async-signal-safe calls only, everything else
// was prepared before the fork.
[[noreturn]] void ExecPrepared(const char* path, char* const* argv, const char* folder,
                               int errorPipe) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    if (folder && *folder) {
        if (chdir(folder) != 0) { /* the program still starts, in our folder */
        }
    }
    execve(path, argv, environ);
    const int error = errno;
    if (write(errorPipe, &error, sizeof error) < 0) { /* nobody left to tell */
    }
    _exit(127);
}

// Waits for the short-lived middle child, retrying interruptions.
void ReapChild(pid_t child) {
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// The exec's outcome: the error pipe closes on a successful exec and carries errno otherwise.
bool ExecSucceeded(int readEnd) {
    int error = 0;
    ssize_t n;
    do {
        n = read(readEnd, &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    return n == 0;
}

void (*g_onStop)(int) = nullptr;
pthread_t g_stopThread;

void OnStopSignal(int signal) {
    const int saved = errno;
    if (pthread_equal(pthread_self(), g_stopThread)) {
        g_onStop(signal);
    } else {
        pthread_kill(g_stopThread, signal);  // its blocking call is the one to interrupt
    }
    errno = saved;
}

}  // namespace

void CatchStopSignals(void (*onStop)(int)) {
    g_onStop = onStop;
    g_stopThread = pthread_self();
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction old {};
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no SA_RESTART: a blocked open or write returns EINTR
        sigaction(signal, &action, nullptr);
    }
}

void DieBySignal(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);  // blocked while its handler runs
    raise(signal);
    _exit(128 + signal);  // not reached
}

bool StandardOutputWasClosed() {
    bool outputClosed = false;
    // In order: the lowest free number is the one open() gives.
    for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (fcntl(stream, F_GETFD) != -1 || errno != EBADF) continue;
        const int fd = open("/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (fd >= 0 && fd != stream) close(fd);
        outputClosed = outputClosed || stream == STDOUT_FILENO;
    }
    return outputClosed;
}

std::string FindProgram(const std::string& name) {
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
    const char* env = std::getenv("PATH");
    const std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        // An empty entry means the current folder.
        std::string candidate = end > start ? path.substr(start, end - start) : std::string(1, '.');
        candidate += '/';
        candidate += name;
        if (IsExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& workingFolder) {
    const std::string path = FindProgram(program);
    if (path.empty()) return false;
    std::vector<std::string> texts;
    texts.push_back(program);
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    const pid_t child = fork();
    if (child < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    if (child == 0) {
        close(pipeFds[0]);
        setsid();  // away from our terminal and process group
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            ExecPrepared(path.c_str(), argv.data(), workingFolder.c_str(), pipeFds[1]);
        }
        if (grandchild < 0) {
            const int error = errno;
            if (write(pipeFds[1], &error, sizeof error) < 0) { /* reported as started */
            }
        }
        _exit(0);
    }
    close(pipeFds[1]);
    ReapChild(child);
    const bool started = ExecSucceeded(pipeFds[0]);
    close(pipeFds[0]);
    return started;
}

}  // namespace vorlaxis::platform
