#include "engine/ThreadedBlockingCalls.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace vorlaxis {

namespace {

using SteadyClock = std::chrono::steady_clock;

// How often the window is pumped while a call waits.
constexpr std::chrono::milliseconds kPumpInterval{5};
// A stop lets a call that is merely slow finish; only one still waiting after this is given up.
constexpr std::chrono::milliseconds kStopGrace{250};
// From then on the "Soubor:" line tells that the drive is being waited for.
constexpr std::chrono::seconds kWaitNoteAfter{2};
// A closing program waits no longer than this for helper threads still inside a call.
constexpr std::chrono::milliseconds kExitPatience{500};

// How long each side spins before it sleeps: longer than a call or a step of the run takes at
// memory speed, short enough to cost nothing worth mentioning while a slow drive is waited for.
constexpr std::chrono::microseconds kSpin{200};

template <typename Ready>
bool SpinUntil(Ready ready) {
    const auto until = SteadyClock::now() + kSpin;
    do {
        if (ready()) return true;
        std::this_thread::yield();
    } while (SteadyClock::now() < until);
    return ready();
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
        if (m_shown && m_display.Label9 == m_text) m_display.Label9 = m_base;
    }
    WaitNote(const WaitNote&) = delete;
    WaitNote& operator=(const WaitNote&) = delete;

    void Show(SteadyClock::duration waited) {
        if (waited < kWaitNoteAfter) return;
        if (!m_shown) m_base = m_display.Label9;
        m_shown = true;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(waited).count();
        m_text = m_base + " (čekám na mechaniku " + std::to_string(seconds) + " s)";
        m_display.Label9 = m_text;
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
    std::vector<unsigned char> buffer;
    std::string path;
    std::string pattern;
    uint32_t mask = 0;
    int64_t number = 0;
    bool ok = false;
    platform::FileIdentity identity;
    platform::VolumeIdentity volume;
    // The next block read ahead through a second handle of the file.
    platform::InputFile ahead;
    std::vector<unsigned char> aheadBuffer;
    int64_t aheadOffset = 0;
    int64_t aheadCount = 0;
    int64_t aheadResult = -1;
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
    Job job;
};

struct ThreadedBlockingCalls::Worker {
    std::shared_ptr<Helper> helper = std::make_shared<Helper>();
    std::thread thread;  // not joinable when none could be started: calls then run directly
};

void ThreadedBlockingCalls::Serve(std::shared_ptr<Helper> h) {
    for (;;) {
        SpinUntil([&] { return h->pending.load(std::memory_order_acquire); });
        {
            std::unique_lock lock(h->mutex);
            h->wake.wait(lock, [&] { return h->pending.load() || h->quit; });
            if (!h->pending.load()) break;
        }
        h->job.work(h->job);
        {
            std::lock_guard lock(h->mutex);
            h->pending.store(false, std::memory_order_release);
            if (h->abandoned) break;
        }
        h->done.notify_one();
    }
    // A call given up leaves its descriptor and listing here: nobody else holds them now.
    std::lock_guard lock(h->mutex);
    h->job.file.close();
    h->job.ahead.close();
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
    {
        std::lock_guard lock(h.mutex);
        h.job.work = work;
        h.pending.store(true, std::memory_order_release);
    }
    h.wake.notify_one();
    return Await(h);
}

// Waits for the job of the current helper; false when a stop gave it up.
bool ThreadedBlockingCalls::Await(Helper& h) {
    if (SpinUntil([&] { return !h.pending.load(std::memory_order_acquire); })) return true;
    if (WaitForResult(h)) return true;
    m_abandoned = true;
    m_stuck.push_back(std::move(m_current));
    return false;
}

// Starts reading the block after this one on the helper thread; nothing happens where the
// platform has no second handle.
void ThreadedBlockingCalls::ReadAhead(platform::InputFile& file, int64_t count) {
    if (!m_current || !m_current->thread.joinable()) return;
    Helper& h = *m_current->helper;
    Job& job = h.job;
    const int64_t at = file.position();
    if (at < 0 || !file.duplicate(job.ahead)) return;
    if (job.aheadBuffer.size() < static_cast<size_t>(count)) {
        job.aheadBuffer.resize(static_cast<size_t>(count));
    }
    job.aheadOffset = at;
    job.aheadCount = count;
    {
        std::lock_guard lock(h.mutex);
        job.work = [](Job& j) {
            j.aheadResult = j.ahead.readAt(j.aheadOffset, j.aheadBuffer.data(), j.aheadCount);
            j.ahead.close();
        };
        h.pending.store(true, std::memory_order_release);
    }
    h.wake.notify_one();
    m_aheadFile = &file;
}

// Waits for the block read ahead; false when a stop gave its read up.
bool ThreadedBlockingCalls::SettleReadAhead() {
    m_aheadFile = nullptr;
    if (!m_current) return true;
    return Await(*m_current->helper);
}

// Pumps every few milliseconds until the result is there; false when a stop gave the call up.
bool ThreadedBlockingCalls::WaitForResult(Helper& h) {
    const auto start = SteadyClock::now();
    auto stopSeen = start;
    bool stopping = false;
    WaitNote note(m_display);
    std::unique_lock lock(h.mutex);
    while (!h.done.wait_for(lock, kPumpInterval, [&] { return !h.pending.load(); })) {
        lock.unlock();
        note.Show(SteadyClock::now() - start);
        m_host.ProcessMessages();
        const auto now = SteadyClock::now();
        if (m_statistics.StopRequested && !stopping) stopSeen = now;
        stopping = m_statistics.StopRequested;
        const bool giveUp = stopping && now - stopSeen >= kStopGrace;
        lock.lock();
        if (giveUp && h.pending.load()) {
            h.abandoned = true;
            return false;
        }
    }
    return true;
}

bool ThreadedBlockingCalls::Open(platform::InputFile& file, const std::string& path) {
    file.close();
    Job* job = Begin();
    if (!job) return false;
    job->path = path;
    if (!Carry([](Job& j) { j.ok = j.file.open(j.path); })) return false;
    file.swap(job->file);
    return job->ok;
}

int64_t ThreadedBlockingCalls::Read(platform::InputFile& file, void* buffer, int64_t count) {
    const bool wholeBlocksBefore = m_lastReadFile == &file;
    if (m_aheadFile == &file && m_current && count == m_current->helper->job.aheadCount &&
        file.position() == m_current->helper->job.aheadOffset) {
        // The block the helper is reading already.
        m_aheadFile = nullptr;
        m_abandoned = false;
        Job& ahead = m_current->helper->job;
        if (!Await(*m_current->helper)) return -1;
        const int64_t got = ahead.aheadResult;
        if (got < 0 || !file.skipRead(got)) return -1;
        if (got > 0) std::memcpy(buffer, ahead.aheadBuffer.data(), static_cast<size_t>(got));
        if (got == count && !m_statistics.StopRequested) ReadAhead(file, count);
        m_lastReadFile = got == count ? &file : nullptr;
        return got;
    }
    Job* job = Begin();
    if (!job) return -1;
    const size_t wanted = count > 0 ? static_cast<size_t>(count) : 0;
    if (job->buffer.size() < wanted) job->buffer.resize(wanted);
    job->number = static_cast<int64_t>(wanted);
    file.swap(job->file);
    if (!Carry([](Job& j) { j.number = j.file.read(j.buffer.data(), j.number); })) return -1;
    file.swap(job->file);
    const int64_t got = job->number;
    if (got > 0) std::memcpy(buffer, job->buffer.data(), static_cast<size_t>(got));
    if (got == count && count > 0) {
        if (wholeBlocksBefore && !m_statistics.StopRequested) ReadAhead(file, count);
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
    return std::move(job->started);
}

bool ThreadedBlockingCalls::NextEntry(platform::DirSearch& search, platform::DirEntry& entry) {
    Job* job = Begin();
    if (!job) return false;
    if (!job->listing) job->listing = EmptySearch();
    job->listing->swap(search);
    if (!Carry([](Job& j) { j.ok = j.listing->next(j.entry); })) return false;
    search.swap(*job->listing);
    if (job->ok) std::swap(entry, job->entry);
    return job->ok;
}

int64_t ThreadedBlockingCalls::ListedSize(const std::string& path) {
    Job* job = Begin();
    if (!job) return -1;
    job->path = path;
    if (!Carry([](Job& j) { j.number = platform::ListedFileSize(j.path); })) return -1;
    return job->number;
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
