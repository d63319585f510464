// Whole-file reading that keeps the system's reason for a failure.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Files.h"

namespace vorlaxis::platform {

namespace {

bool Fail(int error, int fd, std::string& reason) {
    if (fd >= 0) ::close(fd);
    reason = std::strerror(error);
    return false;
}

}  // namespace

bool ReadWholeFileWithReason(const std::string& path, std::string& content, std::string& reason) {
    content.clear();
    reason.clear();
    // Non-blocking: a FIFO in the file's place must not hang the window.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return Fail(errno, -1, reason);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return Fail(errno, fd, reason);
    if (S_ISDIR(st.st_mode)) return Fail(EISDIR, fd, reason);
    if (!S_ISREG(st.st_mode)) return Fail(EINVAL, fd, reason);
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(errno, fd, reason);
        }
        if (n == 0) break;
        content.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

}  // namespace vorlaxis::platform
