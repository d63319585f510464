#include "engine/ChecksumFiles.h"

#include <algorithm>
#include <optional>

namespace vorlaxis {

namespace {

struct NamedHash {
    const char* tag;  // the BSD form's tag and the extension
    ListedHash hash;
    size_t digits;
};

constexpr NamedHash kHashes[] = {
    {"md5", ListedHash::Md5, 32},       {"sha1", ListedHash::Sha1, 40},
    {"sha256", ListedHash::Sha256, 64}, {"sha512", ListedHash::Sha512, 128},
    {"sfv", ListedHash::Crc32, 8},      {"xxh128", ListedHash::Xxh128, 32},
};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// The hash the file's name stands for.
std::optional<NamedHash> HashOfName(std::string_view name) {
    const std::string lower = Lower(name);
    for (const NamedHash& h : kHashes) {
        const std::string tag(h.tag);
        if (lower.size() > tag.size() + 1 && lower.ends_with("." + tag)) return h;
        if (h.hash != ListedHash::Crc32 && h.hash != ListedHash::Xxh128 && lower == tag + "sums")
            return h;
    }
    return std::nullopt;
}

std::optional<NamedHash> HashOfTag(std::string_view tag) {
    const std::string lower = Lower(tag);
    for (const NamedHash& h : kHashes) {
        if (lower == h.tag && h.hash != ListedHash::Crc32) return h;
    }
    return std::nullopt;
}

bool IsHex(std::string_view text, size_t digits) {
    return text.size() == digits && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
           });
}

// "TAG (name) = digest"
std::optional<ListedFile> BsdLine(std::string_view line, bool escaped) {
    const size_t open = line.find(" (");
    const size_t close = line.rfind(") = ");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    const auto hash = HashOfTag(line.substr(0, open));
    const std::string_view digest = line.substr(close + 4);
    if (!hash || !IsHex(digest, hash->digits)) return std::nullopt;
    const std::string_view name = line.substr(open + 2, close - open - 2);
    return ListedFile{escaped ? UnescapeName(name) : std::string(name), hash->hash, Lower(digest)};
}

// "digest  name" or "digest *name"
std::optional<ListedFile> GnuLine(std::string_view line, bool escaped, const NamedHash& hash) {
    const size_t space = line.find(' ');
    if (space == std::string_view::npos || space + 2 > line.size()) return std::nullopt;
    if (line[space + 1] != ' ' && line[space + 1] != '*') return std::nullopt;
    const std::string_view digest = line.substr(0, space);
    if (!IsHex(digest, hash.digits)) return std::nullopt;
    const std::string_view name = line.substr(space + 2);
    if (name.empty()) return std::nullopt;
    return ListedFile{escaped ? UnescapeName(name) : std::string(name), hash.hash, Lower(digest)};
}

// "name crc32", comments after ";"
std::optional<ListedFile> SfvLine(std::string_view line) {
    if (line.empty() || line.front() == ';') return std::nullopt;
    const size_t space = line.rfind(' ');
    if (space == std::string_view::npos || space == 0) return std::nullopt;
    const std::string_view digest = line.substr(space + 1);
    if (!IsHex(digest, 8)) return std::nullopt;
    std::string_view name = line.substr(0, space);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    return ListedFile{std::string(name), ListedHash::Crc32, Lower(digest)};
}

}  // namespace

bool IsChecksumFileName(std::string_view name) {
    return HashOfName(name).has_value();
}

std::vector<ListedFile> ParseChecksumFile(std::string_view name, std::string_view content) {
    std::vector<ListedFile> files;
    const auto hash = HashOfName(name);
    if (!hash) return files;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string_view::npos) end = content.size();
        std::string_view line = content.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::optional<ListedFile> file;
        if (hash->hash == ListedHash::Crc32) {
            file = SfvLine(line);
        } else {
            const bool escaped = !line.empty() && line.front() == '\\';
            if (escaped) line.remove_prefix(1);
            file = BsdLine(line, escaped);
            if (!file) file = GnuLine(line, escaped, *hash);
        }
        if (file) files.push_back(std::move(*file));
    }
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

std::string JoinListedPath(const std::string& folder, std::string_view listed) {
    std::vector<std::string> parts;
    const std::string whole = folder + std::string(listed);
    size_t start = 0;
    while (start <= whole.size()) {
        size_t end = whole.find('/', start);
        if (end == std::string::npos) end = whole.size();
        const std::string part = whole.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == ".." && !parts.empty()) {
            parts.pop_back();
        } else {
            parts.push_back(part);
        }
    }
    std::string joined;
    for (const std::string& part : parts) joined += (joined.empty() ? "" : "/") + part;
    return joined;
}

}  // namespace vorlaxis
