// Checksum files that travel with the data (SHA256SUMS, *.md5, *.sfv, *.xxh128, ...): which
// names they go by and what they list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorlaxis {

enum class ListedHash { Md5, Sha1, Sha256, Sha512, Crc32, Xxh128 };

struct ListedFile {
    std::string Path;  // as the list gives it, relative to the list's own folder, "/" separated
    ListedHash Hash = ListedHash::Sha256;
    std::string Expected;  // lower-case hexadecimal digits
};

// True for the names checksum files go by: *.md5, *.sha1, *.sha256, *.sha512, *.sfv, *.xxh128,
// MD5SUMS, SHA1SUMS, SHA256SUMS, SHA512SUMS (letter case aside).
bool IsChecksumFileName(std::string_view name);

// The entries of the checksum file `name` holds in `content`: the GNU form ("digest  name",
// "digest *name", "\" before an escaped line), the BSD form ("SHA256 (name) = digest") and SFV
// ("name crc32"). Lines that are no entry (comments, blanks, digests of the wrong length) are
// passed over.
std::vector<ListedFile> ParseChecksumFile(std::string_view name, std::string_view content);

// "name" with the escapes of the GNU form applied when it holds a line break or a carriage
// return: then the line must begin with "\". Returns the name to write and whether it is escaped.
std::string EscapeListedName(std::string_view name, bool& escaped);

// Undoes "\\", "\n", "\r" and "\t" in a name (the escapes of the GNU form, and the tab of
// tab-separated records).
std::string UnescapeName(std::string_view name);

// `folder` (ends in "/" or is empty) joined with a listed path: "./" and "x/../" steps resolved.
std::string JoinListedPath(const std::string& folder, std::string_view listed);

}  // namespace vorlaxis
