// The records of a medium's history and the comparison of two of them.
#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "platform/Files.h"
#include "results/Comparison.h"
#include "results/MediumHistory.h"

namespace vorlaxis {
namespace {

using test::TempDir;

FileFingerprint Print(std::string path, std::string hash, int64_t size = 10,
                      int64_t modified = 1000, bool readable = true) {
    return {std::move(path), size, modified, std::move(hash), readable};
}

TestRecord Sample() {
    TestRecord r;
    r.Medium = {"ARCHIV 2020", "12AB34CD", "fotky/léto"};
    r.Date = "2026-12-08 05:00:00";
    r.FileCount = 3;
    r.UnreadableCount = 1;
    r.Checksum = "0126";
    r.Outcome = "test dokončen, chyby!";
    r.Files = {Print("a b/č\tx\\y", "00ff"), Print("line\nbreak\r", "0a0b", 0, -5),
               Print("bad", "", 7, 0, false)};
    return r;
}

TEST(MediumHistory, RecordReadsBackAsWrittenAndACutRecordIsRefused) {
    const TestRecord r = Sample();
    const std::string text = RecordText(r);
    const auto back = ParseRecord(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Medium, r.Medium);
    EXPECT_EQ(back->Date, r.Date);
    EXPECT_EQ(back->Checksum, r.Checksum);
    EXPECT_EQ(back->Outcome, r.Outcome);
    EXPECT_EQ(back->UnreadableCount, 1);
    ASSERT_EQ(back->Files.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back->Files[i].Path, r.Files[i].Path);
        EXPECT_EQ(back->Files[i].Hash, r.Files[i].Hash);
        EXPECT_EQ(back->Files[i].Size, r.Files[i].Size);
        EXPECT_EQ(back->Files[i].Modified, r.Files[i].Modified);
        EXPECT_EQ(back->Files[i].Readable, r.Files[i].Readable);
    }
    EXPECT_FALSE(ParseRecord(text.substr(0, text.size() - 3)));
    EXPECT_FALSE(ParseRecord("something else\n"));
}

TEST(MediumHistory, FolderNamesAreSafeOnWindows) {
    const std::string folder = RecordFolder("/h/", {"a:b*c?", "0000ABCD", "x/y<z>."});
    EXPECT_EQ(folder, std::string("/h/a_b_c__0000ABCD_x_y_z__") + platform::PathSeparator());
}

TEST(MediumHistory, EveryRunIsANewRecordAndOnlyTheSameMediumIsFound) {
    TempDir dir;
    TestRecord first = Sample();
    const platform::LocalDateTime when{2026, 12, 8, 5, 0, 0, 0};
    const Result<std::string> a = SaveRecord(dir.path(), first, when);
    ASSERT_TRUE(a) << a.Error();
    TestRecord second = first;
    second.Date = "later";
    const Result<std::string> b = SaveRecord(dir.path(), second, when);  // the same second
    ASSERT_TRUE(b) << b.Error();
    EXPECT_NE(a.Value(), b.Value());
    std::string kept;
    ASSERT_TRUE(platform::ReadWholeFile(a.Value(), kept));
    EXPECT_EQ(kept, RecordText(first));
    EXPECT_EQ(LatestRecord(dir.path(), first.Medium)->Date, "later");
    // Another disc with the same label: never compared.
    EXPECT_FALSE(LatestRecord(dir.path(), {"ARCHIV 2020", "99999999", "fotky/léto"}));
    EXPECT_FALSE(LatestRecord(dir.path(), {"ARCHIV 2020", "12AB34CD", ""}));
}

TEST(MediumHistory, AFolderThatCannotBeWrittenIsReported) {
    TempDir dir;
    const std::string blocked = dir.file("blocked", "a file where the folder would be");
    const Result<std::string> saved = SaveRecord(blocked + platform::PathSeparator(), Sample(), {});
    EXPECT_FALSE(saved);
    EXPECT_NE(saved.Error().find("cannot be created"), std::string::npos);
}

TEST(Comparison, EveryKindOfChange) {
    TestRecord before;
    before.Date = "then";
    before.Files = {Print("same", "01"),
                    Print("silent", "02"),
                    Print("edited", "03"),
                    Print("grown", "04"),
                    Print("gone", "05"),
                    Print("breaks", "06"),
                    Print("heals", "", 9, 0, false),
                    Print("still bad", "", 9, 0, false)};
    TestRecord now;
    now.Files = {Print("same", "01"),
                 Print("silent", "f2"),
                 Print("edited", "f3", 10, 2000),
                 Print("grown", "f4", 11),
                 Print("breaks", "", 10, 1000, false),
                 Print("heals", "07", 9),
                 Print("still bad", "", 9, 0, false),
                 Print("new", "08")};
    const Comparison c = CompareRecords(before, now);
    EXPECT_EQ(c.EarlierDate, "then");
    using V = std::vector<std::string>;
    EXPECT_EQ(c.PathsOf(ChangeKind::Silent), V{"silent"});
    EXPECT_EQ(c.PathsOf(ChangeKind::Edited), (V{"edited", "grown"}));
    EXPECT_EQ(c.PathsOf(ChangeKind::Missing), V{"gone"});
    EXPECT_EQ(c.PathsOf(ChangeKind::New), V{"new"});
    EXPECT_EQ(c.PathsOf(ChangeKind::NewlyUnreadable), V{"breaks"});
    EXPECT_EQ(c.PathsOf(ChangeKind::ReadableAgain), V{"heals"});
    EXPECT_FALSE(CompareRecords(now, now).Any());
}

}  // namespace
}  // namespace vorlaxis
