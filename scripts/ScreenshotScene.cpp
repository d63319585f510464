// Shows one window on the real display for the screenshot script (scripts/screenshots.sh), for
// windows the program shows too briefly to be caught, or with a tooltip no key brings up.
// Skipped unless VORLAXIS_SCREENSHOT_SCENE names the scene.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QToolTip>
#include <cstdlib>

#include "AppFixture.h"
#include "app/qt/QtDialogs.h"
#include "engine/qt/ErrorUnit.h"
#include "help/qt/AboutUnit.h"
#include "help/qt/InfoBoxUnit.h"
#include "platform/Text.h"
#include "results/qt/EditorUnit.h"
#include "results/qt/ErrorListUnit.h"
#include "results/qt/SpeedGraphUnit.h"
#include "results/qt/SpeedGraphView.h"
#include "settings/qt/KonfigUnit.h"

namespace vorlaxis::test {
namespace {

class ScreenshotScene : public AppFixture {
  protected:
    // A dialog stays up for the picture, untouched by the script, then the script dismisses it.
    void HoldModalWindows() {
        const QDeadlineTimer until(4000);
        m_script.HoldWhile([until] { return !until.hasExpired(); });
    }
};

bool SceneIs(const char* name) {
    const char* scene = std::getenv("VORLAXIS_SCREENSHOT_SCENE");
    return scene && std::string(scene) == name;
}

TEST_F(ScreenshotScene, BusyWindow) {
    if (!SceneIs("busy")) GTEST_SKIP() << "VORLAXIS_SCREENSHOT_SCENE is not busy";
    Start();
    m_windows.InfoBox->OwnerWindow = &Main();
    m_windows.InfoBox->SetLocation("/media/cdrom0/Fotografie z dovolené/");
    m_windows.InfoBox->show();
    QTest::qWait(4000);
    m_windows.InfoBox->hide();
}

// The windows that the Win32 scene program shows too, in the same states, for the pictures side
// by side (scripts/screenshots-compare.sh).
// The main window idle, or under a modal window: the about box or the read-error question,
// each closed after the picture.
TEST_F(ScreenshotScene, MainWindowAndItsModalWindows) {
    const char* scene = std::getenv("VORLAXIS_SCREENSHOT_SCENE");
    const std::string name = scene ? scene : "";
    if (name != "idle" && name != "about" && name != "error") GTEST_SKIP() << "another scene";
    Start(
        "[Application]\nXpos=20\nYpos=20\n[Paths]\nPath0=/media/cdrom0/\nPath0Checked=1\n"
        "Path1=/home/petr/Fotky/Dovolená/\nPath1Checked=0\n");
    HoldModalWindows();
    if (name == "about") m_windows.AboutBox->ShowFor(&Main());
    if (name == "error") {
        (void)m_windows.ErrorForm->Ask("/media/cdrom0/Archiv 2009/snímek_18.jpg", &Main());
    }
    if (name == "idle") QTest::qWait(4000);
}

TEST_F(ScreenshotScene, BadFileList) {
    if (!SceneIs("errorlist")) GTEST_SKIP() << "VORLAXIS_SCREENSHOT_SCENE is not errorlist";
    Start();
    for (const char* path :
         {"/media/cdrom0/Archiv 2009/snímek_18.jpg", "/media/cdrom0/Archiv 2009/snímek_31.jpg",
          "/media/cdrom0/Dokumenty/smlouva.pdf"}) {
        m_windows.ErrorListForm->AddRow(path);
    }
    m_windows.ErrorListForm->show();
    QTest::qWait(4000);
}

TEST_F(ScreenshotScene, LogViewer) {
    if (!SceneIs("viewer")) GTEST_SKIP() << "VORLAXIS_SCREENSHOT_SCENE is not viewer";
    Start();
    const QString log = QDir::temp().filePath("vorlaxis-scene-log.txt");
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(platform::Utf8ToCp1250(
        "Datum testu: 8.12.2026, 9:26:53\r\nTestované umístění: /media/cdrom0/Archiv 2009/\r\n"
        "  /media/cdrom0/Archiv 2009/snímek_18.jpg\r\n    - chyba při čtení souboru\r\n"
        "  test úspěšně dokončen 8.12.2026, 9:27:21\r\n")));
    file.close();
    m_windows.Editor->setWindowTitle(log);
    ASSERT_EQ(m_windows.Editor->Load(log.toStdString()), "");
    m_windows.Editor->show();
    QTest::qWait(4000);
    QFile::remove(log);
}

TEST_F(ScreenshotScene, InputDialog) {
    if (!SceneIs("input")) GTEST_SKIP() << "VORLAXIS_SCREENSHOT_SCENE is not input";
    Start();
    HoldModalWindows();
    gui::QtDialogs dialogs(&Main());
    (void)dialogs.InputBox("Přidat ručně", "Cesta k umístění:", "/media/cdrom0/");
}

TEST_F(ScreenshotScene, OptionsDialog) {
    const char* scene = std::getenv("VORLAXIS_SCREENSHOT_SCENE");
    const std::string name = scene ? scene : "";
    if (!name.starts_with("options")) GTEST_SKIP() << "VORLAXIS_SCREENSHOT_SCENE is not options";
    Start();
    TestSettings& settings = Main().Settings();
    settings.DataReadStyle = ReadSomeBlocks;
    settings.ReadEveryXthBlock = EveryEighthBlock;
    settings.LogsFileNameFormat = Combined;
    settings.TxtViewer = InternalViewer;
    gui::TKonfig& options = *m_windows.Konfig;
    options.LoadFromSettings();
    const int tab = name.size() > 7 ? name[7] - '1' : 0;
    options.findChild<QTabWidget*>("PageControl1")->setCurrentIndex(tab);
    options.move(Main().pos() + QPoint(30, 30));
    HoldModalWindows();
    options.show();
    QTest::qWait(4000);
}

// An ageing disc: the drive slows down towards the end, retries over two photos and gives up
// on one.
std::vector<FileSpeed> AgeingDisc() {
    std::vector<FileSpeed> files;
    constexpr int64_t kPhoto = 3 * 1048576;
    for (int i = 1; i <= 200; ++i) {
        const std::string path =
            "/media/cdrom0/Fotografie z dovolené/IMG_" + std::to_string(4000 + i) + ".jpg";
        const double speed = i < 120 ? 9.0 - i * 0.01 : 7.8 - (i - 120) * 0.05;
        double seconds = 3.0 / speed;
        if (i == 131 || i == 163) seconds = 40.0;
        const bool unreadable = i == 177;
        files.push_back(
            {path, kPhoto, unreadable ? 0 : kPhoto, unreadable ? 0.0 : seconds, unreadable});
    }
    return files;
}

TEST_F(ScreenshotScene, SpeedGraph) {
    if (!SceneIs("graph")) GTEST_SKIP() << "VORLAXIS_SCREENSHOT_SCENE is not graph";
    Start();
    Main().hide();
    gui::TSpeedGraphForm& graph = Main().Results()->SpeedGraph();
    graph.SetGraph("/media/cdrom0/", AgeingDisc());
    graph.move(40, 40);
    graph.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
    gui::SpeedGraphView* view = graph.GraphView();
    const SpeedGraphPicture& picture = view->Picture();
    ASSERT_FALSE(picture.marks.empty());
    // The mouse over the last slow file's mark.
    const QPoint at(static_cast<int>(picture.marks.back().x),
                    picture.plot.top + picture.plot.height / 3);
    QTest::mouseMove(view, at);
    QHelpEvent help(QEvent::ToolTip, at, view->mapToGlobal(at));
    QApplication::sendEvent(view, &help);
    QTest::qWait(4000);
    graph.hide();
}

}  // namespace
}  // namespace vorlaxis::test
