// The reads of a test: opens, reads and moves in a file, each carried out on the helper thread
// and waited for in the pump on the run's thread. An open or a move reads its first block in
// the same hand-over and keeps it for the ReadBlock() that follows; a whole block read starts
// the ring of blocks read ahead (ThreadedBlockRing.cpp). A stop gives a waiting call up after
// the grace (ThreadedHelper.cpp): the call returns false or -1 and Abandoned() says why.
#include "engine/ThreadedBlockingCalls.h"

#include <cstring>
#include <limits>

#include "engine/ThreadedJob.h"

namespace vorlaxis {

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

}  // namespace

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

}  // namespace vorlaxis
