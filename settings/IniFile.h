// INI text read and written the way the Windows private-profile functions do, so that a file
// written by either side reads the same on the other. Lines the program does not know
// (comments, foreign sections and keys, garbage) are kept as they are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vorlaxis {

// Values are read back at most this long, as through a 2048-byte profile buffer.
constexpr size_t kIniMaxValueLength = 2047;

// Parses an integer value: signed decimal, or hexadecimal after "0x", "0X" or "$" (a sign may
// precede the prefix). Anything else, or a number outside 32 bits, gives `fallback`.
int32_t ParseIniInteger(std::string_view text, int32_t fallback);

// What an edit did to the text, so that the file can follow it cheaply.
struct IniEdit {
    enum Kind { None, Append, Rewrite };
    Kind kind = None;
    std::string appended;  // for Append: the bytes that now end the text
};

// The text of an INI file in memory. Section and key names match without regard to (ASCII)
// case; where a name occurs twice, the first occurrence wins. Reading accepts CR LF and LF
// and ignores a UTF-8 byte-order mark; writing keeps the file's own line ends.
class IniDocument {
  public:
    // An empty file: new lines end as the platform ends them (CR LF on Windows, LF here).
    IniDocument() : IniDocument(std::string_view()) {}
    explicit IniDocument(std::string_view content);

    // The whole file as it would be saved.
    std::string Text() const;

    // The value with blanks trimmed, one pair of surrounding quotes removed and cut at
    // kIniMaxValueLength; `fallback` when the key is missing.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
    // Read as an integer with the default 1 or 0; any non-zero number is true.
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;
    bool HasKey(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;

    // Sets a key: replaces the first one of that name, or adds it at the end of the section,
    // or appends the section at the end of the file.
    IniEdit WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Removes every section of that name with all its lines.
    IniEdit EraseSection(std::string_view section);

  private:
    enum class Kind { Other, Section, Key };
    struct Line {
        std::string raw;  // as in the file, without the line end
        Kind kind = Kind::Other;
        std::string name;  // section or key name, trimmed
    };

    static Line ParseLine(std::string raw);
    size_t InsertionPoint(size_t header) const;
    IniEdit AppendedSince(size_t firstNew);
    const Line* FindKey(std::string_view section, std::string_view key) const;
    void RebuildIndex() const;
    void Changed() { m_indexValid = false; }

    std::vector<Line> m_lines;
    std::string m_lineEnd = "\n";
    bool m_endsWithLineEnd = true;
    bool m_bom = false;
    // Lower-case "section\0key" and "section" to the first line that holds them.
    mutable std::unordered_map<std::string, size_t> m_index;
    mutable bool m_indexValid = false;
    mutable size_t m_lastHeader = SIZE_MAX;  // the file's last section header
};

// An INI file on disk. Every write goes to the file at once, as the profile functions do.
// A changed file is written beside it and renamed over it, so a crash mid-write leaves either
// the old or the new file; lines added at the end are appended, which leaves what stood
// before untouched; a write that changes nothing leaves the file alone. A read-only file is
// refused, as it is on Windows.
class IniFile {
  public:
    // Loads the file; a missing or unreadable file reads as an empty one.
    explicit IniFile(std::string path);

    const std::string& Path() const { return m_path; }
    const IniDocument& Document() const { return m_document; }

    // False when the system refused the write; the file then holds what it held before.
    [[nodiscard]] bool WriteString(std::string_view section, std::string_view key,
                                   std::string_view value);
    [[nodiscard]] bool WriteInteger(std::string_view section, std::string_view key, int32_t value);
    [[nodiscard]] bool WriteBool(std::string_view section, std::string_view key, bool value);
    [[nodiscard]] bool EraseSection(std::string_view section);

  private:
    void Load();
    bool Apply(const IniEdit& edit);
    bool Save();

    std::string m_path;
    IniDocument m_document;
    int64_t m_savedSize = -1;  // the file's size as last read or written; -1 when unknown
};

}  // namespace vorlaxis
