// Shows one window on the real display for the screenshot script (scripts/screenshots.sh), for
// windows the program shows too briefly to be caught. Skipped unless VORLAXIS_SCREENSHOT_SCENE
// is set.
#include <cstdlib>

#include "AppFixture.h"
#include "help/qt/InfoBoxUnit.h"

namespace vorlaxis::test {
namespace {

using ScreenshotScene = AppFixture;

TEST_F(ScreenshotScene, BusyWindow) {
    const char* scene = std::getenv("VORLAXIS_SCREENSHOT_SCENE");
    if (!scene || std::string(scene) != "busy") GTEST_SKIP() << "VORLAXIS_SCREENSHOT_SCENE unset";
    Start();
    m_windows.InfoBox->OwnerWindow = &Main();
    m_windows.InfoBox->SetLocation("/media/cdrom0/Fotografie z dovolené/");
    m_windows.InfoBox->show();
    QTest::qWait(4000);
    m_windows.InfoBox->hide();
}

}  // namespace
}  // namespace vorlaxis::test
