// Every call of a test that may wait on the medium goes through this interface: opening,
// reading and positioning a file, listing a directory, the size query, the volume query and the
// eject. The default calls the platform directly; another implementation may carry the calls
// out on a helper thread while the window keeps pumping. The run's steps stay single-threaded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Files.h"
#include "platform/Volume.h"

namespace vorlaxis {

class BlockingCalls {
  public:
    virtual ~BlockingCalls() = default;

    // Files (platform::InputFile contracts).
    virtual bool Open(platform::InputFile& file, const std::string& path) = 0;
    virtual int64_t Read(platform::InputFile& file, void* buffer, int64_t count) = 0;
    virtual int64_t Position(platform::InputFile& file) = 0;
    virtual bool Seek(platform::InputFile& file, int64_t position) = 0;

    // Directory listing (platform::DirSearch contracts); null never returned.
    virtual std::unique_ptr<platform::DirSearch> StartListing(const std::string& dir,
                                                              std::string_view pattern,
                                                              uint32_t mask) = 0;
    virtual bool NextEntry(platform::DirSearch& search, platform::DirEntry& entry) = 0;

    // The size the listing reports (-1 missing or a directory), and the identity of the
    // directory a path leads to (false when it cannot be examined).
    virtual int64_t ListedSize(const std::string& path) = 0;
    virtual bool DirectoryIdentity(const std::string& path, platform::FileIdentity& id) = 0;

    // The medium.
    virtual platform::VolumeIdentity QueryVolume(const std::string& path) = 0;
    virtual void EjectVolume(const std::string& path) = 0;

    // True when the last call was given up because a stop was requested while it waited on
    // the medium; its result is then empty (false, -1, no entry) and means nothing.
    virtual bool Abandoned() const { return false; }
};

// Calls the platform on the calling thread.
class DirectBlockingCalls : public BlockingCalls {
  public:
    bool Open(platform::InputFile& file, const std::string& path) override;
    int64_t Read(platform::InputFile& file, void* buffer, int64_t count) override;
    int64_t Position(platform::InputFile& file) override;
    bool Seek(platform::InputFile& file, int64_t position) override;
    std::unique_ptr<platform::DirSearch> StartListing(const std::string& dir,
                                                      std::string_view pattern,
                                                      uint32_t mask) override;
    bool NextEntry(platform::DirSearch& search, platform::DirEntry& entry) override;
    int64_t ListedSize(const std::string& path) override;
    bool DirectoryIdentity(const std::string& path, platform::FileIdentity& id) override;
    platform::VolumeIdentity QueryVolume(const std::string& path) override;
    void EjectVolume(const std::string& path) override;
};

// One shared instance for callers that do not bring their own.
BlockingCalls& DefaultBlockingCalls();

}  // namespace vorlaxis
