// The desktop's opener on Linux, and no system text editor of its own: the caller picks one.
#include "platform/Process.h"

namespace vorlaxis::platform {

bool OpenWithDesktop(const std::string& target, const std::string& workingFolder) {
    return StartDetached("xdg-open", {target}, workingFolder);
}

std::string SystemTextEditor() {
    return {};
}

}  // namespace vorlaxis::platform
