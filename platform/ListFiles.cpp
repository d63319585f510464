// The files of one directory with their sizes, as the file table takes them.
#include "platform/Files.h"

namespace vorlaxis::platform {

bool ListFilesWithSizes(const std::string& dir, size_t limit, std::vector<std::string>& paths,
                        std::vector<int64_t>& sizes, ListingOutcome& outcome) {
    paths.clear();
    sizes.clear();
    outcome = {};
    DirSearch search(dir, "*.*", kMaskFiles);
    if (!search.valid()) {
        outcome.failure = search.failure();
        return false;
    }
    DirEntry entry;
    std::vector<std::string> names;
    while (search.next(entry)) {
        if (!IsFileEntry(entry)) continue;
        // Past the limit the names are only counted, so memory stays bounded.
        if (names.size() < limit) {
            names.push_back(std::move(entry.name));
        } else {
            ++outcome.pastLimit;
        }
    }
    outcome.failure = search.failure();
    // The sizes once the listing is done, as a separate look at each name would take them.
    paths.reserve(names.size());
    sizes.reserve(names.size());
    for (const std::string& name : names) {
        sizes.push_back(search.listedSize(name));
        paths.push_back(dir + name);
    }
    return true;
}

}  // namespace vorlaxis::platform
