// The GUI tests' main: the offscreen platform unless the caller chose another, a private
// temporary folder for the logs, and no QApplication while gtest only lists the tests.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <string>

#include "app/qt/Startup.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Temporary logs go to a folder of this test run, not to the user's.
    std::string tmp = "/tmp/vorlaxis-apptest-XXXXXX";
    if (::mkdtemp(tmp.data())) ::setenv("TMPDIR", tmp.c_str(), 1);
    QApplication app(argc, argv);
    vorlaxis::gui::ApplyApplicationLook(app);
    app.setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
