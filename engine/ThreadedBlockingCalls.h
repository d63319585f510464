// The blocking calls of a test carried out on a helper thread, so that the window keeps living
// while a drive retries a bad sector for half a minute. The calling thread waits for each
// result inside the host's pump; the test's own steps stay on the calling thread, in order.
//
// A stop requested while a call waits gives the call up after a short grace: Abandoned() then
// says so and the call's result is empty (false, -1, an empty listing). The helper thread keeps
// the call's descriptor, listing and buffer and frees them once the platform lets go; a new
// helper thread serves the next calls meanwhile.
//
// Once a file is being read block after block, the helper reads the next block of the same
// size while the run sums the last one (where the platform lets a second handle read at a
// position). The medium sees the same reads in the same order; a read that the run then asks
// for takes that block's result, anything else waits for it and lets it go. ReadBlock() hands
// such a block over in its slot, without a copy, and with its byte sum: the helper sums each
// block straight after reading it, while it is in that core's cache, so that the run touches
// the bytes only when it must hash them.
//
// Files opened ahead (OpenAhead) that are smaller than a block are also read ahead, in the call
// that opens them: the run then takes each, open and read, without a wait for the helper of its
// own, so a row of small files on a quick medium costs one hand-over, not one a file.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/BlockingCalls.h"
#include "core/TestHost.h"
#include "engine/TestStatistics.h"
#include "engine/ThreadedPacing.h"

namespace vorlaxis {

class ThreadedBlockingCalls final : public BlockingCalls {
  public:
    // The host pumps while a call waits; StopRequested of `statistics` gives a waiting call up;
    // Label9 of `display` tells of a call that waits long.
    ThreadedBlockingCalls(TestHost& host, TestStatistics& statistics, MainDisplay& display);
    // Waits at most half a second for helper threads still inside a call, then leaves them.
    ~ThreadedBlockingCalls() override;
    ThreadedBlockingCalls(const ThreadedBlockingCalls&) = delete;
    ThreadedBlockingCalls& operator=(const ThreadedBlockingCalls&) = delete;

    bool Open(platform::InputFile& file, const std::string& path) override;
    bool OpenToRead(platform::InputFile& file, const std::string& path, int64_t count,
                    int64_t every) override;
    int64_t Read(platform::InputFile& file, void* buffer, int64_t count) override;
    int64_t ReadBlock(platform::InputFile& file, unsigned char* buffer, int64_t count,
                      const unsigned char** data, int32_t& byteSum) override;
    int64_t Position(platform::InputFile& file) override;
    bool Seek(platform::InputFile& file, int64_t position) override;
    bool SeekToRead(platform::InputFile& file, int64_t position, int64_t count) override;
    void OpenAhead(const std::string& path, int64_t count, int64_t every) override;
    void CloseOpenedAhead() override;
    double SecondsReadAhead() const override { return m_secondsReadAhead; }
    std::unique_ptr<platform::DirSearch> StartListing(const std::string& dir,
                                                      std::string_view pattern,
                                                      uint32_t mask) override;
    bool NextEntry(platform::DirSearch& search, platform::DirEntry& entry) override;
    int64_t ListedSize(const std::string& path) override;
    void ListedSizes(const std::string& dir, const std::vector<std::string>& paths,
                     std::vector<int64_t>& sizes) override;
    bool ListFilesWithSizes(const std::string& dir, size_t limit, std::vector<std::string>& paths,
                            std::vector<int64_t>& sizes,
                            platform::ListingOutcome& outcome) override;
    bool DirectoryIdentity(const std::string& path, platform::FileIdentity& id) override;
    bool NothingMounted(const std::string& path) override;
    void DirectoryIdentities(const std::string& dir, const std::vector<std::string>& names,
                             std::vector<std::optional<platform::FileIdentity>>& ids) override;
    bool LastWriteTime(const std::string& path, int64_t& nanoseconds) override;
    bool ReadSmallFile(const std::string& path, int64_t largest, std::string& content) override;
    platform::VolumeIdentity QueryVolume(const std::string& path) override;
    void EjectVolume(const std::string& path) override;
    bool Abandoned() const override { return m_abandoned; }

    // Helper threads given up and still inside their call.
    size_t StuckHelpers();

    struct Job;  // the inputs and outputs of a call (public for the helper's functions)

  private:
    struct Helper;
    struct Worker;
    // A file to open ahead with the next open: what OpenAhead() was told.
    struct ToOpenAhead {
        std::string path;
        int64_t count = 0;
        int64_t every = 0;
    };
    // Entries of a listing fetched together: the entries not yet given out, and whether the
    // listing ended after them. One per listing under way (the walk has one at a time).
    struct Listed {
        const platform::DirSearch* from = nullptr;
        std::vector<platform::DirEntry> entries;
        size_t next = 0;
        bool ended = false;
    };

    // The helper thread and the calls given up on it (ThreadedHelper.cpp).
    static void Serve(std::shared_ptr<Helper> helper);
    Job* Begin(bool evenWhenStopping = false);
    bool Carry(void (*work)(Job&));
    static void Start(Helper& helper, void (*work)(Job&));
    bool Await(Helper& helper, bool slot);
    static bool Ready(Helper& helper, bool slot);
    bool WaitForResult(Helper& helper, bool slot);
    void Reap();
    // The ring of blocks read ahead (ThreadedBlockRing.cpp), the pacing of the run's waits for
    // them (ThreadedPacing.cpp) and the run's own reads beside the helper from a file in memory
    // (ThreadedMemoryReader.cpp).
    void ReadAhead(platform::InputFile& file, int64_t count, bool keepBytes);
    bool TakeBlockReadAhead(platform::InputFile& file, int64_t count, int64_t& got,
                            const unsigned char** data, int32_t& byteSum);
    void ReleaseBlock();
    static void WakeHelper(Helper& helper);
    bool SettleReadAhead();
    bool Resume(const platform::InputFile& file);
    bool WaitForBlocks(Helper& helper);
    bool SleepForBlocks(Helper& helper);
    bool ReadBlocksInMemory(Helper& helper);
    // Files opened ahead (ThreadedOpenAhead.cpp).
    bool TakeReadAhead(Job& job, platform::InputFile& file, const std::string& path, int64_t count,
                       int64_t every);
    // Opens, reads and moves (ThreadedBlockingCalls.cpp).
    bool OpenReading(platform::InputFile& file, const std::string& path, int64_t count,
                     int64_t every);
    static void PrepareBlock(Job& job, int64_t count);
    void KeepBlock(const platform::InputFile& file, int64_t count, int64_t at, const Job& job);
    bool TakeKeptBlock(platform::InputFile& file, int64_t count, int64_t& got,
                       const unsigned char** data, int32_t& byteSum);
    // The walk's calls (ThreadedWalkCalls.cpp).
    bool TakeListed(std::vector<Listed>::iterator listed, platform::DirEntry& entry);

    TestHost& m_host;
    TestStatistics& m_statistics;
    MainDisplay& m_display;
    // The helper thread.
    std::unique_ptr<Worker> m_current;             // serves the next call
    std::vector<std::unique_ptr<Worker>> m_stuck;  // each still inside a call given up
    bool m_abandoned = false;
    // How long the helper's recent calls took to answer (whether waiting for one spins).
    std::chrono::microseconds m_usualAnswer{};
    // The ring: the block being read ahead, for this file of the run at this position.
    platform::InputFile* m_aheadFile = nullptr;
    int64_t m_aheadAt = 0;
    // The run is summing the oldest block read ahead in its slot: the helper leaves it alone.
    bool m_holding = false;
    BlockPacing m_pacing;
    // A block the run read itself from memory, while the helper read another.
    std::vector<unsigned char> m_ownBlock;
    // The file whose last call was a whole-block read (only then is the next block read ahead:
    // the block modes move on after every read).
    const platform::InputFile* m_lastReadFile = nullptr;
    // The block read with the open of a file or a move in it, still in the job's buffer: the
    // file, the bytes asked for, where and the result. The file's position was left before the
    // block, so any other call may simply forget it.
    const platform::InputFile* m_keptFile = nullptr;
    int64_t m_keptCount = 0;
    int64_t m_keptAt = 0;  // where the block starts
    int64_t m_keptGot = 0;
    int32_t m_keptSum = -1;
    // Files opened ahead.
    std::vector<ToOpenAhead> m_toOpenAhead;
    double m_secondsReadAhead = 0.0;  // see SecondsReadAhead()
    // The walk's listings under way.
    std::vector<Listed> m_listed;
};

}  // namespace vorlaxis
