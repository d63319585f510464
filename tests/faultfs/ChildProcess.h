// A program started by a test with an argument list (never a shell), its output caught in
// files, and a time limit after which it is killed: a hang fails the test instead of the suite.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "TempDir.h"

namespace vorlaxis::test {

struct ProgramResult {
    int exitCode = -1;  // -1 when the program did not exit by itself
    int signal = 0;     // the signal that ended it, 0 when it exited
    bool timedOut = false;
    std::string out, err;
};

class ChildProcess {
  public:
    // `env` entries ("NAME=value") are added to (or replace in) this process's environment.
    ChildProcess(std::vector<std::string> args, std::vector<std::string> env = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start();
    pid_t pid() const { return m_pid; }
    // Sends a signal to the running program.
    void Signal(int signal) const;
    // Waits for the end; after `limit` the program is killed and timedOut is set.
    ProgramResult Wait(std::chrono::milliseconds limit = std::chrono::seconds(120));

  private:
    std::vector<std::string> m_args, m_env;
    TempDir m_dir;
    pid_t m_pid = -1;
};

// Starts, waits and returns in one call.
ProgramResult RunProgram(std::vector<std::string> args, std::vector<std::string> env = {},
                         std::chrono::milliseconds limit = std::chrono::seconds(120));

}  // namespace vorlaxis::test
