// The copy procedure, the log names and loading a log for the internal viewer.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "TempDir.h"
#include "platform/Files.h"
#include "results/LogFiles.h"
#include "settings/DataFolders.h"
#include "support/ReadBack.h"

using namespace vorlaxis;
using vorlaxis::test::ReadOrMissing;
using vorlaxis::test::TempDir;

namespace {

TEST(LogNames, TemporaryAndSavedNames) {
    EXPECT_EQ(TempLogPath("/tmp/v/", 0), "/tmp/v/tmplog0.txt");
    EXPECT_EQ(TempLogPath("/tmp/v/", 33), "/tmp/v/tmplog33.txt");
    EXPECT_EQ(TempLogPath("", 0), "");  // no temporary folder: never a relative name
    EXPECT_EQ(LogsFolderPath("/opt/vorlaxis/"), "/opt/vorlaxis/Logs/");
    EXPECT_EQ(SavedLogName(1, "Data", "0123ABCD", "/media/DISC/"), "0123ABCD.txt");
    EXPECT_EQ(SavedLogName(2, " Data ", "0123ABCD", "/media/DISC/"),
              " Data .txt");  // nothing trimmed
    EXPECT_EQ(SavedLogName(3, "Data", "0123ABCD", "/media/DISC/"), "Data (0123ABCD).txt");
    EXPECT_EQ(SavedLogName(0, "Data", "0123ABCD", "/media/DISC/"), "");
    EXPECT_EQ(SavedLogName(4, "Data", "0123ABCD", "/media/DISC/"), "");
    EXPECT_EQ(SavedLogName(2, "a/b", "", "/media/DISC/"), "a_b.txt");
    EXPECT_EQ(SavedLogName(2, std::string("a\0b", 3), "", "/media/DISC/"), "a_b.txt");
    EXPECT_EQ(SavedLogName(3, "..", "0123ABCD", "/media/DISC/"), ".. (0123ABCD).txt");
}

TEST(LogNames, AnEmptyPartFallsBackSoNoLogIsNamedDotTxt) {
    const bool windows = platform::PathSeparator() == '\\';
    const struct {
        int format;
        std::string label, serial, location, name;
    } cases[] = {
        {2, "", "0123ABCD", "/media/u/DISC/", "0123ABCD.txt"},
        {2, "", "", "/media/u/DISC/", "DISC.txt"},
        {2, "", "", "/home/u/Fotky 2004", "Fotky 2004.txt"},
        {1, "Data", "", "/media/u/DISC/", "Data.txt"},
        {1, "", "", "/media/u/DISC/", "DISC.txt"},
        {3, "", "0123ABCD", "/media/u/DISC/", "DISC (0123ABCD).txt"},
        {3, "Data", "", "/media/u/DISC/", "Data.txt"},
        {3, "", "", "/", "médium.txt"},
        {2, "", "", "", "médium.txt"},
        {2, "", "", windows ? "D:\\" : "/", windows ? "D.txt" : "médium.txt"},
        {2, "", "", windows ? "D:\\Fotky\\" : "/Fotky/", "Fotky.txt"},
        // Labelled media keep their names.
        {2, "Data", "0123ABCD", "/media/u/DISC/", "Data.txt"},
        {3, "Data", "0123ABCD", "/media/u/DISC/", "Data (0123ABCD).txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SavedLogName(c.format, c.label, c.serial, c.location), c.name)
            << c.format << " \"" << c.label << "\" \"" << c.serial << "\" " << c.location;
    }
}

TEST(LogNames, CharactersTheSystemForbidsInANameBecomeUnderscores) {
    const bool windows = platform::PathSeparator() == '\\';
    const struct {
        std::string label;
        bool forbiddenEverywhere;
    } cases[] = {{"/", true},   {"\\", false},   {std::string(1, '\0'), true},
                 {":", false},  {"*", false},    {"?", false},
                 {"\"", false}, {"<", false},    {">", false},
                 {"|", false},  {"\x01", false}, {"\x1f", false}};
    for (const auto& c : cases) {
        const bool replaced = c.forbiddenEverywhere || windows;
        EXPECT_EQ(SavedLogName(3, "a" + c.label + "b", "0" + c.label, "/media/DISC/"),
                  replaced ? "a_b (0_).txt" : "a" + c.label + "b (0" + c.label + ").txt")
            << static_cast<int>(c.label[0]);
    }
    EXPECT_EQ(SavedLogName(2, "Médium č. 1", "", "/media/DISC/"),
              "Médium č. 1.txt");  // letters stay
}

TEST(CopyLogFile, CopiesBytesAndLastWriteTimeCreatingFolders) {
    TempDir dir;
    std::string content(200000, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
    const std::string source = dir.file("src/tmplog0.txt", content);
    ASSERT_TRUE(platform::SetLastWriteTime(source, 1234567890123456789));
    const std::string target = dir.path() + "x/y/Logs/Disk.txt";
    EXPECT_EQ(CopyLogFile(source, target), "");
    EXPECT_EQ(ReadOrMissing(target), content);
    int64_t mtime = 0;
    ASSERT_TRUE(platform::GetLastWriteTime(target, mtime));
    EXPECT_EQ(mtime, 1234567890123456789);
    EXPECT_EQ(ReadOrMissing(source), content);  // the source is left alone
}

TEST(CopyLogFile, AnExistingFolderReceivesTheSourceName) {
    TempDir dir;
    const std::string source = dir.file("src/tmplog4.txt", "four");
    dir.file("Logs/Disk.txt/placeholder", "");
    EXPECT_EQ(CopyLogFile(source, dir.path() + "Logs/"), "");
    EXPECT_EQ(ReadOrMissing(dir.path() + "Logs/tmplog4.txt"), "four");
    EXPECT_EQ(CopyLogFile(source, dir.path() + "Logs/Disk.txt"), "");  // no trailing separator
    EXPECT_EQ(ReadOrMissing(dir.path() + "Logs/Disk.txt/tmplog4.txt"), "four");
}

TEST(CopyLogFile, ReplacesAnExistingFileButNotAReadOnlyOne) {
    TempDir dir;
    const std::string source = dir.file("tmplog0.txt", "new");
    const std::string target = dir.file("Logs/Disk.txt", "an older and longer log");
    EXPECT_EQ(CopyLogFile(source, target), "");
    EXPECT_EQ(ReadOrMissing(target), "new");
    ::chmod(target.c_str(), 0444);
    dir.file("tmplog0.txt", "newer");
    EXPECT_EQ(CopyLogFile(source, target), "Cannot create file " + target);
    EXPECT_EQ(ReadOrMissing(target), "new");
}

TEST(CopyLogFile, ReportsMissingSourceAndUncreatableDestination) {
    TempDir dir;
    EXPECT_EQ(CopyLogFile(dir.path() + "none.txt", dir.path() + "Logs/x.txt"),
              "Cannot open file " + dir.path() + "none.txt");
    EXPECT_FALSE(platform::Exists(dir.path() + "Logs/x.txt"));
    const std::string source = dir.file("tmplog0.txt", "x");
    dir.file("blocker", "a file where a folder should be");
    EXPECT_EQ(CopyLogFile(source, dir.path() + "blocker/x.txt"),
              "Cannot create file " + dir.path() + "blocker/x.txt");
}

TEST(LoadLogText, DecodesWindows1250AndLineEnds) {
    TempDir dir;
    // "Žluťoučký kůň" in Windows-1250, then CR LF, a lone LF, a lone CR.
    const std::string path = dir.file("log.txt", "\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2\r\nb\nc\rd\r\n");
    std::string text = "old";
    EXPECT_EQ(LoadLogText(path, text), "");
    EXPECT_EQ(text, "Žluťoučký kůň\nb\nc\nd\n");
}

TEST(LoadLogText, FailureNamesThePathAndTheReason) {
    TempDir dir;
    std::string text = "kept";
    EXPECT_EQ(LoadLogText(dir.path() + "missing.txt", text),
              "Cannot open file \"" + dir.path() + "missing.txt\". No such file or directory");
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(LoadLogText(dir.path(), text),
              "Cannot open file \"" + dir.path() + "\". Is a directory");
}

}  // namespace

namespace {

TEST(CopyLogFile, ReadAndWriteFailuresHaveTheirOwnTexts) {
    TempDir dir;
    const std::string source = dir.file("tmplog0.txt", "content");
    EXPECT_EQ(CopyLogFile(source, "/dev/full"), "Stream write error");
    // A file whose first read fails: the kernel refuses reads of unmapped memory.
    EXPECT_EQ(CopyLogFile("/proc/self/mem", dir.path() + "mem.txt"), "Stream read error");
    EXPECT_TRUE(platform::Exists(dir.path() + "mem.txt"));  // the partial copy stays
}

}  // namespace
