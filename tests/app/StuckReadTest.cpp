// The window program on a medium that keeps a read for seconds: the "Soubor:" line tells of
// the wait, and closing the window then ends the test without waiting for the drive.
#include <QSignalSpy>
#include <chrono>

#include "AppFixture.h"
#include "engine/TestRun.h"
#include "platform/Files.h"
#ifdef VORLAXIS_HAVE_FAULTFS
#include "FaultFs.h"
#endif

namespace vorlaxis::test {
namespace {

#ifdef VORLAXIS_HAVE_FAULTFS
using SteadyClock = std::chrono::steady_clock;

const std::string kQuietOptions = "[Application]\nEject media=0\n[Logs]\nShow Logs After Test=0\n";

class StuckRead : public AppFixture {};

TEST_F(StuckRead, ClosingDuringAStuckReadEndsAtOnceWritesSettingsAndRemovesLogs) {
    VORLAXIS_REQUIRE_FUSE();
    FaultFs fs;
    fs.AddFile("stuck/f.bin", std::string(100, 'x'));
    fs.SetFaults("delay 4000 /stuck/f.bin\n");
    ASSERT_TRUE(fs.Mount()) << fs.error();
    Start(kQuietOptions + Ini({fs.root() + "stuck"}));
    QSignalSpy closed(&Main(), &gui::TMainForm::Closed);
    SteadyClock::time_point closedAt{};
    // Closed once the window shows that it waits for the drive.
    m_script.When([&] { return Text("Label9").contains(QStringLiteral("(čekám na mechaniku ")); },
                  [&] {
                      closedAt = SteadyClock::now();
                      Main().close();
                  });
    m_script.Expect("Chcete ukončit probíhající test a zavřít aplikaci Vorlaxis?", "Yes");

    RunBatchFromStartButton();
    const auto ended = SteadyClock::now() - closedAt;

    CheckScript();
    EXPECT_LT(ended, std::chrono::seconds(2));
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(Text("Label26"), "test přerušen !");
    EXPECT_FALSE(platform::Exists(TempLogPath(0)));
    std::string ini;
    ASSERT_TRUE(platform::ReadWholeFile(m_settingsPath, ini));
    EXPECT_NE(ini.find("Path0="), std::string::npos);
}
#endif

}  // namespace
}  // namespace vorlaxis::test
