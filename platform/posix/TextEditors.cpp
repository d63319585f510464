// The plain text editors of the Linux desktops, for the "Notepad" viewer of the logs.
#include "platform/Process.h"

namespace vorlaxis::platform {

const std::vector<std::string>& PlainTextEditors() {
    static const std::vector<std::string> editors = {
        "gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "xed", "pluma", "featherpad"};
    return editors;
}

std::vector<std::string> TextEditorArguments(const std::string& editor, const std::string& path) {
    if (editor == "gedit" || editor == "pluma" || editor == "xed") {
        return {"--encoding=WINDOWS-1250", path};
    }
    if (editor == "kate" || editor == "kwrite") return {"--encoding", "windows-1250", path};
    return {path};
}

}  // namespace vorlaxis::platform
