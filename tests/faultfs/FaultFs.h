// A fault-injecting file system mounted for one test: a temporary folder with the backing
// folder, the mount point, the fault rules and the request trace. The mount is gone when the
// object is (also when the test fails or throws); the file system process also ends with the
// test process, and a lazy unmount takes over when the mount is busy.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TempDir.h"

namespace vorlaxis::test {

// One request the file system served: "open", "list" or "read", its result (0, a byte count
// or a negative errno), the offset and size of a read, and the path inside the mount.
struct TraceLine {
    std::string what;
    int result = 0;
    int64_t offset = -1;
    int64_t size = -1;
    std::string path;
};

class FaultFs {
  public:
    FaultFs();
    ~FaultFs();
    FaultFs(const FaultFs&) = delete;
    FaultFs& operator=(const FaultFs&) = delete;

    // Why a FUSE mount cannot be made on this machine; empty when it can. The first call
    // mounts and unmounts a probe; later calls give the same answer.
    static std::string Unavailable();

    // Mounts the backing folder; false (with error()) when the mount did not come up.
    bool Mount();
    // Unmounts (lazily when busy) and waits for the file system process; harmless twice.
    void Unmount();
    bool mounted() const { return m_pid > 0; }
    const std::string& error() const { return m_error; }

    // The backing folder and the mount point, each with a trailing separator.
    const std::string& backing() const { return m_backing; }
    const std::string& root() const { return m_root; }

    // Writes a file into the backing folder; returns its path inside the mount.
    std::string AddFile(const std::string& relative, const std::string& content) const;
    // Replaces the fault rules at once (FaultConfig.h); the file system sees the new rules
    // at its next request.
    void SetFaults(const std::string& rules) const;

    std::vector<TraceLine> Trace() const;
    void ClearTrace() const;

  private:
    bool WaitForMount();

    TempDir m_dir;
    std::string m_backing, m_root, m_config, m_trace, m_log;
    std::string m_error;
    pid_t m_pid = -1;
};

}  // namespace vorlaxis::test

// Skips the current test, saying why, when FUSE cannot run here (no /dev/fuse, no
// fusermount3, mounting refused): such a test is counted as skipped, never as passed.
#define VORLAXIS_REQUIRE_FUSE()                                                             \
    do {                                                                                    \
        if (const std::string why = ::vorlaxis::test::FaultFs::Unavailable(); !why.empty()) \
            GTEST_SKIP() << "FUSE cannot run here: " << why;                                \
    } while (0)
