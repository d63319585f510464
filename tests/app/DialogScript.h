// Answers the program's modal dialogs by script, the way a person would: a short timer finds
// the active modal window, records what it says and presses the scripted button. A dialog the
// script does not expect is recorded and dismissed, so a test never waits for a person.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

class QWidget;

namespace vorlaxis::test {

class DialogScript : public QObject {
    Q_OBJECT
  public:
    DialogScript();
    ~DialogScript() override;

    // The next dialog: its text must contain `text`; `button` is pressed: a message box's
    // "Yes", "No" or "OK", an object name ("BitBtn3" on the read-error question), or
    // "OK"/"Cancel" of the input dialog after `input` was typed into its field.
    void Expect(const QString& text, const QString& button, const QString& input = {});
    // Runs `action` once, at the first timer turn where `condition` holds.
    void When(std::function<bool()> condition, std::function<void()> action);
    // Leaves the open dialog alone while `condition` holds: the test works beside it.
    void HoldWhile(std::function<bool()> condition);
    // Runs `action` at every timer turn (sampling during a test).
    void Every(std::function<void()> action);

    // "caption | text" of every dialog seen, in order.
    QStringList Seen;
    // The icon of each of them (none for windows that are no message box).
    QList<QMessageBox::Icon> Icons;
    // Dialogs nobody expected, and expectations whose text did not match.
    QStringList Problems;
    bool Done() const { return m_expected.empty(); }

  private:
    struct Step {
        QString text, button, input;
    };
    struct Trigger {
        std::function<bool()> condition;
        std::function<void()> action;
    };
    void Tick();
    bool Answer(QWidget* dialog);

    QTimer m_timer;
    std::deque<Step> m_expected;
    std::vector<Trigger> m_triggers;
    std::vector<std::function<void()>> m_every;
    std::function<bool()> m_hold;
    QWidget* m_lastAnswered = nullptr;
};

}  // namespace vorlaxis::test
