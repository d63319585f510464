#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Text.h"

using namespace vorlaxis::platform;

TEST(Cp1250, CzechLettersAreSingleBytesAndRoundTrip) {
    const std::string czech = "Příliš žluťoučký kůň úpěl ďábelské ódy ĚŠČŘŽÝÁÍÉŮÚŤĎŇ";
    const std::string cp = Utf8ToCp1250(czech);
    EXPECT_EQ(cp.size(), 53u);
    EXPECT_EQ(Cp1250ToUtf8(cp), czech);
    EXPECT_EQ(Utf8ToCp1250("č"), "\xE8");
    EXPECT_EQ(Utf8ToCp1250("€"), "\x80");
}

TEST(Cp1250, UnmappableAndInvalidBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1250("a\xE4\xB8\x80z"), "a?z");  // U+4E00 has no form
    EXPECT_EQ(Utf8ToCp1250("a\xFF\xFEz"), "a??z");     // invalid bytes, one "?" each
    EXPECT_EQ(Utf8ToCp1250("\xC0\x80"), "??");         // overlong NUL
    EXPECT_EQ(Utf8ToCp1250("\xED\xA0\x80"), "???");    // a surrogate
    EXPECT_EQ(Utf8ToCp1250("\xE2\x82"), "??");         // cut short
}

TEST(Cp1250, EveryByteDecodesAndEncodesBack) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(one)), one) << b;
    }
}

TEST(DisplayText, KeepsValidUtf8AndReplacesInvalidBytes) {
    EXPECT_EQ(DisplayText("Žluťák"), "Žluťák");
    EXPECT_EQ(DisplayText("a\xFFz"), "a\xEF\xBF\xBDz");
}

TEST(DateTime, PlainLocaleUsesCzechLikeFormats) {
    ::setenv("LC_ALL", "C", 1);
    LocalDateTime m;
    m.year = 2026, m.month = 3, m.day = 7, m.hour = 9, m.minute = 5, m.second = 4;
    EXPECT_EQ(FormatShortDate(m), "7.3.2026");
    EXPECT_EQ(FormatLongTime(m), "9:05:04");
}

TEST(CompareTextNoCase, IgnoresCaseAndOrdersDriveLetters) {
    EXPECT_EQ(CompareTextNoCase("c:\\data", "C:\\Data"), 0);
    EXPECT_LT(CompareTextNoCase("A:\\", "B:\\"), 0);
    EXPECT_GT(CompareTextNoCase("c:\\", "B:\\"), 0);
    EXPECT_EQ(CompareTextNoCase("ŽLUŤ", "žluť"), 0);
}
