// TMainForm: the settings, the location group, the menu commands and the close handling.
#include <QCloseEvent>
#include <QListWidget>

#include "app/qt/MainFormUnit.h"
#include "core/Shell.h"
#include "engine/TestBatch.h"
#include "engine/TestRun.h"
#include "help/HelpTopics.h"
#include "help/qt/AboutUnit.h"
#include "help/qt/HelpWindow.h"
#include "platform/Files.h"
#include "settings/SettingsFile.h"
#include "settings/qt/KonfigUnit.h"
#include "ui_MainFormUnit.h"

namespace vorlaxis::gui {

namespace {

class FormPlacement final : public WindowPlacement {
  public:
    explicit FormPlacement(QWidget& window) : m_window(window) {}
    int32_t Left() const override { return m_window.x(); }
    int32_t Top() const override { return m_window.y(); }
    void SetTop(int32_t top) override { m_window.move(m_window.x(), top); }
    void SetLeft(int32_t left) override { m_window.move(left, m_window.y()); }

  private:
    QWidget& m_window;
};

}  // namespace

void TMainForm::ReadINIs() {
    FormPlacement placement(*this);
    vorlaxis::ReadINIs(SettingsPath, m_settings, &placement, m_locations, m_windows.Konfig);
    StartLocations.Apply(m_locations);
    RefreshDiskList();
}

std::string TMainForm::WriteINIs() {
    FormPlacement placement(*this);
    return vorlaxis::WriteINIs(SettingsPath, m_settings, &placement,
                               StartLocations.ListToSave(m_locations));
}

void TMainForm::RefreshDiskList() {
    QListWidget* list = m_ui->DiskList;
    m_refreshingList = true;
    list->clear();
    for (const TestLocation& entry : m_locations.Entries()) {
        auto* item = new QListWidgetItem(QString::fromUtf8(entry.Path.c_str()), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.Checked ? Qt::Checked : Qt::Unchecked);
    }
    list->setCurrentRow(m_locations.Selected());
    m_refreshingList = false;
}

void TMainForm::DiskListItemChanged() {
    if (m_refreshingList) return;
    QListWidget* list = m_ui->DiskList;
    for (int i = 0; i < list->count() && i < m_locations.Count(); ++i) {
        m_locations.SetTicked(i, list->item(i)->checkState() == Qt::Checked);
    }
}

void TMainForm::DiskListSelectionChanged() {
    if (m_refreshingList) return;
    m_locations.SetSelected(m_ui->DiskList->currentRow());
}

void TMainForm::LocationCommand(bool (*command)(LocationList&, Dialogs&)) {
    if (command(m_locations, m_dialogs)) RefreshDiskList();
}

void TMainForm::btnNalistovatClick() {
    LocationCommand(&BrowseAndAddLocation);
}
void TMainForm::btnOdstranitClick() {
    LocationCommand(&RemoveSelectedLocation);
}
void TMainForm::btnUpravitClick() {
    LocationCommand(&EditSelectedLocation);
}
void TMainForm::btnPridatRucneClick() {
    LocationCommand(&AddLocationByHand);
}
void TMainForm::btnZobrazitClick() {
    ShowSelectedLocation(m_locations, m_dialogs);
}

void TMainForm::mmObsahClick() {
    ShowHelpTopic(help::kTopicContents);
}
void TMainForm::mmHelpOnHelpClick() {
    ShowHelpTopic(help::kTopicHelpOnHelp);
}

void TMainForm::mmCoJeNovehoClick() {
    DesktopShell().OpenDocument(platform::ProgramFolder() + help::kWhatsNewFileName, {});
}

void TMainForm::mmAboutClick() {
    if (m_windows.AboutBox) m_windows.AboutBox->ShowFor(this);
}

void TMainForm::mmKonecClick() {
    if (ConfirmExit(m_dialogs)) close();
}

void TMainForm::FormCloseQuery(bool& canClose) {
    canClose = CloseQuery(m_statistics, m_dialogs);
}

void TMainForm::FormClose() {
    CloseCleanUp(m_statistics, m_dialogs, [this] { return WriteINIs(); });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (m_closePending) {
        event->ignore();
        return;
    }
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_statistics.TestRunning) {
        // The run is still on the stack: it stops at its next check, the batch ends after
        // this location, and the clean-up follows when the batch has unwound.
        m_closePending = true;
        return;
    }
    FormClose();
    emit Closed();
}

void TMainForm::FinishPendingClose() {
    m_closePending = false;
    FormClose();
    emit Closed();
}

}  // namespace vorlaxis::gui
