// What the run and one helper thread share, for the sources of ThreadedBlockingCalls only: the
// Job (a call's inputs and outputs, the files opened ahead, the ring of blocks read ahead) and
// the Helper (the thread's hand-over around it), with the spinning both sides use to wait for
// each other briefly. Nothing here blocks but the mutex, held for a few instructions at a time.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/Checksum.h"
#include "engine/ThreadedBlockingCalls.h"

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64)
#include <immintrin.h>
#endif

namespace vorlaxis {

using SteadyClock = std::chrono::steady_clock;

// Blocks read ahead at the most: with their bytes kept for the run, or with only their sums (a
// slot then holds two numbers; a medium faster than the run's wake-ups, such as a disk whose
// system read-ahead delivers megabytes at a time, is not held up meanwhile).
constexpr size_t kAheadSlots = 32;
constexpr size_t kSummedSlots = 256;
// With every slot full the helper waits this long for the run to empty one, then lets the file
// go (a run that stopped taking blocks must not keep the medium busy).
constexpr std::chrono::milliseconds kFullPatience{100};

// How long a side looks for the other's answer before it sleeps, at the most. A small file's
// open or read on a disk that its host caches answers within a hundred microseconds or so, and
// waking a sleeping thread adds a good part of that to every call: the run and the helper spin
// for each other while the answers usually come that fast (SpinFor), and sleep through the
// calls of a slower medium. Blocks read ahead are another matter: at memory speed the run sums
// a block faster than the helper reads the next, so spinning for them would burn a core the
// whole time; the run sleeps at once.
constexpr std::chrono::microseconds kCallSpin{150};

inline int32_t SumOf(const unsigned char* data, int64_t got) {
    return got > 0 ? AddToChecksum(0, data, static_cast<size_t>(got)) : 0;
}

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64)
    _mm_pause();
#endif
}

// Looks for `ready` for about `limit`: first without giving the core away (a yield is a system
// call), then yielding it to whatever else wants it meanwhile; false when it did not come.
template <typename Ready>
bool SpinUntil(Ready ready, std::chrono::microseconds limit) {
    if (limit <= std::chrono::microseconds{}) return ready();
    for (int i = 0; i < 256; ++i) {
        if (ready()) return true;
        CpuRelax();
    }
    const auto until = SteadyClock::now() + limit;
    do {
        if (ready()) return true;
        std::this_thread::yield();
    } while (SteadyClock::now() < until);
    return ready();
}

// `usual` is how long one side's recent waits for the other took: it spins only while the
// other is about to answer, about twice the usual wait, and not at all while answers are slow.
inline std::chrono::microseconds SpinFor(std::chrono::microseconds usual) {
    if (usual >= kCallSpin) return {};
    return std::min(kCallSpin, 2 * usual + std::chrono::microseconds{1});
}

// `waited` runs up to the moment the other side answered, not to when this side woke up: a
// sleep's wake-up is no part of how soon the other answers.
inline void RecordWait(std::chrono::microseconds& usual, SteadyClock::duration waited) {
    const auto us = std::max(std::chrono::microseconds{},
                             std::chrono::duration_cast<std::chrono::microseconds>(waited));
    usual += (std::min(us, 4 * kCallSpin) - usual) / 8;  // an odd one out moves it little
}

// The inputs and outputs of one call. While a call runs, the helper thread alone touches it;
// the caller's file and listing are moved in here for that time, and reads land in the job's
// own buffer, so a call given up never writes into memory of the run.
struct ThreadedBlockingCalls::Job {
    void (*work)(Job&) = nullptr;
    platform::InputFile file;
    std::unique_ptr<platform::DirSearch> started;  // a listing just begun
    std::unique_ptr<platform::DirSearch> listing;  // the caller's listing during NextEntry
    platform::DirEntry entry;
    std::vector<platform::DirEntry> entries;
    std::vector<std::string> paths;
    std::vector<int64_t> sizes;
    std::vector<unsigned char> buffer;
    std::vector<unsigned char> scratch;  // every block read ahead when only sums are wanted
    std::string path;
    std::string pattern;
    std::string text;
    uint32_t mask = 0;
    int64_t number = 0;
    int64_t readCount = 0;  // bytes to read with an open or a move, then the bytes read
    int64_t every = 0;      // an open's file is read a block every so many bytes (0: on)
    int32_t sum = -1;       // of the bytes a read delivered
    bool ok = false;
    platform::FileIdentity identity;
    std::vector<std::optional<platform::FileIdentity>> identities;
    platform::VolumeIdentity volume;
    platform::ListingOutcome filesListed;
    // Files opened ahead of the run, oldest first, and those to open ahead with this call. The
    // run's thread closes them between calls: reading ahead never touches them. A file smaller
    // than the run's block also has its first block read (`block` holds it, `got` says how much,
    // -1 while unread): the run then takes it, open and read, without a call of its own.
    struct OpenedAhead {
        std::string path;
        platform::InputFile file;
        int64_t count = 0;  // as OpenAhead() was told
        int64_t every = 0;
        std::vector<unsigned char> block;
        int64_t asked = 0;  // the bytes the read asked for: the run's block
        int64_t got = -1;
        int32_t sum = -1;
        double seconds = 0.0;  // its open and read took on the helper
    };
    std::deque<OpenedAhead> openedAhead;
    std::vector<ToOpenAhead> toOpenAhead;
    double secondsAhead = 0.0;  // the files read ahead in this call took
    // Buffers of blocks read ahead that were taken or let go, for the next ones: a fresh buffer
    // for every small file would cost more than reading it.
    std::vector<std::vector<unsigned char>> spareBlocks;
    // The blocks read ahead through a second handle of the file, a few at most: the helper
    // fills the slot after the last one filled while the caller empties the oldest.
    platform::InputFile ahead;
    struct Slot {
        std::vector<unsigned char> data;
        int64_t result = -1;
        int32_t sum = 0;                  // of the bytes delivered
        std::atomic<uint64_t> filled{0};  // the number of the block it holds, plus one
    };
    std::array<Slot, kSummedSlots> slots;
    bool keepBytes = true;   // each block stays in its slot for the caller
    int64_t aheadCount = 0;  // bytes of each block
    int64_t aheadStart = 0;  // where the first block read ahead starts
    // Blocks taken for reading so far, by the helper or (from memory) by the run; the slots of
    // those before `produced` are all filled, of the others only those that say so.
    std::atomic<uint64_t> claimed{0};
    // A block the run took but could not read whole (the end, a failure): the helper reads it
    // before any other, and tells.
    static constexpr uint64_t kNoBlock = ~uint64_t{0};
    std::atomic<uint64_t> handedBack{kNoBlock};
    std::atomic<uint64_t> produced{0};        // slots filled so far, one after another
    std::atomic<uint64_t> consumed{0};        // slots emptied so far
    std::atomic<bool> cancel{false};          // no more blocks: the caller lets the rest go
    std::atomic<bool> finished{false};        // a block came short: the last one is in its slot
    uint64_t wantSlots = 1;                   // filled slots the caller waits for (under the mutex)
    std::atomic<bool> waitingForSlot{false};  // the helper sleeps until a slot is emptied
    // The run may read blocks beside the helper (the file is in memory); the helper then says
    // where it read its last one.
    bool runReadsToo = false;
    std::atomic<int> helperProcessor{-1};
    Helper* owner = nullptr;

    // Slots in use: a slot without bytes costs two numbers.
    size_t Capacity() const { return keepBytes ? kAheadSlots : kSummedSlots; }
    int64_t BlockStart(uint64_t block) const {
        return aheadStart + static_cast<int64_t>(block) * aheadCount;
    }
    // Block `block`, taken by this thread, is in its slot: `produced` moves past every slot
    // filled in a row. Returns `produced`.
    uint64_t Fill(uint64_t block);
    // The helper's wait for slot `p` to be free again; false when it did not come.
    bool WaitForFreeSlot(uint64_t p);

    // Opens `path` into `file`, taking the handle opened ahead for it where there is one.
    bool OpenFile();
    void OpenFilesAhead();
    void ReadSmallFilesAhead(int64_t block);  // read as `every` says
    // Lets the files opened ahead from `first` up to `last` go, keeping their buffers.
    void DropOpenedAhead(const std::deque<OpenedAhead>::iterator& first,
                         const std::deque<OpenedAhead>::iterator& last);

    // Tells a caller that waits for slots that `filled` are full, when that is what it wants.
    void WakeCaller(uint64_t filled);
};

// Shared by the caller and one helper thread; the thread holds it as long as it runs. `pending`
// is also read without the mutex, so that both sides can spin briefly instead of sleeping: at
// memory speed a call takes microseconds, and waking a sleeping thread would cost more.
struct ThreadedBlockingCalls::Helper {
    std::mutex mutex;
    std::condition_variable wake;      // a job, or the end, for the thread
    std::condition_variable done;      // a result, or the thread's end, for the caller
    std::atomic<bool> pending{false};  // a job waits or runs; written under the mutex
    bool abandoned = false;            // the caller gave the running job up
    bool quit = false;
    bool ended = false;
    // The helper sleeps on `wake`: a caller then does not spin for its answer, since waking
    // it up takes longer than a spin should last.
    std::atomic<bool> helperAsleep{false};
    SteadyClock::time_point askedAt;     // when the caller handed the job over
    SteadyClock::time_point answeredAt;  // when the helper was done with it
    Job job;

    Helper() { job.owner = this; }
};

struct ThreadedBlockingCalls::Worker {
    std::shared_ptr<Helper> helper = std::make_shared<Helper>();
    std::thread thread;  // not joinable when none could be started: calls then run directly
};

// The call is over, or with `slot` a block read ahead waits in its slot.
inline bool ThreadedBlockingCalls::Ready(Helper& h, bool slot) {
    if (!h.pending.load(std::memory_order_acquire)) return true;
    return slot && h.job.produced.load(std::memory_order_acquire) >
                       h.job.consumed.load(std::memory_order_relaxed);
}

}  // namespace vorlaxis
