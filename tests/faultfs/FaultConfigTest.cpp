// The fault rules file: what is understood, and that a mistyped rule is reported rather than
// silently injecting nothing.
#include <gtest/gtest.h>

#include <cerrno>

#include "FaultConfig.h"

using namespace vorlaxis::test;

TEST(FaultConfig, ReadsEveryRuleKindWithItsDefaults) {
    const FaultConfig c = ParseFaultConfig(
        "# faults\r\n"
        "read-error /a 100 50\n"
        "read-error /a 0 1 3\n"
        "open-error /b EACCES\n"
        "list-error /d read\n"
        "list-error /e open EACCES\n"
        "list-error /f after 3\n"
        "delay 20\n"
        "delay 5 /slow   # per file\n"
        "vanish /v\n"
        "resize /r 10 4096\n"
        "\n");
    EXPECT_TRUE(c.problems.empty());
    ASSERT_EQ(c.readErrors.size(), 2u);
    EXPECT_EQ(c.readErrors[0].times, -1);
    EXPECT_EQ(c.readErrors[1].times, 3);
    ASSERT_EQ(c.openErrors.size(), 1u);
    EXPECT_EQ(c.openErrors[0].error, EACCES);
    ASSERT_EQ(c.listErrors.size(), 3u);
    EXPECT_TRUE(c.listErrors[0].atRead);
    EXPECT_EQ(c.listErrors[0].error, EIO);
    EXPECT_EQ(c.listErrors[1].error, EACCES);
    EXPECT_EQ(c.listErrors[2].after, 3);
    ASSERT_EQ(c.delays.size(), 2u);
    EXPECT_EQ(c.delays[0].path, "");
    EXPECT_EQ(c.delays[1].path, "/slow");
    ASSERT_EQ(c.vanishes.size(), 1u);
    EXPECT_EQ(c.vanishes[0].listings, 1);
    ASSERT_EQ(c.resizes.size(), 1u);
    EXPECT_EQ(c.resizes[0].after, 4096);
}

TEST(FaultConfig, ReportsLinesItCannotUnderstand) {
    const FaultConfig c = ParseFaultConfig(
        "read-error a 1 2\n"         // relative path
        "read-error /a -1 2\n"       // negative offset
        "open-error /b ENOSPC\n"     // unsupported error
        "delay /x\n"                 // no milliseconds
        "list-error /d sometimes\n"  // unknown place
        "list-error /d after\n"      // no count
        "explode /x\n");
    EXPECT_EQ(c.problems.size(), 7u);
    EXPECT_TRUE(c.readErrors.empty());
    EXPECT_EQ(c.problems[0].rfind("line 1:", 0), 0u);
}

TEST(FaultConfig, ReadTouchesOnlyOverlappingReads) {
    const ReadErrorRule rule{"/f", 100, 10, -1};
    EXPECT_FALSE(ReadTouches(rule, 0, 100));
    EXPECT_TRUE(ReadTouches(rule, 0, 101));
    EXPECT_TRUE(ReadTouches(rule, 109, 1));
    EXPECT_FALSE(ReadTouches(rule, 110, 4096));
    EXPECT_FALSE(ReadTouches(rule, 105, 0));
}
