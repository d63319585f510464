#include <gtest/gtest.h>

#include "engine/ReadMode.h"

namespace vorlaxis {
namespace {

// Options with a read style and a block interval, an override and the previous run's mode,
// and the mode they give. The values are the codes as the settings file and the log use them.
struct ModeCase {
    int32_t style, interval, override, previous, expected;
};

void ExpectModes(std::initializer_list<ModeCase> cases) {
    for (const ModeCase& c : cases) {
        TestSettings s;
        s.DataReadStyle = c.style;
        s.ReadEveryXthBlock = c.interval;
        EXPECT_EQ(DetermineReadMode(s, static_cast<ReadModeOverride>(c.override),
                                    static_cast<ReadMode>(c.previous)),
                  c.expected)
            << c.style << " " << c.interval << " " << c.override << " " << c.previous;
    }
}

TEST(ReadMode, OptionsDecideWithoutOverride) {
    ExpectModes(
        {{1, 3, 0, 0, 1}, {2, 1, 0, 0, 4}, {2, 2, 0, 0, 8}, {2, 3, 0, 1, 16}, {3, 3, 0, 1, 0}});
}

TEST(ReadMode, OverrideWins) {
    ExpectModes({{3, 1, 1, 0, 1}, {1, 2, 2, 0, 8}, {1, 2, 3, 1, 0}});
}

TEST(ReadMode, NoMatchingRowKeepsThePreviousMode) {
    ExpectModes({{0, 0, 0, 16, 16},
                 {2, 0, 0, 4, 4},
                 {0, 0, 0, 0, 0},
                 // Blocks forced without an interval in the options: the mode stays the style's.
                 {1, 0, 2, 16, 1},
                 {0, 7, 2, 8, 8}});
}

TEST(ReadMode, TextsAndBlockSize) {
    EXPECT_STREQ(ReadModeDisplayText(OneBlockIn16), "čtení každého 16. bloku");
    EXPECT_STREQ(ReadModeLogText(AllBlocks), "(čtení všech dat z média)");
    EXPECT_STREQ(ReadModeLogText(OnlyOpen), "(pouze otevírání souborů)");
    EXPECT_EQ(BlockBytes(0), 4096);
    EXPECT_EQ(BlockBytes(-5), 4096);
    EXPECT_EQ(BlockBytes(48), 49152);
    EXPECT_EQ(BlockBytes(1000), 49152);
    EXPECT_EQ(BlockBytes(17), 17408);
}

}  // namespace
}  // namespace vorlaxis
