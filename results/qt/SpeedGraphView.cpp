#include "results/qt/SpeedGraphView.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include "platform/Text.h"

namespace vorlaxis::gui {

namespace {

// The SVG graph's colours.
const QColor kCurve(0x1f, 0x5f, 0xbf);
const QColor kUnreadable(0xd0, 0x00, 0x00);
const QColor kSlow(0xf0, 0x80, 0x00);

QString Text(const std::string& utf8) {
    return QString::fromStdString(platform::DisplayText(utf8));
}

}  // namespace

SpeedGraphView::SpeedGraphView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(300, 150);
    setAutoFillBackground(false);
}

void SpeedGraphView::SetFiles(std::vector<FileSpeed> files, QString emptyText) {
    m_files = std::move(files);
    m_emptyText = std::move(emptyText);
    Layout();
    update();
}

void SpeedGraphView::Layout() {
    m_picture = LayoutSpeedGraph(m_files, width(), height());
}

void SpeedGraphView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
}

bool SpeedGraphView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const std::string title = SpeedGraphTitleAt(m_picture, help->pos().x(), help->pos().y());
    if (title.empty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), Text(title), this);
    }
    return true;
}

void SpeedGraphView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    const ControlRect& p = m_picture.plot;
    const int bottom = p.top + p.height, right = p.left + p.width;
    const QFontMetrics metrics = painter.fontMetrics();
    painter.setPen(Qt::black);
    painter.drawLine(p.left, p.top, p.left, bottom);
    painter.drawLine(p.left, bottom, right, bottom);
    const int textRight = p.left - 4;
    painter.drawText(QRect(0, p.top - 6, textRight, 14), Qt::AlignRight | Qt::AlignVCenter,
                     Text(m_picture.topSpeedText));
    painter.drawText(QRect(0, bottom - 7, textRight, 14), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("0"));
    painter.drawText(QRect(p.left, bottom + 4, p.width, metrics.height()), Qt::AlignRight,
                     Text(m_picture.megabytesText));
    painter.drawText(QRect(p.left, bottom + 4, p.width, metrics.height()), Qt::AlignLeft,
                     QStringLiteral("0"));
    for (const SpeedGraphPicture::Mark& mark : m_picture.marks) {
        painter.setPen(QPen(mark.unreadable ? kUnreadable : kSlow, 3));
        painter.drawLine(QPointF(mark.x, p.top), QPointF(mark.x, bottom));
    }
    if (m_picture.curve.empty()) {
        painter.setPen(Qt::darkGray);
        painter.drawText(QRect(p.left, p.top, p.width, p.height), Qt::AlignCenter, m_emptyText);
        return;
    }
    QPainterPath curve;
    curve.moveTo(m_picture.curve.front().x, m_picture.curve.front().y);
    for (const GraphPixel& point : m_picture.curve) curve.lineTo(point.x, point.y);
    painter.setPen(QPen(kCurve, 1.5));
    painter.drawPath(curve);
}

}  // namespace vorlaxis::gui
