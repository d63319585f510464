// The media's test history as the main window shows it: the window of a comparison with the
// medium's last record, and the menu command that shows the last comparison again.
#pragma once

#include <QObject>
#include "core/Dialogs.h"
#include "results/AfterLocation.h"

class QAction;
class QMenu;
class QWidget;

namespace vorlaxis::gui {

class TChangesForm;

class MainHistory final : public QObject {
    Q_OBJECT

  public:
    // The command joins the end of `menu`; it shows the last comparison of `state`.
    MainHistory(QWidget* owner, Dialogs& dialogs, QMenu& menu, const FollowUpState& state);
    ~MainHistory() override;

    // The window listing the files of `view` by kind.
    void ShowChanges(const ChangesView& view);
    // With the other menu commands.
    void SetEnabled(bool enabled);

    QAction* Command() const { return m_command; }
    TChangesForm* Window() const { return m_window; }

  public slots:
    void mmZobrazitPorovnaniClick();

  private:
    QWidget* m_owner;
    Dialogs& m_dialogs;
    QAction* m_command;
    const FollowUpState& m_state;
    TChangesForm* m_window = nullptr;  // made when first shown; the owner deletes it
};

}  // namespace vorlaxis::gui
