// The state of the running or last test, held by the main window and read by the progress
// display while the run goes on.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vorlaxis {

// How a run reads each file. The value is the stride in blocks: every block, one block in 4,
// 8 or 16; 0 only opens the file.
enum ReadMode : uint8_t {
    OnlyOpen = 0,
    AllBlocks = 1,
    OneBlockIn4 = 4,
    OneBlockIn8 = 8,
    OneBlockIn16 = 16
};

struct TestStatistics {
    double StartTime = 0.0;  // time of day as a fraction of a day
    int64_t BytesTotal = 0;
    int64_t BytesDone = 0;
    int64_t BytesDoneAtLastTick = 0;
    // Bytes really read from the medium in this location (blocks passed over not counted).
    int64_t BytesRead = 0;
    int32_t TickCount = 0;
    int32_t LocationIndex = 0;
    vorlaxis::ReadMode ReadMode = OnlyOpen;  // the type named in full: the field has its name
    std::string VolumeLabel;
    std::string VolumeSerial;
    std::string Location;  // the location being tested, or last tested
    bool TestRunning = false;
    bool StopRequested = false;
    bool NonStop = false;
};

constexpr int kFileTableSize = 49152;

// The "MB" of every figure the program shows: megabytes done and in all, speeds, the graph.
constexpr int64_t kMegabyte = 1048576;

struct FileEntry {
    std::string Path;
    int64_t Size = 0;
};

struct MediaRecord {
    std::string VolumeLabel;
    std::string VolumeSerial;
    std::string Location{};  // where it was tested: its folder names a log of a medium unnamed
};

// One unreadable file: the name after the last separator and the directory up to and
// including it.
struct BadFileEntry {
    std::string Name;
    std::string Directory;
};

}  // namespace vorlaxis
