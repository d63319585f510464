// The block-size field.
#include "settings/qt/SpinEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <algorithm>

#include "settings/KonfigRules.h"

namespace vorlaxis::gui {

namespace {

constexpr int kMinimum = kMinBlockSize;
constexpr int kMaximum = kMaxBlockSize;

// A whole number with an optional sign, or nothing.
bool ParseWhole(const QString& text, int& value) {
    bool ok = false;
    const QString trimmed = text.trimmed();
    value = trimmed.startsWith('+') ? trimmed.mid(1).toInt(&ok) : trimmed.toInt(&ok);
    return ok;
}

}  // namespace

SpinEdit::SpinEdit(QWidget* parent) : QSpinBox(parent) {
    setRange(kMinimum, kMaximum);
    setSingleStep(kBlockSizeStep);
    setValue(kMaximum);
    // A typed value out of range is pulled in when the field loses the focus.
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

bool SpinEdit::IsAcceptedCharacter(QChar c) const {
    return BlockSizeAccepts(c.unicode(), locale().decimalPoint().front().unicode());
}

QValidator::State SpinEdit::validate(QString& input, int& /*pos*/) const {
    for (const QChar c : input) {
        if (!IsAcceptedCharacter(c)) return QValidator::Invalid;
    }
    int value = 0;
    if (ParseWhole(input, value) && value >= kMinimum && value <= kMaximum) {
        return QValidator::Acceptable;
    }
    return QValidator::Intermediate;
}

void SpinEdit::fixup(QString& input) const {
    input = QString::number(PullBlockSize(BlockSizeFromText(input.toStdString())));
}

int SpinEdit::valueFromText(const QString& text) const {
    return BlockSizeFromText(text.toStdString());
}

void SpinEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool printable = typed.size() == 1 && typed.front().isPrint();
    if (printable && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
        !IsAcceptedCharacter(typed.front())) {
        QApplication::beep();
        event->accept();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

}  // namespace vorlaxis::gui
