// What the main window shows of a running test (the progress group, the status bar and the
// busy window's location line) as plain values. The run and the progress display write them;
// each window face copies them onto its controls in one place.
#pragma once

#include <cstdint>
#include <string>

namespace vorlaxis {

struct MainDisplay {
    // The file counters: all files of the location, those tested, those left, the unreadable.
    std::string filesTotalText, filesTestedText, filesLeftText, badFilesText;
    bool badFilesRed = false;        // the unreadable count in red, else green
    bool otherFindings = false;      // content differs or was not all checked: never green
    std::string currentFileText;     // the file being read, or what the run is doing now
    std::string directoryText;       // the directory of that file
    std::string readModeText;        // "čtení všech dat", ...
    std::string startText, endText;  // when the location's test started and ended
    std::string outcomeText;         // "probíhá test...", "test dokončen OK", ...
    std::string megabytesDoneText, megabytesTotalText;
    std::string elapsedText, currentSpeedText, remainingText, averageSpeedText;
    bool speedCaptionsVisible = true;  // the captions of the speeds and the remaining time
    int32_t fileBarMax = 100, fileBarPosition = 0;          // the current file's bar
    int32_t locationBarMax = 100, locationBarPosition = 0;  // the whole location's bar
    bool cancelEnabled = false;
    std::string statusText;
    std::string busyLocationText;  // the location the busy window names
};

struct Rgb {
    uint8_t red, green, blue;
};

// The colour of the unreadable count: red for unreadable files; amber where none was found but
// content differs or not everything could be checked, so no green suggests a clean medium;
// green otherwise.
inline Rgb BadCountColour(const MainDisplay& d) {
    if (d.badFilesRed) return {255, 0, 0};
    if (d.otherFindings) return {192, 112, 0};
    return {0, 128, 0};
}

}  // namespace vorlaxis
