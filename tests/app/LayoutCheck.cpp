#include "LayoutCheck.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>

namespace vorlaxis::test {

namespace {

QString Shown(QString text) {
    return text.remove(QLatin1Char('&'));
}

// Where the label's text is painted inside its parent.
QRect TextRect(const QLabel* label) {
    const QFontMetrics fm(label->font());
    int widest = 0;
    for (const QString& line : label->text().split(QLatin1Char('\n'))) {
        widest = std::max(widest, fm.horizontalAdvance(line));
    }
    const QRect area = label->contentsRect().translated(label->pos());
    const int height = fm.height() * (static_cast<int>(label->text().count(QLatin1Char('\n'))) + 1);
    QRect text(area.topLeft(), QSize(widest, height));
    if (label->alignment() & Qt::AlignRight) text.moveRight(area.right());
    if (label->alignment() & Qt::AlignHCenter) text.moveLeft(area.center().x() - widest / 2);
    return text;
}

void CheckLabels(const QWidget& window) {
    const QList<QLabel*> labels = window.findChildren<QLabel*>();
    for (const QLabel* label : labels) {
        if (!label->isVisibleTo(&window) || label->text().isEmpty() || label->wordWrap()) continue;
        const QRect text = TextRect(label);
        const QRect area = label->contentsRect().translated(label->pos());
        EXPECT_LE(text.width(), area.width())
            << window.objectName().toStdString() << "." << label->objectName().toStdString()
            << " \"" << label->text().toStdString() << "\"";
        EXPECT_LE(QFontMetrics(label->font()).ascent(), area.height())
            << label->objectName().toStdString();
        for (const QLabel* other : labels) {
            if (other == label || other->parentWidget() != label->parentWidget() ||
                !other->isVisibleTo(&window) || other->text().isEmpty()) {
                continue;
            }
            EXPECT_FALSE(text.intersects(TextRect(other)))
                << label->objectName().toStdString() << " overlaps "
                << other->objectName().toStdString();
        }
    }
}

void CheckButtons(const QWidget& window) {
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(&window) || button->text().isEmpty()) continue;
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        const int needed =
            QFontMetrics(button->font()).horizontalAdvance(Shown(button->text())) + icon + 8;
        EXPECT_LE(needed, button->width())
            << window.objectName().toStdString() << "." << button->objectName().toStdString()
            << " \"" << button->text().toStdString() << "\"";
    }
    for (const QGroupBox* group : window.findChildren<QGroupBox*>()) {
        EXPECT_LE(QFontMetrics(group->font()).horizontalAdvance(group->title()) + 16,
                  group->width())
            << group->objectName().toStdString();
    }
}

}  // namespace

void ExpectNothingClipped(const QWidget& window) {
    CheckLabels(window);
    CheckButtons(window);
}

}  // namespace vorlaxis::test
