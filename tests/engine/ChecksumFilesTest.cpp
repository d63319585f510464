#include <gtest/gtest.h>

#include "engine/ChecksumFiles.h"

namespace vorlaxis {
namespace {

const std::string kMd5(32, 'a');
const std::string kSha1(40, 'b');
const std::string kSha256(64, 'c');

TEST(ChecksumFiles, NamesThatAreChecksumFiles) {
    for (const char* name : {"SHA256SUMS", "sha1sums", "MD5SUMS", "SHA512SUMS", "disc.md5",
                             "a.SHA256", "x.sha512", "y.sha1", "old.sfv", "fp.xxh128"}) {
        EXPECT_TRUE(IsChecksumFileName(name)) << name;
    }
    for (const char* name : {"md5", ".md5", "readme.txt", "SFVSUMS", "XXH128SUMS", "a.sha"}) {
        EXPECT_FALSE(IsChecksumFileName(name)) << name;
    }
}

TEST(ChecksumFiles, GnuBsdSfvAndEscapedLines) {
    struct Case {
        const char* name;
        std::string content;
        std::vector<std::pair<std::string, std::string>> expected;  // path, digest
    };
    const std::vector<Case> cases = {
        {"SHA256SUMS",
         kSha256 + "  a b.txt\n" + kSha256 + " *bin/x\r\n",
         {{"a b.txt", kSha256}, {"bin/x", kSha256}}},
        {"list.md5", "MD5 (dir/č.txt) = " + kMd5 + "\n# comment\n\n", {{"dir/č.txt", kMd5}}},
        {"l.sha1",
         "SHA1 (a (1).txt) = " + std::string(40, 'B') + "\n",
         {{"a (1).txt", std::string(40, 'b')}}},
        {"l.sha1", "\\" + kSha1 + "  line\\nbreak\\\\x\n", {{"line\nbreak\\x", kSha1}}},
        {"old.sfv", "; made by hand\nsome file.bin 0A1b2C3d\n", {{"some file.bin", "0a1b2c3d"}}},
        {"f.xxh128", kMd5 + "  f\nXXH128 (g) = " + kMd5 + "\n", {{"f", kMd5}, {"g", kMd5}}},
        // Wrong length, no separator: not entries. A tagged line names its own hash.
        {"SHA256SUMS", kMd5 + "  short\nMD5 (m) = " + kMd5 + "\n" + kSha256 + "x\n", {{"m", kMd5}}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<std::string, std::string>> got;
        for (const ListedFile& f : ParseChecksumFile(c.name, c.content))
            got.emplace_back(f.Path, f.Expected);
        EXPECT_EQ(got, c.expected) << c.name << ": " << c.content;
    }
}

TEST(ChecksumFiles, EscapingAsTheToolsReadIt) {
    bool escaped = true;
    EXPECT_EQ(EscapeListedName("plain \\ name", escaped), "plain \\ name");
    EXPECT_FALSE(escaped);
    EXPECT_EQ(EscapeListedName("a\nb\\c\r", escaped), "a\\nb\\\\c\\r");
    EXPECT_TRUE(escaped);
    // What is written reads back as the same name.
    const std::string line = "\\" + kMd5 + "  " + EscapeListedName("a\nb\\c", escaped) + "\n";
    ASSERT_EQ(ParseChecksumFile("x.xxh128", line).size(), 1u);
    EXPECT_EQ(ParseChecksumFile("x.xxh128", line)[0].Path, "a\nb\\c");
}

TEST(ChecksumFiles, ListedPathsJoinTheListsFolder) {
    EXPECT_EQ(JoinListedPath("", "./a/b"), "a/b");
    EXPECT_EQ(JoinListedPath("d/", "x"), "d/x");
    EXPECT_EQ(JoinListedPath("d/e/", "../x"), "d/x");
    EXPECT_EQ(JoinListedPath("d/", "./sub//y"), "d/sub/y");
}

}  // namespace
}  // namespace vorlaxis
