#include "help/DesktopOpen.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <utility>

namespace vorlaxis::gui {

namespace {

DesktopOpener& CurrentOpener() {
    static DesktopOpener opener;
    return opener;
}

void OpenThroughDesktopServices(const QString& target) {
    const bool localPath = QDir::isAbsolutePath(target) && !target.contains(QLatin1String("://"));
    QDesktopServices::openUrl(localPath ? QUrl::fromLocalFile(target) : QUrl(target));
}

}  // namespace

void OpenWithDesktop(const QString& target) {
    if (target.isEmpty()) return;
    if (CurrentOpener()) {
        CurrentOpener()(target);
    } else {
        OpenThroughDesktopServices(target);
    }
}

DesktopOpener SetDesktopOpener(DesktopOpener opener) {
    return std::exchange(CurrentOpener(), std::move(opener));
}

}  // namespace vorlaxis::gui
