#include "core/JsonWriter.h"

#include <charconv>
#include <cmath>

#include "platform/Utf8.h"

namespace vorlaxis {

namespace {

void AppendEscape(std::string& out, uint32_t cp) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(cp >> shift) & 0xF];
}

void AppendCodePoint(std::string& out, uint32_t cp) {
    switch (cp) {
        case '"':
            out += "\\\"";
            return;
        case '\\':
            out += "\\\\";
            return;
        case '\b':
            out += "\\b";
            return;
        case '\f':
            out += "\\f";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        default:
            break;
    }
    const bool control = cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
    if (control || cp == 0x2028 || cp == 0x2029) {
        AppendEscape(out, cp);
    } else {
        platform::AppendUtf8(out, cp);
    }
}

}  // namespace

std::string JsonQuoted(std::string_view text) {
    std::string out = "\"";
    platform::ForEachUtf8(
        text, [&](uint32_t cp, std::string_view) { AppendCodePoint(out, cp); },
        [&] { AppendCodePoint(out, 0xFFFD); });
    out += '"';
    return out;
}

void JsonWriter::NewLine() {
    m_text += '\n';
    m_text.append(m_empty.size() * 2, ' ');
}

void JsonWriter::BeforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_empty.empty()) return;
    if (!m_empty.back()) m_text += ',';
    m_empty.back() = false;
    NewLine();
}

void JsonWriter::Open(char bracket) {
    BeforeValue();
    m_text += bracket;
    m_empty.push_back(true);
}

void JsonWriter::Close(char bracket) {
    const bool empty = m_empty.back();
    m_empty.pop_back();
    if (!empty) NewLine();
    m_text += bracket;
    if (m_empty.empty()) m_text += '\n';
}

void JsonWriter::BeginObject() {
    Open('{');
}
void JsonWriter::EndObject() {
    Close('}');
}
void JsonWriter::BeginArray() {
    Open('[');
}
void JsonWriter::EndArray() {
    Close(']');
}

void JsonWriter::Key(std::string_view name) {
    BeforeValue();
    m_text += JsonQuoted(name);
    m_text += ": ";
    m_afterKey = true;
}

void JsonWriter::String(std::string_view text) {
    BeforeValue();
    m_text += JsonQuoted(text);
}

void JsonWriter::Integer(int64_t value) {
    BeforeValue();
    m_text += std::to_string(value);
}

void JsonWriter::Number(double value, int decimals) {
    BeforeValue();
    // JSON has no infinity or NaN.
    if (!std::isfinite(value)) value = 0.0;
    decimals = decimals < 0 ? 0 : decimals > 17 ? 17 : decimals;
    char buffer[400];  // room for the largest double in fixed notation
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    m_text.append(buffer, ec == std::errc() ? end : buffer);
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    m_text += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    m_text += "null";
}

}  // namespace vorlaxis
