// The window program's command line: folders and drives to test in this run, --help and
// --version. Shared by both faces; the texts are Czech like the rest of the window program.
#pragma once

#include <string>
#include <vector>

namespace vorlaxis {

struct WindowCommandLine {
    enum class Action { Run, Help, Version, BadUsage };
    Action action = Action::Run;
    // Run: the locations as given (see RunLocations).
    std::vector<std::string> locations;
    // BadUsage: what is wrong, a line for standard error.
    std::string error;
};

// `args` without the program's own name. "--" ends the options; after it every argument is
// a location, also one that begins with "-".
WindowCommandLine ParseWindowCommandLine(const std::vector<std::string>& args);

// The statuses the window program ends with before its window opens.
inline constexpr int kWindowExitOk = 0;
inline constexpr int kWindowExitNoDisplay = 1;
inline constexpr int kWindowExitBadUsage = 2;

const char* WindowHelpText();
const char* WindowVersionText();
// Said on standard error when there is no display to open the window on.
const char* NoDisplayText();

}  // namespace vorlaxis
