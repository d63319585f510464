// The identity of a block device (or an image file): read from the device itself, or, where it
// cannot be read, taken from what the system recorded about it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlaxis::platform::probe {

// A label and, when it could be learnt, the serial Windows would report.
struct ProbedVolume {
    std::string type;  // the file system type as libblkid names it, when known
    std::string label;
    std::optional<uint32_t> serial;
};

// Reads the device or image `node` (opened read-only, never blocking on an empty drive):
// libblkid tells the type, label and UUID; the Windows family is read by the own parsers,
// whose values are what Windows shows. Nothing when the node cannot be opened or is unknown.
// `mountedType` (the mount table's type) decides when old signatures make the device ambiguous.
std::optional<ProbedVolume> ProbeDevice(const std::string& node,
                                        const std::string& mountedType = {});

// The serial Windows reports, from libblkid's UUID text of a file system of `type`: FAT and
// exFAT "XXXX-XXXX" and the first 32 bits of other UUIDs (the first eight hex digits, read as
// one big-endian number); NTFS the low half of its 64-bit serial. Nothing for the disc formats,
// whose UUID is not what Windows shows, and for texts without eight hex digits.
std::optional<uint32_t> SerialFromUuid(std::string_view type, std::string_view uuid);

// What the system recorded about the device without reading it: udev's database under
// `udevData`, then libblkid's cache (the default one unless `blkidCache` names a file), then the
// links of `diskLinks` ("by-label", "by-uuid"). Nothing when none of them knows the device.
std::optional<ProbedVolume> RecordedVolume(const std::string& node, dev_t device,
                                           const char* blkidCache = nullptr,
                                           const std::string& udevData = "/run/udev/data",
                                           const std::string& diskLinks = "/dev/disk");

// A udev database record ("E:ID_FS_LABEL_ENC=My\x20Disk" lines).
ProbedVolume ParseUdevRecord(std::string_view text);

// Decodes the "\xHH" escapes of udev's encoded names.
std::string DecodeUdevText(std::string_view text);

}  // namespace vorlaxis::platform::probe
