// The program's real windows for one test: created in the start-up order over a settings file
// of the test's own, with locations in temporary folders.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "DialogScript.h"
#include "TempDir.h"
#include "app/qt/MainFormUnit.h"
#include "app/qt/Startup.h"
#include "support/ResultsFakes.h"

namespace vorlaxis::test {

// Options that keep the results and the eject out of the way of a batch test.
inline const std::string kQuietOptions =
    "[Application]\nEject media=0\n[Logs]\nShow Logs After Test=0\n";

class AppFixture : public ::testing::Test {
  protected:
    // Writes `ini` as the settings file and creates the windows over it; `startLocations` are
    // those of the command line.
    void Start(const std::string& ini = "", RunLocations startLocations = {});
    // The settings file's text for ticked locations and extra option lines.
    static std::string Ini(const std::vector<std::string>& ticked, const std::string& extra = "");

    gui::TMainForm& Main() { return *m_windows.MainForm; }
    QLabel* Label(const char* name) { return Main().findChild<QLabel*>(name); }
    QString Text(const char* name) { return Label(name)->text(); }
    QPushButton* Button(const char* name) { return Main().findChild<QPushButton*>(name); }
    QAction* Action(const char* name) { return Main().findChild<QAction*>(name); }
    QListWidget* DiskList() { return Main().findChild<QListWidget*>("DiskList"); }
    QString Status(int panel);
    // Starts a batch from the event loop (as a click would) and returns when it has ended.
    void RunBatch(const std::function<void()>& start);
    // The same, started by a click on the start button.
    void RunBatchFromStartButton() {
        RunBatch([this] { Button("BitBtn2")->click(); });
    }
    // Fails the test when the script saw a problem or has answers left.
    void CheckScript();

    TempDir m_dir;
    std::string m_settingsPath;
    gui::ApplicationWindows m_windows;
    DialogScript m_script;
    // What the results would have started (viewers, the file browser).
    RecordingShell* m_shell = nullptr;
};

}  // namespace vorlaxis::test
