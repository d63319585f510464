// The helper thread and the calls given up on it. Serve() runs on the helper thread and blocks
// on nothing but the platform call it carries out and its wait for the next job. Everything
// else here runs on the run's thread: a call waits for its answer by spinning briefly, then in
// the host's pump (WaitForResult), so the window lives while a drive retries. A stop gives the
// waiting call up after kStopGrace: its Worker moves to the stuck ones (it frees its own state
// once the platform lets go), and the next call gets a fresh helper thread, unless the stop
// still lasts, when nothing more is asked of that medium.
#include <system_error>

#include "engine/ThreadedJob.h"

namespace vorlaxis {

namespace {

// How often the window is pumped while a call waits.
constexpr std::chrono::milliseconds kPumpInterval{5};
// A stop lets a call that is merely slow finish; only one still waiting after this is given up.
constexpr std::chrono::milliseconds kStopGrace{250};
// From then on the "Soubor:" line tells that the drive is being waited for.
constexpr std::chrono::seconds kWaitNoteAfter{2};
// A closing program waits no longer than this for helper threads still inside a call.
constexpr std::chrono::milliseconds kExitPatience{500};

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

}  // namespace vorlaxis
