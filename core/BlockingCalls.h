// Every call of a test that may wait on the medium goes through this class: opening, reading and
// positioning a file, listing a directory, the size query, the volume query and the eject. It
// calls the platform on the calling thread; a subclass may carry the calls out on a helper
// thread while the window keeps pumping. The run itself stays single-threaded.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Files.h"
#include "platform/Volume.h"

namespace vorlaxis {

class BlockingCalls {
  public:
    virtual ~BlockingCalls() = default;

    // Files (platform::InputFile contracts).
    virtual bool Open(platform::InputFile& file, const std::string& path);
    // Opens like Open() a file whose first `count` bytes are read next. The calls may read them
    // together with the open: the next ReadBlock() of `count` bytes of this file then hands them
    // over at once. The medium sees the same requests in the same order either way. With an
    // `every` larger than `count`, the file is read a block of `count` bytes every `every` bytes,
    // and the calls may ask the medium for the first few of those blocks at once.
    virtual bool OpenToRead(platform::InputFile& file, const std::string& path, int64_t count,
                            int64_t every);
    virtual int64_t Read(platform::InputFile& file, void* buffer, int64_t count);
    // Reads like Read(); `*data` then points at the bytes: in `buffer`, or where the calls
    // already hold them (valid until the next call). Spares the reader a copy of each block.
    // `byteSum` is the bytes' sum modulo 65536 where the calls took it while the bytes were
    // fresh in the reading core's cache, else -1 (the reader sums them itself). A reader that
    // wants only the sum passes no `data`: the bytes are then in `buffer` when byteSum is -1,
    // and nowhere to be had otherwise (the calls may read every block into one place that
    // stays in the reading core's cache).
    virtual int64_t ReadBlock(platform::InputFile& file, unsigned char* buffer, int64_t count,
                              const unsigned char** data, int32_t& byteSum);
    virtual int64_t Position(platform::InputFile& file);
    virtual bool Seek(platform::InputFile& file, int64_t position);
    // Seeks like Seek() where the next `count` bytes are read next. The calls may read them
    // together with the move: the next ReadBlock() of `count` bytes of this file then hands
    // them over at once, any other call finds the file as just moved. The medium sees the same
    // requests in the same order either way.
    virtual bool SeekToRead(platform::InputFile& file, int64_t position, int64_t count);
    // Opens a file that the run opens soon and asks the medium for its first `count` bytes
    // without waiting for them, so that a quick medium works on several small files at once:
    // their reads are asked for earlier, in the same order (with `every`, as OpenToRead() would
    // ask). Open() or OpenToRead() of the same path takes that handle. CloseOpenedAhead() closes
    // those not taken. The calls may do nothing here (the plain ones do).
    virtual void OpenAhead(const std::string& /*path*/, int64_t /*count*/, int64_t /*every*/) {}
    virtual void CloseOpenedAhead() {}
    // The calls may also read small files opened ahead, in the open of an earlier file. For the
    // last Open() or OpenToRead(): the seconds spent reading this file ahead, less those this
    // open spent on files ahead. Added to the time the run measured around the open and reads,
    // each file keeps its own time (a slow one among them is still the one found slow).
    virtual double SecondsReadAhead() const { return 0.0; }

    // Directory listing (platform::DirSearch contracts); null never returned.
    virtual std::unique_ptr<platform::DirSearch> StartListing(const std::string& dir,
                                                              std::string_view pattern,
                                                              uint32_t mask);
    virtual bool NextEntry(platform::DirSearch& search, platform::DirEntry& entry);

    // The size the listing reports (-1 missing or a directory), and the identity of the
    // directory a path leads to (false when it cannot be examined).
    virtual int64_t ListedSize(const std::string& path);
    // ListedSize() of each of `paths`, all in `dir`, into `sizes`.
    virtual void ListedSizes(const std::string& dir, const std::vector<std::string>& paths,
                             std::vector<int64_t>& sizes);
    // The files of `dir` and their sizes for the file table, as one call
    // (platform::ListFilesWithSizes contract).
    virtual bool ListFilesWithSizes(const std::string& dir, size_t limit,
                                    std::vector<std::string>& paths, std::vector<int64_t>& sizes,
                                    platform::ListingOutcome& outcome);
    virtual bool DirectoryIdentity(const std::string& path, platform::FileIdentity& id);
    // DirectoryIdentity() of the subdirectories `names` of `dir`, as one call.
    virtual void DirectoryIdentities(const std::string& dir, const std::vector<std::string>& names,
                                     std::vector<std::optional<platform::FileIdentity>>& ids);
    // The last-write time in nanoseconds since 1970 (false when it cannot be had).
    virtual bool LastWriteTime(const std::string& path, int64_t& nanoseconds);
    // A whole file of at most `largest` bytes (false when larger, missing or unreadable).
    virtual bool ReadSmallFile(const std::string& path, int64_t largest, std::string& content);

    // The medium.
    virtual platform::VolumeIdentity QueryVolume(const std::string& path);
    virtual void EjectVolume(const std::string& path);
    // platform::NothingMountedWhereExpected().
    virtual bool NothingMounted(const std::string& path);

    // True when the last call was given up because a stop was requested while it waited on
    // the medium; its result is then empty (false, -1, no entry) and means nothing.
    virtual bool Abandoned() const { return false; }
};

// The calls made directly, on the calling thread.
using DirectBlockingCalls = BlockingCalls;

// One shared instance for callers that do not bring their own.
BlockingCalls& DefaultBlockingCalls();

}  // namespace vorlaxis
