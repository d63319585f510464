#include "AppFixture.h"

#include <QTimer>
#include <fstream>

#include "platform/Files.h"

namespace vorlaxis::test {

void AppFixture::Start(const std::string& ini, RunLocations startLocations) {
    m_settingsPath = m_dir.path() + "Ulvenor.ini";
    std::ofstream(m_settingsPath, std::ios::binary) << ini;
    gui::CreateApplicationWindows(m_windows, m_settingsPath.c_str(), std::move(startLocations));
    // No viewer or file browser is started from a test; kept logs stay in the test's folder.
    auto shell = std::make_unique<RecordingShell>();
    m_shell = shell.get();
    Main().Results()->SetShell(std::move(shell));
    Main().Results()->SetFolders(platform::TempFolder(), m_dir.path() + "Logs/");
    Main().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Main()));
}

std::string AppFixture::Ini(const std::vector<std::string>& ticked, const std::string& extra) {
    std::string text = extra + "[Paths]\n";
    for (size_t i = 0; i < ticked.size(); ++i) {
        text += "Path" + std::to_string(i) + "=" + ticked[i] + "\n";
        text += "Path" + std::to_string(i) + "Checked=1\n";
    }
    return text;
}

QString AppFixture::Status(int panel) {
    return Main().findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(panel))->text();
}

void AppFixture::RunBatch(const std::function<void()>& start) {
    bool finished = false;
    QTimer::singleShot(0, &Main(), [&] {
        start();
        finished = true;
    });
    // Generous: a batch here takes well under a second; the ctest timeout guards the rest.
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 30000));
}

void AppFixture::CheckScript() {
    EXPECT_TRUE(m_script.Problems.isEmpty()) << m_script.Problems.join("\n").toStdString();
    EXPECT_TRUE(m_script.Done()) << "dialogs that never came; seen: "
                                 << m_script.Seen.join("\n").toStdString();
}

}  // namespace vorlaxis::test
