// What the window programs show of a comparison with the medium's last record: the summary after
// the location's results, the window listing the files by kind, and the menu command that shows
// the last comparison again. Both faces (Qt, Win32) draw these values.
#pragma once

#include <string>
#include <vector>

#include "engine/SourceComparison.h"
#include "engine/Unchecked.h"
#include "results/Comparison.h"

namespace vorlaxis {

constexpr const char kChangesTitle[] = "Změny na médiu";
// The menu command, after the "Zobrazit" menu's other items.
constexpr const char kShowLastComparisonText[] = "Zobrazit poslední porovnání";

// The command without a comparison to show (no location compared since the program started).
constexpr const char kNoComparisonText[] =
    "Od spuštění programu nebylo žádné médium porovnáno s dřívějším testem.";

struct ChangesView {
    std::string Location;
    std::string Summary;    // ComparisonSummary: what the message and the window's head say
    bool Alarming = false;  // content changed silently or files became unreadable
    struct Group {
        std::string Heading;             // the kind's text and its count
        std::vector<std::string> Paths;  // full paths, as the log writes them
    };
    std::vector<Group> Groups;  // only the kinds found, in the comparison's order
};

ChangesView MakeChangesView(const Comparison& comparison, const std::string& location);

// Adds what the medium's checksum files found (full paths) to `view`, which may hold only the
// location: a file a list contradicts, or names but the tree lacks, is an alarm like a silent
// change, found even on a medium tested for the first time.
void AddChecksumFindings(ChangesView& view, const std::vector<std::string>& mismatches,
                         const std::vector<std::string>& missing);

// The message after a comparison with the source folder that found everything the same.
std::string SourceSameText(const std::string& source);
constexpr const char kSourceComparisonTitle[] = "Porovnání se zdrojovou složkou";

// Adds what a comparison with the source folder found different to `view`, which may hold only
// the location: an alarm, since the medium is not what was meant to be on it.
void AddSourceFindings(ChangesView& view, const SourceFindings& found);

// Adds what the test could not check to `view`, which may hold only the location: a warning,
// since a medium partly checked must not look like a clean one.
void AddUnchecked(ChangesView& view, const UncheckedList& items);

// Adds the comparisons with the medium's records that could not be made (a damaged record, a
// read mode that does not read files whole) to `view`, which may hold only the location: the
// test is incomplete, which is worth a warning.
void AddUncheckedComparisons(ChangesView& view, const UncheckedList& unchecked);

// The question after the location's results: the summary, then whether to list the files.
std::string ChangesQuestion(const ChangesView& view);

// Where the window program keeps the media's records: "History" in the logs folder.
std::string HistoryFolderIn(const std::string& logsFolder);

// The message when a record could not be written (earlier records are kept).
std::string RecordNotSavedText(const std::string& historyFolder);

}  // namespace vorlaxis
