// Locale-dependent texts on Windows: the user's date and time formats and the
// case-insensitive order. The Windows-1250 form of the log comes from the shared table
// (Cp1250.cpp), so that a log is byte for byte the same as on Linux.
#include "platform/Text.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace vorlaxis::platform {
namespace {

SYSTEMTIME ToSystemTime(const LocalDateTime& m) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(m.year);
    st.wMonth = static_cast<WORD>(m.month);
    st.wDay = static_cast<WORD>(m.day);
    st.wHour = static_cast<WORD>(m.hour);
    st.wMinute = static_cast<WORD>(m.minute);
    st.wSecond = static_cast<WORD>(m.second);
    st.wMilliseconds = static_cast<WORD>(m.millisecond);
    return st;
}

std::string Pad2(int value) {
    std::string s = std::to_string(value);
    return s.size() < 2 ? "0" + s : s;
}

}  // namespace

LocalDateTime LocalNow() {
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    LocalDateTime m;
    m.year = st.wYear;
    m.month = st.wMonth;
    m.day = st.wDay;
    m.hour = st.wHour;
    m.minute = st.wMinute;
    m.second = st.wSecond;
    m.millisecond = st.wMilliseconds;
    return m;
}

std::string FormatShortDate(const LocalDateTime& moment) {
    const SYSTEMTIME st = ToSystemTime(moment);
    wchar_t buffer[128];
    const int n = ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer,
                                    128, nullptr);
    if (n > 1) return win32::ToUtf8(std::wstring_view(buffer, static_cast<size_t>(n - 1)));
    return std::to_string(moment.day) + "." + std::to_string(moment.month) + "." +
           std::to_string(moment.year);
}

std::string FormatLongTime(const LocalDateTime& moment) {
    const SYSTEMTIME st = ToSystemTime(moment);
    wchar_t buffer[128];
    // Flags 0 with no format: the user's long time format.
    const int n = ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
    if (n > 1) return win32::ToUtf8(std::wstring_view(buffer, static_cast<size_t>(n - 1)));
    return std::to_string(moment.hour) + ":" + Pad2(moment.minute) + ":" + Pad2(moment.second);
}

std::string FileNameKey(std::string_view utf8) {
    std::wstring wide = win32::ToWide(utf8);
    if (!wide.empty()) {
        ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.c_str(),
                        static_cast<int>(wide.size()), wide.data(), static_cast<int>(wide.size()),
                        nullptr, nullptr, 0);
    }
    return win32::ToUtf8(wide);
}

int CompareTextNoCase(std::string_view a, std::string_view b) {
    const std::wstring wa = win32::ToWide(a);
    const std::wstring wb = win32::ToWide(b);
    const int la = static_cast<int>(wa.size());
    const int lb = static_cast<int>(wb.size());
    const int r = ::CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, wa.c_str(), la,
                                    wb.c_str(), lb, nullptr, nullptr, 0);
    if (r != 0 && r != CSTR_EQUAL) return r - CSTR_EQUAL;
    // Texts the locale counts as equal (ignorable characters) still get a fixed order, so that
    // a sorted list never depends on the order in which entries came.
    const int o = ::CompareStringOrdinal(wa.c_str(), la, wb.c_str(), lb, TRUE);
    return o == 0 ? 0 : o - CSTR_EQUAL;
}

}  // namespace vorlaxis::platform
