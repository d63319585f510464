// The desktop's opener on Linux; no system text editor and no compiled help viewer of its own.
#include "platform/Help.h"
#include "platform/Process.h"

namespace vorlaxis::platform {

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
