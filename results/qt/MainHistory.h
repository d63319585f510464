// The media's test history as the main window uses it: after each location the run is recorded
// and compared with the medium's last record; the summary is shown when something differs, and
// the menu command shows the last comparison again.
#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>

#include "core/Dialogs.h"
#include "results/ChangesView.h"

class QAction;
class QMenu;
class QWidget;

namespace vorlaxis {
struct TestSession;
}

namespace vorlaxis::gui {

class TChangesForm;

class MainHistory final : public QObject {
    Q_OBJECT

  public:
    // The command joins the end of `menu`. `logsFolder` gives the folder of saved logs; the
    // records go into its "History" folder.
    MainHistory(QWidget* owner, Dialogs& dialogs, QMenu& menu,
                std::function<std::string()> logsFolder);
    ~MainHistory() override;

    // After the location's results. `ask`: the summary may be shown (not while closing).
    void AfterLocation(const TestSession& session, const std::string& location, bool ask);
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
    std::function<std::string()> m_logsFolder;
    std::optional<ChangesView> m_last;
    TChangesForm* m_window = nullptr;  // made when first shown; the owner deletes it
};

}  // namespace vorlaxis::gui
