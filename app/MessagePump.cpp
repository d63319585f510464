#include "app/MessagePump.h"

namespace vorlaxis::gui {

void MessagePump::Ran() {
    const Clock::time_point now = Clock::now();
    if (m_gapStart != Clock::time_point{}) {
        const auto gap = std::chrono::duration_cast<std::chrono::microseconds>(now - m_gapStart);
        if (gap.count() > m_longestGap) m_longestGap = gap.count();
    }
    m_gapStart = now;
    m_lastRun = now;
}

bool MessagePump::DisplayDue() {
    const Clock::time_point now = Clock::now();
    if (now - m_lastDisplay < kDisplayInterval) return false;
    m_lastDisplay = now;
    return true;
}

void MessagePump::ResetGaps() {
    m_gapStart = Clock::time_point{};
    m_longestGap = 0;
}

}  // namespace vorlaxis::gui
