// The test of one file in the run's read mode: open, read or pass over blocks, close.
#pragma once

#include <cstdint>

#include "core/BlockingCalls.h"
#include "engine/Fingerprints.h"
#include "engine/TestStatistics.h"
#include "platform/Files.h"

namespace vorlaxis {

class SourceComparison;

// What the run does between the reads and pass-overs of a file.
class FileStepObserver {
  public:
    virtual ~FileStepObserver() = default;
    // After a block was actually read (not after a pass-over step): let pending messages run.
    virtual void AfterRead() = 0;
    // After every step, once the counters grew: refresh the progress controls.
    virtual void AfterStep(int64_t fileBytesDone) = 0;
};

struct FileTestContext {
    BlockingCalls& Calls;
    platform::InputFile& File;
    unsigned char* Buffer;  // at least BlockBytes bytes
    int64_t BlockBytes;
    ReadMode Mode;
    TestStatistics& Statistics;
    uint16_t& DataChecksum;
    FileStepObserver& Observer;
    ContentCheck* Content = nullptr;     // sees every block read; none when not fingerprinting
    SourceComparison* Source = nullptr;  // sees every block read; none when not comparing
};

struct FileTestResult {
    bool Finished = false;  // false: the file is unreadable
    int64_t Remaining = 0;  // the unread rest as counted at the end (the whole Size when the
                            // open failed)
    int64_t BytesDone = 0;  // the file's own bytes done
};

// Reads `entry` as the mode says. Polls StopRequested after every step: a stop ends the file
// after the current step, and the file counts as finished; so does a call that the stop gave up
// while it waited on the medium. Bytes counted before a failure stay
// counted in BytesDone and the checksum.
FileTestResult TestFile(FileTestContext& context, const FileEntry& entry);

}  // namespace vorlaxis
