// A file's whole content as a test reads it back, or "<missing>" when it cannot be read.
#pragma once

#include <string>

#include "platform/Files.h"

namespace vorlaxis::test {

inline std::string ReadOrMissing(const std::string& path) {
    std::string content;
    return platform::ReadWholeFile(path, content) ? content : "<missing>";
}

}  // namespace vorlaxis::test
