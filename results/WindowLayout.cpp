// Resize rules of the bad-file list and the internal viewer.
#include "results/WindowLayout.h"

#include <algorithm>

#include "platform/Files.h"

namespace vorlaxis {

BadFileEntry SplitBadFilePath(const std::string& fullPath) {
    size_t cut = fullPath.rfind(platform::PathSeparator());
    if (cut == std::string::npos) cut = fullPath.find(':');
    if (cut == std::string::npos) return {fullPath, {}};
    return {fullPath.substr(cut + 1), fullPath.substr(0, cut + 1)};
}

ErrorListLayout LayoutErrorList(int outerWidth, int outerHeight) {
    ErrorListLayout layout;
    layout.listView = {8, 20, std::max(0, outerWidth - 24), std::max(0, outerHeight - 83)};
    layout.okButton = {std::max(8, outerWidth - 94), std::max(20, outerHeight - 57), 79, 25};
    return layout;
}

EditorLayout LayoutEditor(int outerWidth, int outerHeight) {
    EditorLayout layout;
    layout.memo = {4, 4, std::max(0, outerWidth - 16), std::max(0, outerHeight - 67)};
    layout.okButton = {std::max(4, outerWidth - 86), std::max(4, outerHeight - 55), 75, 25};
    return layout;
}

}  // namespace vorlaxis
