// A small JSON writer for the machine-readable results: values go out in the order they are
// written, two spaces of indentation per level; commas and line breaks are its business.
//
// Strings are UTF-8 as the program holds them, file names included (on Linux a name is any
// bytes). What a parser could stumble over is escaped: '"' and '\', every control character
// (U+0000..U+001F, U+007F and the C1 controls U+0080..U+009F) and the line and paragraph
// separators U+2028 and U+2029. Each byte that is not part of a valid UTF-8 sequence becomes
// U+FFFD, as the program shows such names on screen, so the output is always valid UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlaxis {

class JsonWriter {
  public:
    // Inside an object every value is preceded by its Key; inside an array it is not.
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(std::string_view name);

    void String(std::string_view text);
    void Integer(int64_t value);
    // A number with a fixed count of decimals, written the same in every locale.
    void Number(double value, int decimals);
    void Bool(bool value);
    void Null();

    // The text written so far; ends with a line break once the outermost value is closed.
    const std::string& Text() const { return m_text; }

  private:
    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);
    void NewLine();

    std::string m_text;
    std::vector<bool> m_empty;  // per open container: nothing written into it yet
    bool m_afterKey = false;
};

// `text` as a quoted JSON string, escaped as above.
std::string JsonQuoted(std::string_view text);

}  // namespace vorlaxis
