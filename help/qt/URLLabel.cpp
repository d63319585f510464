#include "help/qt/URLLabel.h"

#include <QMouseEvent>

#include "core/Shell.h"

namespace vorlaxis::gui {

TURLLabel::TURLLabel(QWidget* parent) : QLabel(parent) {
    SetLinkLook(QColor(0, 0, 255), true, true);
}

void TURLLabel::SetLinkLook(const QColor& color, bool bold, bool underline) {
    ApplyLook(color, bold, underline);
}

void TURLLabel::ApplyLook(const QColor& color, bool bold, bool underline) {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
    QFont f = font();
    f.setBold(bold);
    f.setUnderline(underline);
    setFont(f);
}

void TURLLabel::enterEvent(QEnterEvent* event) {
    m_savedColor = palette().color(QPalette::WindowText);
    m_savedBold = font().bold();
    m_savedUnderline = font().underline();
    ApplyLook(MouseMoveColor, MouseMoveBold, MouseMoveUnderline);
    setCursor(Qt::PointingHandCursor);
    QLabel::enterEvent(event);
}

void TURLLabel::leaveEvent(QEvent* event) {
    ApplyLook(m_savedColor, m_savedBold, m_savedUnderline);
    unsetCursor();
    QLabel::leaveEvent(event);
}

void TURLLabel::mousePressEvent(QMouseEvent* event) {
    // The press, not the release, opens the link.
    if (event->button() == Qt::LeftButton && !RunCommand.isEmpty()) {
        DesktopShell().OpenDocument(RunCommand.toStdString(), {});
    }
    QLabel::mousePressEvent(event);
}

}  // namespace vorlaxis::gui
