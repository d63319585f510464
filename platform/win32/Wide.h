// The boundary between the program's UTF-8 texts and the wide (UTF-16) Windows calls.
#pragma once

#include <string>
#include <string_view>

namespace vorlaxis::platform::win32 {

// UTF-16 as the system delivers it to UTF-8. A lone surrogate (NTFS allows them in names) is
// kept in the generalized three-byte form, so that the name converts back to the very same
// UTF-16 and the file can still be opened.
std::string ToUtf8(std::wstring_view wide);

// UTF-8 (with lone surrogates in the form above) to UTF-16. Any other invalid byte becomes
// U+FFFD.
std::wstring ToWide(std::string_view utf8);

// The wide form of a path for the file calls. An absolute path is given the "\\?\" (or
// "\\?\UNC\") prefix so that it may be longer than 260 characters and that names the Win32
// layer would change (trailing dots or blanks, device names such as "aux.txt") reach the file
// itself. A relative path, or one with "." / ".." parts or forward slashes, is made full first.
std::wstring LongPath(std::string_view utf8);

}  // namespace vorlaxis::platform::win32
