// TMainForm: the test commands and the run's host.
#include <QApplication>
#include <QLabel>
#include <exception>

#include "app/qt/MainFormUnit.h"
#include "engine/ProgressDisplay.h"
#include "engine/TestRun.h"
#include "engine/qt/ErrorUnit.h"
#include "help/qt/InfoBoxUnit.h"
#include "platform/Files.h"
#include "results/qt/MainHistory.h"
#include "ui_MainFormUnit.h"

namespace vorlaxis::gui {

namespace {

const char kIncompleteLogText[] =
    "Protokol o testu se nepodařilo celý zapsat (dočasná složka je plná nebo nepřístupná).\r\n"
    "Výsledek testu v protokolu není úplný.";

}  // namespace

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

std::vector<std::string> TMainForm::CollectBatch() const {
    std::vector<std::string> batch;
    const char separator = platform::PathSeparator();
    for (const TestLocation& entry : m_locations.Entries()) {
        if (!entry.Checked || !platform::IsDirectory(entry.Path)) continue;
        std::string path = entry.Path;
        if (path.empty() || path.back() != separator) path += separator;
        batch.push_back(std::move(path));
    }
    return batch;
}

void TMainForm::ButtonStartTest(ReadModeOverride readModeOverride) {
    const std::vector<std::string> batch = CollectBatch();
    if (batch.empty()) {
        m_dialogs.MessageBox(
            "Nejsou vybrány žádné umístění pro test! Vyberte je a spusťte test znovu.", "Chyba",
            MsgButtons::Ok, MsgIcon::Error);
        return;
    }
    LockForBatch();
    for (size_t i = 0; i < batch.size(); ++i) {
        if (!RunBatchStep(batch[i], readModeOverride, i + 1 == batch.size())) break;
    }
    UnlockAfterBatch();
    if (m_closePending) FinishPendingClose();
}

void TMainForm::LockForBatch() {
    InitInterface();
    SetMenus(false);
    EnableDiskList(false);
    SetDiskListColour(true);
    m_ui->BitBtn1->setEnabled(false);
    m_ui->BitBtn2->hide();
    m_display.cancelEnabled = false;
    m_ui->btnCancelTest->show();
    m_statistics.TestRunning = true;
    m_display.statusText = "Běží test...";
    m_statistics.LocationIndex = 0;
    m_statistics.StopRequested = false;
    ShowDisplay();
}

// One location of the batch; false when the batch ends after it.
bool TMainForm::RunBatchStep(const std::string& location, ReadModeOverride readModeOverride,
                             bool last) {
    if (!m_closePending) {
        raise();
        activateWindow();
    }
    m_pump.Reset();
    ProcessMessages();
    const uint16_t badFileCount = PerformTest(location, readModeOverride);
    m_timer1.stop();
    // The outcome on screen must not pass for what the log says: part of it is missing. (When
    // nothing could be collected the fatal message has said enough.)
    if (m_session->LogIncomplete && !m_session->CollectionFailed && !m_closePending) {
        m_dialogs.MessageBox(kIncompleteLogText, "Chyba", MsgButtons::Ok, MsgIcon::Error);
    }
    bool goOn = true;
    if (m_statistics.StopRequested && !last) {
        // After a granted close the window is gone: no further location is tested.
        const MsgResult answer =
            m_closePending
                ? MsgResult::No
                : m_dialogs.MessageBox("Test byl přerušen. Má se pokračovat další vybranou cestou?",
                                       "Přerušit", MsgButtons::YesNo, MsgIcon::Question);
        if (answer == MsgResult::Yes) {
            m_statistics.StopRequested = false;
        } else {
            goOn = false;
        }
    }
    HandleResults(badFileCount);
    if (m_history) m_history->AfterLocation(*m_session, location, !m_closePending);
    return goOn;
}

void TMainForm::HandleResults(uint16_t badFileCount) {
    // An error while the results are shown is reported and the batch goes on: the next location is
    // tested and the window is unlocked at the end.
    try {
        ErrorResults(badFileCount);
    } catch (const std::exception& error) {
        m_dialogs.MessageBox(error.what(), "Vorlaxis", MsgButtons::Ok, MsgIcon::Error);
    }
    ++m_statistics.LocationIndex;
}

void TMainForm::UnlockAfterBatch() {
    m_display.statusText = "Test dokončen...";
    m_statistics.TestRunning = false;
    EnableDiskList(true);
    SetDiskListColour(false);
    m_ui->BitBtn1->setEnabled(true);
    m_ui->BitBtn2->show();
    m_ui->btnCancelTest->hide();
    m_ui->DiskList->setFocus();
    m_display.directoryText.clear();
    ShowDisplay();
    SetMenus(true);
}

uint16_t TMainForm::PerformTest(const std::string& location, ReadModeOverride readModeOverride) {
    if (m_windows.InfoBox) m_windows.InfoBox->OwnerWindow = this;
    m_pump.ResetGaps();
    m_testedLocation = location;
    const uint16_t badFileCount = vorlaxis::PerformTest(*m_session, location, readModeOverride);
    // The run's last values may have come after its last pump.
    ShowDisplay();
    return badFileCount;
}

void TMainForm::btnCancelTestClick() {
    // The progress display pauses while the question is open.
    const bool wasRunning = m_timer1.isActive();
    m_timer1.stop();
    const MsgResult answer =
        m_dialogs.MessageBox("Opravdu si přejete přerušit test média?", "Potvrzení",
                             MsgButtons::YesNo, MsgIcon::Question);
    if (answer == MsgResult::Yes) m_statistics.StopRequested = true;
    if (wasRunning) m_timer1.start();
    m_pump.Reset();
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
