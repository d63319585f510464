#include <gtest/gtest.h>

#include "cli/CheckOptions.h"

namespace vorlaxis::cli {
namespace {

bool Parse(std::vector<std::string> args, CheckOptions& o, std::string& error) {
    return ParseOptions(args, o, error);
}

TEST(CheckOptions, ModesAndBlockSizes) {
    CheckOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--mode", "8", "--block-size", "100", "p"}, o, error)) << error;
    EXPECT_EQ(o.dataReadStyle, 2);
    EXPECT_EQ(o.readEveryXthBlock, 2);
    EXPECT_EQ(o.blockSizeKb, 48);
    CheckOptions o2;
    ASSERT_TRUE(Parse({"--mode=open", "--block-size=-3", "a", "b"}, o2, error));
    EXPECT_EQ(o2.dataReadStyle, 3);
    EXPECT_EQ(o2.blockSizeKb, 4);
    EXPECT_EQ(o2.paths, (std::vector<std::string>{"a", "b"}));
    CheckOptions o3;
    ASSERT_TRUE(Parse({"--block-size", "99999999999999999999", "--", "--log"}, o3, error));
    EXPECT_EQ(o3.blockSizeKb, 48);
    EXPECT_EQ(o3.paths, std::vector<std::string>{"--log"});
    CheckOptions o4;
    ASSERT_TRUE(Parse({"p"}, o4, error));
    EXPECT_EQ(o4.dataReadStyle, 1);
    EXPECT_EQ(o4.blockSizeKb, 48);
}

TEST(CheckOptions, BadUsageIsRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--mode", "2", "p"},
        {"--mode"},
        {"--block-size", "12kb", "p"},
        {"--block-size", "", "p"},
        {"--log", "f", "a", "b"},
        {"--verbose", "p"},
    };
    for (const auto& args : bad) {
        CheckOptions o;
        std::string error;
        EXPECT_FALSE(Parse(args, o, error)) << args.size();
        EXPECT_FALSE(error.empty());
    }
    CheckOptions help;
    std::string error;
    EXPECT_TRUE(Parse({"--help"}, help, error));
    EXPECT_TRUE(help.help);
}

TEST(CheckOptions, LocationGetsATrailingSeparator) {
    EXPECT_EQ(AsLocation("/media/cd"), "/media/cd/");
    EXPECT_EQ(AsLocation("/media/cd/"), "/media/cd/");
    EXPECT_EQ(AsLocation("/"), "/");
}

}  // namespace
}  // namespace vorlaxis::cli
