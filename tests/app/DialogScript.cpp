#include "DialogScript.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace vorlaxis::test {

namespace {

QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

QString DialogText(QWidget* dialog) {
    // Without the invisible breaks that let a long path wrap.
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) return box->text().remove(QChar(0x200B));
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("Edit1"))) return edit->text();
    QStringList parts;
    for (QLabel* label : dialog->findChildren<QLabel*>()) parts << label->text();
    return parts.join(QLatin1Char(' '));
}

QAbstractButton* FindButton(QWidget* dialog, const QString& name) {
    if (auto* byName = dialog->findChild<QAbstractButton*>(name)) return byName;
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>()) {
        const QString text = Plain(b->text());
        if (text == name) return b;
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            const auto role = box->standardButton(b);
            if ((name == "Yes" && role == QMessageBox::Yes) ||
                (name == "No" && role == QMessageBox::No) ||
                (name == "OK" && role == QMessageBox::Ok)) {
                return b;
            }
        }
    }
    return nullptr;
}

QWidget* ActiveDialog() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isModal()) return w;
    }
    return nullptr;
}

}  // namespace

DialogScript::DialogScript() {
    m_timer.setInterval(2);
    connect(&m_timer, &QTimer::timeout, this, &DialogScript::Tick);
    m_timer.start();
}

DialogScript::~DialogScript() = default;

void DialogScript::Expect(const QString& text, const QString& button, const QString& input) {
    m_expected.push_back({text, button, input});
}

void DialogScript::When(std::function<bool()> condition, std::function<void()> action) {
    m_triggers.push_back({std::move(condition), std::move(action)});
}

void DialogScript::Every(std::function<void()> action) {
    m_every.push_back(std::move(action));
}

void DialogScript::HoldWhile(std::function<bool()> condition) {
    m_hold = std::move(condition);
}

void DialogScript::Tick() {
    for (auto& action : m_every) action();
    for (auto it = m_triggers.begin(); it != m_triggers.end(); ++it) {
        if (it->condition()) {
            // Run outside this timer's turn: the action may open a modal dialog, whose own
            // loop needs this timer to answer it.
            QTimer::singleShot(0, this, std::move(it->action));
            m_triggers.erase(it);
            return;
        }
    }
    if (m_hold && m_hold()) return;
    if (QWidget* dialog = ActiveDialog()) Answer(dialog);
}

bool DialogScript::Answer(QWidget* dialog) {
    const QString text = DialogText(dialog);
    Seen << dialog->windowTitle() + " | " + text;
    auto* box = qobject_cast<QMessageBox*>(dialog);
    Icons << (box ? box->icon() : QMessageBox::NoIcon);
    if (m_expected.empty()) {
        Problems << "unexpected dialog: " + Seen.back();
        if (box) {
            if (QAbstractButton* escape = box->escapeButton())
                escape->click();
            else
                box->reject();
        } else if (auto* any = FindButton(dialog, QStringLiteral("BitBtn3"))) {
            any->click();
        } else {
            static_cast<void>(QMetaObject::invokeMethod(dialog, "reject"));
        }
        return false;
    }
    const Step step = m_expected.front();
    m_expected.pop_front();
    if (!text.contains(step.text)) Problems << "expected \"" + step.text + "\", saw: " + text;
    if (!step.input.isNull()) {
        if (auto* field = dialog->findChild<QLineEdit*>()) field->setText(step.input);
    }
    QAbstractButton* button = FindButton(dialog, step.button);
    if (!button) {
        Problems << "no button " + step.button + " in: " + text;
        static_cast<void>(QMetaObject::invokeMethod(dialog, "reject"));
        return false;
    }
    button->click();
    return true;
}

}  // namespace vorlaxis::test
