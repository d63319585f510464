#include "settings/IniFile.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "platform/Files.h"

namespace vorlaxis {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Length-prefixed so that no pair of names can collide, whatever bytes they hold.
std::string IndexKey(std::string_view section, std::string_view key, bool withKey) {
    std::string result = std::to_string(section.size()) + ':';
    const size_t start = result.size();
    result.reserve(start + section.size() + key.size() + 1);
    result += section;
    if (withKey) {
        result += ':';
        result += key;
    }
    for (size_t i = start; i < result.size(); ++i) result[i] = LowerAscii(result[i]);
    return result;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

// A value must stay on its line: a line break in it would start new keys or sections.
// Blanks at either end, or a pair of surrounding quotes, would be lost on reading; quoting
// keeps them, and the private-profile reader removes exactly that pair again.
std::string StorableValue(std::string_view value) {
    std::string result(value);
    for (char& c : result) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    const bool blankEnds = !result.empty() && (IsBlank(result.front()) || IsBlank(result.back()));
    const bool quoted = result.size() >= 2 && (result.front() == '"' || result.front() == '\'') &&
                        result.back() == result.front();
    if (blankEnds || quoted) result = '"' + result + '"';
    return result;
}

// File names are UTF-8 inside the program; the library takes a narrow name in the system's
// code page, so hand it the UTF-8 form explicitly (on Linux the bytes pass unchanged).
std::filesystem::path FsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Adds bytes at the end of a file of `oldSize` bytes; false when refused. A write that stops
// halfway is cut back, so no half line (a cut path, say) is left to be read later.
bool AppendToFile(const std::string& path, int64_t oldSize, const std::string& bytes) {
    std::ofstream out(FsPath(path), std::ios::binary | std::ios::app);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out.fail()) return true;
    std::error_code ec;
    std::filesystem::resize_file(FsPath(path), static_cast<uintmax_t>(oldSize), ec);
    return false;
}

enum class ReplaceResult { Done, Failed, NotTried };

// Writes the content beside the file and renames it over the file, so that a crash or a full
// disk leaves the old file whole. NotTried where renaming does not fit: a symbolic link (the
// user's link must stay) or a folder where no new file can be created (the file itself may
// still be writable in place).
ReplaceResult ReplaceByRename(const std::string& path, const std::string& content) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_symlink(FsPath(path), ec)) return ReplaceResult::NotTried;
    // A name of this write's own: two copies of the program saving at once must not write
    // into each other's temporary file.
    static thread_local std::mt19937_64 random{std::random_device{}()};
    const std::string temporary = path + ".new-" + std::to_string(random() % 1000000000);
    platform::OutputFile out;
    if (!out.createPrivate(temporary)) return ReplaceResult::NotTried;
    bool ok = out.write(content);
    ok = out.close() && ok;
    if (ok) {
        const fs::file_status old = fs::status(FsPath(path), ec);
        const fs::perms perms = !ec && fs::exists(old)
                                    ? old.permissions()
                                    : fs::perms::owner_read | fs::perms::owner_write |
                                          fs::perms::group_read | fs::perms::others_read;
        fs::permissions(FsPath(temporary), perms, ec);
        fs::rename(FsPath(temporary), FsPath(path), ec);
        ok = !ec;
    }
    if (!ok) platform::RemoveFile(temporary);
    return ok ? ReplaceResult::Done : ReplaceResult::Failed;
}

}  // namespace

int32_t ParseIniInteger(std::string_view text, int32_t fallback) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size()) return fallback;
    const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = LowerAscii(text[i]);
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (digit < 0) return fallback;
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (magnitude > limit) return fallback;
    }
    // Hexadecimal text gives the 32-bit pattern: $FFFFFFFF is -1.
    uint32_t bits = static_cast<uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
}

IniDocument::IniDocument(std::string_view content) {
    if (content.substr(0, kBom.size()) == kBom) {
        m_bom = true;
        content.remove_prefix(kBom.size());
    }
    const size_t firstBreak = content.find('\n');
    if (firstBreak != std::string_view::npos) {
        m_lineEnd = firstBreak > 0 && content[firstBreak - 1] == '\r' ? "\r\n" : "\n";
    } else if (platform::PathSeparator() == '\\') {
        m_lineEnd = "\r\n";
    }
    m_endsWithLineEnd = content.empty() || content.back() == '\n';
    while (!content.empty()) {
        const size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        // Every CR before the LF: a stray one would come back as part of the line end.
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        m_lines.push_back(ParseLine(std::string(line)));
    }
}

IniDocument::Line IniDocument::ParseLine(std::string raw) {
    Line line;
    const std::string_view text = Trim(raw);
    if (!text.empty() && text.front() == '[') {
        // A header without "]" opens no section; it stays as an unknown line.
        const size_t close = text.find(']');
        if (close != std::string_view::npos) {
            line.kind = Kind::Section;
            line.name = Trim(text.substr(1, close - 1));
        }
    } else if (!text.empty() && text.front() != ';') {
        const size_t equals = text.find('=');
        const std::string_view name =
            equals == std::string_view::npos ? std::string_view() : Trim(text.substr(0, equals));
        if (!name.empty()) {
            line.kind = Kind::Key;
            line.name = name;
        }
    }
    line.raw = std::move(raw);
    return line;
}

std::string IniDocument::Text() const {
    std::string result;
    if (m_bom) result = kBom;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        result += m_lines[i].raw;
        if (i + 1 < m_lines.size() || m_endsWithLineEnd) result += m_lineEnd;
    }
    return result;
}

void IniDocument::RebuildIndex() const {
    m_index.clear();
    m_lastHeader = SIZE_MAX;
    const std::string* section = nullptr;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Kind::Section) {
            section = &line.name;
            m_lastHeader = i;
            m_index.emplace(IndexKey(line.name, {}, false), i);
        } else if (line.kind == Kind::Key && section) {
            // emplace keeps the first: the first of duplicate keys wins.
            m_index.emplace(IndexKey(*section, line.name, true), i);
        }
    }
    m_indexValid = true;
}

const IniDocument::Line* IniDocument::FindKey(std::string_view section,
                                              std::string_view key) const {
    if (!m_indexValid) RebuildIndex();
    const auto it = m_index.find(IndexKey(section, key, true));
    return it == m_index.end() ? nullptr : &m_lines[it->second];
}

bool IniDocument::HasKey(std::string_view section, std::string_view key) const {
    return FindKey(section, key) != nullptr;
}

bool IniDocument::HasSection(std::string_view section) const {
    if (!m_indexValid) RebuildIndex();
    return m_index.count(IndexKey(section, {}, false)) != 0;
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
    const Line* line = FindKey(section, key);
    if (!line) return std::string(fallback);
    std::string_view value = Trim(std::string_view(line->raw).substr(line->raw.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, kIniMaxValueLength));
}

int32_t IniDocument::ReadInteger(std::string_view section, std::string_view key,
                                 int32_t fallback) const {
    if (!HasKey(section, key)) return fallback;
    return ParseIniInteger(ReadString(section, key, {}), fallback);
}

bool IniDocument::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

IniEdit IniDocument::WriteString(std::string_view section, std::string_view key,
                                 std::string_view value) {
    const std::string stored = StorableValue(value);
    if (const Line* existing = FindKey(section, key)) {
        // Only the value changes, so the index stays valid.
        Line& line = m_lines[static_cast<size_t>(existing - m_lines.data())];
        std::string raw = line.name + '=' + stored;  // keeps the name as the file spells it
        if (raw == line.raw) return {};
        line.raw = std::move(raw);
        m_endsWithLineEnd = true;
        return {IniEdit::Rewrite, {}};
    }
    const size_t oldCount = m_lines.size();
    Line keyLine{std::string(key) + '=' + stored, Kind::Key, std::string(key)};
    const auto header = m_index.find(IndexKey(section, {}, false));
    if (header == m_index.end()) {
        if (!m_lines.empty() && !Trim(m_lines.back().raw).empty()) m_lines.push_back(Line{});
        m_index.emplace(IndexKey(section, {}, false), m_lines.size());
        m_lastHeader = m_lines.size();
        m_lines.push_back(
            Line{'[' + std::string(section) + ']', Kind::Section, std::string(section)});
        m_index.emplace(IndexKey(section, key, true), m_lines.size());
        m_lines.push_back(std::move(keyLine));
        return AppendedSince(oldCount);
    }
    // After the section's last line that is not blank, so a blank line before the next
    // section stays where it is.
    const size_t insertAt = InsertionPoint(header->second);
    if (insertAt == m_lines.size()) {
        m_index.emplace(IndexKey(section, key, true), insertAt);  // nothing moves
        m_lines.push_back(std::move(keyLine));
        return AppendedSince(oldCount);
    }
    Changed();
    m_endsWithLineEnd = true;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(keyLine));
    return {IniEdit::Rewrite, {}};
}

size_t IniDocument::InsertionPoint(size_t header) const {
    if (header == m_lastHeader) {
        // The last section runs to the end of the file: look back over its blank lines only,
        // so that adding many keys to it stays cheap.
        size_t end = m_lines.size();
        while (end > header + 1 && Trim(m_lines[end - 1].raw).empty()) --end;
        return end;
    }
    size_t insertAt = header + 1;
    for (size_t j = insertAt; j < m_lines.size() && m_lines[j].kind != Kind::Section; ++j) {
        if (!Trim(m_lines[j].raw).empty()) insertAt = j + 1;
    }
    return insertAt;
}

IniEdit IniDocument::AppendedSince(size_t firstNew) {
    IniEdit edit{IniEdit::Append, {}};
    // A last line without its line end gets one first.
    if (firstNew > 0 && !m_endsWithLineEnd) edit.appended = m_lineEnd;
    for (size_t i = firstNew; i < m_lines.size(); ++i) edit.appended += m_lines[i].raw + m_lineEnd;
    m_endsWithLineEnd = true;
    return edit;
}

IniEdit IniDocument::EraseSection(std::string_view section) {
    std::vector<Line> kept;
    kept.reserve(m_lines.size());
    bool erasing = false;
    for (Line& line : m_lines) {
        if (line.kind == Kind::Section) erasing = SameName(line.name, section);
        if (!erasing) kept.push_back(std::move(line));
    }
    const bool erased = kept.size() != m_lines.size();
    m_lines = std::move(kept);
    if (!erased) return {};
    Changed();
    return {IniEdit::Rewrite, {}};
}

IniFile::IniFile(std::string path) : m_path(std::move(path)) {
    Load();
}

void IniFile::Load() {
    std::string content;
    const bool read = platform::ReadWholeFile(m_path, content);
    if (!read && platform::Exists(m_path)) {
        // There but unreadable for the moment (on Windows, while another program replaces
        // it): an empty document would make the next save drop every other key.
        m_savedSize = -1;
        return;
    }
    m_document = read ? IniDocument(content) : IniDocument();
    // Lines are appended only onto the very text the document writes; a file with other line
    // ends or stray CRs is written whole once first.
    m_savedSize = read && m_document.Text() == content ? static_cast<int64_t>(content.size()) : -1;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    return Apply(m_document.WriteString(section, key, value));
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

bool IniFile::EraseSection(std::string_view section) {
    return Apply(m_document.EraseSection(section));
}

bool IniFile::Apply(const IniEdit& edit) {
    // The profile functions refuse a read-only file, even for a value it already holds;
    // renaming over it would not.
    bool done = !platform::IsReadOnlyFile(m_path);
    if (done && edit.kind == IniEdit::Append) {
        // Appending is safe only onto the very text this object last saw.
        if (platform::ListedFileSize(m_path) == m_savedSize &&
            AppendToFile(m_path, m_savedSize, edit.appended)) {
            m_savedSize += static_cast<int64_t>(edit.appended.size());
        } else {
            done = Save();
        }
    } else if (done && edit.kind == IniEdit::Rewrite) {
        done = Save();
    }
    if (!done) Load();  // stay in step with what the file really holds
    return done;
}

bool IniFile::Save() {
    const std::string content = m_document.Text();
    const ReplaceResult result = ReplaceByRename(m_path, content);
    const bool saved = result == ReplaceResult::Done || (result == ReplaceResult::NotTried &&
                                                         platform::WriteWholeFile(m_path, content));
    if (saved) m_savedSize = static_cast<int64_t>(content.size());
    return saved;
}

}  // namespace vorlaxis
