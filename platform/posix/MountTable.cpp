// Mount table, device nodes and sysfs facts on Linux.
#include "platform/posix/MountTable.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vorlaxis::platform::mounts {

namespace {

// mountinfo writes space, tab, newline and backslash as three octal digits after a backslash.
std::string Unescape(std::string_view field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3') {
            const std::string digits(field.substr(i + 1, 3));
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string_view> SplitSpaces(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        const size_t end = std::min(line.find(' ', pos), line.size());
        if (end > pos) fields.push_back(line.substr(pos, end - pos));
        pos = end + 1;
    }
    return fields;
}

std::optional<MountEntry> ParseLine(std::string_view line) {
    const std::vector<std::string_view> f = SplitSpaces(line);
    // id parent major:minor root mount-point options [optional...] - type source super-options
    size_t dash = 6;
    while (dash < f.size() && f[dash] != "-") ++dash;
    if (f.size() < 7 || dash + 2 >= f.size()) return std::nullopt;
    MountEntry e;
    const std::string devno(f[2]);
    if (std::sscanf(devno.c_str(), "%u:%u", &e.major, &e.minor) != 2) return std::nullopt;
    e.mountPoint = Unescape(f[4]);
    e.fsType = Unescape(f[dash + 1]);
    e.source = Unescape(f[dash + 2]);
    return e;
}

bool IsUnder(const std::string& path, const std::string& mountPoint) {
    if (mountPoint == "/") return true;
    return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

std::string ReadFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// A value of a sysfs uevent file ("DEVNAME=sdb1").
std::string UeventValue(const std::string& dir, const std::string& key) {
    std::ifstream in(dir + "/uevent");
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
    }
    return {};
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

bool IsBlockDevice(const std::string& node, dev_t device) {
    struct stat st {};
    return ::stat(node.c_str(), &st) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == device;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> table;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = std::min(text.find('\n', pos), text.size());
        if (auto e = ParseLine(text.substr(pos, end - pos))) table.push_back(std::move(*e));
        pos = end + 1;
    }
    return table;
}

namespace {

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::vector<std::string> ParseFstabMountPoints(std::string_view text) {
    std::vector<std::string> points;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = std::min(text.find('\n', pos), text.size());
        std::string line(text.substr(pos, end - pos));
        pos = end + 1;
        for (char& c : line) {
            if (c == '\t') c = ' ';
        }
        const std::vector<std::string_view> f = SplitSpaces(line);
        if (f.size() < 2 || f[0].front() == '#' || f[1].front() != '/') continue;
        points.push_back(WithoutTrailingSlash(Unescape(f[1])));
    }
    return points;
}

bool AwaitsMount(const std::string& realPath, const std::vector<std::string>& expected,
                 const std::vector<MountEntry>& table) {
    const std::string path = WithoutTrailingSlash(realPath);
    if (std::find(expected.begin(), expected.end(), path) == expected.end()) return false;
    return std::none_of(table.begin(), table.end(), [&](const MountEntry& e) {
        return WithoutTrailingSlash(e.mountPoint) == path;
    });
}

std::vector<MountEntry> ReadMountTable() {
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    return ParseMountInfo(text.str());
}

std::optional<MountEntry> FindMount(const std::vector<MountEntry>& table,
                                    const std::string& realPath, unsigned major, unsigned minor) {
    const MountEntry* best = nullptr;
    const MountEntry* bestAny = nullptr;
    for (const MountEntry& e : table) {
        if (!IsUnder(realPath, e.mountPoint)) continue;
        if (!bestAny || e.mountPoint.size() >= bestAny->mountPoint.size()) bestAny = &e;
        if (e.major == major && e.minor == minor &&
            (!best || e.mountPoint.size() >= best->mountPoint.size())) {
            best = &e;
        }
    }
    if (best) return *best;
    if (bestAny) return *bestAny;
    return std::nullopt;
}

std::optional<dev_t> MountDevice(const MountEntry& entry) {
    if (entry.major != 0) return makedev(entry.major, entry.minor);
    // Anonymous device numbers (btrfs, fuseblk): the source names the device, if any.
    struct stat st {};
    if (entry.source.compare(0, 5, "/dev/") == 0 && ::stat(entry.source.c_str(), &st) == 0 &&
        S_ISBLK(st.st_mode)) {
        return st.st_rdev;
    }
    return std::nullopt;
}

std::string DeviceNode(dev_t device, const std::string& hint) {
    const std::string sys =
        "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    const std::string name = UeventValue(sys, "DEVNAME");
    if (!name.empty() && IsBlockDevice("/dev/" + name, device)) return "/dev/" + name;
    if (!hint.empty() && IsBlockDevice(hint, device)) return hint;
    return {};
}

std::optional<VolumeLocation> LocateVolume(const std::string& path,
                                           const std::vector<MountEntry>& table) {
    struct stat st {};
    const std::string real = RealPath(path);
    if (real.empty() || ::stat(real.c_str(), &st) != 0) return std::nullopt;
    auto mount = FindMount(table, real, major(st.st_dev), minor(st.st_dev));
    if (!mount) return std::nullopt;
    VolumeLocation location;
    location.mount = *mount;
    location.device = MountDevice(*mount);
    if (location.device) {
        location.deviceNode = DeviceNode(*location.device, mount->source);
    } else if (!mount->source.empty() && mount->source[0] == '/' &&
               ::stat(mount->source.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        location.imageFile = mount->source;
    }
    return location;
}

std::optional<DriveInfo> DescribeDrive(dev_t device, const std::string& sysfsRoot) {
    const std::string link = sysfsRoot + "/dev/block/" + std::to_string(major(device)) + ":" +
                             std::to_string(minor(device));
    std::string dir = RealPath(link);
    if (dir.empty()) return std::nullopt;
    struct stat st {};
    if (::stat((dir + "/partition").c_str(), &st) == 0) dir = dir.substr(0, dir.rfind('/'));
    DriveInfo info;
    info.diskName = dir.substr(dir.rfind('/') + 1);
    unsigned diskMajor = 0;
    unsigned diskMinor = 0;
    if (std::sscanf(ReadFirstLine(dir + "/dev").c_str(), "%u:%u", &diskMajor, &diskMinor) != 2) {
        return std::nullopt;
    }
    info.disk = makedev(diskMajor, diskMinor);
    info.removable = ReadFirstLine(dir + "/removable") == "1";
    // SCSI CD-ROM major 11, or a SCSI device of type 5 (CD/DVD) behind another driver.
    info.optical = diskMajor == 11 || info.diskName.compare(0, 2, "sr") == 0 ||
                   ReadFirstLine(dir + "/device/type") == "5";
    const std::string name = UeventValue(dir, "DEVNAME");
    if (!name.empty() && IsBlockDevice("/dev/" + name, info.disk)) info.diskNode = "/dev/" + name;
    return info;
}

}  // namespace vorlaxis::platform::mounts
