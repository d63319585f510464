#include "platform/Digest.h"

namespace vorlaxis::platform {

std::string HexBytes(const unsigned char* data, size_t count) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0x0F];
    }
    return text;
}

}  // namespace vorlaxis::platform
