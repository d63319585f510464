// The program's folder and the user's folders on Linux.
#include "platform/Folders.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace vorlaxis::platform {

namespace {

// An absolute path without trailing slashes ("/" stays); empty for anything else.
std::string AbsoluteFolder(const char* path) {
    if (!path || path[0] != '/') return {};
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string HomeFolder() {
    if (std::string home = AbsoluteFolder(std::getenv("HOME")); !home.empty()) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        return {};
    }
    return AbsoluteFolder(found->pw_dir);
}

// $variable/vorlaxis/, or ~/fallback/vorlaxis/ when the variable is unset, empty or relative
// (a relative value is not to be used).
std::string XdgFolder(const char* variable, const char* fallback) {
    std::string base = AbsoluteFolder(std::getenv(variable));
    if (base.empty()) {
        const std::string home = HomeFolder();
        if (home.empty()) return {};
        base = (home == "/" ? "" : home) + "/" + fallback;
    }
    if (base.back() != '/') base += '/';
    return base + "vorlaxis/";
}

}  // namespace

bool ProgramFolderIsWritable(const std::string& folder) {
    if (folder.empty() || folder.rfind("/usr/", 0) == 0) return false;
    const std::string dir = folder.back() == '/' ? folder : folder + "/";
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::string probe =
            dir + ".vorlaxis-probe-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        const int fd = ::open(
            probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.c_str());
            return true;
        }
        if (errno != EEXIST) return false;  // a name left behind: try another
    }
    return false;
}

std::string UserConfigFolder() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string UserDataFolder() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

}  // namespace vorlaxis::platform
