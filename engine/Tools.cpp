#include "engine/Tools.h"

#include <algorithm>
#include <set>

namespace vorlaxis {

namespace {

bool IsDotName(const std::string& name) {
    return name == "." || name == "..";
}

bool IsSubdirectory(const platform::DirEntry& entry) {
    return !IsDotName(entry.name) && (entry.attributes & platform::kAttrDirectory) != 0;
}

struct Subdirectory {
    std::string name;
    bool link = false;
};

struct Before {
    bool operator()(const platform::FileIdentity& a, const platform::FileIdentity& b) const {
        return a.device != b.device ? a.device < b.device : a.inode < b.inode;
    }
};

// What the walk remembers: the directories on the current path, and those a link has led into.
struct Walk {
    BlockingCalls& calls;
    TestHost& host;
    DirectoryList& list;
    UnlistedDirectories* unlisted;
    const platform::FileIdentity* leftOut;
    std::vector<platform::FileIdentity> ancestors;
    std::set<platform::FileIdentity, Before> linked;
};

// The subdirectories of `dir` in listing order. The listing is closed before the caller
// descends, so the depth of a tree never runs out of open descriptors. `failure` tells why the
// listing did not start or broke off (None: complete, or given up for a stop), and `started`
// whether it started.
std::vector<Subdirectory> ListSubdirectories(const std::string& dir, BlockingCalls& calls,
                                             TestHost& host, platform::ListingFailure& failure,
                                             bool& started) {
    std::vector<Subdirectory> found;
    auto search = calls.StartListing(dir, "*.*", platform::kMaskWalk);
    platform::DirEntry entry;
    started = search->valid();
    bool have = started && calls.NextEntry(*search, entry);
    // Looking for the first subdirectory lets the window breathe after each entry passed over.
    while (have && !IsSubdirectory(entry)) {
        have = calls.NextEntry(*search, entry);
        host.ProcessMessages();
    }
    while (have) {
        if (IsSubdirectory(entry)) {
            found.push_back({entry.name, (entry.attributes & platform::kAttrReparsePoint) != 0});
        }
        have = calls.NextEntry(*search, entry);
    }
    failure = calls.Abandoned() ? platform::ListingFailure::None : search->failure();
    // A listing that could not start and says nothing was still not listed.
    if (!started && !calls.Abandoned() && failure == platform::ListingFailure::None)
        failure = platform::ListingFailure::Unreadable;
    return found;
}

// Appends `dir` and its subtree; `self` is its identity where known.
void ScanDirectory(const std::string& dir, Walk& walk, const platform::FileIdentity* self) {
    walk.list.push_back(dir);
    if (self) walk.ancestors.push_back(*self);
    platform::ListingFailure failure = platform::ListingFailure::None;
    bool started = false;
    const std::vector<Subdirectory> subdirectories =
        ListSubdirectories(dir, walk.calls, walk.host, failure, started);
    if (failure != platform::ListingFailure::None && walk.unlisted)
        walk.unlisted->push_back({walk.list.size() - 1, failure, started});
    std::vector<std::string> names;
    names.reserve(subdirectories.size());
    for (const Subdirectory& entry : subdirectories) names.push_back(entry.name);
    // Asked for all at once: one look-up of `dir`, and one wait for the medium.
    std::vector<std::optional<platform::FileIdentity>> ids;
    if (!names.empty()) walk.calls.DirectoryIdentities(dir, names, ids);
    ids.resize(names.size());  // unknown where the calls left any out
    for (size_t i = 0; i < subdirectories.size(); ++i) {
        const std::optional<platform::FileIdentity>& id = ids[i];
        if (id) {
            // Back onto the current path: it would be walked again and again.
            if (std::find(walk.ancestors.begin(), walk.ancestors.end(), *id) !=
                walk.ancestors.end()) {
                continue;
            }
            // Led into by a link before: every further way in would repeat the subtree.
            if (subdirectories[i].link && !walk.linked.insert(*id).second) continue;
            if (walk.leftOut && *id == *walk.leftOut) continue;
        }
        ScanDirectory(dir + names[i] + platform::PathSeparator(), walk, id ? &*id : nullptr);
    }
    if (self) walk.ancestors.pop_back();
}

}  // namespace

void ScanDirectories(const std::string& path, DirectoryList& list, BlockingCalls& calls,
                     TestHost& host, UnlistedDirectories* unlisted,
                     const platform::FileIdentity* leftOut) {
    Walk walk{calls, host, list, unlisted, leftOut, {}, {}};
    platform::FileIdentity root;
    ScanDirectory(path, walk, calls.DirectoryIdentity(path, root) ? &root : nullptr);
}

bool ListFiles(const std::string& dir, std::string_view pattern, std::vector<std::string>& list,
               BlockingCalls& calls, size_t limit, platform::ListingOutcome* outcome) {
    if (outcome) *outcome = {};
    auto search = calls.StartListing(dir, pattern, platform::kMaskFiles);
    if (!search->valid()) {
        if (outcome) outcome->failure = search->failure();
        return false;
    }
    platform::DirEntry entry;
    size_t added = 0;
    while ((added < limit || outcome) && calls.NextEntry(*search, entry)) {
        if (!platform::IsFileEntry(entry)) continue;
        if (added == limit) {
            ++outcome->pastLimit;  // counted only
            continue;
        }
        list.push_back(dir + entry.name);
        ++added;
    }
    if (outcome && !calls.Abandoned()) outcome->failure = search->failure();
    return true;
}

}  // namespace vorlaxis
