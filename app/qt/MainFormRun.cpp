// TMainForm: the test commands and the run's host.
#include <QApplication>
#include <QLabel>
#include "app/qt/MainFormUnit.h"
#include "engine/MainCommands.h"
#include "engine/ProgressDisplay.h"
#include "engine/TestBatch.h"
#include "engine/TestRun.h"
#include "engine/qt/ErrorUnit.h"
#include "help/qt/InfoBoxUnit.h"
#include "results/ChangesView.h"
#include "results/History.h"
#include "results/qt/MainResults.h"
#include "ui_MainFormUnit.h"

namespace vorlaxis::gui {

void TMainForm::BitBtn2Click() {
    ButtonStartTest(AsTheOptionsSay);
}
void TMainForm::mmSpustitTestClick() {
    ButtonStartTest(AsTheOptionsSay);
}
void TMainForm::Spustittestplntendat1Click() {
    ButtonStartTest(ForceAllData);
}
void TMainForm::Spustitteststbloky1Click() {
    ButtonStartTest(ForceBlocks);
}
void TMainForm::Spustittestpouzeotevratsoubory1Click() {
    ButtonStartTest(ForceOpenOnly);
}

void TMainForm::mmPorovnatSeZdrojemClick() {
    vorlaxis::CompareWithSource(*m_session, m_locations, *this);
    if (m_closePending) FinishPendingClose();
}

void TMainForm::ButtonStartTest(ReadModeOverride readModeOverride) {
    vorlaxis::ButtonStartTest(*m_session, m_locations, *this, readModeOverride);
    if (m_closePending) FinishPendingClose();
}

void TMainForm::LockCommands(bool locked) {
    SetMenus(!locked);
    EnableDiskList(!locked);
    SetDiskListColour(locked);
    const std::pair<MainCommand, QPushButton*> buttons[] = {
        {MainCommand::StartButton, m_ui->BitBtn2},
        {MainCommand::CancelButton, m_ui->btnCancelTest},
        {MainCommand::CloseButton, m_ui->BitBtn1}};
    for (const auto& [command, button] : buttons) {
        button->setVisible(CommandShown(command, locked));
        button->setEnabled(CommandEnabled(command, locked));
    }
    if (!locked) m_ui->DiskList->setFocus();
}

void TMainForm::PrepareLocation(bool toFront) {
    if (toFront) {
        raise();
        activateWindow();
    }
    m_pump.Reset();
    ProcessMessages();
}

void TMainForm::StopProgressTimer() {
    m_timer1.stop();
}

uint16_t TMainForm::PerformTest(const std::string& location, ReadModeOverride readModeOverride) {
    if (m_windows.InfoBox) m_windows.InfoBox->OwnerWindow = this;
    m_pump.ResetGaps();
    m_testedLocation = location;
    // The media's records are no part of a medium they lie on.
    m_session->ExcludedFolder =
        m_history && m_results ? HistoryFolderIn(m_results->LogsFolder()) : std::string();
    m_session->CompareWithRecords = nullptr;
    if (m_history && m_results) {
        m_session->CompareWithRecords = HistoryBeforeLogEnd(
            m_session->ExcludedFolder, location, false, m_results->FollowUp().PendingStep);
    }
    const uint16_t badFileCount = vorlaxis::PerformTest(*m_session, location, readModeOverride);
    // The run's last values may have come after its last pump.
    ShowDisplay();
    return badFileCount;
}

void TMainForm::btnCancelTestClick() {
    ConfirmCancel(m_statistics, m_dialogs, *this);
    m_pump.Reset();
}

bool TMainForm::PauseProgressTimer() {
    const bool wasRunning = m_timer1.isActive();
    m_timer1.stop();
    return wasRunning;
}

void TMainForm::ResumeProgressTimer() {
    m_timer1.start();
}

void TMainForm::Timer1Timer() {
    vorlaxis::ProgressTick(m_statistics, m_display, *m_clock);
    ShowDisplay();
}

void TMainForm::ProcessMessages() {
    if (!m_pump.Due()) return;
    if (m_pump.DisplayDue()) ShowDisplay();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    m_pump.Ran();
}

void TMainForm::ShowBusyWindow() {
    if (m_windows.InfoBox) {
        m_windows.InfoBox->OwnerWindow = this;
        ShowDisplay();  // the location line among the rest
        m_windows.InfoBox->show();
        m_windows.InfoBox->raise();
    }
    // The next pump paints the busy window whatever the interval says.
    m_pump.Reset();
}

void TMainForm::HideBusyWindow() {
    if (m_windows.InfoBox) m_windows.InfoBox->hide();
    m_pump.Reset();
}

ReadErrorAnswer TMainForm::AskReadError(const std::string& path) {
    ShowDisplay();
    const ReadErrorAnswer answer =
        m_windows.ErrorForm ? m_windows.ErrorForm->Ask(path, this) : ReadErrorAnswer::Stop;
    m_pump.Reset();
    return answer;
}

void TMainForm::StartProgressTimer() {
    StartProgressDisplay(m_statistics);
    m_timer1.start();
}

}  // namespace vorlaxis::gui
