#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SettingsTestSupport.h"
#include "TempDir.h"
#include "media/LocationList.h"
#include "platform/Files.h"
#include "settings/IniFile.h"
#include "settings/SettingsFile.h"

using namespace vorlaxis;
using vorlaxis::test::Entries;
using vorlaxis::test::ReadBack;
using vorlaxis::test::RecordingWindow;

namespace {

// Reads a file holding `content` into a fresh record (three-way codes "nothing chosen").
struct Loaded {
    TestSettings settings;
    LocationList list;
    RecordingWindow window;
};

Loaded Load(const std::string& content) {
    vorlaxis::test::TempDir dir;
    Loaded loaded;
    ReadINIs(dir.file("Ulvenor.ini", content), loaded.settings, &loaded.window, loaded.list,
             nullptr);
    return loaded;
}

// The list as a settings file written from it gives it back.
std::string ListReadBack(LocationList& list) {
    vorlaxis::test::TempDir dir;
    const std::string path = dir.path() + "Ulvenor.ini";
    EXPECT_EQ(WriteINIs(path, DefaultTestSettings(), nullptr, list), "");
    TestSettings settings;
    ReadINIs(path, settings, nullptr, list, nullptr);
    return Entries(list);
}

}  // namespace

TEST(ReadINIs, NoFileGivesEveryDefault) {
    vorlaxis::test::TempDir dir;
    TestSettings settings;
    LocationList list;
    list.Add("stale");
    RecordingWindow window;
    ReadINIs(dir.path() + "missing.ini", settings, &window, list, nullptr);
    EXPECT_TRUE(settings == DefaultTestSettings());
    EXPECT_EQ(settings.DataReadStyle, 1);
    EXPECT_EQ(settings.ReadEveryXthBlock, 1);
    EXPECT_EQ(settings.LogsFileNameFormat, ByVolumeLabel);
    EXPECT_EQ(settings.TxtViewer, Notepad);
    EXPECT_TRUE(settings.EjectAfterTest);
    EXPECT_TRUE(settings.ShowLogsAfterTest);
    EXPECT_FALSE(settings.ShowLogsAfterTestAlways);
    EXPECT_EQ(settings.BlockSize, 48);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"top 100", "left 100"}));
    EXPECT_EQ(list.Count(), 0);
}

TEST(ReadINIs, BlockSizeIsPulledIntoRange) {
    for (const auto& [text, expected] : std::vector<std::pair<std::string, int>>{
             {"100", 48}, {"0", 4}, {"6", 6}, {"abc", 48}, {"-5", 4}, {"0x10", 16}, {"4", 4}}) {
        EXPECT_EQ(Load("[DataRead]\nBlockSize=" + text + "\n").settings.BlockSize, expected)
            << text;
    }
}

TEST(ReadINIs, CodesAndBooleansParseAsIntegers) {
    const Loaded a = Load("[DataRead]\nDataReadStyle=0x2\n[Test]\nGo nonstop=yes\n");
    EXPECT_EQ(a.settings.DataReadStyle, 2);
    EXPECT_FALSE(a.settings.GoNonstop);
    EXPECT_TRUE(Load("[Test]\nGo nonstop=7\n").settings.GoNonstop);
    EXPECT_FALSE(Load("[Application]\nEject media=0\n").settings.EjectAfterTest);
    EXPECT_TRUE(Load("[Application]\nEject media=oops\n").settings.EjectAfterTest);
}

TEST(ReadINIs, AThreeWayCodeOutside1To3LeavesTheFieldAsItWas) {
    vorlaxis::test::TempDir dir;
    const std::string path = dir.file("Ulvenor.ini",
                                      "[DataRead]\nDataReadStyle=5\nReadEveryXthBlock=0\n"
                                      "[Logs]\nLogs FileNameFormat=-1\nTXT Viewer=4\n");
    TestSettings settings;  // before the first read: nothing chosen
    LocationList list;
    ReadINIs(path, settings, nullptr, list, nullptr);
    EXPECT_EQ(settings.DataReadStyle, kNothingChosen);
    EXPECT_EQ(settings.ReadEveryXthBlock, kNothingChosen);
    EXPECT_EQ(settings.LogsFileNameFormat, kNothingChosen);
    EXPECT_EQ(settings.TxtViewer, kNothingChosen);
    settings.DataReadStyle = 3;  // the user picked one in the options, then pressed "Storno"
    settings.TxtViewer = InternalViewer;
    ReadINIs(path, settings, nullptr, list, nullptr);
    EXPECT_EQ(settings.DataReadStyle, 3);
    EXPECT_EQ(settings.TxtViewer, InternalViewer);
}

TEST(ReadINIs, TheHookRunsRightAfterShowLogsAfterTest) {
    struct Hook : SettingsReadHook {
        std::vector<std::pair<bool, bool>> seen;  // ShowLogsAfterTest, ShowLogsAfterTestAlways
        void ShowLogsAfterTestRead(const TestSettings& s) override {
            seen.emplace_back(s.ShowLogsAfterTest, s.ShowLogsAfterTestAlways);
        }
    } hook;
    vorlaxis::test::TempDir dir;
    const std::string path =
        dir.file("Ulvenor.ini", "[Logs]\nShow Logs After Test=0\nShow Logs After Test Always=1\n");
    TestSettings settings;
    LocationList list;
    ReadINIs(path, settings, nullptr, list, &hook);
    ReadINIs(path, settings, nullptr, list, &hook);  // runs even when nothing changed
    EXPECT_EQ(hook.seen, (std::vector<std::pair<bool, bool>>{{false, false}, {false, true}}));
}

TEST(ReadINIs, LocationsAreSortedAndTheListEndsAtTheFirstGap) {
    EXPECT_EQ(Entries(Load("[Paths]\nPath0=C:\\Data\nPath0Checked=1\nPath1=A:\\\n").list),
              "A:\\ | [x] C:\\Data");
    EXPECT_EQ(Entries(Load("[Paths]\nPath0=one\nPath2=three\n").list), "one");
    EXPECT_EQ(Entries(Load("[Paths]\nPath0=a\nPath1={}\nPath2=c\n").list), "a");
    EXPECT_EQ(Entries(Load("[Paths]\nPath0=\"{}\"\nPath1=b\n").list), "");  // quotes removed
    EXPECT_EQ(Entries(Load("[Paths]\nPath0=\nPath0Checked=1\nPath1=b\n").list), "[x]  | b");
    EXPECT_EQ(Entries(Load("[Paths]\nPath0=x\nPath0Checked=yes\nPath00=y\n").list), "x");
}

TEST(WriteINIs, RoundTripGivesTheSameRecordAndList) {
    vorlaxis::test::TempDir dir;
    const std::string path = dir.path() + "Ulvenor.ini";
    TestSettings out{
        -20, 3000, false, 2, 12, 3, true, true, false, true, true, Combined, AssociatedProgram};
    LocationList list;
    for (const char* p : {"/media/cdrom/", "D:\\", "", " spaced ", "Čtení", "/a=b;c"}) {
        list.Add(p);
    }
    list.SetTicked(1, true);
    list.SetTicked(4, true);
    RecordingWindow window;
    window.leftEdge = 640;
    window.topEdge = -8;
    ASSERT_EQ(WriteINIs(path, out, &window, list), "");

    TestSettings in;
    LocationList back;
    ReadINIs(path, in, nullptr, back, nullptr);
    out.Xpos = 640;  // the window's position is what is written
    out.Ypos = -8;
    EXPECT_TRUE(in == out);
    EXPECT_EQ(Entries(back), Entries(list));
}

TEST(WriteINIs, WritesEveryKeyInOrderAndThePathsSectionLast) {
    vorlaxis::test::TempDir dir;
    const std::string path =
        dir.file("Ulvenor.ini", "[Paths]\nPath7=old\n[Mine]\n; keep me\nkey = value\n");
    LocationList list;
    list.Add("B");
    list.Add("a");
    list.SetTicked(1, true);
    ASSERT_EQ(WriteINIs(path, DefaultTestSettings(), nullptr, list), "");
    EXPECT_EQ(ReadBack(path),
              "[Mine]\n; keep me\nkey = value\n\n"
              "[Application]\nXpos=100\nYpos=100\nEject media=1\n\n"
              "[DataRead]\nDataReadStyle=1\nBlockSize=48\nReadEveryXthBlock=1\n\n"
              "[Test]\nGo nonstop=0\nShow ErrorList=0\n\n"
              "[Logs]\nShow Logs After Test=1\nShow Logs After Test Always=0\n"
              "Save Logs to Disk=0\nLogs FileNameFormat=2\nTXT Viewer=3\n\n"
              "[Paths]\nPath0=a\nPath0Checked=0\nPath1=B\nPath1Checked=1\n");
}

TEST(WriteINIs, RemovingEveryLocationLeavesNoPathsSection) {
    vorlaxis::test::TempDir dir;
    const std::string path = dir.file("Ulvenor.ini", "[Paths]\nPath0=x\nPath0Checked=1\n");
    TestSettings settings;
    LocationList list;
    ReadINIs(path, settings, nullptr, list, nullptr);
    ASSERT_EQ(list.Count(), 1);
    list.Remove(0);
    ASSERT_EQ(WriteINIs(path, settings, nullptr, list), "");
    EXPECT_EQ(ReadBack(path).find("Paths"), std::string::npos);
    ReadINIs(path, settings, nullptr, list, nullptr);
    EXPECT_EQ(list.Count(), 0);
}

TEST(WriteINIs, AnEditedEntryComesBackAtItsSortedPlace) {
    LocationList list;
    list.Add("A:\\");
    list.Add("C:\\");
    list.Replace(0, "Z:\\");
    EXPECT_EQ(ListReadBack(list), "C:\\ | Z:\\");
}

TEST(WriteINIs, APathThatReadsAsTheEndMarkerEndsTheListWhenReadBack) {
    LocationList list;
    list.Add("a");
    list.Add("b");
    list.Add("c");
    list.Replace(1, "{}");  // in place, whatever its sort order
    EXPECT_EQ(ListReadBack(list), "a");
}

TEST(WriteINIs, NothingChosenKeepsTheNumberThatWasRead) {
    vorlaxis::test::TempDir dir;
    const std::string path =
        dir.file("Ulvenor.ini", "[DataRead]\nDataReadStyle=7\n[Logs]\nTXT Viewer=$0\n");
    TestSettings settings;
    LocationList list;
    ReadINIs(path, settings, nullptr, list, nullptr);
    ASSERT_EQ(WriteINIs(path, settings, nullptr, list), "");
    const IniDocument ini(ReadBack(path));
    EXPECT_EQ(ini.ReadString("DataRead", "DataReadStyle", ""), "7");
    EXPECT_EQ(ini.ReadString("Logs", "TXT Viewer", ""), "$0");
    EXPECT_EQ(ini.ReadString("DataRead", "ReadEveryXthBlock", ""), "1");
}

TEST(ReadINIs, AHandWrittenWindowsFileReadsAsTheProfileFunctionsReadIt) {
    const Loaded loaded = Load(
        "\xEF\xBB\xBF; written by hand\r\n"
        "[application]\r\n"
        "  XPOS = 250 \r\n"
        "ypos\t=\t-4\r\n"
        "\r\n"
        "[DATAREAD]\r\n"
        "datareadstyle = \"3\"\r\n"
        "BlockSize= '32'\r\n"
        "[logs]\r\n"
        "txt viewer=1\r\n"
        "Save Logs To Disk = 1\r\n"
        "[paths]\r\n"
        "path0 = \" D:\\Backup \"\r\n"
        "PATH0CHECKED = 1\r\n"
        "Path1=F:\\Program Files\\\r\n");
    EXPECT_EQ(loaded.settings.Xpos, 250);
    EXPECT_EQ(loaded.settings.Ypos, -4);
    EXPECT_EQ(loaded.window.calls, (std::vector<std::string>{"top -4", "left 250"}));
    EXPECT_EQ(loaded.settings.DataReadStyle, 3);
    EXPECT_EQ(loaded.settings.BlockSize, 32);
    EXPECT_EQ(loaded.settings.TxtViewer, AssociatedProgram);
    EXPECT_TRUE(loaded.settings.SaveLogsToDisk);
    EXPECT_EQ(Entries(loaded.list), "[x]  D:\\Backup  | F:\\Program Files\\");
}

TEST(WriteINIs, ALongListRoundTripsWhole) {
    vorlaxis::test::TempDir dir;
    const std::string path = dir.path() + "Ulvenor.ini";
    LocationList list;
    std::vector<TestLocation> many;
    for (int i = 0; i < 5000; ++i)
        many.push_back({"/m/" + std::to_string((i * 7919) % 10007), i % 3 == 0});
    list.AddAll(many);
    ASSERT_EQ(WriteINIs(path, DefaultTestSettings(), nullptr, list), "");
    TestSettings settings;
    LocationList back;
    ReadINIs(path, settings, nullptr, back, nullptr);
    EXPECT_EQ(Entries(back), Entries(list));
    // Written again over itself, the file does not change.
    const std::string first = ReadBack(path);
    ASSERT_EQ(WriteINIs(path, settings, nullptr, back), "");
    EXPECT_EQ(ReadBack(path), first);
}
