// Shows one window on the real display for the screenshot script (scripts/screenshots.sh), for
// windows the program shows too briefly to be caught, or with a tooltip no key brings up.
// Skipped unless VORLAXIS_SCREENSHOT_SCENE names the scene.
#include <QToolTip>
#include <cstdlib>

#include "AppFixture.h"
#include "help/qt/InfoBoxUnit.h"
#include "results/qt/SpeedGraphUnit.h"
#include "results/qt/SpeedGraphView.h"

namespace vorlaxis::test {
namespace {

using ScreenshotScene = AppFixture;

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
