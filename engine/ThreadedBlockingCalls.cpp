#include "engine/ThreadedBlockingCalls.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/Checksum.h"
#include "platform/Processor.h"

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64)
#include <immintrin.h>
#endif

namespace vorlaxis {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Blocks read ahead at the most: with their bytes kept for the run, or with only their sums (a
// slot then holds two numbers; a medium faster than the run's wake-ups, such as a disk whose
// system read-ahead delivers megabytes at a time, is not held up meanwhile).
constexpr size_t kAheadSlots = 32;
constexpr size_t kSummedSlots = 256;
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
// With every slot full the helper waits this long for the run to empty one, then lets the file
// go (a run that stopped taking blocks must not keep the medium busy).
constexpr std::chrono::milliseconds kFullPatience{100};
// Entries of a listing fetched by one call of the helper: a hand-over for each entry would
// cost more than the listing itself on a medium as fast as memory.
constexpr size_t kListedTogether = 128;
// Blocks asked for with a file opened ahead, when every n-th block is read: the first two, so
// that neither waits for the other; the first move asks for the rest at the medium's pace.
// More would leave a drive that is only just quick enough busy for long after a stop.
constexpr int64_t kAheadFileBlocks = 2;

// How often the window is pumped while a call waits.
constexpr std::chrono::milliseconds kPumpInterval{5};
// A stop lets a call that is merely slow finish; only one still waiting after this is given up.
constexpr std::chrono::milliseconds kStopGrace{250};
// From then on the "Soubor:" line tells that the drive is being waited for.
constexpr std::chrono::seconds kWaitNoteAfter{2};
// A closing program waits no longer than this for helper threads still inside a call.
constexpr std::chrono::milliseconds kExitPatience{500};

// How long a side looks for the other's answer before it sleeps, at the most. A small file's
// open or read on a disk that its host caches answers within a hundred microseconds or so, and
// waking a sleeping thread adds a good part of that to every call: the run and the helper spin
// for each other while the answers usually come that fast (SpinFor), and sleep through the
// calls of a slower medium. Blocks read ahead are another matter: at memory speed the run sums
// a block faster than the helper reads the next, so spinning for them would burn a core the
// whole time; the run sleeps at once.
constexpr std::chrono::microseconds kCallSpin{150};

int32_t SumOf(const unsigned char* data, int64_t got) {
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
std::chrono::microseconds SpinFor(std::chrono::microseconds usual) {
    if (usual >= kCallSpin) return {};
    return std::min(kCallSpin, 2 * usual + std::chrono::microseconds{1});
}

// `waited` runs up to the moment the other side answered, not to when this side woke up: a
// sleep's wake-up is no part of how soon the other answers.
void RecordWait(std::chrono::microseconds& usual, SteadyClock::duration waited) {
    const auto us = std::max(std::chrono::microseconds{},
                             std::chrono::duration_cast<std::chrono::microseconds>(waited));
    usual += (std::min(us, 4 * kCallSpin) - usual) / 8;  // an odd one out moves it little
}

// A listing that lists nothing: an empty path fails at once, without touching a medium. It
// holds the place of a listing that a helper thread works on.
std::unique_ptr<platform::DirSearch> EmptySearch() {
    return std::make_unique<platform::DirSearch>(std::string(1, '\0'), "*", 0);
}

// Tells on the "Soubor:" line how long the drive has been waited for, and takes it back.
class WaitNote {
  public:
    explicit WaitNote(MainDisplay& display) : m_display(display) {}
    ~WaitNote() {
        if (m_shown && m_display.currentFileText == m_text) m_display.currentFileText = m_base;
    }
    WaitNote(const WaitNote&) = delete;
    WaitNote& operator=(const WaitNote&) = delete;

    void Show(SteadyClock::duration waited) {
        if (waited < kWaitNoteAfter) return;
        if (!m_shown) m_base = m_display.currentFileText;
        m_shown = true;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(waited).count();
        m_text = m_base + " (čekám na mechaniku " + std::to_string(seconds) + " s)";
        m_display.currentFileText = m_text;
    }

  private:
    MainDisplay& m_display;
    bool m_shown = false;
    std::string m_base, m_text;
};

}  // namespace

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

bool ThreadedBlockingCalls::Job::OpenFile() {
    const auto taken = std::find_if(openedAhead.begin(), openedAhead.end(),
                                    [&](const OpenedAhead& o) { return o.path == path; });
    if (taken == openedAhead.end()) return file.open(path);
    file = std::move(taken->file);
    DropOpenedAhead(openedAhead.begin(), taken + 1);  // any before it were passed over
    return true;
}

void ThreadedBlockingCalls::Job::DropOpenedAhead(const std::deque<OpenedAhead>::iterator& first,
                                                 const std::deque<OpenedAhead>::iterator& last) {
    for (auto o = first; o != last; ++o) {
        if (o->block.capacity() > 0) spareBlocks.push_back(std::move(o->block));
    }
    openedAhead.erase(first, last);
}

// The first block of each small file opened ahead, as the run's own open would read it, after
// every file of the call was asked for (a quick medium works on them meanwhile). A read that
// fails ends it: that file's own open reads again and reports, and a failing medium is asked
// for nothing more.
void ThreadedBlockingCalls::Job::ReadSmallFilesAhead(int64_t block) {
    for (OpenedAhead& o : openedAhead) {
        if (o.got >= 0 || o.count >= block || o.every != every) continue;
        if (o.block.size() < static_cast<size_t>(block)) {
            if (!spareBlocks.empty()) {
                o.block = std::move(spareBlocks.back());
                spareBlocks.pop_back();
            }
            if (o.block.size() < static_cast<size_t>(block))
                o.block.resize(static_cast<size_t>(block));
        }
        const auto start = SteadyClock::now();
        int64_t got = -1;
        if (platform::kReadAtLeavesPosition) {
            got = o.file.readAt(0, o.block.data(), block);
        } else {
            got = o.file.read(o.block.data(), block);
            if (!o.file.seek(0)) got = -1;
        }
        if (got < 0) break;
        o.asked = block;
        o.got = got;
        o.sum = got > 0 ? AddToChecksum(0, o.block.data(), static_cast<size_t>(got)) : 0;
        o.seconds += std::chrono::duration<double>(SteadyClock::now() - start).count();
        secondsAhead += o.seconds;
    }
}

// A file that cannot be opened now is left to the run's own open, which reports it.
void ThreadedBlockingCalls::Job::OpenFilesAhead() {
    for (ToOpenAhead& next : toOpenAhead) {
        const auto start = SteadyClock::now();
        platform::InputFile opened;
        if (!opened.open(next.path)) continue;
        if (!opened.willReadEvery(next.count, next.every, kAheadFileBlocks))
            opened.willRead(next.count);
        OpenedAhead& o = openedAhead.emplace_back();
        o.path = std::move(next.path);
        o.file = std::move(opened);
        o.count = next.count;
        o.every = next.every;
        o.seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
    }
    toOpenAhead.clear();
}

void ThreadedBlockingCalls::Job::WakeCaller(uint64_t filled) {
    // Through the mutex, so that a caller about to sleep cannot miss the news.
    {
        std::lock_guard lock(owner->mutex);
        if (filled < wantSlots) return;
    }
    owner->done.notify_one();
}

struct ThreadedBlockingCalls::Worker {
    std::shared_ptr<Helper> helper = std::make_shared<Helper>();
    std::thread thread;  // not joinable when none could be started: calls then run directly
};

void ThreadedBlockingCalls::Serve(std::shared_ptr<Helper> h) {
    std::chrono::microseconds usualGap{};  // between the end of one call and the next
    for (;;) {
        const auto idle = SteadyClock::now();
        SpinUntil([&] { return h->pending.load(std::memory_order_acquire); }, SpinFor(usualGap));
        {
            std::unique_lock lock(h->mutex);
            h->helperAsleep.store(true);
            h->wake.wait(lock, [&] { return h->pending.load() || h->quit; });
            h->helperAsleep.store(false);
            if (!h->pending.load()) break;
        }
        RecordWait(usualGap, h->askedAt - idle);
        h->job.work(h->job);
        {
            std::lock_guard lock(h->mutex);
            h->answeredAt = SteadyClock::now();
            h->pending.store(false, std::memory_order_release);
            if (h->abandoned) break;
        }
        h->done.notify_one();
    }
    // A call given up leaves its descriptor and listing here: nobody else holds them now.
    std::lock_guard lock(h->mutex);
    h->job.file.close();
    h->job.ahead.close();
    h->job.openedAhead.clear();
    h->job.started.reset();
    h->job.listing.reset();
    h->ended = true;
    h->done.notify_all();
}

ThreadedBlockingCalls::ThreadedBlockingCalls(TestHost& host, TestStatistics& statistics,
                                             MainDisplay& display)
    : m_host(host), m_statistics(statistics), m_display(display) {}

ThreadedBlockingCalls::~ThreadedBlockingCalls() {
    if (m_current) {
        m_current->helper->job.cancel.store(true, std::memory_order_release);
        {
            std::lock_guard lock(m_current->helper->mutex);
            m_current->helper->quit = true;
        }
        m_current->helper->wake.notify_one();
        m_stuck.push_back(std::move(m_current));
    }
    const auto deadline = SteadyClock::now() + kExitPatience;
    for (const std::unique_ptr<Worker>& worker : m_stuck) {
        if (!worker->thread.joinable()) continue;
        Helper& h = *worker->helper;
        bool ended = false;
        {
            std::unique_lock lock(h.mutex);
            ended = h.done.wait_until(lock, deadline, [&] { return h.ended; });
        }
        // A thread still stuck frees its own state once the platform lets go of it.
        if (ended) {
            worker->thread.join();
        } else {
            worker->thread.detach();
        }
    }
}

size_t ThreadedBlockingCalls::StuckHelpers() {
    Reap();
    return m_stuck.size();
}

void ThreadedBlockingCalls::Reap() {
    std::erase_if(m_stuck, [](const std::unique_ptr<Worker>& worker) {
        {
            std::lock_guard lock(worker->helper->mutex);
            if (!worker->helper->ended) return false;
        }
        worker->thread.join();
        return true;
    });
}

ThreadedBlockingCalls::Job* ThreadedBlockingCalls::Begin(bool evenWhenStopping) {
    m_abandoned = false;
    m_lastReadFile = nullptr;
    m_keptFile = nullptr;  // the job's buffer is taken for this call
    ReleaseBlock();
    // A block read ahead that the run does not take: its read is waited for (it may not be
    // cut short by another call) and its result let go.
    if (m_aheadFile && !SettleReadAhead()) {
        if (!evenWhenStopping) return nullptr;
        m_abandoned = false;
    }
    if (!m_stuck.empty()) Reap();
    // The medium already holds a call that was given up: while the stop lasts, nothing more is
    // asked of it (a stuck tree would otherwise cost a thread and a grace per directory).
    if (m_statistics.StopRequested && !m_stuck.empty() && !evenWhenStopping) {
        m_abandoned = true;
        return nullptr;
    }
    if (!m_current) {
        m_current = std::make_unique<Worker>();
        try {
            m_current->thread = std::thread(Serve, m_current->helper);
        } catch (const std::system_error&) {
            // No thread to be had: the calls run on this thread, as without a helper.
        }
    }
    return &m_current->helper->job;
}

bool ThreadedBlockingCalls::Carry(void (*work)(Job&)) {
    Helper& h = *m_current->helper;
    if (!m_current->thread.joinable()) {
        work(h.job);
        return true;
    }
    Start(h, work);
    return Await(h, false);
}

void ThreadedBlockingCalls::Start(Helper& h, void (*work)(Job&)) {
    {
        std::lock_guard lock(h.mutex);
        h.job.work = work;
        h.askedAt = SteadyClock::now();
        h.pending.store(true, std::memory_order_release);
    }
    h.wake.notify_one();
}

// Waits for the job of the current helper to end, or with `slot` for a block read ahead to be
// there; false when a stop gave the wait up.
bool ThreadedBlockingCalls::Await(Helper& h, bool slot) {
    bool there = false;
    if (slot) {
        there = Ready(h, true) || WaitForBlocks(h) || WaitForResult(h, true);
    } else {
        const auto start = SteadyClock::now();
        const auto spin =
            h.helperAsleep.load() ? std::chrono::microseconds{} : SpinFor(m_usualAnswer);
        there = SpinUntil([&] { return Ready(h, false); }, spin) || WaitForResult(h, false);
        if (there) RecordWait(m_usualAnswer, h.answeredAt - start);
    }
    if (there) return true;
    m_abandoned = true;
    m_aheadFile = nullptr;
    m_holding = false;
    m_stuck.push_back(std::move(m_current));
    return false;
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
    const Job& job = h.job;
    const auto now = SteadyClock::now();
    const uint64_t produced = job.produced.load(std::memory_order_acquire);
    if (produced > m_streamProduced) {
        const auto sample =
            (now - m_streamFrom) / static_cast<int64_t>(produced - m_streamProduced);
        m_blockInterval = m_blockInterval.count() == 0
                              ? sample
                              : m_blockInterval + (sample - m_blockInterval) / 4;
        m_streamFrom = now;
        m_streamProduced = produced;
    }
    if (m_longSleeps >= kLongSleepsInARow || m_blockInterval.count() == 0 ||
        m_blockInterval * kWakeSlots > kBatchWait) {
        return false;
    }
    if (ReadBlocksInMemory(h)) return true;
    const auto asked = m_blockInterval * kTimedSlots;
    std::this_thread::sleep_for(asked);
    // A system whose timer cannot sleep that briefly would leave the helper waiting for room;
    // a single long sleep is the run being preempted, which a busy machine does now and then.
    m_longSleeps = SteadyClock::now() - now > 4 * asked + std::chrono::microseconds{200}
                       ? m_longSleeps + 1
                       : 0;
    return Ready(h, true);
}

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

bool ThreadedBlockingCalls::Ready(Helper& h, bool slot) {
    if (!h.pending.load(std::memory_order_acquire)) return true;
    return slot && h.job.produced.load(std::memory_order_acquire) >
                       h.job.consumed.load(std::memory_order_relaxed);
}

namespace {

// Reads and sums the block at `at`, where the file stands, and leaves the file's position
// there: until the run takes the block, the file is as it was before the read.
void ReadKeptBlock(ThreadedBlockingCalls::Job& j, int64_t at) {
    if (platform::kReadAtLeavesPosition) {
        j.readCount = j.file.readAt(at, j.buffer.data(), j.readCount);
    } else {
        j.readCount = j.file.read(j.buffer.data(), j.readCount);
        if (!j.file.seek(at)) j.readCount = -1;
    }
    j.sum = SumOf(j.buffer.data(), j.readCount);
}

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
    m_streamFrom = SteadyClock::now();
    m_streamProduced = 0;
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

// Pumps every few milliseconds until the result is there; false when a stop gave the call up.
bool ThreadedBlockingCalls::WaitForResult(Helper& h, bool slot) {
    const auto start = SteadyClock::now();
    auto stopSeen = start;
    bool stopping = false;
    WaitNote note(m_display);
    std::unique_lock lock(h.mutex);
    while (!h.done.wait_for(lock, kPumpInterval, [&] { return Ready(h, slot); })) {
        lock.unlock();
        note.Show(SteadyClock::now() - start);
        m_host.ProcessMessages();
        const auto now = SteadyClock::now();
        if (m_statistics.StopRequested && !stopping) stopSeen = now;
        stopping = m_statistics.StopRequested;
        const bool giveUp = stopping && now - stopSeen >= kStopGrace;
        lock.lock();
        if (giveUp && !Ready(h, slot)) {
            h.abandoned = true;
            h.job.cancel.store(true, std::memory_order_release);
            h.wake.notify_one();
            return false;
        }
    }
    return true;
}

bool ThreadedBlockingCalls::Open(platform::InputFile& file, const std::string& path) {
    return OpenReading(file, path, 0, 0);
}

bool ThreadedBlockingCalls::OpenToRead(platform::InputFile& file, const std::string& path,
                                       int64_t count, int64_t every) {
    return OpenReading(file, path, count, every);
}

// Opens `path` and, with a `count`, reads the first block in the same hand-over: a small file
// costs one wait for the helper, not two. The block stays in the job's buffer for ReadBlock().
bool ThreadedBlockingCalls::OpenReading(platform::InputFile& file, const std::string& path,
                                        int64_t count, int64_t every) {
    file.close();
    m_secondsReadAhead = 0.0;
    Job* job = Begin();
    if (!job) return false;
    // Files up to this one that were to be opened ahead are passed now.
    const auto passed = std::find_if(m_toOpenAhead.begin(), m_toOpenAhead.end(),
                                     [&](const ToOpenAhead& t) { return t.path == path; });
    if (passed != m_toOpenAhead.end()) m_toOpenAhead.erase(m_toOpenAhead.begin(), passed + 1);
    if (TakeReadAhead(*job, file, path, count, every)) return true;
    job->path = path;
    job->every = every;
    PrepareBlock(*job, count);
    job->toOpenAhead.swap(m_toOpenAhead);
    m_toOpenAhead.clear();
    if (!Carry([](Job& j) {
            const int64_t block = j.readCount;
            j.secondsAhead = 0.0;
            j.ok = j.OpenFile();
            if (j.ok && block > 0)
                j.file.willReadEvery(block, j.every, std::numeric_limits<int64_t>::max());
            // Asked for before this file's block is waited for.
            j.OpenFilesAhead();
            if (j.ok && block > 0) ReadKeptBlock(j, 0);
            // A row of small files costs one wait for the helper, not one each.
            if (j.ok && j.readCount >= 0 && block > 0) j.ReadSmallFilesAhead(block);
        })) {
        return false;
    }
    file.swap(job->file);
    m_secondsReadAhead = -job->secondsAhead;
    if (job->ok) KeepBlock(file, count, 0, *job);
    return job->ok;
}

// A small file opened and read ahead: taken with its block, between calls (the helper is idle
// then), as if its open had been carried out now. False when the helper has none for it.
bool ThreadedBlockingCalls::TakeReadAhead(Job& job, platform::InputFile& file,
                                          const std::string& path, int64_t count, int64_t every) {
    if (count <= 0) return false;
    auto& ahead = job.openedAhead;
    const auto taken = std::find_if(ahead.begin(), ahead.end(),
                                    [&](const Job::OpenedAhead& o) { return o.path == path; });
    if (taken == ahead.end() || taken->got < 0 || taken->asked != count || taken->every != every)
        return false;
    file = std::move(taken->file);
    job.buffer.swap(taken->block);
    job.readCount = taken->got;
    job.sum = taken->sum;
    m_secondsReadAhead = taken->seconds;
    job.DropOpenedAhead(ahead.begin(), taken + 1);
    KeepBlock(file, count, 0, job);
    return true;
}

// Only where a helper carries the opens out: the run's own thread must not wait on them.
void ThreadedBlockingCalls::OpenAhead(const std::string& path, int64_t count, int64_t every) {
    if (!platform::kAsksAhead || (m_current && !m_current->thread.joinable())) return;
    m_toOpenAhead.push_back({path, count, every});
}

void ThreadedBlockingCalls::CloseOpenedAhead() {
    m_toOpenAhead.clear();
    if (m_current) {
        Job& job = m_current->helper->job;
        job.DropOpenedAhead(job.openedAhead.begin(), job.openedAhead.end());
    }
}

// The job's buffer made ready for a block of `count` bytes read with an open or a move.
void ThreadedBlockingCalls::PrepareBlock(Job& job, int64_t count) {
    job.readCount = std::max<int64_t>(count, 0);
    if (job.buffer.size() < static_cast<size_t>(job.readCount))
        job.buffer.resize(static_cast<size_t>(job.readCount));
}

// Remembers the block such a job read at `at`, for the ReadBlock() that may take it.
void ThreadedBlockingCalls::KeepBlock(const platform::InputFile& file, int64_t count, int64_t at,
                                      const Job& job) {
    if (count <= 0) return;
    m_keptFile = &file;
    m_keptCount = count;
    m_keptAt = at;
    m_keptGot = job.readCount;
    m_keptSum = job.sum;
}

// The block read with the open of `file` or a move in it, when that is what the run asks for
// now; false when the run must read itself.
bool ThreadedBlockingCalls::TakeKeptBlock(platform::InputFile& file, int64_t count, int64_t& got,
                                          const unsigned char** data, int32_t& byteSum) {
    if (m_keptFile != &file) return false;
    m_keptFile = nullptr;
    if (count != m_keptCount || file.position() != m_keptAt) return false;
    m_abandoned = false;
    got = m_keptGot;
    if (got >= 0 && !file.skipRead(got)) got = -1;
    if (data != nullptr) *data = m_current->helper->job.buffer.data();
    byteSum = got >= 0 ? m_keptSum : -1;
    return true;
}

int64_t ThreadedBlockingCalls::Read(platform::InputFile& file, void* buffer, int64_t count) {
    const unsigned char* data = nullptr;
    auto* bytes = static_cast<unsigned char*>(buffer);
    int32_t sum = -1;
    const int64_t got = ReadBlock(file, bytes, count, &data, sum);
    if (got > 0 && data != bytes) std::memcpy(bytes, data, static_cast<size_t>(got));
    return got;
}

int64_t ThreadedBlockingCalls::ReadBlock(platform::InputFile& file, unsigned char* /*buffer*/,
                                         int64_t count, const unsigned char** data,
                                         int32_t& byteSum) {
    byteSum = -1;
    const bool wholeBlocksBefore = m_lastReadFile == &file;
    if (int64_t got = -1; TakeKeptBlock(file, count, got, data, byteSum) ||
                          TakeBlockReadAhead(file, count, got, data, byteSum)) {
        m_lastReadFile = got == count ? &file : nullptr;
        return got;
    }
    Job* job = Begin();
    if (!job) return -1;
    const size_t wanted = count > 0 ? static_cast<size_t>(count) : 0;
    if (job->buffer.size() < wanted) job->buffer.resize(wanted);
    job->number = static_cast<int64_t>(wanted);
    file.swap(job->file);
    if (!Carry([](Job& j) {
            j.number = j.file.read(j.buffer.data(), j.number);
            j.sum = SumOf(j.buffer.data(), j.number);
        })) {
        return -1;
    }
    file.swap(job->file);
    const int64_t got = job->number;
    // The helper touches the buffer again only for the next read.
    if (data != nullptr) *data = job->buffer.data();
    byteSum = job->sum;
    if (got == count && count > 0) {
        if (wholeBlocksBefore && !m_statistics.StopRequested)
            ReadAhead(file, count, data != nullptr);
        m_lastReadFile = &file;
    }
    return got;
}

// The position is a number the system keeps for the open file: asking for it never waits for
// the medium, and it is asked between the reads of the block modes.
int64_t ThreadedBlockingCalls::Position(platform::InputFile& file) {
    m_abandoned = false;
    return file.position();
}

bool ThreadedBlockingCalls::Seek(platform::InputFile& file, int64_t position) {
    Job* job = Begin();
    if (!job) return false;
    job->number = position;
    file.swap(job->file);
    if (!Carry([](Job& j) { j.ok = j.file.seek(j.number); })) return false;
    file.swap(job->file);
    return job->ok;
}

// Moves and reads the block there in the same hand-over: every n-th block costs one wait for
// the helper, not two. The block stays in the job's buffer for ReadBlock().
bool ThreadedBlockingCalls::SeekToRead(platform::InputFile& file, int64_t position, int64_t count) {
    Job* job = Begin();
    if (!job) return false;
    job->number = position;
    PrepareBlock(*job, count);
    file.swap(job->file);
    if (!Carry([](Job& j) {
            j.ok = j.file.seek(j.number);
            if (j.ok && j.readCount > 0) ReadKeptBlock(j, j.number);
        })) {
        return false;
    }
    file.swap(job->file);
    if (job->ok) KeepBlock(file, count, position, *job);
    return job->ok;
}

std::unique_ptr<platform::DirSearch> ThreadedBlockingCalls::StartListing(const std::string& dir,
                                                                         std::string_view pattern,
                                                                         uint32_t mask) {
    Job* job = Begin();
    if (!job) return EmptySearch();
    job->path = dir;
    job->pattern = pattern;
    job->mask = mask;
    if (!Carry([](Job& j) {
            j.started = std::make_unique<platform::DirSearch>(j.path, j.pattern, j.mask);
        })) {
        return EmptySearch();
    }
    // Entries left of a listing given up may belong to an earlier one in the same place.
    std::erase_if(m_listed, [&](const Listed& l) { return l.from == job->started.get(); });
    return std::move(job->started);
}

bool ThreadedBlockingCalls::NextEntry(platform::DirSearch& search, platform::DirEntry& entry) {
    auto listed = std::find_if(m_listed.begin(), m_listed.end(),
                               [&](const Listed& l) { return l.from == &search; });
    // The entries fetched with an earlier one first.
    if (listed != m_listed.end() && (listed->next < listed->entries.size() || listed->ended)) {
        m_abandoned = false;
        return TakeListed(listed, entry);
    }
    Job* job = Begin();
    if (!job) return false;
    if (!job->listing) job->listing = EmptySearch();
    job->listing->swap(search);
    if (!Carry([](Job& j) {
            j.entries.clear();
            j.ok = true;
            while (j.ok && j.entries.size() < kListedTogether) {
                j.ok = j.listing->next(j.entry);
                if (j.ok) j.entries.push_back(std::move(j.entry));
            }
        })) {
        return false;
    }
    search.swap(*job->listing);
    if (listed == m_listed.end()) {
        listed = m_listed.insert(listed, Listed{});
        listed->from = &search;
    }
    listed->entries.swap(job->entries);
    listed->next = 0;
    listed->ended = !job->ok;
    return TakeListed(listed, entry);
}

// The next entry fetched for a listing; false at its end, which forgets the listing.
bool ThreadedBlockingCalls::TakeListed(std::vector<Listed>::iterator listed,
                                       platform::DirEntry& entry) {
    if (listed->next == listed->entries.size()) {
        m_listed.erase(listed);
        return false;
    }
    entry = std::move(listed->entries[listed->next++]);
    return true;
}

int64_t ThreadedBlockingCalls::ListedSize(const std::string& path) {
    Job* job = Begin();
    if (!job) return -1;
    job->path = path;
    if (!Carry([](Job& j) { j.number = platform::ListedFileSize(j.path); })) return -1;
    return job->number;
}

void ThreadedBlockingCalls::ListedSizes(const std::string& dir,
                                        const std::vector<std::string>& paths,
                                        std::vector<int64_t>& sizes) {
    sizes.assign(paths.size(), -1);
    Job* job = Begin();
    if (!job) return;
    job->path = dir;
    job->paths = paths;
    if (!Carry([](Job& j) { platform::ListedFileSizes(j.path, j.paths, j.sizes); })) return;
    sizes.swap(job->sizes);
}

bool ThreadedBlockingCalls::ListFilesWithSizes(const std::string& dir, size_t limit,
                                               std::vector<std::string>& paths,
                                               std::vector<int64_t>& sizes,
                                               platform::ListingOutcome& outcome) {
    paths.clear();
    sizes.clear();
    outcome = {};
    Job* job = Begin();
    if (!job) return false;
    job->path = dir;
    job->number = static_cast<int64_t>(std::min<size_t>(limit, INT64_MAX));
    if (!Carry([](Job& j) {
            j.ok = platform::ListFilesWithSizes(j.path, static_cast<size_t>(j.number), j.paths,
                                                j.sizes, j.filesListed);
        })) {
        return false;
    }
    paths.swap(job->paths);
    sizes.swap(job->sizes);
    outcome = job->filesListed;
    return job->ok;
}

bool ThreadedBlockingCalls::NothingMounted(const std::string& path) {
    Job* job = Begin();
    if (!job) return false;
    job->path = path;
    if (!Carry([](Job& j) { j.ok = platform::NothingMountedWhereExpected(j.path); })) return false;
    return job->ok;
}

bool ThreadedBlockingCalls::LastWriteTime(const std::string& path, int64_t& nanoseconds) {
    Job* job = Begin();
    if (!job) return false;
    job->path = path;
    if (!Carry([](Job& j) { j.ok = platform::GetLastWriteTime(j.path, j.number); })) return false;
    nanoseconds = job->number;
    return job->ok;
}

bool ThreadedBlockingCalls::ReadSmallFile(const std::string& path, int64_t largest,
                                          std::string& content) {
    Job* job = Begin();
    if (!job) return false;
    job->path = path;
    job->number = largest;
    job->text.clear();
    if (!Carry([](Job& j) {
            const int64_t size = platform::ListedFileSize(j.path);
            j.ok = size >= 0 && size <= j.number && platform::ReadWholeFile(j.path, j.text);
        })) {
        return false;
    }
    content.swap(job->text);
    return job->ok;
}

bool ThreadedBlockingCalls::DirectoryIdentity(const std::string& path, platform::FileIdentity& id) {
    Job* job = Begin();
    if (!job) return false;
    job->path = path;
    if (!Carry([](Job& j) { j.ok = platform::GetFileIdentity(j.path, j.identity); })) {
        return false;
    }
    id = job->identity;
    return job->ok;
}

void ThreadedBlockingCalls::DirectoryIdentities(
    const std::string& dir, const std::vector<std::string>& names,
    std::vector<std::optional<platform::FileIdentity>>& ids) {
    ids.assign(names.size(), std::nullopt);
    Job* job = Begin();
    if (!job) return;
    job->path = dir;
    job->paths = names;
    if (!Carry([](Job& j) { platform::GetDirectoryIdentities(j.path, j.paths, j.identities); })) {
        return;
    }
    ids.swap(job->identities);
}

platform::VolumeIdentity ThreadedBlockingCalls::QueryVolume(const std::string& path) {
    Job* job = Begin();
    if (!job) return {};
    job->path = path;
    if (!Carry([](Job& j) { j.volume = platform::QueryVolume(j.path); })) return {};
    return job->volume;
}

void ThreadedBlockingCalls::EjectVolume(const std::string& path) {
    // The user asked for the medium back: that is tried even after a stop.
    Job* job = Begin(true);
    if (!job) return;
    job->path = path;
    Carry([](Job& j) { platform::EjectVolume(j.path); });
}

}  // namespace vorlaxis
