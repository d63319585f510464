// UTF-8 <-> UTF-16 for the wide Windows calls, and the long form of paths.
#include "platform/win32/Wide.h"

#include <windows.h>

#include <cstdint>

#include "platform/Utf8.h"

namespace vorlaxis::platform::win32 {
namespace {

void AppendUtf16(std::wstring& out, uint32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<wchar_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    }
}

bool IsHigh(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool StartsWith(std::wstring_view s, std::wstring_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// True when the path can be given the prefix as it stands: absolute, backslashes only, and no
// "." or ".." part (the prefix turns off the Win32 layer that would resolve them).
bool IsPlainAbsolute(std::wstring_view w) {
    const bool drive = w.size() >= 3 && w[1] == L':' && w[2] == L'\\';
    const bool unc = w.size() >= 3 && w[0] == L'\\' && w[1] == L'\\' && w[2] != L'\\';
    if (!drive && !unc) return false;
    if (w.find(L'/') != std::wstring_view::npos) return false;
    size_t start = 0;
    while (start <= w.size()) {
        const size_t end = std::min(w.find(L'\\', start), w.size());
        const std::wstring_view part = w.substr(start, end - start);
        if (part == L"." || part == L"..") return false;
        start = end + 1;
    }
    return true;
}

std::wstring FullPath(const std::wstring& w) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetFullPathNameW(w.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return w;
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        full.resize(n);
    }
}

}  // namespace

std::string ToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size() + wide.size() / 2);
    for (size_t i = 0; i < wide.size(); ++i) {
        const wchar_t c = wide[i];
        if (IsHigh(c) && i + 1 < wide.size() && IsLow(wide[i + 1])) {
            AppendUtf8(out, 0x10000 + ((static_cast<uint32_t>(c) - 0xD800) << 10) +
                                (static_cast<uint32_t>(wide[i + 1]) - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, static_cast<uint32_t>(c));
        }
    }
    return out;
}

std::wstring ToWide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    ForEachUtf8(
        utf8, [&](uint32_t cp, std::string_view) { AppendUtf16(out, cp); },
        [&] { out += static_cast<wchar_t>(0xFFFD); }, /*allowSurrogates=*/true);
    return out;
}

std::wstring LongPath(std::string_view utf8) {
    std::wstring w = ToWide(utf8);
    if (w.empty() || StartsWith(w, L"\\\\?\\") || StartsWith(w, L"\\\\.\\")) return w;
    if (!IsPlainAbsolute(w)) w = FullPath(w);
    if (w.size() >= 2 && w[1] == L':') return L"\\\\?\\" + w;
    if (StartsWith(w, L"\\\\")) return L"\\\\?\\UNC\\" + w.substr(2);
    return w;
}

}  // namespace vorlaxis::platform::win32
