// The program's arguments and the desktop's opener on Linux; no system text editor and no
// compiled help viewer of its own.
#include "platform/Help.h"
#include "platform/Process.h"

namespace vorlaxis::platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void UseUtf8Console() {}

bool OpenWithDesktop(const std::string& target, const std::string& workingFolder) {
    return StartDetached("xdg-open", {target}, workingFolder);
}

std::string SystemTextEditor() {
    return {};
}

// No compiled help viewer here: the help pages are shown as HTML.
bool ShowCompiledHelp(const std::string& /*helpFile*/, const std::string& /*topic*/) {
    return false;
}

}  // namespace vorlaxis::platform
