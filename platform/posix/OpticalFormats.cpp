// Disc file systems: ISO 9660 (with the Joliet descriptor Windows prefers) and UDF.
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/posix/VolumeFormats.h"

namespace vorlaxis::platform::formats {

namespace {

constexpr uint64_t kDiscSector = 2048;
constexpr uint64_t kFirstDescriptor = 16;
constexpr int kMaxDescriptors = 64;  // a real sequence has a handful; garbage must end quickly

using Sector = std::array<uint8_t, kDiscSector>;

bool ReadSector(const ReadAt& read, uint64_t offset, Sector& sector) {
    return read(offset, sector.data(), sector.size());
}

bool IsJoliet(const Sector& d) {
    return d[88] == '%' && d[89] == '/' && (d[90] == '@' || d[90] == 'C' || d[90] == 'E');
}

// ---- UDF ------------------------------------------------------------------------------------

enum UdfTag : uint16_t {
    kPrimaryVolume = 1,
    kAnchor = 2,
    kPartition = 5,
    kTerminating = 8,
    kFileSet = 256,
};

// A descriptor tag: its id, and the checksum over its 16 bytes (byte 4 excluded).
bool TagIs(const uint8_t* tag, uint16_t id) {
    uint8_t sum = 0;
    for (int i = 0; i < 16; ++i) {
        if (i != 4) sum = static_cast<uint8_t>(sum + tag[i]);
    }
    return Le16(tag) == id && sum == tag[4];
}

bool HasBeginningExtendedArea(const ReadAt& read) {
    for (uint64_t k = kFirstDescriptor; k < 32; ++k) {
        uint8_t head[6];
        if (read(k * kDiscSector, head, sizeof head) && std::memcmp(head + 1, "BEA01", 5) == 0) {
            return true;
        }
    }
    return false;
}

// A d-string: compression id first, used length in the last byte.
std::string DString(const uint8_t* field, size_t size) {
    const size_t used = std::min<size_t>(field[size - 1], size - 1);
    if (used < 1) return {};
    const uint8_t comp = field[0];
    std::string text;
    if (comp == 8 || comp == 254) {
        text = Latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(field + 1), used - 1));
    } else if (comp == 16 || comp == 255) {
        text = Utf16ToUtf8(field + 1, (used - 1) / 2, true);
    }
    return CutAtNul(text);
}

struct UdfVolume {
    uint64_t blockSize = 0;
    uint32_t partitionStart = 0;
    uint32_t partitionLength = 0;
    bool havePartition = false;
    bool havePrimary = false;
    std::string label;
};

// The anchor at block 256, for the block sizes of discs and of disks.
bool FindAnchor(const ReadAt& read, UdfVolume& volume, uint32_t& vdsStart, uint32_t& vdsBlocks) {
    for (uint64_t blockSize : {2048u, 512u, 4096u}) {
        uint8_t avdp[32];
        if (!read(256 * blockSize, avdp, sizeof avdp)) continue;
        if (!TagIs(avdp, kAnchor) || Le32(avdp + 12) != 256) continue;
        volume.blockSize = blockSize;
        vdsBlocks = Le32(avdp + 16) / static_cast<uint32_t>(blockSize);
        vdsStart = Le32(avdp + 20);
        return true;
    }
    return false;
}

bool ReadVolumeDescriptors(const ReadAt& read, UdfVolume& volume) {
    uint32_t start = 0;
    uint32_t blocks = 0;
    if (!FindAnchor(read, volume, start, blocks)) return false;
    for (uint32_t i = 0; i < std::min<uint32_t>(blocks, kMaxDescriptors); ++i) {
        uint8_t d[512];
        if (!read((uint64_t{start} + i) * volume.blockSize, d, sizeof d)) return false;
        if (TagIs(d, kTerminating)) break;
        if (TagIs(d, kPrimaryVolume) && !volume.havePrimary) {
            volume.havePrimary = true;
            volume.label = DString(d + 24, 32);
        } else if (TagIs(d, kPartition) && !volume.havePartition) {
            volume.havePartition = true;
            volume.partitionStart = Le32(d + 188);
            volume.partitionLength = Le32(d + 192);
        }
    }
    return volume.havePrimary && volume.havePartition;
}

// ---- ISO 9660 -------------------------------------------------------------------------------

uint32_t SerialHighFirst(const Sector& d) {
    const DescriptorSums sums = SumDescriptor(d.data());
    return (uint32_t{sums.s[0]} << 24) | (uint32_t{sums.s[1]} << 16) | (uint32_t{sums.s[2]} << 8) |
           sums.s[3];
}

uint32_t SerialLowFirst(const Sector& d) {
    const DescriptorSums sums = SumDescriptor(d.data());
    return (uint32_t{sums.s[3]} << 24) | (uint32_t{sums.s[2]} << 16) | (uint32_t{sums.s[1]} << 8) |
           sums.s[0];
}

}  // namespace

std::optional<VolumeIdentity> ParseUdf(const ReadAt& read) {
    UdfVolume volume;
    if (!HasBeginningExtendedArea(read) || !ReadVolumeDescriptors(read, volume)) {
        return std::nullopt;
    }
    // The File Set Descriptor: the first block of the partition that carries its tag.
    const uint32_t limit = std::min<uint32_t>(volume.partitionLength, 256);
    for (uint32_t i = 0; i < limit; ++i) {
        Sector fsd;
        const uint64_t block = uint64_t{volume.partitionStart} + i;
        if (!ReadSector(read, block * volume.blockSize, fsd)) break;
        if (!TagIs(fsd.data(), kFileSet)) continue;
        VolumeIdentity id;
        id.label = volume.label;
        id.serial = SerialLowFirst(fsd);
        id.known = true;
        return id;
    }
    return std::nullopt;
}

std::optional<VolumeIdentity> ParseIso9660(const ReadAt& read, uint64_t sessionStart) {
    Sector primary;
    Sector joliet;
    bool havePrimary = false;
    bool haveJoliet = false;
    for (uint64_t k = kFirstDescriptor; k < kFirstDescriptor + kMaxDescriptors; ++k) {
        Sector d;
        if (!ReadSector(read, sessionStart + k * kDiscSector, d) ||
            std::memcmp(&d[1], "CD001", 5) != 0) {
            break;
        }
        if (d[0] == 255) break;  // set terminator
        if (d[0] == 1 && !havePrimary) {
            primary = d;
            havePrimary = true;
        } else if (d[0] == 2 && IsJoliet(d) && !haveJoliet) {
            joliet = d;
            haveJoliet = true;
        }
    }
    if (!havePrimary && !haveJoliet) return std::nullopt;
    const Sector& preferred = haveJoliet ? joliet : primary;
    VolumeIdentity id;
    id.serial = SerialHighFirst(preferred);
    id.label =
        haveJoliet
            ? Utf16ToUtf8(&preferred[40], 16, true)
            : Latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(&preferred[40]), 32));
    id.label = TrimLabel(id.label);
    id.known = true;
    return id;
}

std::optional<VolumeIdentity> ParseOptical(const ReadAt& read, uint64_t sessionStart) {
    if (auto udf = ParseUdf(read)) return udf;
    return ParseIso9660(read, sessionStart);
}

}  // namespace vorlaxis::platform::formats
