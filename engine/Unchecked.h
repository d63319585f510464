// What a test was asked to check and could not. Each item is named with its path and reason
// wherever the verdict shows (log, windows, standard error, JSON), and none may pass for "ok".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorlaxis {

enum class UncheckedReason {
    AccessDenied,       // the system would not let us list a directory or open a file
    PathTooLong,        // a path beyond what the platform can open
    FileLimit,          // files left out of the full file table (Count of them)
    NoMedium,           // the location is missing, or nothing is mounted there
    RecordUnusable,     // the medium's last record is damaged: nothing compared with it
    ListUnusable,       // a checksum list that cannot be read or understood: nothing checked by it
    ListLinesUnusable,  // lines of a checksum list that give no entry (Count of them)
    OutsideMedium,      // a checksum list names a file outside the location (path as listed)
    NotCompared,        // a read mode that does not read files whole: nothing was compared
    SourceUnreadable,   // a file of the source folder compared with could not be read
    SourceUnlisted,     // a folder of the source folder could not be listed whole
    SourceNotSought     // the medium was not tested whole: what only the source has not sought
};

struct UncheckedItem {
    UncheckedReason Reason = UncheckedReason::AccessDenied;
    std::string Path;   // full path (a directory ends in the separator); empty where none fits
    int64_t Count = 0;  // FileLimit: the files left out; ListLinesUnusable: the lines
};

// The reason as the log and the windows name it, in Czech ("přístup odepřen").
const char* UncheckedText(UncheckedReason reason);
// The reason as vorlaxis-check's result names it ("access_denied").
const char* UncheckedKey(UncheckedReason reason);
// One line of the log's and the windows' list: "  \"path\" - reason", or for the file limit
// "  souborů nad limit: count"; lines of a list add ": count".
std::string UncheckedLine(const UncheckedItem& item);

using UncheckedList = std::vector<UncheckedItem>;

}  // namespace vorlaxis
