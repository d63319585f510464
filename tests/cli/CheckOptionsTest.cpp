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
        {"--compare-with", "src", "a", "b"},
        {"--compare-with=", "p"},
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

TEST(CheckOptions, JsonResultAndVersion) {
    CheckOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--json", "-", "a", "b"}, o, error)) << error;
    EXPECT_EQ(o.jsonFile, "-");
    CheckOptions o2;
    ASSERT_TRUE(Parse({"--json=r.json", "a"}, o2, error)) << error;
    EXPECT_EQ(o2.jsonFile, "r.json");
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--json", "", "p"}, {"--json=", "p"}, {"p", "--json"}}) {
        CheckOptions o3;
        EXPECT_FALSE(Parse(bad, o3, error));
        EXPECT_NE(error.find("--json"), std::string::npos) << error;
    }
    CheckOptions version;
    ASSERT_TRUE(Parse({"--version"}, version, error));
    EXPECT_TRUE(version.version);
    EXPECT_EQ(std::string(VersionText()), "vorlaxis-check " VORLAXIS_VERSION "\n");
}

TEST(CheckOptions, HelpDocumentsTheJsonResult) {
    const std::string help = UsageText();
    for (const char* word :
         {"--json FILE",     "--version",     "\"-\"",          "\"program\"",  "\"version\"",
          "\"exit_status\"", "\"locations\"", "\"path\"",       "\"label\"",    "\"serial\"",
          "\"directories\"", "\"files\"",     "\"unreadable\"", "\"checksum\"", "\"outcome\"",
          "\"ok\"",          "\"errors\"",    "\"stopped\"",    "\"failed\"",   "\"bytes_read\"",
          "\"seconds\"",     "U+FFFD"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
    for (const char* word :
         {"--compare-with SRC", "\"differs\"", "\"offset\"", "\"only_on_medium\"",
          "\"only_in_source\"", "\"source_unreadable\"", "DIFFERS AT"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

TEST(CheckOptions, LocationGetsATrailingSeparator) {
    EXPECT_EQ(AsLocation("/media/cd"), "/media/cd/");
    EXPECT_EQ(AsLocation("/media/cd/"), "/media/cd/");
    EXPECT_EQ(AsLocation("/"), "/");
}

}  // namespace
}  // namespace vorlaxis::cli
