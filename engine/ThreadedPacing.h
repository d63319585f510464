// How fast the blocks read ahead come, and whether the run sleeps for them on a timer instead
// of being woken for each batch. Used on the run's thread only; Sleep() is its one wait.
#pragma once

#include <chrono>
#include <cstdint>

namespace vorlaxis {

class BlockPacing {
  public:
    // A new stream of blocks begins now: the pace learnt so far is kept.
    void Restart();
    // `produced` blocks have come since the stream began; true when they come fast enough for
    // the run to sleep for a batch of them on a timer.
    bool Timed(uint64_t produced);
    // Sleeps for about a batch of blocks at the pace learnt; a timer that cannot sleep that
    // briefly is noticed, and Timed() then says no.
    void Sleep();

  private:
    using Clock = std::chrono::steady_clock;
    // The pace, from the count produced since a moment of the stream, and how many sleeps in a
    // row overshot (enough of them take the timer for one too coarse to sleep that briefly).
    Clock::duration m_blockInterval{};
    Clock::time_point m_streamFrom;
    Clock::time_point m_lookedAt;  // the last Timed()
    uint64_t m_streamProduced = 0;
    int m_longSleeps = 0;
};

}  // namespace vorlaxis
