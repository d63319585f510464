#include "results/qt/MainHistory.h"

#include <QAction>
#include <QMenu>

#include "engine/TestRun.h"
#include "results/History.h"
#include "results/qt/ChangesUnit.h"

namespace vorlaxis::gui {

MainHistory::MainHistory(QWidget* owner, Dialogs& dialogs, QMenu& menu,
                         std::function<std::string()> logsFolder)
    : m_owner(owner),
      m_dialogs(dialogs),
      m_command(menu.addAction(QString::fromUtf8(kShowLastComparisonText))),
      m_logsFolder(std::move(logsFolder)) {
    m_command->setObjectName(QStringLiteral("mmZobrazitPorovnani"));
    connect(m_command, &QAction::triggered, this, &MainHistory::mmZobrazitPorovnaniClick);
}

MainHistory::~MainHistory() = default;

void MainHistory::AfterLocation(const TestSession& session, const std::string& location, bool ask) {
    const std::string folder = HistoryFolderIn(m_logsFolder());
    const HistoryStep step = KeepHistory(folder, session, location);
    if (!step.Error.empty() && ask) {
        m_dialogs.MessageBox(RecordNotSavedText(folder), "Vorlaxis", MsgButtons::Ok,
                             MsgIcon::Warning);
    }
    if (!step.Changes || !step.Changes->Any()) return;
    m_last = MakeChangesView(*step.Changes, location);
    if (!ask) return;
    const MsgResult answer =
        m_dialogs.MessageBox(ChangesQuestion(*m_last), kChangesTitle, MsgButtons::YesNo,
                             m_last->Alarming ? MsgIcon::Warning : MsgIcon::Information);
    if (answer == MsgResult::Yes) mmZobrazitPorovnaniClick();
}

void MainHistory::SetEnabled(bool enabled) {
    m_command->setEnabled(enabled);
}

void MainHistory::mmZobrazitPorovnaniClick() {
    if (!m_last) {
        m_dialogs.MessageBox(kNoComparisonText, kChangesTitle, MsgButtons::Ok,
                             MsgIcon::Information);
        return;
    }
    if (!m_window) m_window = new TChangesForm(m_owner);
    m_window->Show(*m_last);
}

}  // namespace vorlaxis::gui
