// The directory walk of a location and the file lists of its directories.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/BlockingCalls.h"
#include "core/TestHost.h"

namespace vorlaxis {

// Directory paths, each ending in "/"; the location first, then depth-first pre-order in the
// order the platform lists the subdirectories.
using DirectoryList = std::vector<std::string>;

// A directory of the walk that could not be listed to its end: its place in the DirectoryList,
// why, and whether some of its entries were listed before the listing broke off.
struct UnlistedDirectory {
    size_t index = 0;
    platform::ListingFailure failure = platform::ListingFailure::Unreadable;
    bool started = false;
};
using UnlistedDirectories = std::vector<UnlistedDirectory>;

// Walks the tree of `path` (ending in "/") into `list`. A symbolic link to a directory is
// walked like a directory unless it leads to a directory already on the current path, or to
// one that a link has led the walk into before (links that multiply paths would otherwise make
// the walk grow exponentially). The host's pump runs once after each entry passed over while a
// directory's first subdirectory is sought. Directories that cannot be listed stand in the
// list with nothing below them (or what was listed before the listing broke off), and in
// `unlisted`, in the list's order, where given. A listing given up for a stop is no failure.
// The directory `leftOut` is, where given, is not walked however it is reached (the program's
// own records kept inside the location are no part of the medium).
void ScanDirectories(const std::string& path, DirectoryList& list, BlockingCalls& calls,
                     TestHost& host, UnlistedDirectories* unlisted = nullptr,
                     const platform::FileIdentity* leftOut = nullptr);

// Appends dir + name for every entry of `dir` that is not a directory (nor "." or ".."), in
// listing order, stopping once `limit` entries were appended. A directory that cannot be listed
// adds nothing; the result is false then, so a caller can tell it from an empty one. Where
// `outcome` is given, the listing goes on past the limit to count the files there, and tells
// why it failed or broke off.
bool ListFiles(const std::string& dir, std::string_view pattern, std::vector<std::string>& list,
               BlockingCalls& calls, size_t limit = static_cast<size_t>(-1),
               platform::ListingOutcome* outcome = nullptr);

}  // namespace vorlaxis
