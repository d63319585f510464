// Trees deeper than the system's path limit, made and removed by relative steps, since no call
// takes their full paths.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>

namespace vorlaxis::test {

// Makes directories below `base` (ending in "/") until the deepest one's path, with its "/",
// is `length` bytes long, each name at most 200 bytes. Returns that directory open (or -1) and
// its path in `path`.
inline int MakeDeepDirectory(const std::string& base, size_t length, std::string& path) {
    path = base;
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd >= 0 && path.size() < length) {
        const std::string name(std::min<size_t>(200, length - path.size() - 1), 'd');
        const int next = ::mkdirat(fd, name.c_str(), 0700) == 0
                             ? ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                             : -1;
        ::close(fd);
        fd = next;
        path += name + "/";
    }
    return fd;
}

// Removes everything below the open directory `fd` by relative steps, then closes it.
inline void RemoveBelow(int fd) {
    DIR* dir = ::fdopendir(fd);
    if (!dir) return;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        const int sub = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (sub >= 0) {
            RemoveBelow(sub);
            ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
        } else {
            ::unlinkat(fd, name.c_str(), 0);
        }
    }
    ::closedir(dir);
}

}  // namespace vorlaxis::test
