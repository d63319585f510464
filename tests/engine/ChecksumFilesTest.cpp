#include <gtest/gtest.h>

#include <tuple>

#include "engine/ChecksumFiles.h"

namespace vorlaxis {
namespace {

const std::string kMd5(32, 'a');
const std::string kSha1(40, 'b');
const std::string kSha256(64, 'c');

TEST(ChecksumFiles, NamesThatAreChecksumFiles) {
    for (const char* name : {"SHA256SUMS",
                             "sha1sums",
                             "MD5SUMS",
                             "SHA512SUMS",
                             "disc.md5",
                             "a.SHA256",
                             "x.sha512",
                             "y.sha1",
                             "old.sfv",
                             "fp.xxh128",
                             "md5sum.txt",
                             "sha256sum.txt",
                             "SHA256SUMS.txt",
                             "x.iso.md5sum",
                             "x.sha256sum",
                             "Fedora-Workstation-39-1.5-x86_64-CHECKSUM",
                             "SHA224SUMS",
                             "SHA384SUMS",
                             "a.sha224",
                             "a.sha384",
                             "B2SUMS",
                             "x.b2",
                             "manifest-sha256.txt",
                             "tagmanifest-md5.txt",
                             "MANIFEST-SHA512.TXT"}) {
        EXPECT_TRUE(IsChecksumFileName(name)) << name;
    }
    for (const char* name : {"md5", ".md5", "readme.txt", "SFVSUMS", "XXH128SUMS", "a.sha",
                             "manifest-foo.txt", "checksums.txt", "CHECKSUMS", "b2"}) {
        EXPECT_FALSE(IsChecksumFileName(name)) << name;
    }
    // Generic text files are lists only by their content.
    EXPECT_EQ(ChecksumListName("checksums.txt"), ListName::Text);
    EXPECT_EQ(ChecksumListName("photo.jpg"), ListName::None);
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
        // Upper-case digits in the GNU form; Windows: BOM, CR LF, "*", backslash separators.
        {"MD5SUMS", std::string(32, 'A') + "  up\n", {{"up", std::string(32, 'a')}}},
        {"md5sum.txt",
         "\xEF\xBB\xBF" + kMd5 + " *sub\\dir\\f.bin\r\n" + kMd5 + "  ./pool/g\r\n",
         {{"sub/dir/f.bin", kMd5}, {"./pool/g", kMd5}}},
        {"x.sfv", "; by hand\r\nsub\\c.bin 0A1B2C3D\r\n", {{"sub/c.bin", "0a1b2c3d"}}},
        // BLAKE2b, SHA-224 and SHA-384 in both forms; a 128-digit digest is BLAKE2b in B2SUMS.
        {"B2SUMS",
         std::string(128, 'd') + "  b\nBLAKE2b (c) = " + std::string(128, 'e') + "\n",
         {{"b", std::string(128, 'd')}, {"c", std::string(128, 'e')}}},
        {"a.sha384",
         std::string(96, '1') + "  a\nSHA224 (b) = " + std::string(56, '2') + "\n",
         {{"a", std::string(96, '1')}, {"b", std::string(56, '2')}}},
        // Fedora: no hash in the name, a signature around the list, a comment per file.
        {"F-39-x86_64-CHECKSUM",
         "-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\n# F.iso: 3 bytes\nSHA256 (F.iso) = " +
             kSha256 + "\n" + kMd5 + " *old.img\n-----BEGIN PGP SIGNATURE-----\n\nwsFz\n" +
             "-----END PGP SIGNATURE-----\n",
         {{"F.iso", kSha256}, {"old.img", kMd5}}},
        // BagIt: any blanks between, line breaks and "%" escaped in names.
        {"manifest-sha1.txt",
         kSha1 + " data/a%0Ab%25c.txt\n" + kSha1 + "\t data/x y\n",
         {{"data/a\nb%c.txt", kSha1}, {"data/x y", kSha1}}},
        // hashdeep: the strongest hash of a line; paths below the folder it ran in.
        {"hashes.txt",
         "%%%% HASHDEEP-1.0\n%%%% size,md5,sha256,filename\n## Invoked from: /home/u/disc\n"
         "## $ hashdeep -r .\n##\n5," +
             kMd5 + "," + kSha256 + ",/home/u/disc/sub/a,b.txt\n5," + kMd5 + "," + kSha256 +
             ",./c\n",
         {{"sub/a,b.txt", kSha256}, {"./c", kSha256}}},
        // A text file whose digests' length says which hash.
        {"sums.txt",
         kSha1 + "  a\n" + std::string(128, 'f') + "  b\n",
         {{"a", kSha1}, {"b", std::string(128, 'f')}}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<std::string, std::string>> got;
        for (const ListedFile& f : ParseChecksumFile(c.name, c.content))
            got.emplace_back(f.Path, f.Expected);
        EXPECT_EQ(got, c.expected) << c.name << ": " << c.content;
        // Read in pieces of any size, the list gives the same entries.
        for (const size_t size : {size_t{1}, size_t{7}}) {
            ChecksumListReader reader(c.name);
            std::vector<ListedFile> files;
            for (size_t at = 0; at < c.content.size(); at += size)
                reader.Feed(std::string_view(c.content).substr(at, size), files);
            reader.End(files);
            got.clear();
            for (const ListedFile& f : files) got.emplace_back(f.Path, f.Expected);
            EXPECT_EQ(got, c.expected) << c.name << " in pieces of " << size;
        }
    }
}

TEST(ChecksumFiles, HashesOfTheirOwnKind) {
    const auto hash = [](const char* name, const std::string& line) {
        const auto files = ParseChecksumFile(name, line);
        return files.size() == 1 ? static_cast<int>(files[0].Hash) : -1;
    };
    EXPECT_EQ(hash("B2SUMS", std::string(128, 'a') + "  x"), int(ListedHash::Blake2b));
    EXPECT_EQ(hash("SHA512SUMS", std::string(128, 'a') + "  x"), int(ListedHash::Sha512));
    EXPECT_EQ(hash("x-CHECKSUM", std::string(56, 'a') + "  x"), int(ListedHash::Sha224));
    EXPECT_EQ(hash("x-CHECKSUM", std::string(96, 'a') + "  x"), int(ListedHash::Sha384));
    EXPECT_EQ(hash("l.txt", "BLAKE2b-512 (x) = " + std::string(128, 'a')),
              int(ListedHash::Blake2b));
    EXPECT_EQ(hash("f.xxh128", kMd5 + "  x"), int(ListedHash::Xxh128));
}

TEST(ChecksumFiles, LinesThatGiveNoEntryAreCounted) {
    struct Case {
        const char* name;
        std::string content;
        int64_t entries, notUnderstood;
    };
    const std::vector<Case> cases = {
        {"SHA256SUMS", "# comment\n\n" + kSha256 + "  a\n", 1, 0},
        // A digest of another length, a broken line, a hash not known here, an overlong line.
        {"SHA256SUMS", kMd5 + "  a\n" + kSha256 + "b\nSHA3-256 (c) = " + kSha256 + "\n", 0, 3},
        {"MD5SUMS", kMd5 + "  " + std::string(100000, 'n') + "\n" + kMd5 + "  a", 1, 1},
        {"x.sfv", "; c\nname only\nf 12345678\n", 1, 1},
        {"h.txt", "%%%% HASHDEEP-1.0\n%%%% size,tiger,filename\n1," + kSha1 + ",a\n", 0, 1},
        // hashdeep naming the folder it ran in: no file.
        {"h.txt",
         "%%%% HASHDEEP-1.0\n%%%% size,md5,filename\n## Invoked from: /d\n1," + kMd5 + ",/d/\n", 0,
         1},
    };
    for (const Case& c : cases) {
        ChecksumListReader reader(c.name);
        std::vector<ListedFile> files;
        reader.Feed(c.content, files);
        reader.End(files);
        EXPECT_EQ(static_cast<int64_t>(files.size()), c.entries) << c.name << ": " << c.content;
        EXPECT_EQ(reader.LinesNotUnderstood(), c.notUnderstood) << c.name << ": " << c.content;
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

TEST(ChecksumFiles, ListedPathsJoinTheListsFolderAndNeverLeaveTheRoot) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"", "./a/b", "a/b"},
        {"d/", "x", "d/x"},
        {"d/e/", "../x", "d/x"},
        {"d/", "./sub//y", "d/sub/y"},
        {"d/", "../x", "x"},
        // Outside: above the root, absolute, a drive.
        {"", "../../x", ""},
        {"d/", "../../x", ""},
        {"", "a/../../x", ""},
        {"", "/etc/x", ""},
        {"d/", "C:/x", ""},
        {"", "..", ""},
    };
    for (const auto& [folder, listed, expected] : cases) {
        std::string joined = "stale";
        EXPECT_EQ(JoinListedPath(folder, listed, joined), !expected.empty()) << folder << listed;
        if (!expected.empty()) {
            EXPECT_EQ(joined, expected) << folder << listed;
        }
    }
}

}  // namespace
}  // namespace vorlaxis
