// The options dialog's rules without a window: the block-size field and what OK and "Storno" do.
#include <gtest/gtest.h>

#include <vector>

#include "settings/KonfigRules.h"

namespace vorlaxis {
namespace {

TEST(KonfigRules, BlockSizeStepsPullsAndReadsText) {
    const struct {
        int32_t value;
        int steps;
        int32_t result;
    } steps[] = {{6, 1, 10}, {6, -1, 4}, {48, 1, 48}, {4, -1, 4}, {60, 0, 48}, {-3, 1, 8}};
    for (const auto& c : steps) {
        EXPECT_EQ(StepBlockSize(c.value, c.steps), c.result) << c.value << " " << c.steps;
    }
    const struct {
        const char* text;
        int32_t value;
    } texts[] = {{"32", 32}, {"+12", 12}, {" 6 ", 6}, {"-8", -8}, {"", 4}, {"1,5", 4}, {"+", 4}};
    for (const auto& c : texts) EXPECT_EQ(BlockSizeFromText(c.text), c.value) << c.text;
    EXPECT_TRUE(BlockSizeAccepts(U'7', U','));
    EXPECT_TRUE(BlockSizeAccepts(U',', U','));
    EXPECT_FALSE(BlockSizeAccepts(U'a', U','));
}

TEST(KonfigRules, EnablingFollowsBlockReadingAndTheShownLog) {
    const KonfigEnabling blocksShown = KonfigEnablingFor(true, true);
    EXPECT_TRUE(blocksShown.blockChoices);
    EXPECT_TRUE(blocksShown.showLogChoices);
    EXPECT_FALSE(blocksShown.errorListCheck);
    const KonfigEnabling neither = KonfigEnablingFor(false, false);
    EXPECT_FALSE(neither.blockChoices);
    EXPECT_FALSE(neither.showLogChoices);
    EXPECT_TRUE(neither.errorListCheck);
}

TEST(KonfigRules, OkTakesTheTypedSizeAndWritesStornoReadsBack) {
    std::vector<std::string> calls;
    const KonfigActions actions{[&] { calls.push_back("write"); }, [&] { calls.push_back("read"); },
                                [&] { calls.push_back("help"); }};
    TestSettings settings;
    KonfigOk(settings, "100", actions);
    EXPECT_EQ(settings.BlockSize, 48);
    KonfigStorno(actions);
    EXPECT_EQ(calls, (std::vector<std::string>{"write", "read"}));
}

}  // namespace
}  // namespace vorlaxis
