// From a path to the mounted file system that holds it, the block device behind it and the
// drive that device belongs to.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlaxis::platform::mounts {

// One line of /proc/self/mountinfo.
struct MountEntry {
    unsigned major = 0;  // the st_dev the kernel gives files of this mount
    unsigned minor = 0;
    std::string mountPoint;
    std::string fsType;
    std::string source;  // "/dev/sdb1", "tmpfs", "server:/share", ...
};

// Parses mountinfo text (octal escapes such as "\040" decoded); malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);
std::vector<MountEntry> ReadMountTable();

// The mount points of an fstab text (the second field, octal escapes decoded, without a
// trailing "/"); swap areas and comment lines left out.
std::vector<std::string> ParseFstabMountPoints(std::string_view text);

// True when `realPath` is one of `expected` (fstab's mount points) and no entry of `table` is
// mounted there.
bool AwaitsMount(const std::string& realPath, const std::vector<std::string>& expected,
                 const std::vector<MountEntry>& table);

// The entry that holds `realPath` (already resolved) on the device `major:minor`: the one with
// the longest mount point that prefixes the path, the later of equal ones (it hides the other).
// Entries of another device are used only when no entry carries that device.
std::optional<MountEntry> FindMount(const std::vector<MountEntry>& table,
                                    const std::string& realPath, unsigned major, unsigned minor);

// The block device behind a mount, when it has one (a loop device, a disk partition, the
// source of a btrfs or fuseblk mount); nothing for tmpfs, overlay, network shares, FUSE.
std::optional<dev_t> MountDevice(const MountEntry& entry);

// A device node in /dev for a block device number, checked to be that device; empty if none.
std::string DeviceNode(dev_t device, const std::string& hint = {});

// A located volume: its mount and, when there is one, its block device.
struct VolumeLocation {
    MountEntry mount;
    std::optional<dev_t> device;
    std::string deviceNode;  // may be empty even with a device (no node in /dev)
    std::string imageFile;   // a FUSE file system serving an image file names it as its source
};
std::optional<VolumeLocation> LocateVolume(const std::string& path,
                                           const std::vector<MountEntry>& table);

// What sysfs tells of the disk that holds a block device (itself or its parent disk).
struct DriveInfo {
    std::string diskName;  // "sdb", "sr0"
    std::string diskNode;  // "/dev/sdb"; empty when /dev lacks it
    dev_t disk = 0;
    bool removable = false;  // the disk's "removable" flag
    bool optical = false;    // a CD/DVD/BD drive
};
std::optional<DriveInfo> DescribeDrive(dev_t device, const std::string& sysfsRoot = "/sys");

}  // namespace vorlaxis::platform::mounts
