// The options record, held once by the main window and edited in place by the options dialog.
#pragma once

#include <cstdint>

namespace vorlaxis {

// Three-way codes may also be in the state "nothing chosen" (the file held another number).
constexpr int32_t kNothingChosen = 0;

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
    int32_t BlockSize = 48;                      // kB, 4..48
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
