// The walk's calls: listings, sizes, identities, times, small files and the volume, each
// carried out on the helper thread and waited for in the pump on the run's thread, like any
// call (it may block there as long as the medium does). A listing's entries are fetched many
// at a time and handed out from here. A stop gives a call up after the grace (at once while a
// call given up still holds the medium) with its empty result; the eject is asked for even then.
#include "engine/ThreadedJob.h"

namespace vorlaxis {

namespace {

// Entries of a listing fetched by one call of the helper: a hand-over for each entry would
// cost more than the listing itself on a medium as fast as memory.
constexpr size_t kListedTogether = 128;

// A listing that lists nothing: an empty path fails at once, without touching a medium. It
// holds the place of a listing that a helper thread works on.
std::unique_ptr<platform::DirSearch> EmptySearch() {
    return std::make_unique<platform::DirSearch>(std::string(1, '\0'), "*", 0);
}

}  // namespace

std::unique_ptr<platform::DirSearch> ThreadedBlockingCalls::StartListing(const std::string& dir,
                                                                         std::string_view pattern,
                                                                         uint32_t mask) {
    Job* job = Begin();
    if (!job) return EmptySearch();
    job->path = dir;
    job->pattern = pattern;
    job->mask = mask;
    if (!Carry([](Job& j) {
            j.started = std::make_unique<platform::DirSearch>(j.path, j.pattern, j.mask);
        })) {
        return EmptySearch();
    }
    // Entries left of a listing given up may belong to an earlier one in the same place.
    std::erase_if(m_listed, [&](const Listed& l) { return l.from == job->started.get(); });
    return std::move(job->started);
}

bool ThreadedBlockingCalls::NextEntry(platform::DirSearch& search, platform::DirEntry& entry) {
    auto listed = std::find_if(m_listed.begin(), m_listed.end(),
                               [&](const Listed& l) { return l.from == &search; });
    // The entries fetched with an earlier one first.
    if (listed != m_listed.end() && (listed->next < listed->entries.size() || listed->ended)) {
        m_abandoned = false;
        return TakeListed(listed, entry);
    }
    Job* job = Begin();
    if (!job) return false;
    if (!job->listing) job->listing = EmptySearch();
    job->listing->swap(search);
    if (!Carry([](Job& j) {
            j.entries.clear();
            j.ok = true;
            while (j.ok && j.entries.size() < kListedTogether) {
                j.ok = j.listing->next(j.entry);
                if (j.ok) j.entries.push_back(std::move(j.entry));
            }
        })) {
        return false;
    }
    search.swap(*job->listing);
    if (listed == m_listed.end()) {
        listed = m_listed.insert(listed, Listed{});
        listed->from = &search;
    }
    listed->entries.swap(job->entries);
    listed->next = 0;
    listed->ended = !job->ok;
    return TakeListed(listed, entry);
}

// The next entry fetched for a listing; false at its end, which forgets the listing.
bool ThreadedBlockingCalls::TakeListed(std::vector<Listed>::iterator listed,
                                       platform::DirEntry& entry) {
    if (listed->next == listed->entries.size()) {
        m_listed.erase(listed);
        return false;
    }
    entry = std::move(listed->entries[listed->next++]);
    return true;
}

int64_t ThreadedBlockingCalls::ListedSize(const std::string& path) {
    Job* job = Begin();
    if (!job) return -1;
    job->path = path;
    if (!Carry([](Job& j) { j.number = platform::ListedFileSize(j.path); })) return -1;
    return job->number;
}

void ThreadedBlockingCalls::ListedSizes(const std::string& dir,
                                        const std::vector<std::string>& paths,
                                        std::vector<int64_t>& sizes) {
    sizes.assign(paths.size(), -1);
    Job* job = Begin();
    if (!job) return;
    job->path = dir;
    job->paths = paths;
    if (!Carry([](Job& j) { platform::ListedFileSizes(j.path, j.paths, j.sizes); })) return;
    sizes.swap(job->sizes);
}

bool ThreadedBlockingCalls::ListFilesWithSizes(const std::string& dir, size_t limit,
                                               std::vector<std::string>& paths,
                                               std::vector<int64_t>& sizes,
                                               platform::ListingOutcome& outcome) {
    paths.clear();
    sizes.clear();
    outcome = {};
    Job* job = Begin();
    if (!job) return false;
    job->path = dir;
    job->number = static_cast<int64_t>(std::min<size_t>(limit, INT64_MAX));
    if (!Carry([](Job& j) {
            j.ok = platform::ListFilesWithSizes(j.path, static_cast<size_t>(j.number), j.paths,
                                                j.sizes, j.filesListed);
        })) {
        return false;
    }
    paths.swap(job->paths);
    sizes.swap(job->sizes);
    outcome = job->filesListed;
    return job->ok;
}

bool ThreadedBlockingCalls::NothingMounted(const std::string& path) {
    Job* job = Begin();
    if (!job) return false;
    job->path = path;
    if (!Carry([](Job& j) { j.ok = platform::NothingMountedWhereExpected(j.path); })) return false;
    return job->ok;
}

bool ThreadedBlockingCalls::LastWriteTime(const std::string& path, int64_t& nanoseconds) {
    Job* job = Begin();
    if (!job) return false;
    job->path = path;
    if (!Carry([](Job& j) { j.ok = platform::GetLastWriteTime(j.path, j.number); })) return false;
    nanoseconds = job->number;
    return job->ok;
}

bool ThreadedBlockingCalls::ReadSmallFile(const std::string& path, int64_t largest,
                                          std::string& content) {
    Job* job = Begin();
    if (!job) return false;
    job->path = path;
    job->number = largest;
    job->text.clear();
    if (!Carry([](Job& j) {
            const int64_t size = platform::ListedFileSize(j.path);
            j.ok = size >= 0 && size <= j.number && platform::ReadWholeFile(j.path, j.text);
        })) {
        return false;
    }
    content.swap(job->text);
    return job->ok;
}

bool ThreadedBlockingCalls::DirectoryIdentity(const std::string& path, platform::FileIdentity& id) {
    Job* job = Begin();
    if (!job) return false;
    job->path = path;
    if (!Carry([](Job& j) { j.ok = platform::GetFileIdentity(j.path, j.identity); })) {
        return false;
    }
    id = job->identity;
    return job->ok;
}

void ThreadedBlockingCalls::DirectoryIdentities(
    const std::string& dir, const std::vector<std::string>& names,
    std::vector<std::optional<platform::FileIdentity>>& ids) {
    ids.assign(names.size(), std::nullopt);
    Job* job = Begin();
    if (!job) return;
    job->path = dir;
    job->paths = names;
    if (!Carry([](Job& j) { platform::GetDirectoryIdentities(j.path, j.paths, j.identities); })) {
        return;
    }
    ids.swap(job->identities);
}

platform::VolumeIdentity ThreadedBlockingCalls::QueryVolume(const std::string& path) {
    Job* job = Begin();
    if (!job) return {};
    job->path = path;
    if (!Carry([](Job& j) { j.volume = platform::QueryVolume(j.path); })) return {};
    return job->volume;
}

void ThreadedBlockingCalls::EjectVolume(const std::string& path) {
    // The user asked for the medium back: that is tried even after a stop.
    Job* job = Begin(true);
    if (!job) return;
    job->path = path;
    Carry([](Job& j) { platform::EjectVolume(j.path); });
}

}  // namespace vorlaxis
