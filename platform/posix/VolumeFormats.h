// The on-disk structures from which Windows takes a volume's label and serial number. Every
// parser reads through a callback, so it works the same on a device, an image file or a buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Volume.h"

namespace vorlaxis::platform::formats {

// Reads `length` bytes at `offset` into `buffer`; true only when all of them were read.
using ReadAt = std::function<bool(uint64_t offset, uint8_t* buffer, size_t length)>;

// A reader over bytes in memory (tests, and parsers working on a sector already read).
ReadAt MemoryReader(std::string_view bytes);

// The four byte-wise sums over a 2048-byte descriptor: s[j] adds byte i+j for i = 0, 4, ...,
// 2044, modulo 256.
struct DescriptorSums {
    uint8_t s[4] = {0, 0, 0, 0};
};
DescriptorSums SumDescriptor(const uint8_t* descriptor);

// Each parser gives the label (UTF-8) and serial when the bytes carry its file system, else
// nothing. They never read beyond what the structures point to and accept any garbage.
std::optional<VolumeIdentity> ParseUdf(const ReadAt& read);
// `sessionStart`: the byte offset of a multisession disc's last session, whose descriptors are
// the ones Windows (and the kernel) read.
std::optional<VolumeIdentity> ParseIso9660(const ReadAt& read, uint64_t sessionStart = 0);
// A disc: UDF first (a bridge disc carries both and Windows mounts the UDF side), then ISO 9660.
std::optional<VolumeIdentity> ParseOptical(const ReadAt& read, uint64_t sessionStart = 0);
std::optional<VolumeIdentity> ParseFat(const ReadAt& read);
std::optional<VolumeIdentity> ParseExfat(const ReadAt& read);
std::optional<VolumeIdentity> ParseNtfs(const ReadAt& read);

// The Windows-family file systems in the order that tells them apart safely.
std::optional<VolumeIdentity> ParseAnyWindowsFormat(const ReadAt& read);

// Text helpers shared by the parsers.
std::string Utf16ToUtf8(const uint8_t* data, size_t units, bool bigEndian);
std::string Latin1ToUtf8(std::string_view bytes);
// The DOS code page of short names and FAT labels (852, the Central European one).
std::string OemToUtf8(std::string_view bytes);
// Cuts at the first NUL: Windows hands a label over as a NUL-terminated text.
std::string CutAtNul(std::string text);
// Cuts at the first NUL and removes trailing blanks.
std::string TrimLabel(std::string text);

// Little- and big-endian fields.
inline uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Le64(const uint8_t* p) {
    return static_cast<uint64_t>(Le32(p)) | (static_cast<uint64_t>(Le32(p + 4)) << 32);
}

}  // namespace vorlaxis::platform::formats
