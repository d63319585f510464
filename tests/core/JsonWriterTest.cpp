#include "core/JsonWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace vorlaxis {
namespace {

TEST(JsonQuoted, EscapesWhatAParserCouldStumbleOverAndRepairsInvalidUtf8) {
    const std::string fffd = "\xEF\xBF\xBD";
    const struct {
        std::string text, quoted;
    } cases[] = {
        {"plain č😀", "\"plain č😀\""},
        {"q\"b\\s/", "\"q\\\"b\\\\s/\""},
        {"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
        {std::string("a\0b\x01\x1f", 5), "\"a\\u0000b\\u0001\\u001f\""},
        {"\x1b[31m\x7f", "\"\\u001b[31m\\u007f\""},
        {"\xC2\x80\xC2\x9B\xC2\xA0", "\"\\u0080\\u009b\xC2\xA0\""},  // C1 escaped, NBSP kept
        {"\xE2\x80\xA8\xE2\x80\xA9", "\"\\u2028\\u2029\""},
        {"caf\xE9", "\"caf" + fffd + "\""},
        {"\xFF\xFE", "\"" + fffd + fffd + "\""},
        {"cut\xC3", "\"cut" + fffd + "\""},
        {"\xC0\xAF", "\"" + fffd + fffd + "\""},                        // overlong "/"
        {"\xED\xA0\x80", "\"" + fffd + fffd + fffd + "\""},             // a surrogate half
        {"\xF4\x90\x80\x80", "\"" + fffd + fffd + fffd + fffd + "\""},  // beyond U+10FFFF
        {"", "\"\""},
    };
    for (const auto& c : cases) EXPECT_EQ(JsonQuoted(c.text), c.quoted) << c.text;
}

TEST(JsonWriter, NestsWithCommasAndIndentation) {
    JsonWriter json;
    json.BeginObject();
    json.Key("name");
    json.String("x\ny");
    json.Key("list");
    json.BeginArray();
    json.Integer(-3);
    json.Null();
    json.Bool(true);
    json.BeginObject();
    json.EndObject();
    json.EndArray();
    json.Key("empty");
    json.BeginArray();
    json.EndArray();
    json.Key("seconds");
    json.Number(1234.5678, 3);
    json.Key("big");
    json.Integer(INT64_MAX);
    json.EndObject();
    EXPECT_EQ(json.Text(),
              "{\n"
              "  \"name\": \"x\\ny\",\n"
              "  \"list\": [\n"
              "    -3,\n"
              "    null,\n"
              "    true,\n"
              "    {}\n"
              "  ],\n"
              "  \"empty\": [],\n"
              "  \"seconds\": 1234.568,\n"
              "  \"big\": 9223372036854775807\n"
              "}\n");
}

TEST(JsonWriter, NumbersAreAlwaysValidJson) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {0.0, 3, "0.000"},  {0.0004, 3, "0.000"},
        {2.26, 1, "2.3"},   {1e20, 0, "100000000000000000000"},
        {NAN, 3, "0.000"},  {INFINITY, 2, "0.00"},
        {-1.5, 2, "-1.50"}, {1.0 / 3.0, 40, "0.33333333333333331"},
    };
    for (const auto& c : cases) {
        JsonWriter json;
        json.Number(c.value, c.decimals);
        EXPECT_EQ(json.Text(), c.text) << c.value;
    }
}

}  // namespace
}  // namespace vorlaxis
