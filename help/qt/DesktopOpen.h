// "Open this document, folder or address with the desktop" for the windows. Tests replace the
// opener so that nothing is started on the machine that runs them.
#pragma once

#include <QString>
#include <functional>

namespace vorlaxis::gui {

// Opens a local file or folder (an absolute path) or an address ("https:", "mailto:") with
// the program the desktop associates with it (ShellExecute, xdg-open). The result is not
// looked at.
void OpenWithDesktop(const QString& target);

// Replaces the opener; an empty function restores the desktop's. Returns the previous one.
using DesktopOpener = std::function<void(const QString&)>;
DesktopOpener SetDesktopOpener(DesktopOpener opener);

}  // namespace vorlaxis::gui
