// Files opened ahead of the run. OpenAhead() and CloseOpenedAhead() only note the wish on the
// run's thread; the helper opens the files with the run's next open, in the same hand-over,
// and reads the first block of those smaller than a block, blocking on the medium meanwhile.
// The run takes a file read ahead between calls, while the helper is idle, so nothing here
// waits for the helper. A stop does nothing of its own here: the run names no more files, and
// those opened ahead are let go by CloseOpenedAhead() or when their helper thread ends.
#include "engine/ThreadedJob.h"

namespace vorlaxis {

namespace {

// Blocks asked for with a file opened ahead, when every n-th block is read: the first two, so
// that neither waits for the other; the first move asks for the rest at the medium's pace.
// More would leave a drive that is only just quick enough busy for long after a stop.
constexpr int64_t kAheadFileBlocks = 2;

}  // namespace

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

}  // namespace vorlaxis
