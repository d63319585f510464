// The options record, held once by the main window and edited in place by the options dialog.
#pragma once

#include <algorithm>
#include <cstdint>

namespace vorlaxis {

// Three-way codes may also be in the state "nothing chosen" (the file held another number).
constexpr int32_t kNothingChosen = 0;

// The block size in kB: the options, the settings file, vorlaxis-check and the read buffer all
// keep to this range. The largest reads fastest and is what a new user gets.
constexpr int32_t kMinBlockSize = 4;
constexpr int32_t kMaxBlockSize = 48;
constexpr int32_t kDefaultBlockSize = kMaxBlockSize;

// A block size pulled into 4..48; values between the steps of the options stay.
constexpr int32_t PullBlockSize(int32_t value) {
    return std::clamp(value, kMinBlockSize, kMaxBlockSize);
}

// The three-way codes, valued as the settings file keeps them.
enum ReadStyle : int32_t { ReadAllData = 1, ReadSomeBlocks = 2, OpenFilesOnly = 3 };
enum BlockInterval : int32_t {
    EveryFourthBlock = 1,
    EveryEighthBlock = 2,
    EverySixteenthBlock = 3
};
enum LogNameFormat : int32_t { BySerialNumber = 1, ByVolumeLabel = 2, Combined = 3 };
enum LogViewer : int32_t { AssociatedProgram = 1, InternalViewer = 2, Notepad = 3 };

struct TestSettings {
    int32_t Xpos = 100;
    int32_t Ypos = 100;
    bool EjectAfterTest = true;
    int32_t DataReadStyle = kNothingChosen;      // a ReadStyle
    int32_t BlockSize = kDefaultBlockSize;       // kB, 4..48
    int32_t ReadEveryXthBlock = kNothingChosen;  // a BlockInterval
    bool GoNonstop = false;
    bool ShowErrorList = false;
    bool ShowLogsAfterTest = true;
    bool ShowLogsAfterTestAlways = false;
    bool SaveLogsToDisk = false;
    int32_t LogsFileNameFormat = kNothingChosen;  // a LogNameFormat
    int32_t TxtViewer = kNothingChosen;           // a LogViewer

    bool operator==(const TestSettings&) const = default;
};

}  // namespace vorlaxis
