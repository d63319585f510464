#include <gtest/gtest.h>

#include "engine/ReadMode.h"

namespace vorlaxis {
namespace {

TestSettings Options(int32_t style, int32_t step) {
    TestSettings s;
    s.DataReadStyle = style;
    s.ReadEveryXthBlock = step;
    return s;
}

TEST(ReadMode, OptionsDecideWithoutOverride) {
    EXPECT_EQ(DetermineReadMode(Options(1, 3), 0, 0), 1);
    EXPECT_EQ(DetermineReadMode(Options(2, 1), 0, 0), 4);
    EXPECT_EQ(DetermineReadMode(Options(2, 2), 0, 0), 8);
    EXPECT_EQ(DetermineReadMode(Options(2, 3), 0, 1), 16);
    EXPECT_EQ(DetermineReadMode(Options(3, 3), 0, 1), 0);
}

TEST(ReadMode, OverrideWins) {
    EXPECT_EQ(DetermineReadMode(Options(3, 1), 1, 0), 1);
    EXPECT_EQ(DetermineReadMode(Options(1, 2), 2, 0), 8);
    EXPECT_EQ(DetermineReadMode(Options(1, 2), 3, 1), 0);
}

TEST(ReadMode, NoMatchingRowKeepsThePreviousMode) {
    EXPECT_EQ(DetermineReadMode(Options(0, 0), 0, 16), 16);
    EXPECT_EQ(DetermineReadMode(Options(2, 0), 0, 4), 4);
    EXPECT_EQ(DetermineReadMode(Options(0, 0), 0, 0), 0);
    // Blocks forced without a block step in the options: the mode stays the style's.
    EXPECT_EQ(DetermineReadMode(Options(1, 0), 2, 16), 1);
    EXPECT_EQ(DetermineReadMode(Options(0, 7), 2, 8), 8);
}

TEST(ReadMode, TextsAndBlockSize) {
    EXPECT_STREQ(ReadModeDisplayText(16), "čtení každého 16. bloku");
    EXPECT_STREQ(ReadModeLogText(1), "(čtení všech dat z média)");
    EXPECT_STREQ(ReadModeLogText(0), "(pouze otevírání souborů)");
    EXPECT_EQ(BlockBytes(0), 4096);
    EXPECT_EQ(BlockBytes(-5), 4096);
    EXPECT_EQ(BlockBytes(48), 49152);
    EXPECT_EQ(BlockBytes(1000), 49152);
    EXPECT_EQ(BlockBytes(17), 17408);
}

}  // namespace
}  // namespace vorlaxis
