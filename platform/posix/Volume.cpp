// Volume identity and eject on Linux: a first version from the file system's own id.
#include "platform/Volume.h"

#include <sys/statvfs.h>

namespace vorlaxis::platform {

VolumeIdentity QueryVolume(const std::string& path) {
    VolumeIdentity id;
    struct statvfs st{};
    if (::statvfs(path.c_str(), &st) == 0) {
        id.serial = static_cast<uint32_t>(st.f_fsid ^ (static_cast<uint64_t>(st.f_fsid) >> 32));
        id.known = true;
    }
    return id;
}

void EjectVolume(const std::string& /*path*/) {}

}  // namespace vorlaxis::platform
