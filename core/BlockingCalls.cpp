#include "core/BlockingCalls.h"

namespace vorlaxis {

bool BlockingCalls::Open(platform::InputFile& file, const std::string& path) {
    return file.open(path);
}

bool BlockingCalls::OpenToRead(platform::InputFile& file, const std::string& path,
                               int64_t /*count*/, int64_t /*every*/) {
    return Open(file, path);
}

int64_t BlockingCalls::Read(platform::InputFile& file, void* buffer, int64_t count) {
    return file.read(buffer, count);
}

int64_t BlockingCalls::ReadBlock(platform::InputFile& file, unsigned char* buffer, int64_t count,
                                 const unsigned char** data, int32_t& byteSum) {
    if (data != nullptr) *data = buffer;
    byteSum = -1;
    return Read(file, buffer, count);
}

int64_t BlockingCalls::Position(platform::InputFile& file) {
    return file.position();
}

bool BlockingCalls::Seek(platform::InputFile& file, int64_t position) {
    return file.seek(position);
}

bool BlockingCalls::SeekToRead(platform::InputFile& file, int64_t position, int64_t /*count*/) {
    return Seek(file, position);
}

std::unique_ptr<platform::DirSearch> BlockingCalls::StartListing(const std::string& dir,
                                                                 std::string_view pattern,
                                                                 uint32_t mask) {
    return std::make_unique<platform::DirSearch>(dir, pattern, mask);
}

bool BlockingCalls::NextEntry(platform::DirSearch& search, platform::DirEntry& entry) {
    return search.next(entry);
}

int64_t BlockingCalls::ListedSize(const std::string& path) {
    return platform::ListedFileSize(path);
}

void BlockingCalls::ListedSizes(const std::string& dir, const std::vector<std::string>& paths,
                                std::vector<int64_t>& sizes) {
    platform::ListedFileSizes(dir, paths, sizes);
}

bool BlockingCalls::NothingMounted(const std::string& path) {
    return platform::NothingMountedWhereExpected(path);
}

bool BlockingCalls::ListFilesWithSizes(const std::string& dir, size_t limit,
                                       std::vector<std::string>& paths, std::vector<int64_t>& sizes,
                                       platform::ListingOutcome& outcome) {
    return platform::ListFilesWithSizes(dir, limit, paths, sizes, outcome);
}

bool BlockingCalls::LastWriteTime(const std::string& path, int64_t& nanoseconds) {
    return platform::GetLastWriteTime(path, nanoseconds);
}

bool BlockingCalls::ReadSmallFile(const std::string& path, int64_t largest, std::string& content) {
    const int64_t size = platform::ListedFileSize(path);
    return size >= 0 && size <= largest && platform::ReadWholeFile(path, content);
}

bool BlockingCalls::DirectoryIdentity(const std::string& path, platform::FileIdentity& id) {
    return platform::GetFileIdentity(path, id);
}

void BlockingCalls::DirectoryIdentities(const std::string& dir,
                                        const std::vector<std::string>& names,
                                        std::vector<std::optional<platform::FileIdentity>>& ids) {
    platform::GetDirectoryIdentities(dir, names, ids);
}

platform::VolumeIdentity BlockingCalls::QueryVolume(const std::string& path) {
    return platform::QueryVolume(path);
}

void BlockingCalls::EjectVolume(const std::string& path) {
    platform::EjectVolume(path);
}

BlockingCalls& DefaultBlockingCalls() {
    static BlockingCalls calls;
    return calls;
}

}  // namespace vorlaxis
