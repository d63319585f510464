// The test history of a medium: one record per whole read, kept as plain files in a folder per
// medium, each with the fingerprints exported in the form xxh128sum -c reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "engine/Fingerprints.h"
#include "platform/Text.h"

namespace vorlaxis {

// A medium is known by its label, its serial and where the location lies within it.
struct MediumIdentity {
    std::string Label;
    std::string Serial;
    std::string Within;  // folders from the medium's root, "/" separated; "" for the root
    bool operator==(const MediumIdentity&) const = default;
};

struct TestRecord {
    MediumIdentity Medium;
    std::string Date;  // "2026-12-08 05:00:00", local time
    int Mode = 1;      // the ReadMode value
    int64_t FileCount = 0;
    int64_t UnreadableCount = 0;
    std::string Checksum;  // the media checksum as the log writes it
    std::string Outcome;   // the outcome the main window shows
    std::vector<FileFingerprint> Files;
};

// The folder of one medium's records in `historyFolder` (ends in the separator): label, serial
// and location joined by "_", with characters Windows forbids in names replaced by "_".
std::string RecordFolder(const std::string& historyFolder, const MediumIdentity& medium);

// The record as kept: a head, a line per file, and a last line with the count of files.
std::string RecordText(const TestRecord& record);
// None when `text` is no whole record (cut short, garbled, its end missing or miscounted).
std::optional<TestRecord> ParseRecord(std::string_view text);

// The fingerprints of the readable files in the form of xxh128sum, paths relative to the
// location: run in the location's folder, `xxh128sum -c` verifies the medium.
std::string Xxh128Text(const std::vector<FileFingerprint>& files);

struct EarlierRecord {
    std::optional<TestRecord> Record;  // the newest record of the medium, when usable
    // The newest record file when it cannot be read or is damaged (cut short, garbled): it is
    // renamed to end in ".damaged" (kept, never used or replaced by an older record), and this
    // is its path. Empty otherwise.
    std::string Unusable;
};

// The newest record of `medium` (none when it has none), or the damaged one in its place.
EarlierRecord LatestRecord(const std::string& historyFolder, const MediumIdentity& medium);

// Adds `record` to the medium's history as new files "<date>-<n>.record" and ".xxh128" (each
// written under a temporary name, flushed to the disk, then renamed; no earlier record is
// touched, temporary files of writers gone for an hour are removed). Returns the record's path,
// or the error text.
Result<std::string> SaveRecord(const std::string& historyFolder, const TestRecord& record,
                               const platform::LocalDateTime& when);

// "2026-12-08 05:00:00"
std::string RecordDate(const platform::LocalDateTime& when);

}  // namespace vorlaxis
