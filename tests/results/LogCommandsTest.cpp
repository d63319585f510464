// The three log commands of the main menu.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/Files.h"
#include "support/ResultsFakes.h"

using namespace vorlaxis;
using namespace vorlaxis::test;

namespace {

const char kNoLogs[] = "Vorlaxis negeneroval zatím žádné dočasné záznamy.";

class LogCommandsTest : public ::testing::Test, protected ResultsRig {
  protected:
    TestSettings settings;
    std::string logs = dir.path() + "a/b/Logs/";
    std::vector<MediaRecord> media = std::vector<MediaRecord>(34);

    ResultsContext context() { return {settings, dialogs, shell, windows, temp, logs}; }
    void batchOfThree() {
        const char* serials[] = {"0123ABCD", "00000001", "FFFFFFFF"};
        for (int k = 0; k < 3; ++k) {
            dir.file("tmp/tmplog" + std::to_string(k) + ".txt", "log " + std::to_string(k));
            media[k] = {"Disk" + std::to_string(k), serials[k]};
        }
    }
    std::string saved(const std::string& name) { return Saved(logs, name); }
};

TEST_F(LogCommandsTest, BeforeTheFirstBatchBothLogCommandsOnlyReport) {
    SaveTempLogs(context(), 0, media);
    ShowTempLogs(context(), 0);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    for (const ScriptedDialogs::Shown& m : dialogs.shown) {
        EXPECT_EQ(m.text, kNoLogs);
        EXPECT_EQ(m.caption, "Chyba");
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
        EXPECT_EQ(m.icon, MsgIcon::Error);
    }
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_FALSE(platform::Exists(logs));
}

TEST_F(LogCommandsTest, LogsFolderIsCreatedAndOpened) {
    ShowLogsFolder(context());
    EXPECT_TRUE(platform::IsDirectory(logs));
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0], (ShellRequest{"folder", logs, ""}));
    ShowLogsFolder(context());  // an existing folder is only opened
    EXPECT_EQ(shell.requests.size(), 2u);
}

TEST_F(LogCommandsTest, ThreeLogsOpenThreeViewersNeverTheInternalOne) {
    batchOfThree();
    settings.TxtViewer = AssociatedProgram;
    ShowTempLogs(context(), 3);
    ASSERT_EQ(shell.requests.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(shell.requests[k],
                  (ShellRequest{"document", temp + "tmplog" + std::to_string(k) + ".txt", temp}));
    }
    shell.requests.clear();
    for (int32_t viewer : {int32_t{InternalViewer}, int32_t{Notepad}, kNothingChosen}) {
        settings.TxtViewer = viewer;
        ShowTempLogs(context(), 3);
    }
    ASSERT_EQ(shell.requests.size(), 9u);
    for (const ShellRequest& r : shell.requests) EXPECT_EQ(r.kind, "editor");
    EXPECT_TRUE(windows.viewerShown.empty());
    EXPECT_TRUE(dialogs.shown.empty());
}

// After a batch of one, the logs an earlier, longer batch left behind are not this batch's.
TEST_F(LogCommandsTest, AfterOneLocationOnlyItsLogIsShownAndSaved) {
    batchOfThree();
    settings.TxtViewer = AssociatedProgram;
    settings.LogsFileNameFormat = BySerialNumber;
    ShowTempLogs(context(), 1);
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0], (ShellRequest{"document", temp + "tmplog0.txt", temp}));
    dialogs.answers = {MsgResult::Yes};
    SaveTempLogs(context(), 1, media);
    EXPECT_EQ(saved("0123ABCD.txt"), "log 0");
    EXPECT_FALSE(platform::Exists(logs + "00000001.txt"));
}

TEST_F(LogCommandsTest, SaveAsksFirstAndNoSavesNothing) {
    batchOfThree();
    settings.LogsFileNameFormat = BySerialNumber;
    SaveTempLogs(context(), 3, media);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text,
              "Vorlaxis uloží dočasné záznamy do složky záznamů a pojmenuje je podle pravidel "
              "definovaných v nastavení...\r\rUložit?");
    EXPECT_EQ(dialogs.shown[0].caption, "Potvrzení...");
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_FALSE(platform::Exists(logs));
}

TEST_F(LogCommandsTest, SaveNamesEachLogByItsOwnMediumInTheCurrentFormat) {
    batchOfThree();
    settings.SaveLogsToDisk = false;  // the command saves regardless
    settings.LogsFileNameFormat = BySerialNumber;
    dialogs.answers = {MsgResult::Yes, MsgResult::Yes};
    SaveTempLogs(context(), 3, media);
    EXPECT_EQ(saved("0123ABCD.txt"), "log 0");
    EXPECT_EQ(saved("00000001.txt"), "log 1");
    EXPECT_EQ(saved("FFFFFFFF.txt"), "log 2");
    settings.LogsFileNameFormat = Combined;
    SaveTempLogs(context(), 3, media);
    EXPECT_EQ(saved("Disk2 (FFFFFFFF).txt"), "log 2");
    EXPECT_EQ(dialogs.shown.size(), 2u);  // the questions only
}

TEST_F(LogCommandsTest, SameMediumNameInOneBatchKeepsTheLaterLog) {
    batchOfThree();
    media[2].VolumeLabel = "Disk0";
    settings.LogsFileNameFormat = ByVolumeLabel;
    dialogs.answers = {MsgResult::Yes};
    SaveTempLogs(context(), 3, media);
    EXPECT_EQ(saved("Disk0.txt"), "log 2");
}

TEST_F(LogCommandsTest, FailedCopyEndsTheCommand) {
    batchOfThree();
    settings.LogsFileNameFormat = ByVolumeLabel;
    const std::string blocked = dir.file("a/b/Logs/Disk1.txt", "kept");
    ::chmod(blocked.c_str(), 0444);
    dialogs.answers = {MsgResult::Yes};
    SaveTempLogs(context(), 3, media);
    EXPECT_EQ(saved("Disk0.txt"), "log 0");
    EXPECT_EQ(saved("Disk1.txt"), "kept");
    EXPECT_FALSE(platform::Exists(logs + "Disk2.txt"));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text, "Cannot create file " + logs + "Disk1.txt.");
}

}  // namespace
