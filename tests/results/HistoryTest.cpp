// The records of a medium's history and the comparison of two of them.
#include <gtest/gtest.h>

#include <chrono>
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
    EXPECT_FALSE(ParseRecord("something else\n"));
}

// A record cut anywhere, at a line end too, is never taken for whole: its files would show as
// missing or new.
TEST(MediumHistory, OnlyAWholeRecordIsRead) {
    const std::string text = RecordText(Sample());
    ASSERT_TRUE(ParseRecord(text));
    for (size_t cut = 0; cut < text.size(); ++cut)
        EXPECT_FALSE(ParseRecord(text.substr(0, cut))) << "cut at " << cut;
    const std::string end = "end\t3\n";
    ASSERT_TRUE(text.ends_with(end));
    const std::string body = text.substr(0, text.size() - end.size());
    const std::string older = "Vorlaxis test record 1" + body.substr(body.find('\n'));
    const struct {
        std::string text;
        bool whole;
    } cases[] = {
        {body + "end\t2\n", false},                       // a file line lost, the count kept
        {body + end + end, false},                        // anything after the end
        {body + "end\t99999999999999999999\n", false},    // no number
        {older, true},                                    // written before the end line came
        {older.substr(0, older.rfind("file\t")), false},  // such a record cut at a line end
        {older + end, false},
        {text.substr(0, text.find("date\t")) + text.substr(text.find("mode\t")), false},
        {"Vorlaxis test record 2\nlabel\tx\nserial\t-9223372036854775809\n", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseRecord(c.text).has_value(), c.whole) << c.text;
    // A file line with a field lost.
    const size_t fileLine = text.find("\nfile\t") + 1;
    const size_t lineEnd = text.find('\n', fileLine);
    std::string shortLine = text;
    shortLine.erase(text.rfind('\t', lineEnd), lineEnd - text.rfind('\t', lineEnd));
    EXPECT_FALSE(ParseRecord(shortLine));
    // Numbers beyond 64 bits, or longer than any 64-bit number is written, are refused.
    for (const char* number : {"99999999999999999999", "00000000000000000003"}) {
        std::string huge = text;
        huge.replace(huge.find("files\t3"), 7, std::string("files\t") + number);
        EXPECT_FALSE(ParseRecord(huge)) << number;
    }
}

// A newest record that cannot be used is set aside and named; an older one never stands in.
TEST(MediumHistory, ADamagedNewestRecordIsSetAsideNotReplacedByAnOlderOne) {
    const TestRecord r = Sample();
    for (const std::string damage : {"cut", "garbage", "empty", "line end"}) {
        TempDir dir;
        ASSERT_TRUE(SaveRecord(dir.path(), r, {2026, 1, 1, 0, 0, 0, 0}));
        const Result<std::string> newest = SaveRecord(dir.path(), r, {2026, 2, 1, 0, 0, 0, 0});
        ASSERT_TRUE(newest);
        std::string text = RecordText(r);
        text = damage == "cut"       ? text.substr(0, text.size() / 2)
               : damage == "garbage" ? std::string(300, '\x9c')
               : damage == "empty"   ? std::string()
                                     : text.substr(0, text.rfind("end\t"));
        ASSERT_TRUE(platform::WriteWholeFile(newest.Value(), text));
        const EarlierRecord found = LatestRecord(dir.path(), r.Medium);
        EXPECT_FALSE(found.Record) << damage;
        EXPECT_EQ(found.Unusable, newest.Value() + ".damaged") << damage;
        std::string kept;
        EXPECT_TRUE(platform::ReadWholeFile(found.Unusable, kept));
        EXPECT_EQ(kept, text);
        EXPECT_FALSE(platform::Exists(newest.Value()));
    }
}

TEST(MediumHistory, TemporaryFilesOfWritersGoneAreRemovedAndNoneIsLeft) {
    TempDir dir;
    const TestRecord r = Sample();
    ASSERT_TRUE(SaveRecord(dir.path(), r, {2026, 1, 1, 0, 0, 0, 0}));
    const std::string folder = RecordFolder(dir.path(), r.Medium);
    const auto count = [&] {
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(test::PathFromUtf8(folder)))
            n += e.is_regular_file();
        return n;
    };
    EXPECT_EQ(count(), 2u);  // the record and its export, no temporary file
    const int64_t hourAgo = (std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::system_clock::now().time_since_epoch()) -
                             std::chrono::minutes(61))
                                .count();
    const struct {
        const char* name;
        bool old, kept;
    } cases[] = {{".20250101-000000-01.record.tmp", true, false},
                 {".20250101-000000-01.xxh128.tmp", true, false},
                 {".20250101-000000-02.record.tmp", false, true},  // its writer may be busy
                 {".notes.tmp", true, true},                       // not ours
                 {"20250101-000000-03.record.tmp", true, true}};
    for (const auto& c : cases) {
        ASSERT_TRUE(platform::WriteWholeFile(folder + c.name, "part"));
        if (c.old) {
            ASSERT_TRUE(platform::SetLastWriteTime(folder + c.name, hourAgo));
        }
    }
    ASSERT_TRUE(SaveRecord(dir.path(), r, {2026, 1, 2, 0, 0, 0, 0}));
    for (const auto& c : cases) EXPECT_EQ(platform::Exists(folder + c.name), c.kept) << c.name;
    // A durable write never replaces a file, nor touches a temporary name already taken.
    const std::string taken = dir.file("taken", "mine");
    EXPECT_FALSE(platform::WriteNewFileDurably(dir.path() + "new", "x", taken));
    EXPECT_FALSE(platform::WriteNewFileDurably(taken, "x", dir.path() + "t"));
    EXPECT_FALSE(platform::Exists(dir.path() + "new") || platform::Exists(dir.path() + "t"));
    std::string kept;
    EXPECT_TRUE(platform::ReadWholeFile(taken, kept) && kept == "mine");
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
    EXPECT_EQ(LatestRecord(dir.path(), first.Medium).Record->Date, "later");
    // Another disc with the same label: never compared.
    EXPECT_FALSE(LatestRecord(dir.path(), {"ARCHIV 2020", "99999999", "fotky/léto"}).Record);
    EXPECT_FALSE(LatestRecord(dir.path(), {"ARCHIV 2020", "12AB34CD", ""}).Record);
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
    before.Files = {Print("same", "01"), Print("silent", "02"), Print("edited", "03"),
                    Print("grown", "04"), Print("gone", "05"), Print("breaks", "06"),
                    Print("heals", "", 9, 0, false), Print("still bad", "", 9, 0, false),
                    // unreadable then, with what it held when it last read
                    Print("heals changed", "09", 9, 0, false)};
    TestRecord now;
    now.Files = {Print("same", "01"),
                 Print("silent", "f2"),
                 Print("edited", "f3", 10, 2000),
                 Print("grown", "f4", 11),
                 Print("breaks", "", 10, 1000, false),
                 Print("heals", "07", 9),
                 Print("still bad", "", 9, 0, false),
                 Print("new", "08"),
                 Print("heals changed", "f9", 9, 0)};
    const Comparison c = CompareRecords(before, now);
    EXPECT_EQ(c.EarlierDate, "then");
    using V = std::vector<std::string>;
    EXPECT_EQ(c.PathsOf(ChangeKind::Silent), (V{"silent", "heals changed"}));
    EXPECT_EQ(c.PathsOf(ChangeKind::Edited), (V{"edited", "grown"}));
    EXPECT_EQ(c.PathsOf(ChangeKind::Missing), V{"gone"});
    EXPECT_EQ(c.PathsOf(ChangeKind::New), V{"new"});
    EXPECT_EQ(c.PathsOf(ChangeKind::NewlyUnreadable), V{"breaks"});
    EXPECT_EQ(c.PathsOf(ChangeKind::ReadableAgain), (V{"heals", "heals changed"}));
    EXPECT_FALSE(CompareRecords(now, now).Any());
}

}  // namespace
}  // namespace vorlaxis
