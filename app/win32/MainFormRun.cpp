// TMainForm on Windows: the run's host. The run stays on this thread and lets the window's
// messages run between its steps; its waits on the medium go to a helper thread.
#include "app/win32/MainFormUnit.h"
#include "engine/ProgressDisplay.h"
#include "engine/TestRun.h"
#include "engine/win32/ErrorUnit.h"
#include "help/win32/InfoBoxUnit.h"
#include "results/ChangesView.h"
#include "results/win32/MainFollowUp.h"

namespace vorlaxis::win32ui {

namespace {
constexpr UINT_PTR kTimer1 = 1;
}

uint16_t TMainForm::PerformTest(const std::string& location, ReadModeOverride override) {
    m_pump.ResetGaps();
    m_testedLocation = location;
    // The media's records are no part of a medium they lie on.
    m_session->ExcludedFolder = HistoryFolderIn(m_logsFolder);
    m_followUp->CompareBeforeLogEnd(*m_session, location, m_logsFolder);
    const uint16_t badFileCount = vorlaxis::PerformTest(*m_session, location, override);
    // The run's last values may have come after its last pump.
    ShowDisplay();
    return badFileCount;
}

void TMainForm::PrepareLocation(bool toFront) {
    if (toFront) ::SetForegroundWindow(m_hwnd);
    m_pump.Reset();
    ProcessMessages();
}

void TMainForm::StartProgressTimer() {
    StartProgressDisplay(m_statistics);
    ResumeProgressTimer();
}

void TMainForm::StopProgressTimer() {
    ::KillTimer(m_hwnd, kTimer1);
    m_timer1Running = false;
}

void TMainForm::Timer1Timer() {
    ProgressTick(m_statistics, m_display, *m_clock);
    ShowDisplay();
}

void TMainForm::btnCancelTestClick() {
    // Esc reaches here as IDCANCEL: only while the cancel button is there to press.
    HWND button = Control(id::btnCancelTest);
    if (!::IsWindowVisible(button) || !::IsWindowEnabled(button)) return;
    ConfirmCancel(m_statistics, *m_dialogs, *this);
    m_pump.Reset();
}

bool TMainForm::PauseProgressTimer() {
    const bool wasRunning = m_timer1Running;
    StopProgressTimer();
    return wasRunning;
}

void TMainForm::ResumeProgressTimer() {
    ::SetTimer(m_hwnd, kTimer1, 250, nullptr);
    m_timer1Running = true;
}

void TMainForm::ProcessMessages() {
    if (!m_pump.Due()) return;
    // The cancel button is usable from the first pump of the reading, not a refresh later.
    const bool cancelChanged =
        m_display.cancelEnabled != (::IsWindowEnabled(Control(id::btnCancelTest)) != FALSE);
    if (m_pump.DisplayDue() || cancelChanged) ShowDisplay();
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The program's own loop ends on it once the batch has unwound.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (PreTranslate(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    m_pump.Ran();
}

void TMainForm::ShowBusyWindow() {
    ShowDisplay();
    // After a granted close the window is gone: nothing to disable or bring back.
    m_infoBox->Show(m_display.busyLocationText, m_closePending ? nullptr : m_hwnd);
    // The next pump paints the busy window whatever the interval says.
    m_pump.Reset();
}

void TMainForm::HideBusyWindow() {
    m_infoBox->Hide();
    m_pump.Reset();
}

ReadErrorAnswer TMainForm::AskReadError(const std::string& path) {
    ShowDisplay();
    const ReadErrorAnswer answer = m_errorForm->Ask(path, m_hwnd);
    m_pump.Reset();
    return answer;
}

}  // namespace vorlaxis::win32ui
