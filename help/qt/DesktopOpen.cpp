#include "help/qt/DesktopOpen.h"

#include <utility>

#include "platform/Process.h"

namespace vorlaxis::gui {

namespace {

DesktopOpener& CurrentOpener() {
    static DesktopOpener opener;
    return opener;
}

}  // namespace

void OpenWithDesktop(const QString& target) {
    if (target.isEmpty()) return;
    if (CurrentOpener()) {
        CurrentOpener()(target);
    } else {
        // The result is not looked at: a missing viewer is the desktop's concern.
        static_cast<void>(platform::OpenWithDesktop(target.toStdString(), std::string()));
    }
}

DesktopOpener SetDesktopOpener(DesktopOpener opener) {
    return std::exchange(CurrentOpener(), std::move(opener));
}

}  // namespace vorlaxis::gui
