// Volume identity and eject on Linux: the label and serial Windows shows for the same volume,
// learnt from the device behind the path's mount, with the system's records and the file system
// id as fallbacks where the device cannot be read.
#include "platform/Volume.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/posix/Eject.h"
#include "platform/posix/MountTable.h"
#include "platform/posix/VolumeProbe.h"

namespace vorlaxis::platform {

namespace {

// The file system id folded to 32 bits; file systems that give none fall back to the device
// number, which at least tells two mounted volumes apart.
uint32_t SerialFromFileSystemId(const std::string& path, const struct statvfs& vfs) {
    const auto fsid = static_cast<uint64_t>(vfs.f_fsid);
    if (fsid != 0) return static_cast<uint32_t>(fsid ^ (fsid >> 32));
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    const auto dev = static_cast<uint64_t>(st.st_dev);
    return static_cast<uint32_t>(dev ^ (dev >> 32));
}

std::optional<probe::ProbedVolume> ProbeVolumeOf(const std::string& path) {
    const auto location = mounts::LocateVolume(path, mounts::ReadMountTable());
    if (!location) return std::nullopt;
    // An image served by FUSE (ntfs-3g, fuseiso, ...) is read like the medium it copies.
    if (!location->imageFile.empty()) return probe::ProbeDevice(location->imageFile);
    if (!location->device) return std::nullopt;
    std::optional<probe::ProbedVolume> probed;
    if (!location->deviceNode.empty()) {
        probed = probe::ProbeDevice(location->deviceNode, location->mount.fsType);
    }
    // The device could not be read (permission, no node here): what the system recorded.
    if (!probed) probed = probe::RecordedVolume(location->deviceNode, *location->device);
    return probed;
}

}  // namespace

VolumeIdentity QueryVolume(const std::string& path) {
    VolumeIdentity id;
    struct statvfs vfs {};
    if (::statvfs(path.c_str(), &vfs) != 0) return id;
    const auto probed = ProbeVolumeOf(path);
    if (probed) id.label = probed->label;
    id.serial = probed && probed->serial ? *probed->serial : SerialFromFileSystemId(path, vfs);
    id.known = true;
    return id;
}

std::optional<std::string> PathWithinVolume(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return std::nullopt;
    const auto location = mounts::LocateVolume(resolved, mounts::ReadMountTable());
    if (!location) return std::nullopt;
    const std::string real(resolved);
    const std::string& root = location->mount.mountPoint;
    if (real.compare(0, root.size(), root) != 0) return std::nullopt;
    std::string within = real.substr(root.size());
    while (!within.empty() && within.front() == '/') within.erase(0, 1);
    return within;
}

bool NothingMountedWhereExpected(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return false;
    std::ifstream in("/etc/fstab");
    std::stringstream fstab;
    fstab << in.rdbuf();
    return mounts::AwaitsMount(resolved, mounts::ParseFstabMountPoints(fstab.str()),
                               mounts::ReadMountTable());
}

std::string FullFolderPath(const std::string& path) {
    char resolved[PATH_MAX];
    std::string full = ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    while (full.size() > 1 && full.back() == '/') full.pop_back();
    return full;
}

void EjectVolume(const std::string& path) {
    eject::EjectPath(path, eject::MachineEjectSystem());
}

}  // namespace vorlaxis::platform
