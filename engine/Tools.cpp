#include "engine/Tools.h"

#include <algorithm>

namespace vorlaxis {

namespace {

bool IsDotName(const std::string& name) {
    return name == "." || name == "..";
}

bool IsSubdirectory(const platform::DirEntry& entry) {
    return !IsDotName(entry.name) && (entry.attributes & platform::kAttrDirectory) != 0;
}

// A subdirectory that leads back to a directory on the current path would be walked again and
// again; it stays out of the list.
bool LeadsToAncestor(const std::string& dir, BlockingCalls& calls,
                     const std::vector<platform::FileIdentity>& ancestors) {
    platform::FileIdentity id;
    if (!calls.DirectoryIdentity(dir, id)) return false;
    return std::find(ancestors.begin(), ancestors.end(), id) != ancestors.end();
}

// The subdirectories of `dir` in listing order. The listing is closed before the caller
// descends, so the depth of a tree never runs out of open descriptors.
std::vector<std::string> ListSubdirectories(const std::string& dir, BlockingCalls& calls,
                                            TestHost& host) {
    std::vector<std::string> names;
    auto search = calls.StartListing(dir, "*.*", platform::kMaskWalk);
    platform::DirEntry entry;
    bool have = search->valid() && calls.NextEntry(*search, entry);
    // Looking for the first subdirectory lets the window breathe after each entry passed over.
    while (have && !IsSubdirectory(entry)) {
        have = calls.NextEntry(*search, entry);
        host.ProcessMessages();
    }
    while (have) {
        if (IsSubdirectory(entry)) names.push_back(entry.name);
        have = calls.NextEntry(*search, entry);
    }
    return names;
}

}  // namespace

void ScanDirectories(const std::string& path, DirectoryList& list, BlockingCalls& calls,
                     TestHost& host) {
    std::vector<platform::FileIdentity> ancestors;
    ScanDirectory(path, list, calls, host, ancestors);
}

void ScanDirectory(const std::string& dir, DirectoryList& list, BlockingCalls& calls,
                   TestHost& host, std::vector<platform::FileIdentity>& ancestors) {
    list.push_back(dir);
    platform::FileIdentity self;
    const bool known = calls.DirectoryIdentity(dir, self);
    if (known) ancestors.push_back(self);
    for (const std::string& name : ListSubdirectories(dir, calls, host)) {
        const std::string sub = dir + name + platform::PathSeparator();
        if (!LeadsToAncestor(sub, calls, ancestors))
            ScanDirectory(sub, list, calls, host, ancestors);
    }
    if (known) ancestors.pop_back();
}

bool ListFiles(const std::string& dir, std::string_view pattern, std::vector<std::string>& list,
               BlockingCalls& calls, size_t limit) {
    auto search = calls.StartListing(dir, pattern, platform::kMaskFiles);
    if (!search->valid()) return false;
    platform::DirEntry entry;
    size_t added = 0;
    while (added < limit && calls.NextEntry(*search, entry)) {
        if (IsDotName(entry.name) || (entry.attributes & platform::kAttrDirectory)) continue;
        list.push_back(dir + entry.name);
        ++added;
    }
    return true;
}

}  // namespace vorlaxis
