// The block-size field.
#include "settings/qt/SpinEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <algorithm>

namespace vorlaxis::gui {

namespace {

constexpr int kMinimum = 4;
constexpr int kMaximum = 48;

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
    setSingleStep(4);
    setValue(kMaximum);
    // A typed value out of range is pulled in when the field loses the focus.
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

bool SpinEdit::IsAcceptedCharacter(QChar c) const {
    return c.isDigit() || c == '+' || c == '-' || c == locale().decimalPoint().front();
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
    int value = 0;
    if (!ParseWhole(input, value)) value = kMinimum;
    input = QString::number(std::clamp(value, kMinimum, kMaximum));
}

int SpinEdit::valueFromText(const QString& text) const {
    int value = 0;
    return ParseWhole(text, value) ? value : kMinimum;
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
