// Texts: the Windows-1250 form of the log, locale-aware comparison, and the user's date and
// time formats.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlaxis::platform {

// UTF-8 to Windows-1250. A character with no Windows-1250 form, and every byte of an invalid
// UTF-8 sequence, becomes "?".
std::string Utf8ToCp1250(std::string_view utf8);

// Windows-1250 to UTF-8 (the five undefined bytes map to the C1 controls of the same value,
// as Windows maps them).
std::string Cp1250ToUtf8(std::string_view cp1250);

// Lenient display form of a file name: valid UTF-8 passes, each invalid byte becomes U+FFFD.
std::string DisplayText(std::string_view bytes);

// Case-insensitive, locale-aware order of two UTF-8 texts: <0, 0 or >0.
int CompareTextNoCase(std::string_view a, std::string_view b);

// The form in which two names of one folder are the same file name for the file system: on
// Windows, whose file systems ignore case, the name in upper case (as the system compares
// names); elsewhere the name itself.
std::string FileNameKey(std::string_view utf8);

// A moment of local time.
struct LocalDateTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// The local time now.
LocalDateTime LocalNow();

// The user's short date and long time texts, without a time-zone part. In the C, POSIX and
// C.UTF-8 locales (and wherever the locale gives no usable format): "d.M.yyyy" and "H:mm:ss".
std::string FormatShortDate(const LocalDateTime& moment);
std::string FormatLongTime(const LocalDateTime& moment);

}  // namespace vorlaxis::platform
