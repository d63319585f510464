// What a whole read learns of the content: a 128-bit fingerprint of every file, and the verdicts
// of the checksum files found on the medium, both from the very blocks the media checksum sums.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/TestStatistics.h"
#include "engine/Unchecked.h"

namespace vorlaxis {

class BlockingCalls;

struct FileFingerprint {
    std::string Path;      // within the location, "/" separated
    int64_t Size = 0;      // the bytes read (the listed size when the file could not be read)
    int64_t Modified = 0;  // last-write time, nanoseconds since 1970; 0 when not known
    std::string Hash;      // XXH3-128 as xxh128sum writes it; empty when the file could not be read
    bool Readable = false;
};

struct ContentFindings {
    bool Complete = false;  // every file of the location was read whole (read mode "all", no
                            // stop, the tree collected)
    std::vector<FileFingerprint> Files;           // in the order of testing
    std::vector<std::string> ChecksumMismatches;  // full paths whose content a list contradicts
    std::vector<std::string> ChecksumMissing;     // full paths a list names but the tree lacks
    UncheckedList Unchecked;  // lists that could not be read or used, lines of them that give no
                              // entry, entries outside the location: comparisons not made
    // Full paths whose content changed since the medium's last record while their size and
    // last-write time stayed the same (filled by TestSession::CompareWithRecords).
    std::vector<std::string> SilentChanges;
};

// The full path of `within` ("/" separated) in `location`, with the platform's separators.
std::string LocationPath(const std::string& location, const std::string& within);

// One location's content checks. The run calls StartFile before each attempt at a file, Update
// with every block it reads, and EndFile after the attempt.
class ContentCheck {
  public:
    ContentCheck();
    ~ContentCheck();
    ContentCheck(const ContentCheck&) = delete;
    ContentCheck& operator=(const ContentCheck&) = delete;

    // Reads the checksum files among `count` table entries (before any file they list), through
    // `calls`, which also give each file's last-write time. Lists are read piece by piece and
    // only the leading bytes of the digests of the table's files are kept, so a list of any
    // length fits in little memory. `files` must stay in place until Finish().
    // Without `fingerprints` a file is hashed only for a checksum file that lists its XXH3-128,
    // and its fingerprint stays empty.
    void Prepare(BlockingCalls& calls, const std::string& location, const FileEntry* files,
                 int32_t count, bool fingerprints = true);
    // False when there is nothing to fingerprint and no list to check: the run may skip the rest.
    bool Needed() const;
    void StartFile(const FileEntry& entry);
    void Update(const unsigned char* data, size_t count);
    // `whole`: the file was read to its end (not failed, not cut short by a stop).
    void EndFile(const FileEntry& entry, bool readable, bool whole);
    // Moves the findings into `findings`; files that lists name but the tree lacks are added
    // when `complete`.
    void Finish(bool complete, ContentFindings& findings);

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace vorlaxis
