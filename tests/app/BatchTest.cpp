// Test batches through the real main window: locations in temporary folders (and on the fault
// file system where a test must last long enough to be interrupted), dialogs by script.
#include <unistd.h>

#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>

#include "AppFixture.h"
#include "ScopedEnv.h"
#include "engine/TestRun.h"
#include "engine/qt/ErrorUnit.h"
#include "help/qt/InfoBoxUnit.h"
#include "hostile/RamFolder.h"
#include "platform/Files.h"
#ifdef VORLAXIS_HAVE_FAULTFS
#include "FaultFs.h"
#endif

namespace vorlaxis::test {
namespace {

class Batch : public AppFixture {
  protected:
    // A location with a few small files.
    std::string Tree(const std::string& name) {
        m_dir.file(name + "/a.txt", "alpha");
        m_dir.file(name + "/sub/b.bin", std::string(70000, 'b'));
        return m_dir.path() + name;
    }
    bool Testing() { return Main().Statistics().TestRunning; }
    bool Reading() { return Testing() && Button("btnCancelTest")->isEnabled(); }
    // Clicks the cancel button once the reading has begun and answers its question.
    void CancelOnceReading(const QString& answer) {
        m_script.When([this] { return Reading(); }, [this] { Button("btnCancelTest")->click(); });
        m_script.Expect("Opravdu si přejete přerušit test média?", answer);
    }

#ifdef VORLAXIS_HAVE_FAULTFS
    // Locations on the fault file system, in the order of their names. In a slow one every
    // read waits, so that a test lasts long enough to act in it.
    std::string FsTree(const std::string& name, int files, bool slow) {
        for (int i = 0; i < files; ++i) {
            const std::string file = name + "/f" + std::to_string(i) + ".bin";
            m_fs.AddFile(file, std::string(3 * 49152, 'x'));
            if (slow) m_rules += "delay 15 /" + file + "\n";
        }
        return m_fs.root() + name;
    }
    // Mounts the file system and starts the window with these locations ticked.
    void MountAndStart(const std::vector<std::string>& locations) {
        m_fs.SetFaults(m_rules);
        ASSERT_TRUE(m_fs.Mount()) << m_fs.error();
        Start(kQuietOptions + Ini(locations));
    }
    FaultFs m_fs;
    std::string m_rules;
#endif
};

TEST_F(Batch, ThreeLocationsEndWithLocationIndexThreeAndThreeLogs) {
    Start(kQuietOptions + Ini({Tree("one"), Tree("two"), Tree("three") + "/"}));
    for (int n = 0; n < 3; ++n) platform::RemoveFile(TempLogPath(n));
    RunBatchFromStartButton();
    CheckScript();
    EXPECT_EQ(Main().Statistics().LocationIndex, 3);
    for (int n = 0; n < 3; ++n) EXPECT_TRUE(platform::Exists(TempLogPath(n))) << n;
    EXPECT_FALSE(platform::Exists(TempLogPath(3)));
    EXPECT_EQ(Status(0), "Test dokončen...");
    EXPECT_EQ(Text("Label26"), "test dokončen OK");
    EXPECT_EQ(Text("Label5"), "2");
    EXPECT_TRUE(Text("Label19").isEmpty());
    EXPECT_FALSE(Testing());
    EXPECT_TRUE(Button("BitBtn2")->isVisible());
    EXPECT_FALSE(Button("btnCancelTest")->isVisible());
    EXPECT_TRUE(Button("BitBtn1")->isEnabled());
    EXPECT_TRUE(DiskList()->isEnabled());
    EXPECT_TRUE(Action("mmSpustitTest")->isEnabled());
    EXPECT_FALSE(Main().Timer1().isActive());
    EXPECT_GE(Main().Session().MediaRecords.size(), 3u);
}

TEST_F(Batch, ForcedModeRunsItsModeAndLeavesTheOptionsAlone) {
    Start(kQuietOptions + "[DataRead]\nDataReadStyle=3\nBlockSize=16\n" + Ini({Tree("one")}));
    const TestSettings before = Main().Settings();
    RunBatch([&] { Action("Spustittestplntendat1")->trigger(); });
    EXPECT_EQ(Text("Label20"), "čtení všech dat");
    EXPECT_EQ(Main().Statistics().ReadMode, 1);
    EXPECT_EQ(Main().Settings().DataReadStyle, before.DataReadStyle);
    EXPECT_EQ(Main().Settings().BlockSize, before.BlockSize);
    RunBatch([&] { Action("mmSpustitTest")->trigger(); });
    EXPECT_EQ(Text("Label20"), "otevírání souborů");
    CheckScript();
}

TEST_F(Batch, OpenOnlyStartHidesTheThreeSpeedCaptions) {
    Start(kQuietOptions + Ini({Tree("one")}));
    RunBatch([&] { Action("Spustittestpouzeotevratsoubory1")->trigger(); });
    for (const char* caption : {"Label29", "Label31", "Label33"}) {
        EXPECT_FALSE(Label(caption)->isVisible()) << caption;
    }
    EXPECT_TRUE(Label("Label27")->isVisible());
    EXPECT_EQ(Text("Label20"), "otevírání souborů");
    RunBatch([&] { Action("Spustittestplntendat1")->trigger(); });
    for (const char* caption : {"Label29", "Label31", "Label33"}) {
        EXPECT_TRUE(Label(caption)->isVisible()) << caption;
    }
    CheckScript();
}

TEST_F(Batch, StopOnTheReadErrorQuestionEndsTheLocationAsStopped) {
    const std::string location = Tree("one");
    ASSERT_EQ(::symlink((m_dir.path() + "missing").c_str(), (location + "/broken").c_str()), 0);
    Start(kQuietOptions + Ini({location}));
    m_script.Expect(QString::fromStdString(location + "/broken"), "BitBtn3");
    m_script.Expect("Přejete si zobrazit jejich seznam ?", "No");  // the log display is off
    RunBatchFromStartButton();
    CheckScript();
    EXPECT_EQ(m_script.Seen.value(0).section(" | ", 0, 0), "Chyba při čtení souboru");
    EXPECT_EQ(Text("Label26"), "test přerušen !");
    EXPECT_EQ(Text("Label12"), "1");
    EXPECT_TRUE(Main().Statistics().StopRequested);
    EXPECT_EQ(Main().Statistics().LocationIndex, 1);
    EXPECT_EQ(Status(0), "Test dokončen...");
}

TEST_F(Batch, LogThatCouldNotBeWrittenInFullIsToldOf) {
    RamFolder small(8192);
    if (!small.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    ScopedEnv inSmall("TMPDIR", small.path());
    ASSERT_FALSE(platform::TempFolder().empty());
    // One page is left for the log: its header fits, forty failure lines do not.
    ASSERT_TRUE(platform::WriteWholeFile(small.path() + "filler", std::string(4096, 'f')));
    const std::string location = Tree("one");
    for (int i = 0; i < 40; ++i) {
        const std::string name = location + "/" + std::string(100, 'n') + std::to_string(i);
        ASSERT_EQ(::symlink("nowhere", name.c_str()), 0);
    }
    Start(kQuietOptions + "[Test]\nGo nonstop=1\n" + Ini({location}));
    m_script.Expect("Protokol o testu se nepodařilo celý zapsat", "OK");
    m_script.Expect("Přejete si zobrazit jejich seznam ?", "No");  // the log display is off
    RunBatchFromStartButton();
    CheckScript();
    EXPECT_TRUE(Main().Session().LogIncomplete);
    EXPECT_EQ(Text("Label12"), "40");
    EXPECT_EQ(m_script.Seen.value(0).section(" | ", 0, 0), "Chyba");
    EXPECT_EQ(m_script.Icons.value(0), QMessageBox::Critical);
}

TEST_F(Batch, ReadErrorQuestionSitsBesideTheMainWindowAndContinueGoesOn) {
    const std::string location = Tree("one");
    ASSERT_EQ(::symlink((m_dir.path() + "missing").c_str(), (location + "/broken").c_str()), 0);
    Start(kQuietOptions + Ini({location}));
    QPoint shownAt;
    m_script.When([&] { return m_windows.ErrorForm->isVisible(); },
                  [&] { shownAt = m_windows.ErrorForm->pos(); });
    m_script.Expect("broken", "BitBtn2");
    m_script.Expect("Přejete si zobrazit jejich seznam ?", "No");  // the log display is off
    RunBatchFromStartButton();
    CheckScript();
    EXPECT_EQ(shownAt, Main().pos() + QPoint(30, 30));
    EXPECT_EQ(Text("Label26"), "test dokončen, chyby!");
    EXPECT_EQ(Text("Label12"), "1");
    EXPECT_EQ(Label("Label12")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_FALSE(Main().Statistics().StopRequested);
}

#ifdef VORLAXIS_HAVE_FAULTFS

// A folder the system will not list is no damage, but no green "ok" either: the window names
// it and the count is not green.
TEST_F(Batch, AFolderThatMayNotBeListedLeavesTheTestIncomplete) {
    const std::string location = FsTree("one", 1, false);
    m_fs.AddFile("one/locked/x.bin", "x");
    m_rules += "list-error /one/locked open EACCES\n";
    m_script.Expect("Nebylo otestováno: 1", "No");
    MountAndStart({location});
    RunBatchFromStartButton();
    CheckScript();
    EXPECT_EQ(Text("Label26"), "test neúplný !");
    EXPECT_EQ(Text("Label12"), "0");
    EXPECT_EQ(Label("Label12")->palette().color(QPalette::WindowText), QColor(192, 112, 0));
    EXPECT_EQ(Main().Session().Unchecked.size(), 1u);
}

TEST_F(Batch, CancelDuringTheLastLocationAsksNothingFurther) {
    VORLAXIS_REQUIRE_FUSE();
    const std::string fast = FsTree("a_fast", 1, false);
    const std::string slow = FsTree("b_slow", 6, true);
    MountAndStart({fast, slow});
    // The slow location's reading has begun once its file count is shown.
    m_script.When([&] { return Reading() && Text("Label5") == "6"; },
                  [&] { Button("btnCancelTest")->click(); });
    m_script.Expect("Opravdu si přejete přerušit test média?", "Yes");
    RunBatchFromStartButton();
    CheckScript();
    EXPECT_EQ(Text("Label26"), "test přerušen !");
    EXPECT_EQ(Status(0), "Test dokončen...");
    EXPECT_EQ(Main().Statistics().LocationIndex, 2);
}

TEST_F(Batch, CancelInTheMiddleAndGoOnTestsTheNextLocation) {
    VORLAXIS_REQUIRE_FUSE();
    const std::string slow = FsTree("a_slow", 6, true);
    const std::string fast = FsTree("b_fast", 1, false);
    MountAndStart({slow, fast});
    ASSERT_EQ(Main().Locations().Text(0), slow);
    CancelOnceReading("Yes");
    m_script.Expect("Test byl přerušen. Má se pokračovat další vybranou cestou?", "Yes");
    RunBatchFromStartButton();
    CheckScript();
    EXPECT_EQ(m_script.Seen.value(1).section(" | ", 0, 0), "Přerušit");
    EXPECT_EQ(Main().Statistics().LocationIndex, 2);
    EXPECT_FALSE(Main().Statistics().StopRequested);
    EXPECT_EQ(Text("Label26"), "test dokončen OK");
}

TEST_F(Batch, CancelInTheMiddleAndStopEndsTheBatch) {
    VORLAXIS_REQUIRE_FUSE();
    const std::string slow = FsTree("a_slow", 6, true);
    const std::string fast = FsTree("b_fast", 1, false);
    MountAndStart({slow, fast});
    CancelOnceReading("Yes");
    m_script.Expect("Test byl přerušen. Má se pokračovat další vybranou cestou?", "No");
    RunBatchFromStartButton();
    CheckScript();
    EXPECT_EQ(Main().Statistics().LocationIndex, 1);
    EXPECT_EQ(Text("Label26"), "test přerušen !");
    EXPECT_TRUE(Button("BitBtn2")->isVisible());
}

TEST_F(Batch, AnsweringNoToCancelLetsTheTestFinish) {
    VORLAXIS_REQUIRE_FUSE();
    const std::string slow = FsTree("slow", 4, true);
    MountAndStart({slow});
    CancelOnceReading("No");
    RunBatchFromStartButton();
    CheckScript();
    EXPECT_EQ(Text("Label26"), "test dokončen OK");
}

TEST_F(Batch, ClosingDuringATestAnsweredNoLetsItFinish) {
    VORLAXIS_REQUIRE_FUSE();
    const std::string slow = FsTree("slow", 4, true);
    MountAndStart({slow});
    QSignalSpy closed(&Main(), &gui::TMainForm::Closed);
    m_script.When([&] { return Reading(); }, [&] { Button("BitBtn1")->setEnabled(true); });
    m_script.When([&] { return Reading(); }, [&] { Main().close(); });
    m_script.Expect("Chcete ukončit probíhající test a zavřít aplikaci Vorlaxis?", "No");
    RunBatchFromStartButton();
    CheckScript();
    EXPECT_EQ(m_script.Seen.value(0).section(" | ", 0, 0), "Potvrzení ukončení...");
    EXPECT_EQ(Text("Label26"), "test dokončen OK");
    EXPECT_TRUE(Main().isVisible());
    EXPECT_EQ(closed.count(), 0);
}

TEST_F(Batch, ClosingDuringATestAnsweredYesStopsCleansUpAndEnds) {
    VORLAXIS_REQUIRE_FUSE();
    const std::string slow = FsTree("a_slow", 6, true);
    const std::string fast = FsTree("b_fast", 1, false);
    MountAndStart({slow, fast});
    QSignalSpy closed(&Main(), &gui::TMainForm::Closed);
    m_script.When([&] { return Reading(); }, [&] { Main().close(); });
    m_script.Expect("Chcete ukončit probíhající test a zavřít aplikaci Vorlaxis?", "Yes");
    RunBatchFromStartButton();
    CheckScript();  // no question about going on: the window is gone
    EXPECT_FALSE(Main().isVisible());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(Main().Statistics().LocationIndex, 1);
    EXPECT_FALSE(platform::Exists(TempLogPath(0)));
    std::string ini;
    ASSERT_TRUE(platform::ReadWholeFile(m_settingsPath, ini));
    EXPECT_NE(ini.find("Path1="), std::string::npos);
}

TEST_F(Batch, TimersAndClockKeepRunningDuringATest) {
    VORLAXIS_REQUIRE_FUSE();
    const std::string slow = FsTree("slow", 8, true);
    MountAndStart({slow});
    Main().Timer2().setInterval(20);
    QStringList clockTexts;
    int progressTicks = 0;
    m_script.Every([&] {
        if (!Reading()) return;
        if (clockTexts.isEmpty() || clockTexts.back() != Status(2)) clockTexts << Status(2);
        if (Main().Timer1().isActive() && !Text("Label28").isEmpty()) ++progressTicks;
    });
    Main().findChild<QLabel*>("StatusPanel2")->clear();
    RunBatchFromStartButton();
    CheckScript();
    clockTexts.removeAll(QString());
    EXPECT_FALSE(clockTexts.isEmpty());
    EXPECT_GT(progressTicks, 0);
    EXPECT_FALSE(Main().Timer1().isActive());
}

TEST_F(Batch, ControlsAreLockedWhileTheBatchRuns) {
    VORLAXIS_REQUIRE_FUSE();
    const std::string slow = FsTree("slow", 3, true);
    MountAndStart({slow});
    bool sawLocked = false;
    QStringList unlockedMenus;
    m_script.When([&] { return Reading(); },
                  [&] {
                      // After the busy window, which disables and enables the whole window.
                      auto* bypass = Main().findChild<QMenu*>("mmSpustitTestObejit");
                      if (bypass->isEnabled()) unlockedMenus << "mmSpustitTestObejit";
                      for (const char* name :
                           {"mmSpustitTest", "Spustittestplntendat1", "Spustitteststbloky1",
                            "Spustittestpouzeotevratsoubory1", "mmUlozitZaznamy",
                            "mmZobrazitSlozkuZaznamy", "mmZobrazitDocasneZaznamy", "mmMoznosti"}) {
                          if (Action(name)->isEnabled()) unlockedMenus << name;
                      }
                      if (bypass->menuAction()->isEnabled())
                          unlockedMenus << "mmSpustitTestObejit item";
                      sawLocked =
                          !Action("mmSpustitTest")->isEnabled() && !DiskList()->isEnabled() &&
                          !Button("BitBtn1")->isEnabled() && !Button("BitBtn2")->isVisible() &&
                          Button("btnCancelTest")->isVisible() && Action("mmAbout")->isEnabled() &&
                          Action("mmKonec")->isEnabled() && Status(0) == "Probíhá test..." &&
                          Main().Timer1().isActive();
                  });
    RunBatchFromStartButton();
    CheckScript();
    EXPECT_TRUE(sawLocked);
    EXPECT_TRUE(unlockedMenus.isEmpty()) << unlockedMenus.join(", ").toStdString();
}

#endif

// Watches the busy window: the main window must be disabled until the moment it hides.
class BusyWatcher : public QObject {
  public:
    QWidget* main = nullptr;
    int hides = 0;
    bool mainDisabledAtHide = true;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide) {
            ++hides;
            mainDisabledAtHide = mainDisabledAtHide && !main->isEnabled();
        }
        return QObject::eventFilter(watched, event);
    }
};

TEST_F(Batch, BusyWindowDisablesTheMainWindowWhileTheTreeIsCollected) {
    Start(kQuietOptions + Ini({Tree("one"), Tree("two")}));
    BusyWatcher watcher;
    watcher.main = &Main();
    m_windows.InfoBox->installEventFilter(&watcher);
    RunBatchFromStartButton();
    EXPECT_EQ(watcher.hides, 2);
    EXPECT_TRUE(watcher.mainDisabledAtHide);
    EXPECT_TRUE(Main().isEnabled());
    EXPECT_FALSE(m_windows.InfoBox->isVisible());
    EXPECT_TRUE(m_windows.InfoBox->Location().endsWith("two/"));
}

}  // namespace
}  // namespace vorlaxis::test
