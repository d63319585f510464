// Shared pieces of the volume parsers: readers, descriptor sums, label texts.
#include "platform/posix/VolumeFormats.h"

#include <iconv.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/Text.h"
#include "platform/Utf8.h"

namespace vorlaxis::platform::formats {

ReadAt MemoryReader(std::string_view bytes) {
    return [bytes](uint64_t offset, uint8_t* buffer, size_t length) {
        if (offset > bytes.size() || length > bytes.size() - offset) return false;
        std::memcpy(buffer, bytes.data() + offset, length);
        return true;
    };
}

DescriptorSums SumDescriptor(const uint8_t* descriptor) {
    DescriptorSums sums;
    for (size_t i = 0; i < 2048; i += 4) {
        for (size_t j = 0; j < 4; ++j) {
            sums.s[j] = static_cast<uint8_t>(sums.s[j] + descriptor[i + j]);
        }
    }
    return sums;
}

std::string Utf16ToUtf8(const uint8_t* data, size_t units, bool bigEndian) {
    auto unit = [&](size_t i) -> uint32_t {
        const uint8_t* p = data + 2 * i;
        return bigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
    };
    std::string out;
    for (size_t i = 0; i < units; ++i) {
        uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;  // a lone surrogate
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) AppendUtf8(out, c);
    return out;
}

std::string OemToUtf8(std::string_view bytes) {
    bool ascii = true;
    for (unsigned char c : bytes) ascii = ascii && c < 0x80;
    if (ascii) return std::string(bytes);
    iconv_t cd = ::iconv_open("UTF-8", "CP852");
    if (cd == reinterpret_cast<iconv_t>(-1)) return DisplayText(bytes);
    std::string in(bytes);
    std::vector<char> out(in.size() * 4 + 4);
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    const size_t rc = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    ::iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) return DisplayText(bytes);
    return std::string(out.data(), outPtr);
}

std::string CutAtNul(std::string text) {
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

std::string TrimLabel(std::string text) {
    text = CutAtNul(std::move(text));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::optional<VolumeIdentity> ParseAnyWindowsFormat(const ReadAt& read) {
    // The signatures first (NTFS and exFAT name themselves in the boot sector, discs carry
    // "CD001" or "BEA01"); FAT is known only by its plausible geometry, so it comes last.
    if (auto id = ParseNtfs(read)) return id;
    if (auto id = ParseExfat(read)) return id;
    if (auto id = ParseOptical(read)) return id;
    return ParseFat(read);
}

}  // namespace vorlaxis::platform::formats
