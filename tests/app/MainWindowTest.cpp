// The main window after start-up: windows, idle display, layout, menus and keys, the empty
// batch and the location group.
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <fstream>
#include <iterator>

#include "AppFixture.h"
#include "LayoutCheck.h"
#include "engine/qt/ErrorUnit.h"
#include "help/qt/AboutUnit.h"
#include "help/qt/InfoBoxUnit.h"

namespace vorlaxis::test {
namespace {

using MainWindow = AppFixture;

TEST_F(MainWindow, StartsIdleAtTheStoredPlaceWithItsLocations) {
    Start("[Application]\nXpos=140\nYpos=90\n" + Ini({m_dir.path(), "/nonexistent/x"}));
    EXPECT_EQ(Main().pos(), QPoint(140, 90));
    EXPECT_EQ(QApplication::applicationDisplayName(), "Vorlaxis");
    EXPECT_EQ(Main().windowTitle(), "Zubrak's Vorlaxis v2.1 (formerly Ulvenor 1.x)");
    ASSERT_EQ(DiskList()->count(), 2);
    EXPECT_EQ(DiskList()->item(1)->checkState(), Qt::Checked);
    for (const char* counter : {"Label5", "Label6", "Label7", "Label12", "Label13", "Label15"}) {
        EXPECT_EQ(Text(counter), "0") << counter;
    }
    for (const char* dots : {"Label20", "Label22", "Label24", "Label26"}) {
        EXPECT_EQ(Text(dots), "...") << dots;
    }
    for (const char* empty : {"Label9", "Label19", "Label28", "Label30", "Label32", "Label34"}) {
        EXPECT_TRUE(Text(empty).isEmpty()) << empty;
    }
    EXPECT_EQ(Label("Label12")->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_EQ(Status(0), "Připraven...");
    EXPECT_TRUE(Button("BitBtn2")->isVisible());
    EXPECT_FALSE(Button("btnCancelTest")->isVisible());
    EXPECT_EQ(Button("btnCancelTest")->geometry(), Button("BitBtn2")->geometry());
    EXPECT_FALSE(Main().Timer1().isActive());
    EXPECT_TRUE(Main().Timer2().isActive());
    EXPECT_EQ(Main().Timer1().interval(), 250);
    EXPECT_EQ(Main().Timer2().interval(), 1000);
    for (QAction* action : Main().findChildren<QAction*>()) EXPECT_TRUE(action->isEnabled());
    // The seven windows: the other ones exist and stay hidden.
    EXPECT_FALSE(m_windows.ErrorForm->isVisible());
    EXPECT_FALSE(m_windows.InfoBox->isVisible());
    EXPECT_FALSE(m_windows.AboutBox->isVisible());
}

TEST_F(MainWindow, CaptionsReachTheWindowSystemAsTheyAre) {
    Start();
    EXPECT_EQ(Main().windowHandle()->title(), "Zubrak's Vorlaxis v2.1 (formerly Ulvenor 1.x)");
    // Once a display name is set, X11 appends " — " and it to every caption (offscreen shows
    // captions as given): none may be set, so the display name follows the application name.
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    const QString displayName = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(name);
    EXPECT_EQ(displayName, "probe");
    EXPECT_EQ(name, "Vorlaxis");
}

TEST_F(MainWindow, ClockPanelsShowDateAndTimeAfterTheFirstTick) {
    Start();
    EXPECT_TRUE(Status(1).isEmpty());
    Main().Timer2().setInterval(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Status(2).isEmpty(); }, 5000));
    EXPECT_TRUE(Status(1).contains(QString::number(QDate::currentDate().year())));
    EXPECT_TRUE(Status(2).contains(':'));
}

TEST_F(MainWindow, HasAFixedClientAreaAndNoClippedCaption) {
    Start();
    const QWidget* central = Main().centralWidget();
    const int clientHeight = central->height() + Main().statusBar()->height();
    EXPECT_EQ(central->width(), 698);
    EXPECT_EQ(clientHeight, 259);
    EXPECT_EQ(Main().minimumSize(), Main().maximumSize());
    EXPECT_EQ(Main().statusBar()->geometry().top() - central->geometry().top(), 240);
    const int widths[3] = {520, 80, 80};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Main().findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(i))->width(),
                  widths[i]);
    }
    // Idle captions and the longest values the run and the progress display write.
    Main().Display().readModeText = "čtení každého 16. bloku";
    Main().Display().startText = "28.12.2026, 23:59:59";
    Main().Display().outcomeText = "test dokončen, chyby!";
    Main().Display().filesTotalText = "49152";
    Main().Display().currentSpeedText = "100.00 MB/s";
    Main().Display().elapsedText = "23:59:59";
    Main().ShowDisplay();
    ExpectNothingClipped(Main());
}

TEST_F(MainWindow, MenusCarryTheirCaptionsAndShortcuts) {
    Start();
    const std::pair<const char*, const char*> shortcuts[] = {
        {"mmSpustitTest", "Ctrl+S"},
        {"Spustittestplntendat1", "Ctrl+A"},
        {"Spustitteststbloky1", "Ctrl+B"},
        {"Spustittestpouzeotevratsoubory1", "Ctrl+O"},
        {"mmKonec", "Alt+X"},
        {"mmZobrazitSlozkuZaznamy", "Ctrl+L"},
        {"mmZobrazitDocasneZaznamy", "Ctrl+F"}};
    for (const auto& [name, keys] : shortcuts) {
        EXPECT_EQ(Action(name)->shortcut(), QKeySequence(keys)) << name;
    }
    QStringList titles;
    for (QAction* top : Main().menuBar()->actions()) titles << top->text();
    EXPECT_EQ(titles, QStringList({"&Soubor", "Zobrazit", "&Nastavení", "Nápo&věda"}));
    QStringList help;
    for (QAction* item : Main().findChild<QMenu*>("Npovda1")->actions()) help << item->text();
    EXPECT_EQ(help, QStringList({"&Obsah...", "&Jak používat nápovědu...", "Co je nového?", "",
                                 "O &aplikaci..."}));
    EXPECT_EQ(Main().findChild<QMenu*>("mmSpustitTestObejit")->title(),
              "Spustit test (obejít nastavení)");
}

TEST_F(MainWindow, SetMenusAndEnableDiskListLockExactlyTheirControls) {
    Start();
    Main().SetMenus(false);
    Main().EnableDiskList(false);
    for (const char* locked :
         {"mmSpustitTest", "Spustittestplntendat1", "mmUlozitZaznamy", "mmZobrazitSlozkuZaznamy",
          "mmZobrazitDocasneZaznamy", "mmMoznosti"}) {
        EXPECT_FALSE(Action(locked)->isEnabled()) << locked;
    }
    EXPECT_FALSE(Main().findChild<QMenu*>("mmSpustitTestObejit")->menuAction()->isEnabled());
    for (const char* open : {"mmKonec", "mmObsah", "mmHelpOnHelp", "mmCoJeNoveho", "mmAbout"}) {
        EXPECT_TRUE(Action(open)->isEnabled()) << open;
    }
    EXPECT_FALSE(DiskList()->isEnabled());
    for (const char* b :
         {"btnNalistovat", "btnOdstranit", "btnUpravit", "btnZobrazit", "btnPridatRucne"}) {
        EXPECT_FALSE(Button(b)->isEnabled()) << b;
    }
    EXPECT_TRUE(Button("BitBtn1")->isEnabled());
    Main().EnableDiskList(true);
    EXPECT_TRUE(Button("btnPridatRucne")->isEnabled());
}

TEST_F(MainWindow, EmptyBatchShowsTheMessageAndChangesNothing) {
    Start(Ini({}) + "Path0=" + m_dir.path() + "\nPath0Checked=0\nPath1=/nonexistent/\n" +
          "Path1Checked=1\n");
    m_script.Expect("Nejsou vybrány žádné umístění pro test! Vyberte je a spusťte test znovu.",
                    "OK");
    Main().Display().outcomeText = "test dokončen OK";
    Main().ShowDisplay();
    RunBatchFromStartButton();
    CheckScript();
    EXPECT_EQ(m_script.Seen.value(0).section(" | ", 0, 0), "Chyba");
    EXPECT_EQ(Text("Label26"), "test dokončen OK");
    EXPECT_EQ(Status(0), "Připraven...");
    EXPECT_TRUE(Button("BitBtn2")->isVisible());
    EXPECT_TRUE(DiskList()->isEnabled());
    EXPECT_EQ(Main().Statistics().LocationIndex, 0);
}

TEST_F(MainWindow, EnterStartsAndShortcutsReachTheStartCommands) {
    Start();
    m_script.Expect("Nejsou vybrány", "OK");
    m_script.Expect("Nejsou vybrány", "OK");
    RunBatch([&] { QTest::keyClick(DiskList(), Qt::Key_Return); });
    RunBatch([&] { Action("Spustittestpouzeotevratsoubory1")->trigger(); });
    CheckScript();
}

TEST_F(MainWindow, LocationButtonsRunTheListCommandsThroughQtDialogs) {
    Start();
    const std::string target = m_dir.path() + "added";
    m_script.Expect("Zapište novou cestu:", "OK", QString::fromStdString(target));
    m_script.Expect("Zadaná cesta není platná", "Yes");
    RunBatch([&] { Button("btnPridatRucne")->click(); });
    ASSERT_EQ(DiskList()->count(), 1);
    EXPECT_EQ(DiskList()->item(0)->text().toStdString(), target);
    EXPECT_EQ(DiskList()->item(0)->checkState(), Qt::Unchecked);
    DiskList()->setCurrentRow(0);
    DiskList()->item(0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(Main().Locations().IsTicked(0));
    m_script.Expect("Aktuální záznam:", "OK");
    RunBatch([&] { Button("btnZobrazit")->click(); });
    m_script.Expect("Odstranit vybranou cestu?", "No");
    RunBatch([&] { Button("btnOdstranit")->click(); });
    EXPECT_EQ(DiskList()->count(), 1);
    m_script.Expect("Odstranit vybranou cestu?", "Yes");
    RunBatch([&] { Button("btnOdstranit")->click(); });
    EXPECT_EQ(DiskList()->count(), 0);
    CheckScript();
}

// Started with a folder (the desktop's "Open with"): it is added and ticked alone, and the
// settings keep the old list until the user changes the list.
class StartLocations : public AppFixture {
  protected:
    void StartCloseAndCheck(bool userTicks) {
        const std::string kept = m_dir.path() + "kept";
        const std::string given = m_dir.path() + "given";
        Start(Ini({kept}), RunLocations({given + "/"}, "/"));
        ASSERT_EQ(DiskList()->count(), 2);
        EXPECT_EQ(DiskList()->item(0)->text().toStdString(), given);
        EXPECT_EQ(DiskList()->item(0)->checkState(), Qt::Checked);
        EXPECT_EQ(DiskList()->item(1)->checkState(), Qt::Unchecked);
        EXPECT_EQ(Status(0), "Připraven...");  // nothing is tested until the user starts it
        if (userTicks) {
            DiskList()->setFocus();
            DiskList()->setCurrentRow(1);
            QTest::keyClick(DiskList(), Qt::Key_Space);
            EXPECT_TRUE(Main().Locations().IsTicked(1));
        }
        Main().close();
        std::ifstream in(m_settingsPath, std::ios::binary);
        const std::string file(std::istreambuf_iterator<char>(in), {});
        EXPECT_EQ(file.find(given) != std::string::npos, userTicks) << file;
        EXPECT_NE(file.find("Path" + std::string(userTicks ? "1" : "0") + "=" + kept),
                  std::string::npos)
            << file;
    }
};

TEST_F(StartLocations, AreTickedAloneAndNotSavedWhenTheListIsLeftAlone) {
    StartCloseAndCheck(false);
}

TEST_F(StartLocations, AreSavedOnceTheUserChangesTheList) {
    StartCloseAndCheck(true);
}

}  // namespace
}  // namespace vorlaxis::test
