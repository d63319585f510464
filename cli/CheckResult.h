// What vorlaxis-check learned of each location, and its JSON form for scripts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/Unchecked.h"

namespace vorlaxis::cli {

enum class Outcome {
    Ok,         // every file could be read
    Errors,     // unreadable files were found
    Stopped,    // a signal stopped the test, or came before the location was reached
    Failed,     // not an existing directory, the tree could not be collected, or the log is
                // incomplete
    Incomplete  // every file found was readable, but something was not checked (unchecked)
};

struct LocationResult {
    std::string path;         // as tested: with its trailing separator
    bool identified = false;  // false: the medium was never examined (label, serial null)
    std::string label;        // the volume label
    std::string serial;       // eight hexadecimal digits
    int64_t directories = 0;  // the location itself included
    int64_t files = 0;        // entered into the file table
    std::vector<std::string> unreadable;  // full paths, in the order they failed
    std::optional<uint16_t> checksum;     // none when the log has none (only opening, failed)
    Outcome outcome = Outcome::Stopped;
    int64_t bytesRead = 0;  // really read; blocks passed over are not counted
    double seconds = 0.0;   // wall-clock time of the location's test
    struct SlowFile {
        std::string path;
        double megabytesPerSecond = 0.0;
    };
    std::vector<SlowFile> slow;  // readable but slow, in the order they were tested
    std::vector<std::pair<double, double>> speedProfile;  // [megabytes done, MB/s]
    std::vector<std::string> checksumMismatches;          // full paths a checksum file contradicts
    std::vector<std::string> checksumMissing;  // full paths a checksum file lists, not there
    // Since the medium's last record (--history), full paths by kind.
    std::vector<std::string> changed, edited, missing, added, newlyUnreadable, readableAgain;
    UncheckedList unchecked;  // what could not be checked, with its path and reason
    // Against the source folder (--compare-with): files whose content differs (the first byte
    // that does), and full paths that one side lacks (a folder ends in the separator).
    struct Difference {
        std::string path;
        int64_t offset = 0;
    };
    std::vector<Difference> differs;
    std::vector<std::string> onlyOnMedium, onlyInSource;
};

// The result file: the program, its version, the exit status and one object per location.
std::string ResultJson(const std::vector<LocationResult>& locations, int exitStatus);

}  // namespace vorlaxis::cli
