// Disk file systems: FAT12/16/32, exFAT and NTFS. The serial is in the boot sector; the label
// is where Windows reads it (the volume-label entry of the root directory, the $Volume record).
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/posix/VolumeFormats.h"

namespace vorlaxis::platform::formats {

namespace {

constexpr size_t kBootSector = 512;
constexpr size_t kChunk = 4096;
constexpr uint64_t kMaxDirectoryBytes = 1 << 20;  // read of a root directory at most
constexpr int kMaxClusters = 256;

using BootSector = std::array<uint8_t, kBootSector>;

bool ReadBoot(const ReadAt& read, BootSector& bs) {
    return read(0, bs.data(), bs.size());
}

bool IsPowerOfTwo(uint64_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

std::string Bytes(const uint8_t* p, size_t n) {
    return std::string(reinterpret_cast<const char*>(p), n);
}

enum class Scan { Found, End, More };
using ScanChunk = std::function<Scan(const uint8_t* data, size_t size)>;

// Reads a contiguous directory region chunk by chunk; More when the directory may go on
// behind it.
Scan ScanRegion(const ReadAt& read, uint64_t offset, uint64_t size, const ScanChunk& scan) {
    uint8_t chunk[kChunk];
    for (uint64_t done = 0; done < size; done += kChunk) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, size - done));
        if (!read(offset + done, chunk, n)) return Scan::End;
        const Scan result = scan(chunk, n);
        if (result != Scan::More) return result;
    }
    return Scan::More;
}

// A directory stored in a chain of clusters with 32-bit table entries (FAT32, exFAT).
struct ClusterChain {
    uint64_t tableOffset = 0;
    uint64_t heapOffset = 0;  // where cluster 2 starts
    uint64_t clusterBytes = 0;
    uint32_t entryMask = 0xFFFFFFFF;
    uint32_t firstEnd = 0xFFFFFFF7;  // bad-cluster mark and the end marks from here on
};

void ScanChain(const ReadAt& read, const ClusterChain& chain, uint32_t cluster,
               const ScanChunk& scan) {
    uint64_t left = kMaxDirectoryBytes;
    for (int n = 0; n < kMaxClusters && left > 0 && cluster >= 2 && cluster < chain.firstEnd; ++n) {
        const uint64_t offset = chain.heapOffset + (uint64_t{cluster} - 2) * chain.clusterBytes;
        const uint64_t bytes = std::min(chain.clusterBytes, left);
        if (ScanRegion(read, offset, bytes, scan) != Scan::More) return;
        left -= bytes;
        uint8_t next[4];
        if (!read(chain.tableOffset + uint64_t{cluster} * 4, next, 4)) return;
        cluster = Le32(next) & chain.entryMask;
    }
}

// ---- FAT ------------------------------------------------------------------------------------

struct FatGeometry {
    uint64_t bytesPerSector = 0;
    uint64_t sectorsPerCluster = 0;
    uint64_t reserved = 0;
    uint64_t fats = 0;
    uint64_t rootEntries = 0;
    uint64_t fatSectors = 0;
    bool fat32 = false;
    uint32_t rootCluster = 0;
};

bool ReadFatGeometry(const BootSector& bs, FatGeometry& g) {
    if (bs[510] != 0x55 || bs[511] != 0xAA || (bs[0] != 0xEB && bs[0] != 0xE9)) return false;
    g.bytesPerSector = Le16(&bs[11]);
    g.sectorsPerCluster = bs[13];
    g.reserved = Le16(&bs[14]);
    g.fats = bs[16];
    g.rootEntries = Le16(&bs[17]);
    g.fatSectors = Le16(&bs[22]);
    const uint64_t total = Le16(&bs[19]) != 0 ? Le16(&bs[19]) : Le32(&bs[32]);
    const uint8_t media = bs[21];
    if (g.bytesPerSector < 512 || g.bytesPerSector > 4096 || !IsPowerOfTwo(g.bytesPerSector) ||
        !IsPowerOfTwo(g.sectorsPerCluster) || g.reserved == 0 || g.fats == 0 || g.fats > 4 ||
        total == 0 || (media != 0xF0 && media < 0xF8)) {
        return false;
    }
    if (g.fatSectors == 0) {
        g.fat32 = true;
        g.fatSectors = Le32(&bs[36]);
        g.rootCluster = Le32(&bs[44]);
        if (g.rootEntries != 0 || g.fatSectors == 0) return false;
    }
    return true;
}

Scan FindFatLabel(const uint8_t* data, size_t size, std::string& label) {
    for (size_t off = 0; off + 32 <= size; off += 32) {
        const uint8_t* e = data + off;
        if (e[0] == 0x00) return Scan::End;
        if (e[0] == 0xE5 || e[11] == 0x0F) continue;  // deleted entry, long-name part
        if ((e[11] & 0x18) == 0x08) {
            label = Bytes(e, 11);
            if (label[0] == 0x05) label[0] = static_cast<char>(0xE5);  // escaped first byte
            return Scan::Found;
        }
    }
    return Scan::More;
}

std::optional<std::string> FatRootLabel(const ReadAt& read, const FatGeometry& g) {
    std::string label;
    bool found = false;
    const ScanChunk scan = [&](const uint8_t* data, size_t size) {
        const Scan result = FindFatLabel(data, size, label);
        found = result == Scan::Found;
        return result;
    };
    const uint64_t rootStart = (g.reserved + g.fats * g.fatSectors) * g.bytesPerSector;
    if (g.fat32) {
        ClusterChain chain;
        chain.tableOffset = g.reserved * g.bytesPerSector;
        chain.heapOffset = rootStart;
        chain.clusterBytes = g.sectorsPerCluster * g.bytesPerSector;
        chain.entryMask = 0x0FFFFFFF;
        chain.firstEnd = 0x0FFFFFF7;
        ScanChain(read, chain, g.rootCluster, scan);
    } else {
        ScanRegion(read, rootStart, std::min(g.rootEntries * 32, kMaxDirectoryBytes), scan);
    }
    if (!found) return std::nullopt;
    return label;
}

// ---- NTFS -----------------------------------------------------------------------------------

// Undoes the update-sequence protection of an MFT record; false when a sector is torn.
bool FixUpRecord(std::vector<uint8_t>& r) {
    const size_t usaOffset = Le16(&r[4]);
    const size_t usaCount = Le16(&r[6]);
    if (usaCount == 0 || usaOffset + 2 * usaCount > r.size()) return false;
    for (size_t i = 1; i < usaCount; ++i) {
        const size_t pos = i * 512 - 2;
        if (pos + 2 > r.size()) return false;
        if (r[pos] != r[usaOffset] || r[pos + 1] != r[usaOffset + 1]) return false;
        r[pos] = r[usaOffset + 2 * i];
        r[pos + 1] = r[usaOffset + 2 * i + 1];
    }
    return true;
}

// The $VOLUME_NAME attribute (0x60) of the $Volume record.
std::string NtfsVolumeName(const std::vector<uint8_t>& r) {
    size_t off = Le16(&r[0x14]);
    while (off + 24 <= r.size()) {
        const uint32_t type = Le32(&r[off]);
        const uint32_t length = Le32(&r[off + 4]);
        if (type == 0xFFFFFFFF || length < 24 || length > r.size() - off) break;
        if (type == 0x60 && r[off + 8] == 0) {  // resident, as it always is
            const size_t valueLength = Le32(&r[off + 16]);
            const size_t valueOffset = Le16(&r[off + 20]);
            if (valueOffset + valueLength > length) break;
            return CutAtNul(Utf16ToUtf8(&r[off + valueOffset], valueLength / 2, false));
        }
        off += length;
    }
    return {};
}

}  // namespace

std::optional<VolumeIdentity> ParseFat(const ReadAt& read) {
    BootSector bs;
    FatGeometry g;
    if (!ReadBoot(read, bs) || !ReadFatGeometry(bs, g)) return std::nullopt;
    const size_t ext = g.fat32 ? 0x42 : 0x26;  // extended boot signature
    VolumeIdentity id;
    id.known = true;
    std::string bootLabel;
    if (bs[ext] == 0x28 || bs[ext] == 0x29) id.serial = Le32(&bs[ext + 1]);
    if (bs[ext] == 0x29) bootLabel = Bytes(&bs[ext + 5], 11);
    // Windows shows the root directory's label entry; a volume without one has the boot sector's
    // "NO NAME" placeholder, which is no label.
    std::string label = FatRootLabel(read, g).value_or(bootLabel);
    if (label == "NO NAME    ") label.clear();
    id.label = TrimLabel(OemToUtf8(label));
    return id;
}

std::optional<VolumeIdentity> ParseExfat(const ReadAt& read) {
    BootSector bs;
    if (!ReadBoot(read, bs) || std::memcmp(&bs[3], "EXFAT   ", 8) != 0) return std::nullopt;
    const unsigned sectorShift = bs[0x6C];
    const unsigned clusterShift = bs[0x6D];
    if (sectorShift < 9 || sectorShift > 12 || clusterShift > 25 - sectorShift) return std::nullopt;
    VolumeIdentity id;
    id.known = true;
    id.serial = Le32(&bs[0x64]);
    ClusterChain chain;
    chain.tableOffset = uint64_t{Le32(&bs[0x50])} << sectorShift;
    chain.heapOffset = uint64_t{Le32(&bs[0x58])} << sectorShift;
    chain.clusterBytes = uint64_t{1} << (sectorShift + clusterShift);
    ScanChain(read, chain, Le32(&bs[0x60]), [&](const uint8_t* data, size_t size) {
        for (size_t off = 0; off + 32 <= size; off += 32) {
            const uint8_t* e = data + off;
            if (e[0] == 0x00) return Scan::End;
            if (e[0] == 0x83) {  // the volume label entry, in use
                id.label = CutAtNul(Utf16ToUtf8(e + 2, std::min<size_t>(e[1], 11), false));
                return Scan::Found;
            }
        }
        return Scan::More;
    });
    return id;
}

std::optional<VolumeIdentity> ParseNtfs(const ReadAt& read) {
    BootSector bs;
    if (!ReadBoot(read, bs) || std::memcmp(&bs[3], "NTFS    ", 8) != 0) return std::nullopt;
    const uint64_t bytesPerSector = Le16(&bs[0x0B]);
    const uint8_t rawCluster = bs[0x0D];
    // Sectors per cluster above 128 are stored as a negative power of two.
    if (rawCluster > 0x80 && rawCluster < 0xF0) return std::nullopt;
    const uint64_t sectorsPerCluster =
        rawCluster <= 0x80 ? rawCluster : uint64_t{1} << (256 - rawCluster);
    const uint64_t clusterBytes = bytesPerSector * sectorsPerCluster;
    if (bytesPerSector < 256 || bytesPerSector > 4096 || !IsPowerOfTwo(bytesPerSector) ||
        !IsPowerOfTwo(clusterBytes)) {
        return std::nullopt;
    }
    VolumeIdentity id;
    id.known = true;
    id.serial = Le32(&bs[0x48]);  // the low half of the 64-bit serial
    // Clusters per record, or when negative the record size as a power of two.
    const auto perRecord = static_cast<int8_t>(bs[0x40]);
    if (perRecord < -16) return id;
    const uint64_t recordBytes =
        perRecord > 0 ? perRecord * clusterBytes : uint64_t{1} << -perRecord;
    const uint64_t mftCluster = Le64(&bs[0x30]);
    if (recordBytes < 512 || recordBytes > 65536 || mftCluster > (uint64_t{1} << 40)) return id;
    std::vector<uint8_t> record(recordBytes);
    const uint64_t volumeRecord = mftCluster * clusterBytes + 3 * recordBytes;  // $Volume is no. 3
    if (read(volumeRecord, record.data(), record.size()) &&
        std::memcmp(record.data(), "FILE", 4) == 0 && FixUpRecord(record)) {
        id.label = NtfsVolumeName(record);
    }
    return id;
}

}  // namespace vorlaxis::platform::formats
