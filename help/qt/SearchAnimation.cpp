#include "help/qt/SearchAnimation.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace vorlaxis::gui {

TSearchAnimation::TSearchAnimation(QWidget* parent) : QWidget(parent) {
    m_timer.setInterval(60);
    connect(&m_timer, &QTimer::timeout, this, &TSearchAnimation::NextFrame);
}

void TSearchAnimation::NextFrame() {
    m_frame = (m_frame + 1) % kFrameCount;
    update();
}

void TSearchAnimation::showEvent(QShowEvent* event) {
    m_timer.start();
    QWidget::showEvent(event);
}

void TSearchAnimation::hideEvent(QHideEvent* event) {
    m_timer.stop();
    QWidget::hideEvent(event);
}

void TSearchAnimation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // A yellow folder in the lower left part.
    const QRectF folder(6, 18, 44, 28);
    QPainterPath tab;
    tab.addRoundedRect(QRectF(6, 13, 18, 8), 2, 2);
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(240, 200, 80));
    p.drawPath(tab);
    p.drawRoundedRect(folder, 3, 3);
    // The glass circles over the folder, one turn per cycle of frames.
    const double angle = 2.0 * std::numbers::pi * m_frame / kFrameCount;
    const QPointF centre(40 + 14 * std::cos(angle), 24 + 9 * std::sin(angle));
    p.setBrush(QColor(200, 230, 255, 170));
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.drawEllipse(centre, 9, 9);
    p.setPen(QPen(QColor(90, 60, 30), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(6.5, 6.5), centre + QPointF(14, 14));
}

}  // namespace vorlaxis::gui
