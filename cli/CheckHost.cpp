#include "cli/CheckHost.h"

#include <cstdio>
#include <string>

#include "engine/ProgressDisplay.h"
#include "platform/Text.h"

namespace vorlaxis::cli {

volatile std::sig_atomic_t g_stopSignal = 0;

namespace {

void OnStopSignal(int signal) {
    g_stopSignal = 1;
    // A second signal ends the program at once, should a read hang.
    std::signal(signal, SIG_DFL);
}

constexpr std::chrono::milliseconds kTick{250};

}  // namespace

std::string TerminalSafe(std::string_view text) {
    std::string safe;
    safe.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\n') || c == 0x7F) {
            safe += '?';
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            safe += '?';  // U+0080..U+009F: C1 controls, CSI among them
            ++i;
        } else {
            safe += text[i];
        }
    }
    return safe;
}

void InstallStopHandlers() {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
}

CheckHost::CheckHost(TestStatistics& statistics, MainDisplay& display, Clock& clock,
                     bool showProgress)
    : m_statistics(statistics), m_display(display), m_clock(clock), m_showProgress(showProgress) {}

void CheckHost::ProcessMessages() {
    if (g_stopSignal) m_statistics.StopRequested = true;
    if (!m_showProgress || !m_timerRunning) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < m_nextTick) return;
    m_nextTick = now + kTick;
    ProgressTick(m_statistics, m_display, m_clock);
    ShowProgress();
}

void CheckHost::StartProgressTimer() {
    m_timerRunning = true;
    m_nextTick = std::chrono::steady_clock::now() + kTick;
}

void CheckHost::ShowProgress() {
    const std::string line = TerminalSafe(platform::DisplayText(m_display.currentFileText)) + "  " +
                             m_display.megabytesDoneText + " / " + m_display.megabytesTotalText +
                             " MB  Aktuálně: " + m_display.currentSpeedText +
                             "  Průměrně: " + m_display.averageSpeedText +
                             "  Zbývá: " + m_display.remainingText +
                             "  Čas testu: " + m_display.elapsedText;
    // Carriage return and erase-to-end keep the progress on one terminal line.
    std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
    std::fflush(stderr);
    m_lineShown = true;
}

void CheckHost::ClearLine() {
    if (m_lineShown) std::fputs("\r\x1b[K", stderr);
    m_lineShown = false;
}

void CheckHost::EndProgress() {
    m_timerRunning = false;
    ClearLine();
}

MsgResult CheckHost::MessageBox(const std::string& text, const std::string& caption, MsgButtons,
                                MsgIcon) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            plain += '\n';
        } else {
            plain += text[i];
        }
    }
    ClearLine();
    std::fprintf(stderr, "vorlaxis-check: %s: %s\n", caption.c_str(), plain.c_str());
    return MsgResult::Ok;
}

}  // namespace vorlaxis::cli
