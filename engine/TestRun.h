// The test of one location: collect the directories and files, read every file in the run's
// read mode, write the test log, and report through the host. Front ends (the window program,
// vorlaxis-check, tests) build one TestSession and call PerformTest once per location.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/BlockingCalls.h"
#include "core/Dialogs.h"
#include "core/TestHost.h"
#include "engine/Fingerprints.h"
#include "engine/ReadMode.h"
#include "engine/SlowFiles.h"
#include "engine/SourceComparison.h"
#include "engine/TestStatistics.h"
#include "engine/Unchecked.h"
#include "platform/Files.h"
#include "settings/TestSettings.h"

namespace vorlaxis {

// The read buffer: the largest block size the options allow.
constexpr int kReadBufferSize = kMaxBlockSize * 1024;

// Everything a run reads and writes. The references belong to the front end and outlive the
// session; the tables are the session's own and keep their content after a run until the next
// run overwrites them.
struct TestSession {
    TestSession(TestSettings& settings, TestStatistics& statistics, MainDisplay& display,
                TestHost& host, Dialogs& dialogs, Clock& clock,
                BlockingCalls& calls = DefaultBlockingCalls());
    ~TestSession();
    TestSession(const TestSession&) = delete;
    TestSession& operator=(const TestSession&) = delete;

    TestSettings& Settings;
    TestStatistics& Statistics;
    MainDisplay& Display;
    TestHost& Host;
    Dialogs& DialogBoxes;
    Clock& WallClock;
    BlockingCalls& Calls;

    // FileTable[0] is the file numbered 1; FileCount entries are filled. Its room is reserved
    // once and entered as the table fills: a run over a few files touches a few of its pages.
    std::vector<FileEntry> FileTable;
    int32_t FileCount = 0;
    // The directories the last run found, the location itself included.
    int64_t DirectoryCount = 0;
    // One record per location of a batch, indexed by LocationIndex; grows as needed.
    std::vector<MediaRecord> MediaRecords;
    // The unreadable files of the last location, in the order they failed.
    std::vector<BadFileEntry> BadFiles;
    // Every file of the last location as it was tested: its read time and bytes read, in
    // the order of testing. A file retried after a failure keeps its last attempt.
    std::vector<FileSpeed> FileSpeeds;
    // The fingerprints and checksum-file verdicts of the last location (read mode "all" only).
    ContentFindings Content;
    // Test every file of a location, however many: the table grows past kFileTableSize.
    bool NoFileLimit = false;
    // Fingerprint every file read whole, for the medium's record. Off where no record is kept:
    // the hash and the last-write time then cost nothing, and checksum files are still checked.
    bool KeepFingerprints = true;
    // A folder (ending in the separator) left out of the tested tree with everything below it,
    // wherever the walk meets it: the medium's records kept inside the location. Empty: none.
    std::string ExcludedFolder;
    // Called as the reading ends, before the log's last lines, where the medium's records are
    // kept: it compares the run with them and adds what could not be compared to Unchecked and
    // what changed silently to Content.SilentChanges, so the log names them too. May be empty.
    std::function<void(TestSession&)> CompareWithRecords;
    // The folder the medium was made from (ending in the separator), compared with it in the
    // same read; empty: none. What the comparison found of the last location goes to Source,
    // never to the log, which stays that of a plain test.
    std::string SourceFolder;
    SourceFindings Source;
    // What the last run could not check (directories it may not list, files beyond the table,
    // lists and comparisons it could not make), in the order found. Not empty: no "ok".
    UncheckedList Unchecked;
    // The media checksum of the last location.
    uint16_t DataChecksum = 0;
    // Where the log goes. Empty: the temporary log "tmplog" + LocationIndex + ".txt" in the
    // private temporary folder. Set: that file, created (or truncated) for this run.
    std::string LogPathOverride;
    // The log file the last run wrote (or tried to write).
    std::string LogPath;
    // True when a line of the last run's log could not be written (a full or vanished
    // temporary folder): the log on disk is incomplete, whatever the outcome in it says.
    bool LogIncomplete = false;
    // True when the last run could not collect the location's files (the fatal message was
    // shown and nothing was read).
    bool CollectionFailed = false;

    // Working state of the reading phase, allocated once.
    std::unique_ptr<unsigned char[]> Buffer;  // kReadBufferSize bytes
    platform::InputFile File;
};

// Tests one location (a path ending in "/") in the read mode the options and the override
// give. Returns the number of unreadable files (directories that could not be read included),
// at most 65535. Always returns normally, also when stopped;
// StopRequested stays set when the run stopped.
uint16_t PerformTest(TestSession& session, const std::string& location,
                     ReadModeOverride readModeOverride = AsTheOptionsSay);

// The temporary log of location `index` in this user's private temporary folder (TempLogPath of
// engine/TestLog.h; empty when there is no such folder).
std::string TempLogPath(int32_t index);

}  // namespace vorlaxis
