#include "core/Dialogs.h"

namespace vorlaxis {

void ReportError(Dialogs& dialogs, const std::string& text) {
    std::string message = text;
    if (message.empty() || message.back() != '.') message += '.';
    dialogs.MessageBox(message, "Vorlaxis", MsgButtons::Ok, MsgIcon::Error);
}

}  // namespace vorlaxis
