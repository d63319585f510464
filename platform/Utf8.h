// UTF-8 encoding and decoding of single code points, shared by the text conversions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorlaxis::platform {

inline void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `pos`; returns its length, or 0 when it is invalid (overlong
// forms and values above U+10FFFF; surrogates too unless `allowSurrogates`, which the wide
// Windows names need for unpaired halves).
inline size_t DecodeUtf8(std::string_view s, size_t pos, uint32_t& cp,
                         bool allowSurrogates = false) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    size_t len = 0;
    uint32_t min = 0;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (pos + len > s.size()) return 0;
    for (size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF) return 0;
    if (!allowSurrogates && cp >= 0xD800 && cp <= 0xDFFF) return 0;
    return len;
}

// Walks `s` sequence by sequence: `valid(cp, sequence)` for each well-formed one, `invalid()`
// for each byte that starts none (the walk goes on with the next byte).
template <typename Valid, typename Invalid>
void ForEachUtf8(std::string_view s, Valid valid, Invalid invalid, bool allowSurrogates = false) {
    for (size_t pos = 0; pos < s.size();) {
        uint32_t cp = 0;
        const size_t len = DecodeUtf8(s, pos, cp, allowSurrogates);
        if (len == 0) {
            invalid();
            ++pos;
        } else {
            valid(cp, s.substr(pos, len));
            pos += len;
        }
    }
}

}  // namespace vorlaxis::platform
