#include "FaultState.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vorlaxis::test {

namespace {

std::string ParentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_ino == b.st_ino && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Extends a file with 'G' bytes or cuts it, so that growth shows in a byte sum.
void ResizeFile(const std::string& path, int64_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size < size) {
        const std::string fill(static_cast<size_t>(size - st.st_size), 'G');
        if (::pwrite(fd, fill.data(), fill.size(), st.st_size) < 0) ::perror("resize");
    } else if (::ftruncate(fd, size) != 0) {
        ::perror("resize");
    }
    ::close(fd);
}

}  // namespace

FaultState::FaultState(std::string backing, std::string configPath, std::string tracePath)
    : m_backing(std::move(backing)), m_configPath(std::move(configPath)) {
    while (m_backing.size() > 1 && m_backing.back() == '/') m_backing.pop_back();
    if (!tracePath.empty()) m_trace = std::fopen(tracePath.c_str(), "ae");
    std::lock_guard lock(m_mutex);
    RefreshLocked();
}

FaultState::~FaultState() {
    if (m_trace) std::fclose(m_trace);
}

// Re-reads the configuration when the file changed (a new inode, size or time); the counters
// start afresh with the new rules.
void FaultState::RefreshLocked() {
    if (m_configPath.empty()) return;
    struct stat st {};
    const bool exists = ::stat(m_configPath.c_str(), &st) == 0;
    if (exists == m_haveConfigStat && (!exists || SameFile(st, m_configStat))) return;
    m_haveConfigStat = exists;
    m_configStat = st;
    std::stringstream text;
    if (exists) text << std::ifstream(m_configPath).rdbuf();
    m_config = ParseFaultConfig(text.str());
    for (const std::string& problem : m_config.problems) {
        std::fprintf(stderr, "faultfs: %s: not understood: %s\n", m_configPath.c_str(),
                     problem.c_str());
    }
    m_readErrorHits.assign(m_config.readErrors.size(), 0);
    m_openErrorHits.assign(m_config.openErrors.size(), 0);
    m_resized.assign(m_config.resizes.size(), false);
    m_listings.clear();
}

int FaultState::OpenFault(const std::string& path) {
    std::lock_guard lock(m_mutex);
    RefreshLocked();
    for (size_t i = 0; i < m_config.openErrors.size(); ++i) {
        const OpenErrorRule& rule = m_config.openErrors[i];
        if (rule.path != path || (rule.times >= 0 && m_openErrorHits[i] >= rule.times)) continue;
        ++m_openErrorHits[i];
        return -rule.error;
    }
    return 0;
}

int FaultState::ListFault(const std::string& path, bool atRead) {
    std::lock_guard lock(m_mutex);
    RefreshLocked();
    for (const ListErrorRule& rule : m_config.listErrors) {
        if (rule.path == path && rule.after < 0 && rule.atRead == atRead) return -rule.error;
    }
    return 0;
}

std::pair<int64_t, int> FaultState::ListBreak(const std::string& path) {
    std::lock_guard lock(m_mutex);
    RefreshLocked();
    for (const ListErrorRule& rule : m_config.listErrors) {
        if (rule.path == path && rule.after >= 0) return {rule.after, rule.error};
    }
    return {-1, 0};
}

int FaultState::ReadFault(const std::string& path, int64_t offset, int64_t size) {
    std::lock_guard lock(m_mutex);
    RefreshLocked();
    for (size_t i = 0; i < m_config.readErrors.size(); ++i) {
        const ReadErrorRule& rule = m_config.readErrors[i];
        if (rule.path != path || !ReadTouches(rule, offset, size)) continue;
        if (rule.times >= 0 && m_readErrorHits[i] >= rule.times) continue;
        ++m_readErrorHits[i];
        return -EIO;
    }
    return 0;
}

int64_t FaultState::ListingsLocked(const std::string& dir) {
    const auto it = m_listings.find(dir);
    return it == m_listings.end() ? 0 : it->second;
}

int64_t FaultState::BeginListing(const std::string& dir) {
    std::lock_guard lock(m_mutex);
    RefreshLocked();
    return m_listings[dir]++;
}

bool FaultState::Vanished(const std::string& path, int64_t priorListings) {
    std::lock_guard lock(m_mutex);
    RefreshLocked();
    for (const VanishRule& rule : m_config.vanishes) {
        if (rule.path != path) continue;
        const int64_t listings =
            priorListings >= 0 ? priorListings : ListingsLocked(ParentOf(path));
        if (listings >= rule.listings) return true;
    }
    return false;
}

int64_t FaultState::DelayFor(const std::string& path) {
    std::lock_guard lock(m_mutex);
    RefreshLocked();
    int64_t ms = 0;
    for (const DelayRule& rule : m_config.delays) {
        if (!rule.untilTakenAway && (rule.path.empty() || rule.path == path))
            ms += rule.milliseconds;
    }
    return ms;
}

bool FaultState::Hangs(const std::string& path) {
    std::lock_guard lock(m_mutex);
    RefreshLocked();
    return std::any_of(m_config.delays.begin(), m_config.delays.end(), [&](const DelayRule& rule) {
        return rule.untilTakenAway && rule.path == path;
    });
}

void FaultState::AfterRead(const std::string& path, int64_t end) {
    std::lock_guard lock(m_mutex);
    for (size_t i = 0; i < m_config.resizes.size(); ++i) {
        const ResizeRule& rule = m_config.resizes[i];
        if (rule.path != path || m_resized[i] || end < rule.after) continue;
        m_resized[i] = true;
        ResizeFile(Backing(path), rule.size);
    }
}

void FaultState::Trace(const char* what, int result, const std::string& detail,
                       const std::string& path) {
    if (!m_trace) return;
    std::lock_guard lock(m_mutex);
    std::fprintf(m_trace, "%s %d %s %s\n", what, result, detail.c_str(), path.c_str());
    std::fflush(m_trace);
}

}  // namespace vorlaxis::test
