// The results after a location: which viewer, which copy, which colour, which list.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "platform/Files.h"
#include "settings/SettingsFile.h"
#include "support/ResultsFakes.h"

using namespace vorlaxis;
using namespace vorlaxis::test;

namespace {

const char kOfferText[] =
    "Při testu média byly nalezeny soubory, které nelze přečíst.\r\n"
    "Přejete si zobrazit jejich seznam ?";

class ErrorResultsTest : public ::testing::Test, protected ResultsRig {
  protected:
    TestSettings settings = DefaultTestSettings();  // as a missing settings file gives them
    TestStatistics stats;
    std::string logs = dir.path() + "prog/Logs/";

    void SetUp() override {
        stats.VolumeLabel = "MyDataCD";
        stats.VolumeSerial = "0123ABCD";
    }
    std::string writeLog(int k, const std::string& content) {
        return dir.file("tmp/tmplog" + std::to_string(k) + ".txt", content);
    }
    void run(uint16_t bad) {
        ErrorResults(ResultsContext{settings, dialogs, shell, windows, temp, logs}, stats, bad);
    }
    std::string saved(const std::string& name) { return Saved(logs, name); }
    // The saved log `name` after the results of a location without unreadable files.
    std::string savedAfterRun(const std::string& name) {
        run(0);
        return saved(name);
    }
};

TEST_F(ErrorResultsTest, DefaultsWithoutBadFilesShowNothingAndColourGreen) {
    writeLog(0, "log");
    run(0);
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(windows.listShown, 0);
    EXPECT_EQ(windows.colourCalls, 1);
    EXPECT_FALSE(windows.red);
    EXPECT_FALSE(platform::Exists(logs));
}

TEST_F(ErrorResultsTest, DefaultsWithBadFilesStartTheEditorAndOfferNoList) {
    writeLog(0, "log");
    run(2);
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0], (ShellRequest{"editor", temp + "tmplog0.txt", temp}));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(windows.listShown, 0);
    EXPECT_TRUE(windows.red);
}

TEST_F(ErrorResultsTest, LogDisplayOffOffersTheListAndYesShowsIt) {
    settings.ShowLogsAfterTest = false;
    writeLog(0, "log");
    dialogs.answers = {MsgResult::Yes};
    run(1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, kOfferText);
    EXPECT_EQ(dialogs.shown[0].caption, "Potvtrzení");
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(dialogs.shown[0].icon, MsgIcon::Question);
    EXPECT_EQ(windows.listShown, 1);
    EXPECT_TRUE(shell.requests.empty());

    dialogs.answers = {MsgResult::No};
    run(1);
    EXPECT_EQ(windows.listShown, 1);
}

TEST_F(ErrorResultsTest, LogDisplayOffWithAutomaticListShowsItWithoutAsking) {
    settings.ShowLogsAfterTest = false;
    settings.ShowErrorList = true;
    run(3);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(windows.listShown, 1);
    run(0);  // nothing to list
    EXPECT_EQ(windows.listShown, 1);
}

TEST_F(ErrorResultsTest, LogShownAlwaysEvenWithoutBadFilesAndNeverTheList) {
    settings.ShowLogsAfterTestAlways = true;
    settings.ShowErrorList = true;
    settings.TxtViewer = AssociatedProgram;
    stats.LocationIndex = 1;
    writeLog(1, "log");
    run(0);
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0], (ShellRequest{"document", temp + "tmplog1.txt", temp}));
    run(4);
    EXPECT_EQ(shell.requests.size(), 2u);
    EXPECT_EQ(windows.listShown, 0);
}

TEST_F(ErrorResultsTest, InternalViewerBelow32700BytesElseTheEditor) {
    settings.TxtViewer = InternalViewer;
    writeLog(0, std::string(32699, 'a'));
    run(1);
    ASSERT_EQ(windows.viewerShown.size(), 1u);
    EXPECT_EQ(windows.viewerShown[0], temp + "tmplog0.txt");
    EXPECT_EQ(windows.viewerText.size(), 32699u);
    EXPECT_TRUE(shell.requests.empty());

    writeLog(0, std::string(32700, 'a'));
    run(1);
    EXPECT_EQ(windows.viewerShown.size(), 1u);
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].kind, "editor");
    EXPECT_EQ(windows.listShown, 0);
}

TEST_F(ErrorResultsTest, MissingLogInTheViewerIsReportedAndNothingIsSavedOrColoured) {
    settings.TxtViewer = InternalViewer;
    settings.SaveLogsToDisk = true;
    run(1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text,
              "Cannot open file \"" + temp + "tmplog0.txt\". No such file or directory.");
    EXPECT_EQ(dialogs.shown[0].caption, "Vorlaxis");
    EXPECT_EQ(dialogs.shown[0].icon, MsgIcon::Error);
    EXPECT_FALSE(platform::Exists(logs + "MyDataCD.txt"));
    EXPECT_EQ(windows.colourCalls, 0);
}

TEST_F(ErrorResultsTest, NothingChosenViewerShowsNothingAndOffersTheList) {
    settings.TxtViewer = kNothingChosen;
    writeLog(0, "log");
    run(1);
    EXPECT_TRUE(shell.requests.empty());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Potvtrzení");
}

TEST_F(ErrorResultsTest, SavedCopyIsNamedByTheFormat) {
    settings.SaveLogsToDisk = true;
    writeLog(0, "first");
    settings.LogsFileNameFormat = BySerialNumber;
    EXPECT_EQ(savedAfterRun("0123ABCD.txt"), "first");
    settings.LogsFileNameFormat = Combined;
    EXPECT_EQ(savedAfterRun("MyDataCD (0123ABCD).txt"), "first");

    // A part the medium lacks falls back to the next, to the tested folder's name at last.
    stats.VolumeLabel.clear();
    stats.Location = "/media/u/FOTKY/";
    EXPECT_EQ(savedAfterRun("FOTKY (0123ABCD).txt"), "first");
    settings.LogsFileNameFormat = ByVolumeLabel;
    EXPECT_EQ(savedAfterRun("0123ABCD.txt"), "first");
    stats.VolumeSerial.clear();
    EXPECT_EQ(savedAfterRun("FOTKY.txt"), "first");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(windows.colourCalls, 5);
}

TEST_F(ErrorResultsTest, SavingTheSameMediumTwiceReplacesTheFirstCopy) {
    settings.SaveLogsToDisk = true;
    writeLog(0, "first test, a longer log");
    run(0);
    writeLog(0, "second");
    EXPECT_EQ(savedAfterRun("MyDataCD.txt"), "second");
}

TEST_F(ErrorResultsTest, NothingChosenNameFormatKeepsTheTemporaryName) {
    settings.SaveLogsToDisk = true;
    settings.LogsFileNameFormat = kNothingChosen;
    stats.LocationIndex = 2;
    writeLog(2, "third");
    EXPECT_EQ(savedAfterRun("tmplog2.txt"), "third");
}

TEST_F(ErrorResultsTest, ReadOnlyFileInTheWayIsReportedAndSkipsColourAndList) {
    settings.SaveLogsToDisk = true;
    settings.ShowLogsAfterTest = false;
    settings.ShowErrorList = true;
    writeLog(0, "new");
    const std::string old = dir.file("prog/Logs/MyDataCD.txt", "old");
    ::chmod(old.c_str(), 0444);
    run(5);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Cannot create file " + logs + "MyDataCD.txt.");
    EXPECT_EQ(saved("MyDataCD.txt"), "old");
    EXPECT_EQ(windows.colourCalls, 0);
    EXPECT_EQ(windows.listShown, 0);
}

TEST_F(ErrorResultsTest, MissingTemporaryLogFailsTheCopyWithCannotOpen) {
    settings.SaveLogsToDisk = true;
    run(0);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Cannot open file " + temp + "tmplog0.txt.");
}

TEST_F(ErrorResultsTest, LabelsWithSeparatorsStayInTheLogsFolder) {
    settings.SaveLogsToDisk = true;
    writeLog(0, "x");
    stats.VolumeLabel = "../../escape";
    EXPECT_EQ(savedAfterRun(".._.._escape.txt"), "x");
    stats.VolumeLabel = "..";
    EXPECT_EQ(savedAfterRun("...txt"), "x");
    EXPECT_FALSE(platform::Exists(dir.path() + "escape.txt"));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ErrorResultsTest, TwoLocationsUseTheirOwnLogs) {
    settings.SaveLogsToDisk = true;
    settings.LogsFileNameFormat = BySerialNumber;
    settings.ShowLogsAfterTestAlways = true;
    writeLog(0, "zero");
    writeLog(1, "one");
    run(0);
    stats.LocationIndex = 1;
    stats.VolumeSerial = "DEADBEEF";
    run(0);
    ASSERT_EQ(shell.requests.size(), 2u);
    EXPECT_EQ(shell.requests[0].path, temp + "tmplog0.txt");
    EXPECT_EQ(shell.requests[1].path, temp + "tmplog1.txt");
    EXPECT_EQ(saved("0123ABCD.txt"), "zero");
    EXPECT_EQ(saved("DEADBEEF.txt"), "one");
}

}  // namespace
