// What changed on a medium between two of its records, and how the windows name it.
#pragma once

#include <string>
#include <vector>

#include "results/MediumHistory.h"

namespace vorlaxis {

enum class ChangeKind {
    Silent,           // other content with the same size and modification time: the alarm
    Edited,           // other content with a new modification time or size
    Missing,          // gone since the earlier test
    New,              // not there at the earlier test
    NewlyUnreadable,  // read then, cannot be read now
    ReadableAgain     // could not be read then, reads now
};
constexpr int kChangeKinds = 6;

struct FileChange {
    ChangeKind Kind = ChangeKind::Silent;
    std::string Path;  // within the location, "/" separated
};

struct Comparison {
    std::string EarlierDate;          // the date of the earlier record
    std::vector<FileChange> Changes;  // by kind in the order above, then in the record's order
    bool Any() const { return !Changes.empty(); }
    std::vector<std::string> PathsOf(ChangeKind kind) const;
    bool Has(ChangeKind kind) const;
};

// Both records must come from whole reads of the same medium and location.
Comparison CompareRecords(const TestRecord& earlier, const TestRecord& now);

// The kind's key in vorlaxis-check's result ("changed", "edited", "missing", "new",
// "newly_unreadable", "readable_again").
const char* ChangeKindKey(ChangeKind kind);

// The kind's heading in the windows ("Změněn obsah beze změny data"...).
const char* ChangeKindText(ChangeKind kind);

// The summary the main window shows after the location's results, one line per kind found.
std::string ComparisonSummary(const Comparison& comparison);

}  // namespace vorlaxis
