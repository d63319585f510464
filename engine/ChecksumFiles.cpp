#include "engine/ChecksumFiles.h"

#include <algorithm>
#include <optional>

namespace vorlaxis {

namespace {

struct NamedHash {
    const char* tag;  // the BSD form's tag
    const char* ext;  // the extension of lists of this hash alone
    ListedHash hash;
    size_t digits;
};

constexpr NamedHash kHashes[] = {
    {"md5", "md5", ListedHash::Md5, 32},          {"sha1", "sha1", ListedHash::Sha1, 40},
    {"sha224", "sha224", ListedHash::Sha224, 56}, {"sha256", "sha256", ListedHash::Sha256, 64},
    {"sha384", "sha384", ListedHash::Sha384, 96}, {"sha512", "sha512", ListedHash::Sha512, 128},
    {"blake2b", "b2", ListedHash::Blake2b, 128},  {"crc32", "sfv", ListedHash::Crc32, 8},
    {"xxh128", "xxh128", ListedHash::Xxh128, 32},
};

// The longest line taken: longer ones are no entry (a name is at most a few kilobytes).
constexpr size_t kLongestLine = size_t{64} * 1024;

const NamedHash& Of(ListedHash hash) {
    for (const NamedHash& h : kHashes) {
        if (h.hash == hash) return h;
    }
    return kHashes[0];
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool IsHex(std::string_view text, size_t digits) {
    return text.size() == digits && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
           });
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Slashes(std::string_view name) {
    std::string out(name);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

struct NameInfo {
    ListName kind = ListName::None;
    std::optional<ListedHash> hash;
    bool bagIt = false;
};

// "md5", "sha256", "b2", ... as a hash; `sums`: the "sum" forms, which SFV and XXH128 lack.
std::optional<ListedHash> HashOfWord(std::string_view word, bool sums) {
    for (const NamedHash& h : kHashes) {
        if (sums && (h.hash == ListedHash::Crc32 || h.hash == ListedHash::Xxh128)) continue;
        if (word == h.ext || (h.hash != ListedHash::Blake2b && word == h.tag)) return h.hash;
    }
    return std::nullopt;
}

NameInfo Examine(std::string_view name) {
    std::string lower = Lower(name);
    const bool txt = lower.size() > 4 && lower.ends_with(".txt");
    if (txt) lower.resize(lower.size() - 4);
    // MD5SUMS, sha256sum.txt, B2SUMS.txt
    for (const char* suffix : {"sums", "sum"}) {
        const std::string_view s(suffix);
        if (lower.size() > s.size() && lower.ends_with(s) && (txt || s == "sums")) {
            if (const auto hash = HashOfWord(lower.substr(0, lower.size() - s.size()), true))
                return {ListName::Named, hash, false};
        }
    }
    if (txt) {
        for (const char* prefix : {"manifest-", "tagmanifest-"}) {
            if (lower.starts_with(prefix)) {
                const auto hash = HashOfWord(lower.substr(std::string_view(prefix).size()), true);
                if (hash) return {ListName::Named, hash, true};
            }
        }
        return {ListName::Text, std::nullopt, false};
    }
    if (lower.ends_with("-checksum") || lower == "checksum") return {ListName::Named, {}, false};
    // x.sha256, x.sha256sum
    const size_t dot = lower.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == lower.size()) return {};
    std::string_view ext = std::string_view(lower).substr(dot + 1);
    if (const auto hash = HashOfWord(ext, false)) return {ListName::Named, hash, false};
    if (ext.ends_with("sum")) {
        ext.remove_suffix(3);
        if (const auto hash = HashOfWord(ext, true)) return {ListName::Named, hash, false};
    }
    return {};
}

// The BSD form's tag: "SHA256", "BLAKE2b", "BLAKE2b-512", ...
std::optional<ListedHash> HashOfTag(std::string_view tag) {
    std::string lower = Lower(tag);
    if (lower == "blake2b-512") lower = "blake2b";
    for (const NamedHash& h : kHashes) {
        if (lower == h.tag && h.hash != ListedHash::Crc32) return h.hash;
    }
    return std::nullopt;
}

std::string Name(std::string_view listed, bool escaped) {
    return escaped ? UnescapeName(listed) : Slashes(listed);
}

// "TAG (name) = digest"
std::optional<ListedFile> BsdLine(std::string_view line, bool escaped) {
    const size_t open = line.find(" (");
    const size_t close = line.rfind(") = ");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    const auto hash = HashOfTag(line.substr(0, open));
    const std::string_view digest = line.substr(close + 4);
    if (!hash || !IsHex(digest, Of(*hash).digits)) return std::nullopt;
    const std::string_view name = line.substr(open + 2, close - open - 2);
    if (name.empty()) return std::nullopt;
    return ListedFile{Name(name, escaped), *hash, Lower(digest)};
}

// BagIt escapes line breaks and "%" in names.
std::string PercentDecoded(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '%' && i + 2 < name.size() && HexValue(name[i + 1]) >= 0 &&
            HexValue(name[i + 2]) >= 0) {
            const char c = static_cast<char>(HexValue(name[i + 1]) * 16 + HexValue(name[i + 2]));
            if (c == '\n' || c == '\r' || c == '%') {
                out += c;
                i += 2;
                continue;
            }
        }
        out += name[i] == '\\' ? '/' : name[i];
    }
    return out;
}

}  // namespace

ListName ChecksumListName(std::string_view name) {
    return Examine(name).kind;
}

bool IsChecksumFileName(std::string_view name) {
    return ChecksumListName(name) == ListName::Named;
}

ChecksumListReader::ChecksumListReader(std::string_view name) {
    const NameInfo info = Examine(name);
    m_kind = info.kind;
    if (info.hash) m_nameHash = static_cast<int>(*info.hash);
    m_sfv = info.hash == ListedHash::Crc32;
    m_bagIt = info.bagIt;
    const std::string lower = Lower(name);
    m_b2Name = lower.find("b2") != std::string::npos || lower.find("blake") != std::string::npos;
}

void ChecksumListReader::Feed(std::string_view piece, std::vector<ListedFile>& entries) {
    while (!piece.empty()) {
        const size_t end = piece.find('\n');
        const std::string_view part = piece.substr(0, end);
        piece.remove_prefix(end == std::string_view::npos ? piece.size() : end + 1);
        if (!m_skipping) {
            if (m_pending.size() + part.size() > kLongestLine) {
                m_skipping = true;
                m_pending.clear();
                ++m_notUnderstood;
            } else if (end != std::string_view::npos && m_pending.empty()) {
                Line(part, entries);
            } else {
                m_pending.append(part);
                if (end != std::string_view::npos) {
                    Line(m_pending, entries);
                    m_pending.clear();
                }
            }
        }
        if (end != std::string_view::npos) m_skipping = false;
    }
}

void ChecksumListReader::End(std::vector<ListedFile>& entries) {
    if (!m_skipping && !m_pending.empty()) Line(m_pending, entries);
    m_pending.clear();
    m_skipping = false;
}

void ChecksumListReader::Line(std::string_view line, std::vector<ListedFile>& entries) {
    if (m_firstLine && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);  // Windows' BOM
    const bool first = m_firstLine;
    m_firstLine = false;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // An OpenPGP clear signature around the list (Fedora's CHECKSUM files).
    if (m_pgp == 1) {
        if (line.empty()) m_pgp = 0;
        return;
    }
    if (m_pgp == 2) {
        if (line == "-----END PGP SIGNATURE-----") m_pgp = 0;
        return;
    }
    if (line == "-----BEGIN PGP SIGNED MESSAGE-----") {
        m_pgp = 1;
        return;
    }
    if (line == "-----BEGIN PGP SIGNATURE-----") {
        m_pgp = 2;
        return;
    }
    if (line.starts_with("- ")) line.remove_prefix(2);  // dash-escaped
    if (first && line.starts_with("%%%% HASHDEEP-")) {
        m_hashdeep = true;
        return;
    }
    if (m_hashdeep) {
        HashdeepLine(line, entries);
        return;
    }
    const size_t text = line.find_first_not_of(" \t");
    if (text == std::string_view::npos || line[text] == '#' || line[text] == ';') return;
    std::optional<ListedFile> file;
    if (m_sfv) {
        // "name crc32"
        const size_t space = line.find_last_of(" \t");
        if (space != std::string_view::npos && space > 0 && IsHex(line.substr(space + 1), 8)) {
            std::string_view name = line.substr(0, space);
            while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
                name.remove_suffix(1);
            if (!name.empty())
                file = ListedFile{Slashes(name), ListedHash::Crc32, Lower(line.substr(space + 1))};
        }
    } else {
        const bool escaped = !m_bagIt && line.front() == '\\';
        if (escaped) line.remove_prefix(1);
        if (!m_bagIt) file = BsdLine(line, escaped);
        // "digest  name", "digest *name"; BagIt: "digest" and any blanks before the name
        const size_t space = line.find_first_of(" \t");
        if (!file && space != std::string_view::npos) {
            const std::string_view digest = line.substr(0, space);
            std::string_view name = line.substr(space + 1);
            bool formed = true;
            if (m_bagIt) {
                name.remove_prefix(std::min(name.size(), name.find_first_not_of(" \t")));
            } else if (name.starts_with(' ') || name.starts_with('*')) {
                name.remove_prefix(1);
            } else {
                formed = false;
            }
            std::optional<ListedHash> hash;
            if (m_nameHash >= 0) {
                hash = static_cast<ListedHash>(m_nameHash);
            } else {
                for (const NamedHash& h : kHashes) {
                    if (h.digits == digest.size() && h.hash != ListedHash::Xxh128 &&
                        h.hash != ListedHash::Crc32 &&
                        (h.digits != 128 || (h.hash == ListedHash::Blake2b) == m_b2Name)) {
                        hash = h.hash;
                        break;
                    }
                }
            }
            if (formed && hash && !name.empty() && IsHex(digest, Of(*hash).digits)) {
                file = ListedFile{m_bagIt ? PercentDecoded(name) : Name(name, escaped), *hash,
                                  Lower(digest)};
            }
        }
    }
    // No file name holds a NUL: such a line names nothing that could be found.
    if (file && file->Path.find('\0') == std::string::npos) {
        entries.push_back(std::move(*file));
    } else {
        ++m_notUnderstood;
    }
}

// "%%%% size,md5,sha256,filename", "## Invoked from: /folder", "12,digest,digest,name"
void ChecksumListReader::HashdeepLine(std::string_view line, std::vector<ListedFile>& entries) {
    if (line.empty()) return;
    if (line.starts_with("%%%% ")) {
        m_columns = 0;
        m_hashColumn = -1;
        std::string_view rest = line.substr(5);
        int best = -1;
        while (true) {
            const size_t comma = rest.find(',');
            const std::string column = Lower(rest.substr(0, comma));
            // The strongest hash a line gives is enough to judge its file.
            for (const ListedHash hash : {ListedHash::Md5, ListedHash::Sha1, ListedHash::Sha256}) {
                if (column == Of(hash).tag && static_cast<int>(hash) > best) {
                    best = static_cast<int>(hash);
                    m_hashColumn = static_cast<int>(m_columns);
                }
            }
            ++m_columns;
            if (comma == std::string_view::npos) break;
            rest.remove_prefix(comma + 1);
        }
        m_hashdeepHash = best;
        return;
    }
    if (line.starts_with("##")) {
        constexpr std::string_view kInvoked = "## Invoked from: ";
        if (line.starts_with(kInvoked)) {
            m_invokedFrom = Slashes(line.substr(kInvoked.size()));
            if (!m_invokedFrom.ends_with('/')) m_invokedFrom += '/';
        }
        return;
    }
    std::vector<std::string_view> fields;
    std::string_view rest = line;
    while (m_columns > 0 && fields.size() + 1 < m_columns) {
        const size_t comma = rest.find(',');
        if (comma == std::string_view::npos) break;
        fields.push_back(rest.substr(0, comma));
        rest.remove_prefix(comma + 1);
    }
    if (m_hashColumn < 0 || m_columns == 0 || fields.size() + 1 != m_columns || rest.empty() ||
        static_cast<size_t>(m_hashColumn) >= fields.size()) {
        ++m_notUnderstood;
        return;
    }
    const ListedHash hash = static_cast<ListedHash>(m_hashdeepHash);
    const std::string_view digest = fields[static_cast<size_t>(m_hashColumn)];
    if (!IsHex(digest, Of(hash).digits)) {
        ++m_notUnderstood;
        return;
    }
    std::string name = Slashes(rest);
    if (name.find('\0') != std::string::npos) {
        ++m_notUnderstood;
        return;
    }
    // Paths below the folder hashdeep ran in are taken as relative to it, where the list lies.
    if (!m_invokedFrom.empty() && name.starts_with(m_invokedFrom))
        name.erase(0, m_invokedFrom.size());
    if (name.empty()) {  // the folder itself
        ++m_notUnderstood;
        return;
    }
    entries.push_back({std::move(name), hash, Lower(digest)});
}

std::vector<ListedFile> ParseChecksumFile(std::string_view name, std::string_view content) {
    std::vector<ListedFile> files;
    ChecksumListReader reader(name);
    reader.Feed(content, files);
    reader.End(files);
    return files;
}

std::string EscapeListedName(std::string_view name, bool& escaped) {
    escaped = name.find_first_of("\r\n") != std::string_view::npos;
    if (!escaped) return std::string(name);
    std::string out;
    for (const char c : name) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

std::string UnescapeName(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '\\' || i + 1 == name.size()) {
            out += name[i];
            continue;
        }
        const char next = name[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
    }
    return out;
}

bool JoinListedPath(const std::string& folder, std::string_view listed, std::string& joined) {
    joined.clear();
    const bool drive =
        listed.size() >= 2 && listed[1] == ':' &&
        ((listed[0] >= 'A' && listed[0] <= 'Z') || (listed[0] >= 'a' && listed[0] <= 'z'));
    if (listed.starts_with('/') || drive) return false;
    std::vector<std::string_view> parts;
    const std::string whole = folder + std::string(listed);
    const std::string_view all(whole);
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find('/', start);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view part = all.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (parts.empty()) return false;
            parts.pop_back();
        } else {
            parts.push_back(part);
        }
    }
    for (const std::string_view part : parts) {
        if (!joined.empty()) joined += '/';
        joined += part;
    }
    return !joined.empty();
}

}  // namespace vorlaxis
