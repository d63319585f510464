#include "results/qt/MainHistory.h"

#include <QAction>
#include <QMenu>

#include "results/qt/ChangesUnit.h"

namespace vorlaxis::gui {

MainHistory::MainHistory(QWidget* owner, Dialogs& dialogs, QMenu& menu, const FollowUpState& state)
    : m_owner(owner),
      m_dialogs(dialogs),
      m_command(menu.addAction(QString::fromUtf8(kShowLastComparisonText))),
      m_state(state) {
    m_command->setObjectName(QStringLiteral("mmZobrazitPorovnani"));
    connect(m_command, &QAction::triggered, this, &MainHistory::mmZobrazitPorovnaniClick);
}

MainHistory::~MainHistory() = default;

void MainHistory::SetEnabled(bool enabled) {
    m_command->setEnabled(enabled);
}

void MainHistory::ShowChanges(const ChangesView& view) {
    if (!m_window) m_window = new TChangesForm(m_owner);
    m_window->Show(view);
}

void MainHistory::mmZobrazitPorovnaniClick() {
    ShowLastComparison(m_state, m_dialogs,
                       {{}, [this](const ChangesView& view) { ShowChanges(view); }});
}

}  // namespace vorlaxis::gui
