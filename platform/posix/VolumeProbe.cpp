// Device identity through libblkid and the own parsers, and the records kept by the system.
#include "platform/posix/VolumeProbe.h"

#include <blkid/blkid.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/posix/LoadLater.h"
#include "platform/posix/VolumeFormats.h"

namespace vorlaxis::platform::probe {

namespace {

namespace fs = std::filesystem;

formats::ReadAt DescriptorReader(int fd) {
    return [fd](uint64_t offset, uint8_t* buffer, size_t length) {
        size_t done = 0;
        while (done < length) {
            const ssize_t n =
                ::pread(fd, buffer + done, length - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return true;
    };
}

// libblkid is loaded when a device is first probed, not with the program: most runs as a user
// cannot open the device of a disk (the system's records answer then), and a start from a cold
// cache would read the library every time. Null when it is missing or incomplete: the own
// parsers and the records still answer.
struct Blkid {
    decltype(&blkid_new_probe) newProbe = nullptr;
    decltype(&blkid_probe_set_device) setDevice = nullptr;
    decltype(&blkid_probe_enable_superblocks) enableSuperblocks = nullptr;
    decltype(&blkid_probe_set_superblocks_flags) setSuperblocksFlags = nullptr;
    decltype(&blkid_do_safeprobe) safeProbe = nullptr;
    decltype(&blkid_probe_filter_superblocks_type) filterSuperblocksType = nullptr;
    decltype(&blkid_probe_lookup_value) lookupValue = nullptr;
    decltype(&blkid_free_probe) freeProbe = nullptr;
    decltype(&blkid_get_cache) getCache = nullptr;
    decltype(&blkid_get_dev) getDev = nullptr;
    decltype(&blkid_tag_iterate_begin) tagIterateBegin = nullptr;
    decltype(&blkid_tag_next) tagNext = nullptr;
    decltype(&blkid_tag_iterate_end) tagIterateEnd = nullptr;
    decltype(&blkid_put_cache) putCache = nullptr;
};

const Blkid* LoadBlkid() {
    static Blkid blkid;
    static const Blkid* const loaded =
        LoadFunctions("libblkid.so.1", blkid, [](Blkid& b, auto find) {
            find("blkid_new_probe", b.newProbe);
            find("blkid_probe_set_device", b.setDevice);
            find("blkid_probe_enable_superblocks", b.enableSuperblocks);
            find("blkid_probe_set_superblocks_flags", b.setSuperblocksFlags);
            find("blkid_do_safeprobe", b.safeProbe);
            find("blkid_probe_filter_superblocks_type", b.filterSuperblocksType);
            find("blkid_probe_lookup_value", b.lookupValue);
            find("blkid_free_probe", b.freeProbe);
            find("blkid_get_cache", b.getCache);
            find("blkid_get_dev", b.getDev);
            find("blkid_tag_iterate_begin", b.tagIterateBegin);
            find("blkid_tag_next", b.tagNext);
            find("blkid_tag_iterate_end", b.tagIterateEnd);
            find("blkid_put_cache", b.putCache);
        });
    return loaded;
}

struct BlkidValues {
    std::string type;
    std::string label;
    std::string uuid;
};

// libblkid's name for a file system type as the mount table gives it; empty when the mount
// does not tell (FUSE).
std::string BlkidTypeName(const std::string& mountedType) {
    if (mountedType == "msdos" || mountedType == "fat") return "vfat";
    if (mountedType == "ntfs3") return "ntfs";
    if (mountedType.compare(0, 4, "fuse") == 0) return {};
    return mountedType;
}

std::optional<BlkidValues> BlkidProbe(int fd, const std::string& mountedType) {
    const Blkid* b = LoadBlkid();
    if (!b) return std::nullopt;
    blkid_probe pr = b->newProbe();
    if (!pr) return std::nullopt;
    std::optional<BlkidValues> values;
    if (b->setDevice(pr, fd, 0, 0) == 0) {
        b->enableSuperblocks(pr, 1);
        b->setSuperblocksFlags(pr, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
        int rc = b->safeProbe(pr);
        std::string hint = BlkidTypeName(mountedType);
        if (rc == -2 && !hint.empty()) {
            // Stale signatures of an earlier file system: the mounted one is the one that counts.
            char* only[] = {hint.data(), nullptr};
            b->filterSuperblocksType(pr, BLKID_FLTR_ONLYIN, only);
            rc = b->safeProbe(pr);
        }
        if (rc == 0) {
            values.emplace();
            const char* data = nullptr;
            if (b->lookupValue(pr, "TYPE", &data, nullptr) == 0) values->type = data;
            if (b->lookupValue(pr, "LABEL", &data, nullptr) == 0) values->label = data;
            if (b->lookupValue(pr, "UUID", &data, nullptr) == 0) values->uuid = data;
        }
    }
    b->freeProbe(pr);
    return values;
}

// Where the last session of a multisession disc starts: the kernel mounts that session and
// Windows reads its descriptors. 0 for a single session and for anything but a disc drive.
uint64_t LastSessionStart(int fd) {
    cdrom_multisession session{};
    session.addr_format = CDROM_LBA;
    if (::ioctl(fd, CDROMMULTISESSION, &session) != 0 || !session.xa_flag) return 0;
    return static_cast<uint64_t>(session.addr.lba) * 2048;
}

// The own parser for a type of the Windows family, where libblkid's values differ from Windows'
// (disc serials, FAT's root-directory label, the NTFS serial's low half).
std::optional<VolumeIdentity> ParseWindowsType(const std::string& type, int fd,
                                               const formats::ReadAt& read) {
    if (type == "vfat") return formats::ParseFat(read);
    if (type == "exfat") return formats::ParseExfat(read);
    if (type == "ntfs") return formats::ParseNtfs(read);
    if (type == "iso9660" || type == "udf") {
        return formats::ParseOptical(read, LastSessionStart(fd));
    }
    return std::nullopt;
}

std::optional<ProbedVolume> ProbeOpenDevice(int fd, const std::string& mountedType) {
    const formats::ReadAt read = DescriptorReader(fd);
    const std::optional<BlkidValues> blkid = BlkidProbe(fd, mountedType);
    if (!blkid) {
        // libblkid found nothing or a contradiction; the parsers check their own signatures.
        const auto own = formats::ParseAnyWindowsFormat(read);
        if (!own) return std::nullopt;
        return ProbedVolume{"", own->label, own->serial};
    }
    if (const auto own = ParseWindowsType(blkid->type, fd, read)) {
        return ProbedVolume{blkid->type, own->label, own->serial};
    }
    return ProbedVolume{blkid->type, blkid->label, SerialFromUuid(blkid->type, blkid->uuid)};
}

// Whether libblkid's cache file (`cacheFile`, else the one its environment or configuration
// names, else its default) may exist: where it surely does not, the library is not loaded to
// find that out.
bool BlkidCacheMayExist(const char* cacheFile) {
    if (cacheFile == nullptr) cacheFile = std::getenv("BLKID_FILE");
    if (cacheFile == nullptr) {
        // A configuration may name another file.
        if (std::getenv("BLKID_CONF") != nullptr || ::access("/etc/blkid.conf", F_OK) == 0)
            return true;
        cacheFile = "/run/blkid/blkid.tab";
    }
    return ::access(cacheFile, F_OK) == 0;
}

std::optional<ProbedVolume> FromBlkidCache(const std::string& node, const char* cacheFile) {
    if (node.empty() || !BlkidCacheMayExist(cacheFile)) return std::nullopt;
    const Blkid* b = LoadBlkid();
    if (!b) return std::nullopt;
    blkid_cache cache = nullptr;
    if (b->getCache(&cache, cacheFile) != 0) return std::nullopt;
    std::optional<ProbedVolume> result;
    // BLKID_DEV_FIND: only look the entry up, never probe or verify the device.
    if (blkid_dev dev = b->getDev(cache, node.c_str(), BLKID_DEV_FIND)) {
        BlkidValues values;
        blkid_tag_iterate it = b->tagIterateBegin(dev);
        const char* type = nullptr;
        const char* value = nullptr;
        while (it && b->tagNext(it, &type, &value) == 0) {
            const std::string_view tag(type);
            if (tag == "TYPE") values.type = value;
            if (tag == "LABEL") values.label = value;
            if (tag == "UUID") values.uuid = value;
        }
        if (it) b->tagIterateEnd(it);
        if (!values.type.empty() || !values.label.empty() || !values.uuid.empty()) {
            result =
                ProbedVolume{values.type, values.label, SerialFromUuid(values.type, values.uuid)};
        }
    }
    b->putCache(cache);
    return result;
}

std::optional<ProbedVolume> FromUdev(dev_t device, const std::string& udevData) {
    std::ifstream in(udevData + "/b" + std::to_string(major(device)) + ":" +
                     std::to_string(minor(device)));
    if (!in) return std::nullopt;
    std::stringstream text;
    text << in.rdbuf();
    ProbedVolume v = ParseUdevRecord(text.str());
    if (v.type.empty() && v.label.empty() && !v.serial) return std::nullopt;
    return v;
}

// The name of the link in `dir` that leads to the device.
std::string LinkNameFor(const std::string& dir, dev_t device) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        struct stat st {};
        if (::stat(entry.path().c_str(), &st) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == device) {
            return DecodeUdevText(entry.path().filename().string());
        }
    }
    return {};
}

std::optional<ProbedVolume> FromDiskLinks(dev_t device, const std::string& diskLinks) {
    ProbedVolume v;
    v.label = LinkNameFor(diskLinks + "/by-label", device);
    const std::string uuid = LinkNameFor(diskLinks + "/by-uuid", device);
    // Without the type only the unambiguous forms say what Windows shows: FAT's "XXXX-XXXX"
    // and a 128-bit UUID (16 hex digits could be NTFS's or a disc's).
    if ((uuid.size() == 9 && uuid[4] == '-') || uuid.size() == 36) {
        v.serial = SerialFromUuid("", uuid);
    }
    if (v.label.empty() && !v.serial) return std::nullopt;
    return v;
}

}  // namespace

std::optional<ProbedVolume> ProbeDevice(const std::string& node, const std::string& mountedType) {
    const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::optional<ProbedVolume> result;
    // Only block devices and image files: a character device could act on hardware.
    if (::fstat(fd, &st) == 0 && (S_ISBLK(st.st_mode) || S_ISREG(st.st_mode))) {
        result = ProbeOpenDevice(fd, mountedType);
    }
    ::close(fd);
    return result;
}

std::optional<uint32_t> SerialFromUuid(std::string_view type, std::string_view uuid) {
    if (type == "iso9660" || type == "udf") return std::nullopt;
    std::string digits;
    for (char c : uuid) {
        if (c == '-') continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        digits += c;
    }
    if (type == "ntfs") {
        if (digits.size() != 16) return std::nullopt;
        digits = digits.substr(8);
    }
    if (digits.size() < 8) return std::nullopt;
    return static_cast<uint32_t>(std::stoul(digits.substr(0, 8), nullptr, 16));
}

std::optional<ProbedVolume> RecordedVolume(const std::string& node, dev_t device,
                                           const char* blkidCache, const std::string& udevData,
                                           const std::string& diskLinks) {
    // udev's record is renewed on every change of the device; the cache only when root probes.
    if (auto v = FromUdev(device, udevData)) return v;
    if (auto v = FromBlkidCache(node, blkidCache)) return v;
    return FromDiskLinks(device, diskLinks);
}

ProbedVolume ParseUdevRecord(std::string_view text) {
    std::string type;
    std::string label;
    std::string labelEncoded;
    std::string uuid;
    std::istringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
        auto value = [&](std::string_view key) -> std::optional<std::string> {
            const std::string prefix = "E:" + std::string(key) + "=";
            if (line.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
            return line.substr(prefix.size());
        };
        if (auto v = value("ID_FS_TYPE")) type = *v;
        if (auto v = value("ID_FS_LABEL")) label = *v;
        if (auto v = value("ID_FS_LABEL_ENC")) labelEncoded = DecodeUdevText(*v);
        if (auto v = value("ID_FS_UUID")) uuid = *v;
    }
    // ID_FS_LABEL has unsafe characters replaced; the encoded form keeps them.
    return ProbedVolume{type, labelEncoded.empty() ? label : labelEncoded,
                        SerialFromUuid(type, uuid)};
}

std::string DecodeUdevText(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace vorlaxis::platform::probe
