// The memory medium's second reader: on the run's thread, beside the helper, for a file that
// lives in memory only (a read there never waits for a medium). Blocks on nothing; it claims a
// block before it reads it, leaves half the ring to the helper, hands a block it could not
// read whole back to the helper, and stops at once when a stop is asked for.
#include "engine/ThreadedJob.h"
#include "platform/Processor.h"

namespace vorlaxis {

// At memory speed a block takes the helper about as long to read as to sum, and the run would
// sleep meanwhile: from a file in memory the run reads the blocks after the helper's itself.
// True when the block the run waits for is there after it.
bool ThreadedBlockingCalls::ReadBlocksInMemory(Helper& h) {
    Job& job = h.job;
    if (!job.runReadsToo || m_aheadFile == nullptr) return false;
    // Sharing a processor with the helper, the run would only take turns with it, and a block
    // it took and could not finish before its turn ended would hold the helper's up.
    const int here = platform::CurrentProcessor();
    if (here < 0 || here == job.helperProcessor.load(std::memory_order_relaxed)) return false;
    while (!Ready(h, true)) {
        if (job.cancel.load(std::memory_order_acquire) ||
            job.finished.load(std::memory_order_acquire) || m_statistics.StopRequested) {
            return false;
        }
        // One handed back is the helper's to read first; the run waits for it.
        if (job.handedBack.load(std::memory_order_acquire) != Job::kNoBlock) return false;
        uint64_t p = job.claimed.load(std::memory_order_acquire);
        // Half the slots stay the helper's: it is never kept waiting for room by the run.
        if (p - job.consumed.load(std::memory_order_relaxed) >= job.Capacity() / 2) return false;
        // Taken before it is read: the helper goes on with the next, never with the same.
        if (!job.claimed.compare_exchange_strong(p, p + 1, std::memory_order_acq_rel)) continue;
        Job::Slot& slot = job.slots[p % job.Capacity()];
        // The slot is free and this side's: the bytes wanted go straight into it.
        unsigned char* into = job.keepBytes ? slot.data.data() : m_ownBlock.data();
        const int64_t got = m_aheadFile->readAt(job.BlockStart(p), into, job.aheadCount);
        if (got != job.aheadCount) {
            // The end of the file, or a failure: the helper reads it again and tells.
            job.handedBack.store(p);  // in order with the look at the helper's sleep below
            if (job.waitingForSlot.load()) WakeHelper(h);
            return false;
        }
        slot.result = got;
        slot.sum = SumOf(into, got);
        job.Fill(p);
    }
    return true;
}

}  // namespace vorlaxis
