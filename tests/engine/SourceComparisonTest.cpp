// A medium compared with its source folder in the run's read: real trees with every kind of
// difference, each run's log and checksum the same as a plain test's of that medium.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#include "RunFixture.h"

namespace vorlaxis::test {
namespace {

using Files = std::vector<std::pair<std::string, std::string>>;  // path within, content

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 4096) & 0xFF);
    return bytes;
}

std::string Flipped(std::string bytes, size_t at) {
    bytes[at] = static_cast<char>(bytes[at] ^ 0x20);
    return bytes;
}

// A path within a tree ("/" separated) as the platform writes it.
std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '/', platform::PathSeparator());
    return path;
}

// What each side has beyond the tree both share: files, empty folders and links (name, target).
struct Side {
    Files files = {};
    std::vector<std::string> folders = {};
    std::vector<std::pair<std::string, std::string>> links = {};
};

// Makes the side in `dir`; false when links cannot be made here.
bool Make(const TempDir& dir, const Side& side) {
    const Files shared = {{"a.bin", Pattern(100000)},
                          {"d/e/f.txt", "text"},
                          {"Dovolená/Řecko.jpg", Pattern(5000)},
                          {"empty", ""}};
    for (const Files* files : {&shared, &side.files}) {
        for (const auto& [path, content] : *files) dir.file(path, content);
    }
    for (const std::string& folder : side.folders)
        std::filesystem::create_directories(PathFromUtf8(dir.path() + Native(folder)));
    for (const auto& [name, target] : side.links) {
        std::error_code ec;
        std::filesystem::create_symlink(PathFromUtf8(Native(target)),
                                        PathFromUtf8(dir.path() + Native(name)), ec);
        if (ec) return false;
    }
    return true;
}

struct Case {
    const char* what;
    Side medium, source;
    std::vector<std::pair<std::string, int64_t>> differs;
    std::vector<std::string> onlyOnMedium, onlyInSource;
};

const Case kCases[] = {
    {"the same", {}, {}, {}, {}, {}},
    {"a byte changed in the middle",
     {{{"a.bin", Flipped(Pattern(100000), 54321)}}},
     {},
     {{"a.bin", 54321}},
     {},
     {}},
    {"the last byte changed",
     {{{"a.bin", Flipped(Pattern(100000), 99999)}}},
     {},
     {{"a.bin", 99999}},
     {},
     {}},
    {"shorter on the medium", {{{"a.bin", Pattern(70000)}}}, {}, {{"a.bin", 70000}}, {}, {}},
    {"longer on the medium", {{{"a.bin", Pattern(100000) + "x"}}}, {}, {{"a.bin", 100000}}, {}, {}},
    {"empty on the medium only", {}, {{{"empty", "x"}}}, {{"empty", 0}}, {}, {}},
    {"a file only on one side",
     {{{"m.txt", "m"}}},
     {{{"d/s.txt", "s"}}},
     {},
     {"m.txt"},
     {"d/s.txt"}},
    {"a folder only on one side",
     {{{"new/x/y.txt", "y"}}, {"hollow"}},
     {{{"old/z.txt", "z"}}, {"d/e/deeper"}},
     {},
     {"new/", "hollow/"},
     {"old/", "d/e/deeper/"}},
    {"Czech names",
     {{{"Dovolená/Řecko.jpg", Flipped(Pattern(5000), 10)}}},
     {{{"Dovolená/Čtení.txt", "č"}}},
     {{"Dovolená/Řecko.jpg", 10}},
     {},
     {"Dovolená/Čtení.txt"}},
    {"a file and a folder of one name",
     {{{"both", "x"}}},
     {{{"both/in.txt", "in"}}},
     {},
     {"both"},
     {"both/"}},
    {"links followed on both sides",
     {{}, {}, {{"ln", "d/e/f.txt"}, {"ld", "d"}}},
     {{{"ln", "texT"}}, {}, {{"ld", "d"}}},
     {{"ln", 3}},
     {},
     {}},
};

struct CompareFixture : RunFixture {
    // The run with the source compared, and before it a plain one of the same medium: the
    // log and checksum must not tell them apart.
    void RunBoth(int32_t readModeOverride = 0) {
        session.SourceFolder.clear();
        Run(tree.path(), readModeOverride);
        const std::string plainLog = LogBytes();
        const uint16_t plainSum = session.DataChecksum;
        session.SourceFolder = source.path();
        Run(tree.path(), readModeOverride);
        EXPECT_EQ(LogBytes(), plainLog);
        EXPECT_EQ(session.DataChecksum, plainSum);
    }

    std::vector<std::string> Full(const TempDir& dir, std::vector<std::string> within) const {
        for (std::string& path : within) path = dir.path() + Native(path);
        std::sort(within.begin(), within.end());
        return within;
    }

    TempDir source;
};

std::vector<std::string> Sorted(std::vector<std::string> paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST(SourceComparison, EveryKindOfDifferenceIsFoundAndTheLogIsAPlainTestsLog) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        CompareFixture f;
        if (!Make(f.tree, c.medium) || !Make(f.source, c.source)) {
            std::printf("links cannot be made here: \"%s\" not tried\n", c.what);
            continue;
        }
        f.RunBoth();
        const SourceFindings& found = f.session.Source;
        std::vector<std::pair<std::string, int64_t>> differs;
        for (const SourceDifference& d : found.Differs) differs.emplace_back(d.Path, d.Offset);
        std::vector<std::pair<std::string, int64_t>> expected;
        for (const auto& [path, offset] : c.differs)
            expected.emplace_back(f.tree.path() + Native(path), offset);
        EXPECT_EQ(differs, expected);
        EXPECT_EQ(Sorted(found.OnlyOnMedium), f.Full(f.tree, c.onlyOnMedium));
        EXPECT_EQ(Sorted(found.OnlyInSource), f.Full(f.source, c.onlyInSource));
        EXPECT_TRUE(found.Unchecked.empty());
        EXPECT_EQ(found.Differ(),
                  !c.differs.empty() || !c.onlyOnMedium.empty() || !c.onlyInSource.empty());
        // The window's verdict never says OK over a medium that differs from its source.
        EXPECT_EQ(f.display.outcomeText,
                  found.Differ() ? "test dokončen, obsah nesouhlasí!" : "test dokončen OK");
    }
}

TEST(SourceComparison, ModesThatDoNotReadFilesWholeCompareNothingAndSaySo) {
    for (const int32_t mode : {2, 3}) {  // every 4th block; only opening
        SCOPED_TRACE(mode);
        CompareFixture f;
        f.settings.ReadEveryXthBlock = EveryFourthBlock;
        Make(f.tree, {{{"a.bin", Flipped(Pattern(100000), 5)}, {"m", "m"}}});
        Make(f.source, {});
        f.RunBoth(mode);
        const SourceFindings& found = f.session.Source;
        EXPECT_FALSE(found.Differ());
        ASSERT_EQ(found.Unchecked.size(), 1u);
        EXPECT_EQ(found.Unchecked[0].Reason, UncheckedReason::NotCompared);
        EXPECT_EQ(found.Unchecked[0].Path, f.source.path());
        EXPECT_TRUE(f.display.otherFindings);
        EXPECT_EQ(f.display.outcomeText, "test neúplný !");
    }
}

TEST(SourceComparison, RetriedFileIsComparedFromItsStartAgain) {
    CompareFixture f;
    const std::string medium = f.tree.file("a.bin", Flipped(Pattern(100000), 60000));
    f.source.file("a.bin", Pattern(100000));
    f.settings.BlockSize = 4;
    f.calls.failReadAt[medium] = 8192;
    f.host.answers = {ReadErrorAnswer::Retry};
    f.host.onQuestion = [&](const std::string&) { f.calls.failReadAt.clear(); };
    f.session.SourceFolder = f.source.path();
    EXPECT_EQ(f.Run(f.tree.path()), 0);
    ASSERT_EQ(f.session.Source.Differs.size(), 1u);
    EXPECT_EQ(f.session.Source.Differs[0].Offset, 60000);
}

}  // namespace
}  // namespace vorlaxis::test
