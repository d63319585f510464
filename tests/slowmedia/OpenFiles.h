// Descriptors of this process that lead into a folder: a read left behind still holds one.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace vorlaxis::test {

inline int OpenFilesUnder(const std::string& root) {
    int count = 0;
    std::error_code ec;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        const std::string target = std::filesystem::read_symlink(fd.path(), ec).string();
        if (!ec && target.rfind(root, 0) == 0) ++count;
    }
    return count;
}

}  // namespace vorlaxis::test
