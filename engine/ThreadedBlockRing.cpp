// The ring of blocks read ahead: once a file is read whole block after block, the helper reads
// the blocks after the run's through a second handle into the Job's slots, sums each, and the
// run takes them in order without a copy. ReadBlocksAhead() runs on the helper thread and
// blocks on the medium and, with every slot full, on the run for at most kFullPatience. The
// rest runs on the run's thread and waits for a block only through Await(). A stop lets the
// rest go: no block is asked for after it, and the read under way is waited for by the next
// call, for no longer than a stop's grace (ThreadedHelper.cpp).
#include "engine/ThreadedJob.h"
#include "platform/Processor.h"

namespace vorlaxis {

bool ThreadedBlockingCalls::Job::WaitForFreeSlot(uint64_t p) {
    std::unique_lock lock(owner->mutex);
    waitingForSlot.store(true);
    const bool free = owner->wake.wait_for(lock, kFullPatience, [&] {
        return cancel.load() || p - consumed.load() < Capacity() || handedBack.load() != kNoBlock;
    });
    waitingForSlot.store(false);
    return free && !cancel.load();
}

uint64_t ThreadedBlockingCalls::Job::Fill(uint64_t block) {
    slots[block % Capacity()].filled.store(block + 1, std::memory_order_release);
    uint64_t p = produced.load(std::memory_order_acquire);
    // Either side may fill the slot after another's: whichever comes last moves past both.
    while (slots[p % Capacity()].filled.load(std::memory_order_acquire) == p + 1) {
        if (produced.compare_exchange_weak(p, p + 1, std::memory_order_acq_rel)) ++p;
    }
    return p;
}

void ThreadedBlockingCalls::Job::WakeCaller(uint64_t filled) {
    // Through the mutex, so that a caller about to sleep cannot miss the news.
    {
        std::lock_guard lock(owner->mutex);
        if (filled < wantSlots) return;
    }
    owner->done.notify_one();
}

namespace {

// The helper's part of reading ahead: blocks one after another into free slots, until the
// slots are full, a block comes short (the end of the file, or a failure), or the caller lets
// the rest go. The second handle is closed then: a run that ends without taking the blocks
// must not keep the medium busy.
void ReadBlocksAhead(ThreadedBlockingCalls::Job& j) {
    for (;;) {
        if (j.cancel.load(std::memory_order_acquire)) break;
        uint64_t p =
            j.handedBack.exchange(ThreadedBlockingCalls::Job::kNoBlock, std::memory_order_acq_rel);
        if (p == ThreadedBlockingCalls::Job::kNoBlock) {
            p = j.claimed.load(std::memory_order_acquire);
            if (p - j.consumed.load(std::memory_order_acquire) >= j.Capacity()) {
                // Woken for a free slot or a block handed back: which one is looked at again.
                if (!j.WaitForFreeSlot(p)) break;
                continue;
            }
            // The run may have taken this block meanwhile, or handed one back.
            if (!j.claimed.compare_exchange_strong(p, p + 1, std::memory_order_acq_rel)) continue;
        }
        auto& slot = j.slots[p % j.Capacity()];
        // Without the bytes wanted, one place for every block stays in this core's cache.
        unsigned char* into = j.keepBytes ? slot.data.data() : j.scratch.data();
        const int64_t result = j.ahead.readAt(j.BlockStart(p), into, j.aheadCount);
        slot.result = result;
        slot.sum = SumOf(into, result);
        // Once filled, the slot may be taken and filled again by the run at any moment.
        const uint64_t produced = j.Fill(p);
        if (j.runReadsToo)
            j.helperProcessor.store(platform::CurrentProcessor(), std::memory_order_relaxed);
        if (result != j.aheadCount) {
            // The last block: the helper's end wakes the caller.
            j.finished.store(true, std::memory_order_release);
            break;
        }
        j.WakeCaller(produced - j.consumed.load(std::memory_order_acquire));
    }
    j.ahead.close();
}

}  // namespace

// Starts reading the blocks after this one on the helper thread; nothing happens where the
// platform has no second handle.
void ThreadedBlockingCalls::ReadAhead(platform::InputFile& file, int64_t count, bool keepBytes) {
    if (!m_current || !m_current->thread.joinable()) return;
    Helper& h = *m_current->helper;
    Job& job = h.job;
    const int64_t at = file.position();
    if (at < 0 || !file.duplicate(job.ahead)) return;
    const auto bytes = static_cast<size_t>(count);
    if (keepBytes) {
        for (size_t i = 0; i < kAheadSlots; ++i) {
            if (job.slots[i].data.size() < bytes) job.slots[i].data.resize(bytes);
        }
    } else {
        if (job.scratch.size() < bytes) job.scratch.resize(bytes);
        if (m_ownBlock.size() < bytes) m_ownBlock.resize(bytes);
    }
    job.keepBytes = keepBytes;
    // Only a file in memory: a read on the run's thread must never wait for a medium. Where
    // reading at a position moves the file's position, the run's thread does not read so.
    job.runReadsToo = platform::kReadAtLeavesPosition && file.livesInMemory();
    job.aheadCount = count;
    job.aheadStart = at;
    for (Job::Slot& slot : job.slots) slot.filled.store(0, std::memory_order_relaxed);
    job.claimed.store(0, std::memory_order_relaxed);
    job.handedBack.store(Job::kNoBlock, std::memory_order_relaxed);
    job.helperProcessor.store(-1, std::memory_order_relaxed);
    job.produced.store(0, std::memory_order_relaxed);
    job.consumed.store(0, std::memory_order_relaxed);
    job.cancel.store(false, std::memory_order_relaxed);
    job.finished.store(false, std::memory_order_relaxed);
    m_aheadFile = &file;
    m_aheadAt = at;
    m_pacing.Restart();
    Start(h, ReadBlocksAhead);
}

// The slot of the block the run was given goes back to the helper.
void ThreadedBlockingCalls::ReleaseBlock() {
    if (!m_holding) return;
    m_holding = false;
    Helper& h = *m_current->helper;
    h.job.consumed.fetch_add(1);
    if (h.job.waitingForSlot.load()) WakeHelper(h);
}

// Tells a helper that waits for a free slot to look again (through the mutex, so that it
// cannot miss it).
void ThreadedBlockingCalls::WakeHelper(Helper& h) {
    { std::lock_guard lock(h.mutex); }
    h.wake.notify_one();
}

// The next block read ahead for `file`, left in its slot for the run to sum (`data`); false
// when the run must read itself. `got` is -1 also when a stop gave the wait up (Abandoned()
// then says so).
bool ThreadedBlockingCalls::TakeBlockReadAhead(platform::InputFile& file, int64_t count,
                                               int64_t& got, const unsigned char** data,
                                               int32_t& byteSum) {
    if (m_aheadFile != &file || !m_current) return false;
    Helper& h = *m_current->helper;
    Job& job = h.job;
    if (count != job.aheadCount || file.position() != m_aheadAt) return false;
    if (data != nullptr && !job.keepBytes) return false;  // the blocks were read for sums only
    m_abandoned = false;
    ReleaseBlock();
    if (!h.pending.load(std::memory_order_acquire) &&
        !job.finished.load(std::memory_order_acquire) &&
        !job.cancel.load(std::memory_order_relaxed) && !Resume(file)) {
        m_aheadFile = nullptr;  // the helper stopped with the slots full, and no second handle
        return false;
    }
    for (;;) {
        // Let go after a stop: a call that comes after all reads for itself.
        if (job.cancel.load(std::memory_order_relaxed)) return false;
        if (!Await(h, true)) {
            got = -1;
            return true;
        }
        if (job.produced.load(std::memory_order_acquire) >
            job.consumed.load(std::memory_order_relaxed)) {
            break;
        }
        // The helper stopped with the slots full before this one was emptied: go on.
        if (!Resume(file)) {
            got = -1;
            return false;  // no second handle now: the run reads itself
        }
    }
    // The slot stays the run's until its next call: the helper fills the others meanwhile.
    const uint64_t c = job.consumed.load(std::memory_order_relaxed);
    const Job::Slot& slot = job.slots[c % job.Capacity()];
    got = slot.result;
    if (data != nullptr) *data = slot.data.data();
    byteSum = slot.sum;
    m_holding = true;
    if (got < 0 || !file.skipRead(got)) {
        got = -1;
        SettleReadAhead();
        return true;
    }
    m_aheadAt += got;
    if (got != count) {
        SettleReadAhead();  // the helper has ended: this was the last block
    } else if (m_statistics.StopRequested) {
        // Nothing more is asked of the medium; the read under way is not waited for here.
        job.cancel.store(true, std::memory_order_release);
        WakeHelper(h);
    }
    return true;
}

// Lets the helper go on reading ahead after it stopped with the slots full.
bool ThreadedBlockingCalls::Resume(const platform::InputFile& file) {
    Helper& h = *m_current->helper;
    if (!file.duplicate(h.job.ahead)) return false;
    Start(h, ReadBlocksAhead);
    return true;
}

// Lets the blocks read ahead go: the read under way is waited for (it cannot be cut short)
// and the rest never asked for. False when a stop gave that wait up.
bool ThreadedBlockingCalls::SettleReadAhead() {
    m_aheadFile = nullptr;
    if (!m_current) return true;
    Helper& h = *m_current->helper;
    h.job.cancel.store(true, std::memory_order_release);
    WakeHelper(h);
    if (!Await(h, false)) return false;
    h.job.ahead.close();
    return true;
}

}  // namespace vorlaxis
