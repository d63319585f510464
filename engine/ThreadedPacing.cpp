// The pacing of the run's waits for blocks read ahead, on the run's thread: blocks that stream
// in fast are slept for on a timer, a batch at a time, so that the helper never has to wake the
// run; slower ones are waited for a few at a time for at most kBatchWait, then one by one in
// the pump (WaitForResult). Blocks on nothing but those short sleeps; a stop is seen by the
// pump's wait that follows.
#include "engine/ThreadedPacing.h"

#include <thread>

#include "engine/ThreadedJob.h"

namespace vorlaxis {

namespace {

// A run that waits for blocks streaming in sleeps until this many are there: one wake-up for
// several blocks costs less than one for each. Blocks that come slower than kBatchWait allows
// are taken one by one, as they come.
constexpr uint64_t kWakeSlots = 24;
constexpr std::chrono::milliseconds kBatchWait{1};
// Blocks that come faster still are slept for on a timer, about this many at a time, with room
// left in the ring for a late wake-up: the helper then never wakes the run, which in a virtual
// machine costs the waker as much as reading a few blocks.
constexpr uint64_t kTimedSlots = 16;
// Sleeps in a row that overshoot many times over before the timer is taken for a coarse one.
constexpr int kLongSleepsInARow = 3;

}  // namespace

void BlockPacing::Restart() {
    m_streamFrom = Clock::now();
    m_streamProduced = 0;
}

bool BlockPacing::Timed(uint64_t produced) {
    const auto now = Clock::now();
    m_lookedAt = now;
    if (produced > m_streamProduced) {
        const auto sample =
            (now - m_streamFrom) / static_cast<int64_t>(produced - m_streamProduced);
        m_blockInterval = m_blockInterval.count() == 0
                              ? sample
                              : m_blockInterval + (sample - m_blockInterval) / 4;
        m_streamFrom = now;
        m_streamProduced = produced;
    }
    return m_longSleeps < kLongSleepsInARow && m_blockInterval.count() != 0 &&
           m_blockInterval * kWakeSlots <= kBatchWait;
}

void BlockPacing::Sleep() {
    const auto asked = m_blockInterval * kTimedSlots;
    std::this_thread::sleep_for(asked);
    // A system whose timer cannot sleep that briefly would leave the helper waiting for room;
    // a single long sleep is the run being preempted, which a busy machine does now and then.
    m_longSleeps = Clock::now() - m_lookedAt > 4 * asked + std::chrono::microseconds{200}
                       ? m_longSleeps + 1
                       : 0;
}

// Sleeps until a few blocks read ahead are there, or the helper has ended; false when they do
// not come within kBatchWait (they come from a slow medium, and are waited for one by one).
bool ThreadedBlockingCalls::WaitForBlocks(Helper& h) {
    Job& job = h.job;
    if (SleepForBlocks(h)) return true;
    std::unique_lock lock(h.mutex);
    job.wantSlots = kWakeSlots;
    const bool there = h.done.wait_for(lock, kBatchWait, [&] {
        return !h.pending.load(std::memory_order_acquire) ||
               job.produced.load(std::memory_order_acquire) -
                       job.consumed.load(std::memory_order_relaxed) >=
                   kWakeSlots;
    });
    job.wantSlots = 1;
    return there || Ready(h, true);
}

// Blocks that come fast enough are slept for on a timer, a batch at a time, rather than woken
// for; false when none are there after it (or they come too slowly for it).
bool ThreadedBlockingCalls::SleepForBlocks(Helper& h) {
    if (!m_pacing.Timed(h.job.produced.load(std::memory_order_acquire))) return false;
    if (ReadBlocksInMemory(h)) return true;
    m_pacing.Sleep();
    return Ready(h, true);
}

}  // namespace vorlaxis
