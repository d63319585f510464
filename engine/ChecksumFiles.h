// Checksum files that travel with the data (SHA256SUMS, md5sum.txt, *.sfv, *.b2, BagIt manifests,
// hashdeep lists, ...): which names they go by and what they list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlaxis {

enum class ListedHash { Md5, Sha1, Sha224, Sha256, Sha384, Sha512, Blake2b, Crc32, Xxh128 };

struct ListedFile {
    std::string Path;  // as the list gives it, relative to the list's own folder, "/" separated
    ListedHash Hash = ListedHash::Sha256;
    std::string Expected;  // lower-case hexadecimal digits
};

enum class ListName {
    None,   // no checksum list
    Named,  // a checksum list by its name: SHA256SUMS, md5sum.txt, x.sha256sum, *-CHECKSUM, ...
    Text    // a text file (*.txt) that is a checksum list only if its content says so
};

// What the file name `name` (no folder) says about the file. Named: *.md5, *.sha1, *.sha224,
// *.sha256, *.sha384, *.sha512, *.b2, *.sfv, *.xxh128, the same with "sum" appended (*.md5sum),
// MD5SUMS and the like with or without ".txt", md5sum.txt and the like, *-CHECKSUM and BagIt's
// manifest-<hash>.txt and tagmanifest-<hash>.txt (letter case aside).
ListName ChecksumListName(std::string_view name);
bool IsChecksumFileName(std::string_view name);  // ListName::Named

// Reads one checksum list piece by piece, in any cut: the GNU form ("digest  name",
// "digest *name", "\" before an escaped line, upper- or lower-case digits), the BSD form
// ("SHA256 (name) = digest"), SFV ("name crc32"), BagIt manifests ("digest name", "%0A"-escaped
// names) and hashdeep's lists ("%%%% HASHDEEP-1.0", "size,md5,sha256,filename"). Comments,
// blank lines and an OpenPGP signature around the list are passed over; every other line that
// gives no entry is counted. A backslash in an unescaped name is a Windows separator.
class ChecksumListReader {
  public:
    // `name`: the list's file name; Text lists take the hash from each digest's length.
    explicit ChecksumListReader(std::string_view name);
    // Appends the entries of the complete lines of `piece` to `entries`.
    void Feed(std::string_view piece, std::vector<ListedFile>& entries);
    // The last line when it has no line break.
    void End(std::vector<ListedFile>& entries);
    // Lines that are neither entries nor comments: digests of a length the list's hash does not
    // have, hashes not known here, broken lines. Each is a comparison the list asks for and
    // that cannot be made.
    int64_t LinesNotUnderstood() const { return m_notUnderstood; }

  private:
    void Line(std::string_view line, std::vector<ListedFile>& entries);
    void HashdeepLine(std::string_view line, std::vector<ListedFile>& entries);

    ListName m_kind = ListName::None;
    int m_nameHash = -1;  // the hash the name stands for, as a ListedHash; -1 none
    bool m_sfv = false;
    bool m_bagIt = false;
    bool m_b2Name = false;    // a 128-digit digest is BLAKE2b here, not SHA-512
    std::string m_pending;    // the start of a line cut by a piece
    bool m_skipping = false;  // the rest of an overlong line
    bool m_firstLine = true;
    int m_pgp = 0;  // 0 outside a signature's armour, 1 in its header, 2 in the signature
    // hashdeep: the columns of its header (index of size, of the hash taken, of the name)
    bool m_hashdeep = false;
    size_t m_columns = 0;
    int m_hashColumn = -1;
    int m_hashdeepHash = -1;
    std::string m_invokedFrom;  // the folder hashdeep ran in, "/" separated, ends in "/"
    int64_t m_notUnderstood = 0;
};

// The entries of a whole checksum list (see ChecksumListReader).
std::vector<ListedFile> ParseChecksumFile(std::string_view name, std::string_view content);

// "name" with the escapes of the GNU form applied when it holds a line break or a carriage
// return: then the line must begin with "\". Returns the name to write and whether it is escaped.
std::string EscapeListedName(std::string_view name, bool& escaped);

// Undoes "\\", "\n", "\r" and "\t" in a name (the escapes of the GNU form, and the tab of
// tab-separated records).
std::string UnescapeName(std::string_view name);

// `folder` (ends in "/" or is empty) joined with a listed path into `joined`: "./" and "x/../"
// steps resolved. False when the listed path is absolute ("/x", "C:/x") or climbs above the
// root `folder` is given from ("../../x" in a list at the root): it names nothing within it.
bool JoinListedPath(const std::string& folder, std::string_view listed, std::string& joined);

}  // namespace vorlaxis
