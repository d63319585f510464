// Locale-dependent texts on Linux: date and time formats and the case-insensitive order.
#include <langinfo.h>
#include <locale.h>
#include <sys/time.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <cwctype>
#include <string>

#include "platform/Text.h"

namespace vorlaxis::platform {
namespace {

// The user's locale for one category, as the environment names it (LC_ALL wins, then the
// category's own variable, then LANG).
std::string LocaleName(const char* category) {
    for (const char* var : {"LC_ALL", category, "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) return value;
    }
    return "C";
}

bool IsPlainLocale(const std::string& name) {
    return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

// A locale_t for the user's LC_TIME, or nullptr when it is C-like or unavailable.
locale_t TimeLocale() {
    static locale_t cached = [] {
        const std::string name = LocaleName("LC_TIME");
        if (IsPlainLocale(name)) return locale_t{};
        return newlocale(LC_TIME_MASK, name.c_str(), locale_t{});
    }();
    return cached;
}

std::tm ToTm(const LocalDateTime& m) {
    std::tm t{};
    t.tm_year = m.year - 1900;
    t.tm_mon = m.month - 1;
    t.tm_mday = m.day;
    t.tm_hour = m.hour;
    t.tm_min = m.minute;
    t.tm_sec = m.second;
    t.tm_isdst = -1;
    return t;
}

// The locale's format with time-zone conversions removed (the texts carry no zone).
std::string WithoutZone(std::string format) {
    for (const char* zone : {" %Z", "%Z", " %z", "%z"}) {
        for (size_t at; (at = format.find(zone)) != std::string::npos;) {
            format.erase(at, std::strlen(zone));
        }
    }
    return format;
}

std::string Format(const LocalDateTime& moment, nl_item item) {
    locale_t loc = TimeLocale();
    if (!loc) return {};
    const std::string format = WithoutZone(nl_langinfo_l(item, loc));
    if (format.empty()) return {};
    const std::tm t = ToTm(moment);
    char buffer[128];
    const size_t n = strftime_l(buffer, sizeof buffer, format.c_str(), &t, loc);
    return std::string(buffer, n);
}

std::string Pad2(int value) {
    std::string s = std::to_string(value);
    return s.size() < 2 ? "0" + s : s;
}

}  // namespace

LocalDateTime LocalNow() {
    timeval tv{};
    ::gettimeofday(&tv, nullptr);
    std::tm t{};
    const time_t seconds = tv.tv_sec;
    ::localtime_r(&seconds, &t);
    LocalDateTime m;
    m.year = t.tm_year + 1900;
    m.month = t.tm_mon + 1;
    m.day = t.tm_mday;
    m.hour = t.tm_hour;
    m.minute = t.tm_min;
    m.second = t.tm_sec;
    m.millisecond = static_cast<int>(tv.tv_usec / 1000);
    return m;
}

std::string FormatShortDate(const LocalDateTime& moment) {
    std::string text = Format(moment, D_FMT);
    if (text.empty()) {
        text = std::to_string(moment.day) + "." + std::to_string(moment.month) + "." +
               std::to_string(moment.year);
    }
    return text;
}

std::string FormatLongTime(const LocalDateTime& moment) {
    std::string text = Format(moment, T_FMT);
    if (text.empty()) {
        text = std::to_string(moment.hour) + ":" + Pad2(moment.minute) + ":" + Pad2(moment.second);
    }
    return text;
}

namespace {

locale_t CollateLocale() {
    static locale_t cached = [] {
        const std::string name = LocaleName("LC_COLLATE");
        locale_t loc = IsPlainLocale(name)
                           ? locale_t{}
                           : newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, name.c_str(), locale_t{});
        return loc;
    }();
    return cached;
}

// UTF-8 to lower-case wide text; invalid bytes are taken as Latin-1 so nothing is lost.
std::wstring FoldedWide(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    std::mbstate_t state{};
    locale_t c8 = [] {
        static locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
        return l;
    }();
    locale_t old = c8 ? uselocale(c8) : locale_t{};
    for (size_t pos = 0; pos < s.size();) {
        wchar_t wc = 0;
        const size_t n = std::mbrtowc(&wc, s.data() + pos, s.size() - pos, &state);
        if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2) || n == 0) {
            wc = static_cast<unsigned char>(s[pos]);
            state = std::mbstate_t{};
            pos += 1;
        } else {
            pos += n;
        }
        out += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(wc)));
    }
    if (c8) uselocale(old);
    return out;
}

}  // namespace

std::string FileNameKey(std::string_view utf8) {
    return std::string(utf8);
}

int CompareTextNoCase(std::string_view a, std::string_view b) {
    const std::wstring wa = FoldedWide(a);
    const std::wstring wb = FoldedWide(b);
    if (locale_t loc = CollateLocale()) {
        const int r = wcscoll_l(wa.c_str(), wb.c_str(), loc);
        if (r != 0) return r;
    }
    return wa.compare(wb);
}

}  // namespace vorlaxis::platform
