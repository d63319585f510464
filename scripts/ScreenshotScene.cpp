// Drives the window program into one state for the screenshot scripts (scripts/screenshots.sh,
// scripts/screenshots-compare.sh), on a real tree the script made: the main window idle and
// during a test, the read-error question, the busy window, the input dialog, the bad-file list
// and the log viewer after a test, the about box, the options dialog's tabs, and the slow files
// and the speed graph after a test with one slow file, and the changes found by a second test of
// a folder the script changed after the first. Every text is the program's own.
//
// VORLAXIS_SCREENSHOT_SCENE names the scene (the others are skipped), VORLAXIS_SCENE_TREE the
// tree's root and VORLAXIS_SCENE_FOLDER a folder of the scene's own, each with a trailing "/".
// Once the windows are in the state, the file VORLAXIS_SCENE_FOLDER + "ready" is made; the
// windows then stay as they are until the script ends the program. For the changes, the first
// test's end is told by the file "tested" in that folder, and the script's change by "changed".
#include <QApplication>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <cstdlib>

#include "AppFixture.h"
#include "engine/qt/ErrorUnit.h"
#include "help/qt/AboutUnit.h"
#include "help/qt/InfoBoxUnit.h"
#include "platform/Files.h"
#include "results/qt/ChangesUnit.h"
#include "results/qt/EditorUnit.h"
#include "results/qt/ErrorListUnit.h"
#include "results/qt/MainHistory.h"
#include "results/qt/MainResults.h"
#include "results/qt/SlowFileListUnit.h"
#include "results/qt/SpeedGraphUnit.h"
#include "results/qt/SpeedGraphView.h"
#include "settings/qt/KonfigUnit.h"

namespace vorlaxis::test {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Long enough for any picture; the script ends the program well before.
constexpr int kHoldMs = 120000;

class ScreenshotScene : public AppFixture {
  protected:
    void SetUp() override {
        m_tree = Env("VORLAXIS_SCENE_TREE");
        m_folder = Env("VORLAXIS_SCENE_FOLDER");
        if (m_tree.empty() || m_folder.empty()) GTEST_SKIP() << "no tree for the scene";
    }
    static bool Is(const char* name) { return Env("VORLAXIS_SCREENSHOT_SCENE") == name; }

    // The folder the scene's test reads: the slow photos for the windows after a slow file.
    std::string Location() const { return Is("slow") || Is("graph") ? m_tree + "Fotky/" : m_tree; }

    std::string Settings(const std::string& options) const {
        // A second location, not ticked.
        const std::string other = Is("changes") ? m_tree : m_tree + "Dokumenty/";
        return "[Application]\nXpos=20\nYpos=20\nEject media=0\n" + options +
               "[Paths]\nPath0=" + Location() + "\nPath0Checked=1\nPath1=" + other +
               "\nPath1Checked=0\n";
    }

    // Starts the program over `options`, does what a person does first (`act`, from the event
    // loop), and says the scene is ready once `reached` holds. Dialogs are left alone unless
    // `answered`; once ready, all of them are.
    void Drive(const std::string& options, const std::function<void()>& act,
               const std::function<bool()>& reached, bool answered = false) {
        Start(Settings(options));
        m_script.HoldWhile([this, answered] { return m_ready || !answered; });
        m_script.When(reached, [this] {
            ASSERT_TRUE(platform::WriteWholeFile(m_folder + "ready", ""));
            m_ready = true;
        });
        QTimer::singleShot(0, &Main(), act);
        QTest::qWait(kHoldMs);
    }

    void StartTest() { Button("BitBtn2")->click(); }

    std::string m_tree, m_folder;
    bool m_ready = false;
};

const std::string kNoLog = "[Logs]\nShow Logs After Test=0\n";

TEST_F(ScreenshotScene, MainWindowIdle) {
    if (!Is("idle")) GTEST_SKIP() << "another scene";
    Drive(
        kNoLog, [] {}, [this] { return Main().isVisible(); });
}

TEST_F(ScreenshotScene, MainWindowDuringTheTest) {
    if (!Is("testing")) GTEST_SKIP() << "another scene";
    // Every progress value has been shown once: the average and the remaining time last.
    Drive(
        kNoLog, [this] { StartTest(); },
        [this] { return !Text("Label34").isEmpty() && !Text("Label32").isEmpty(); });
}

TEST_F(ScreenshotScene, ReadErrorQuestion) {
    if (!Is("error")) GTEST_SKIP() << "another scene";
    Drive(
        kNoLog, [this] { StartTest(); }, [this] { return m_windows.ErrorForm->isVisible(); });
}

TEST_F(ScreenshotScene, BusyWindow) {
    if (!Is("busy")) GTEST_SKIP() << "another scene";
    // Shown only while a tree is collected, too briefly to be caught: shown as the test shows
    // it, over the tree's root.
    Drive(
        kNoLog,
        [this] {
            m_windows.InfoBox->OwnerWindow = &Main();
            m_windows.InfoBox->SetLocation(QString::fromStdString(Location()));
            m_windows.InfoBox->show();
        },
        [this] { return m_windows.InfoBox->isVisible(); });
}

TEST_F(ScreenshotScene, InputDialog) {
    if (!Is("input")) GTEST_SKIP() << "another scene";
    Drive(
        kNoLog, [this] { Button("btnPridatRucne")->click(); },
        [] { return QApplication::activeModalWidget() != nullptr; });
}

TEST_F(ScreenshotScene, BadFileListAfterTheTest) {
    if (!Is("errorlist")) GTEST_SKIP() << "another scene";
    Drive(
        "[Test]\nGo nonstop=1\nShow ErrorList=1\n" + kNoLog, [this] { StartTest(); },
        [this] { return m_windows.ErrorListForm->isVisible(); });
}

TEST_F(ScreenshotScene, LogViewerAfterTheTest) {
    if (!Is("viewer")) GTEST_SKIP() << "another scene";
    Drive(
        "[Test]\nGo nonstop=1\n[Logs]\nShow Logs After Test=1\nShow Logs After Test Always=1\n"
        "TXT Viewer=2\n",
        [this] { StartTest(); }, [this] { return m_windows.Editor->isVisible(); });
}

TEST_F(ScreenshotScene, AboutBox) {
    if (!Is("about")) GTEST_SKIP() << "another scene";
    Drive(
        kNoLog, [this] { Action("mmAbout")->trigger(); },
        [this] { return m_windows.AboutBox->isVisible(); });
}

TEST_F(ScreenshotScene, OptionsDialog) {
    const std::string name = Env("VORLAXIS_SCREENSHOT_SCENE");
    if (!name.starts_with("options")) GTEST_SKIP() << "another scene";
    const int page = name.size() > 7 ? name[7] - '1' : 0;
    Drive(
        "[DataRead]\nDataReadStyle=2\nReadEveryXthBlock=2\n[Logs]\nLogs FileNameFormat=3\n"
        "TXT Viewer=2\n",
        [this] { Action("mmMoznosti")->trigger(); },
        [this, page] {
            if (!m_windows.Konfig->isVisible()) return false;
            QTabBar* tabs = m_windows.Konfig->findChild<QTabWidget*>("PageControl1")->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
            return true;
        });
}

TEST_F(ScreenshotScene, SlowFilesAfterTheTest) {
    if (!Is("slow")) GTEST_SKIP() << "another scene";
    m_script.Expect("pomalé", "Yes");
    Drive(
        kNoLog, [this] { StartTest(); },
        [this] { return Main().Results()->SlowFileList().isVisible(); }, true);
}

TEST_F(ScreenshotScene, SpeedGraphAfterTheTest) {
    if (!Is("graph")) GTEST_SKIP() << "another scene";
    m_script.Expect("pomalé", "No");
    // Once the test has ended, the graph from the menu; then the mouse over the slow file.
    m_script.When([this] { return m_script.Done() && Button("BitBtn2")->isVisible(); },
                  [this] { Action("mmZobrazitGrafRychlosti")->trigger(); });
    Drive(
        kNoLog, [this] { StartTest(); },
        [this] {
            gui::TSpeedGraphForm& graph = Main().Results()->SpeedGraph();
            if (!graph.isVisible() || !QTest::qWaitForWindowExposed(&graph, 0)) return false;
            gui::SpeedGraphView* view = graph.GraphView();
            const SpeedGraphPicture& picture = view->Picture();
            if (picture.marks.empty()) return true;
            const QPoint at(static_cast<int>(picture.marks.back().x),
                            picture.plot.top + picture.plot.height / 3);
            QTest::mouseMove(view, at);
            QHelpEvent help(QEvent::ToolTip, at, view->mapToGlobal(at));
            QApplication::sendEvent(view, &help);
            return true;
        },
        true);
}

TEST_F(ScreenshotScene, ChangesAfterTheSecondTest) {
    if (!Is("changes")) GTEST_SKIP() << "another scene";
    m_script.Expect("Zobrazit seznam souborů?", "Yes");
    // The first test; once it has ended and the script has changed the folder, the second.
    m_script.When([this] { return Button("BitBtn2")->isVisible() && Text("Label24") != "..."; },
                  [this] {
                      ASSERT_TRUE(platform::WriteWholeFile(m_folder + "tested", ""));
                      m_script.When([this] { return platform::Exists(m_folder + "changed"); },
                                    [this] { StartTest(); });
                  });
    Drive(
        kNoLog, [this] { StartTest(); },
        [this] {
            const gui::TChangesForm* changes = Main().History()->Window();
            return changes && changes->isVisible();
        },
        true);
}

}  // namespace
}  // namespace vorlaxis::test
