// The medium behind a path: its volume label and serial number, and the eject request.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vorlaxis::platform {

struct VolumeIdentity {
    std::string label;    // UTF-8, possibly empty
    uint32_t serial = 0;  // the 32-bit number Windows reports for the volume
    bool known = false;   // false when nothing could be learnt (label empty, serial 0)
};

// The identity of the volume that holds `path` (a drive root or any folder on it).
VolumeIdentity QueryVolume(const std::string& path);

// Where `path` lies within its volume: the folders from the volume's root, joined by "/", without
// a separator at either end ("" for the root itself); none when the volume cannot be found.
std::optional<std::string> PathWithinVolume(const std::string& path);

// The full path of the folder `path` (links resolved where the system can), "/" separated,
// without a separator at the end; `path` itself when it cannot be resolved.
std::string FullFolderPath(const std::string& path);

// True when `path` is a folder where the system's table of file systems (/etc/fstab) mounts a
// medium, but nothing is mounted there now: its emptiness says nothing of any medium. False
// where the platform has no such table.
bool NothingMountedWhereExpected(const std::string& path);

// Asks the drive that holds `path` to eject its medium, only when it is a removable or optical
// drive. Nothing is reported.
void EjectVolume(const std::string& path);

}  // namespace vorlaxis::platform
