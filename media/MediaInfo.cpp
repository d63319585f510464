#include "media/MediaInfo.h"

#include "platform/Files.h"

namespace vorlaxis {

std::string NumToHex(uint32_t value, uint8_t width) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(width, '0');
    for (int i = 0; i < 8 && i < width; ++i) {
        text[width - 1 - static_cast<size_t>(i)] = kDigits[(value >> (4 * i)) & 0xF];
    }
    return text;
}

void GetCDInfo(BlockingCalls& calls, const std::string& path, std::string& volumeSerial,
               std::string& volumeLabel) {
    const platform::VolumeIdentity identity = calls.QueryVolume(path);
    volumeSerial = NumToHex(identity.serial, 8);
    volumeLabel = identity.label;
}

bool ShouldEject(const std::string& location, bool ejectAfterTest) {
    if (!ejectAfterTest || location.empty()) return false;
    // A network path begins with two separators ("//server/share/", "\\\\server\\share\\").
    auto separator = [](char c) { return c == '/' || c == platform::PathSeparator(); };
    const bool network = location.size() >= 2 && separator(location[0]) && separator(location[1]);
    return !network;
}

void EjectMedia(BlockingCalls& calls, const std::string& location) {
    calls.EjectVolume(location);
}

}  // namespace vorlaxis
