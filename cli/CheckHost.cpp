#include "cli/CheckHost.h"

#include <cstdio>
#include <string>

#include "engine/ProgressDisplay.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "platform/Utf8.h"

namespace vorlaxis::cli {

volatile std::sig_atomic_t g_stopSignal = 0;

namespace {

void OnStopSignal(int signal) {
    // A second signal ends the program at once, should a read hang.
    if (g_stopSignal) platform::DieBySignal(signal);
    g_stopSignal = signal;
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

std::string LineSafe(std::string_view name) {
    std::string safe;
    safe.reserve(name.size());
    auto hex = [&safe](const char* prefix, uint32_t value, int digits) {
        static const char kDigits[] = "0123456789abcdef";
        safe += prefix;
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
            safe += kDigits[(value >> shift) & 0xF];
    };
    platform::ForEachUtf8(
        name,
        [&](uint32_t cp, std::string_view sequence) {
            if (cp == '\\' && platform::PathSeparator() != '\\') {
                safe += "\\\\";
            } else if (cp == '\n') {
                safe += "\\n";
            } else if (cp == '\t') {
                safe += "\\t";
            } else if (cp == '\r') {
                safe += "\\r";
            } else if (cp < 0x20 || cp == 0x7F) {
                hex("\\x", cp, 2);
            } else if (cp >= 0x80 && cp <= 0x9F) {
                hex("\\u", cp, 4);
            } else {
                safe += sequence;
            }
        },
        [&safe] { safe += "\xEF\xBF\xBD"; });
    return safe;
}

void InstallStopHandlers() {
    platform::CatchStopSignals(OnStopSignal);
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
    // The texts may name files of the medium.
    std::fprintf(stderr, "vorlaxis-check: %s: %s\n", caption.c_str(),
                 TerminalSafe(platform::DisplayText(plain)).c_str());
    return MsgResult::Ok;
}

}  // namespace vorlaxis::cli
