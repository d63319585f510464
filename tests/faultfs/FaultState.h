// The running file system's view of its fault rules: the configuration file, re-read when it
// changes, and the counters that make faults transient (TIMES, LISTINGS, one-time resizes).
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "FaultConfig.h"

namespace vorlaxis::test {

class FaultState {
  public:
    FaultState(std::string backing, std::string configPath, std::string tracePath);
    ~FaultState();
    FaultState(const FaultState&) = delete;
    FaultState& operator=(const FaultState&) = delete;

    // The backing path of a path of the mounted file system.
    std::string Backing(const std::string& path) const { return m_backing + path; }

    // Each returns 0 or the negative errno that the operation must fail with.
    int OpenFault(const std::string& path);
    int ListFault(const std::string& path, bool atRead);
    // Where the listing of `path` breaks off (entries before it; -1: never) and with which errno.
    std::pair<int64_t, int> ListBreak(const std::string& path);
    int ReadFault(const std::string& path, int64_t offset, int64_t size);

    // Counts one listing of a directory; returns how many listings came before it.
    int64_t BeginListing(const std::string& dir);
    // True when `path` has disappeared; `priorListings` < 0 means "as of now".
    bool Vanished(const std::string& path, int64_t priorListings = -1);
    // Milliseconds every read of `path` waits before it is served.
    int64_t DelayFor(const std::string& path);
    // True while a "hang" rule holds the reads of `path`.
    bool Hangs(const std::string& path);
    // Cuts or extends the backing file when a read of `path` reached `end` bytes into it.
    void AfterRead(const std::string& path, int64_t end);

    // One line of the trace file: "what result detail path".
    void Trace(const char* what, int result, const std::string& detail, const std::string& path);

  private:
    void RefreshLocked();
    int64_t ListingsLocked(const std::string& dir);

    std::string m_backing;  // no trailing separator
    std::string m_configPath;
    std::mutex m_mutex;
    FaultConfig m_config;
    struct stat m_configStat {};
    bool m_haveConfigStat = false;
    std::vector<int64_t> m_readErrorHits, m_openErrorHits;
    std::vector<bool> m_resized;
    std::map<std::string, int64_t> m_listings;
    std::FILE* m_trace = nullptr;
};

}  // namespace vorlaxis::test
