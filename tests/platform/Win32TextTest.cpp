// Windows texts: the user's date and time formats and the case-insensitive order.
#include <gtest/gtest.h>

#include <string>

#include "platform/Text.h"

using namespace vorlaxis::platform;

TEST(DateTime, UserFormatsCarryTheDateAndTimeWithoutZone) {
    LocalDateTime m;
    m.year = 2026, m.month = 3, m.day = 7, m.hour = 19, m.minute = 5, m.second = 4;
    const std::string date = FormatShortDate(m);
    const std::string time = FormatLongTime(m);
    EXPECT_NE(date.find("2026"), std::string::npos) << date;
    EXPECT_NE(date.find('7'), std::string::npos) << date;
    EXPECT_NE(time.find("05"), std::string::npos) << time;
    EXPECT_NE(time.find("04"), std::string::npos) << time;
    EXPECT_EQ(time.find("GMT"), std::string::npos) << time;
    const LocalDateTime now = LocalNow();
    EXPECT_GE(now.year, 2024);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
}

TEST(CompareTextNoCase, IgnoresCaseAndOrdersDriveLetters) {
    EXPECT_EQ(CompareTextNoCase("c:\\data", "C:\\Data"), 0);
    EXPECT_LT(CompareTextNoCase("A:\\", "B:\\"), 0);
    EXPECT_GT(CompareTextNoCase("c:\\", "B:\\"), 0);
    EXPECT_EQ(CompareTextNoCase("ŽLUŤ", "žluť"), 0);
    EXPECT_LT(CompareTextNoCase("", "a"), 0);
    // Texts that differ only in what the locale ignores still have a fixed order.
    const int r = CompareTextNoCase("ab",
                                    "a\xC2\xAD"
                                    "b");  // soft hyphen
    EXPECT_NE(r, 0);
    EXPECT_EQ(CompareTextNoCase("a\xC2\xAD"
                                "b",
                                "ab"),
              -r);
}

TEST(Cp1250, LogTextsAreTheSameBytesAsOnLinux) {
    EXPECT_EQ(Utf8ToCp1250("Průběh testu"),
              "Pr\xF9"
              "b\xECh testu");
    EXPECT_EQ(Utf8ToCp1250("\xE4\xB8\xAD.txt"), "?.txt");
    EXPECT_EQ(Cp1250ToUtf8("\x8A"), "Š");
}
