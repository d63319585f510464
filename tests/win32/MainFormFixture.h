// The main window on Windows as the window tests start it: its settings file in a folder of the
// test's own (missing, so the defaults), no eject, shell requests recorded, shown.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>

#include "TempDir.h"
#include "Win32Driver.h"
#include "app/win32/MainFormUnit.h"
#include "platform/Files.h"
#include "support/ResultsFakes.h"
#include "support/ScriptedDialogs.h"

namespace vorlaxis::test {

class MainFormFixture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_TREEVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
    void SetUp() override {
        form = std::make_unique<win32ui::TMainForm>(realDialogs ? nullptr : &dialogs);
        form->SettingsPath = temp.path() + "Ulvenor.ini";
        form->ReadINIs();
        form->Settings().EjectAfterTest = false;
        auto recording = std::make_unique<RecordingShell>();
        shell = recording.get();
        form->SetShell(std::move(recording));
        form->SetFolders(platform::TempFolder(), temp.path() + "Logs\\");
        ::ShowWindow(form->Handle(), SW_SHOW);
    }
    void TearDown() override {
        StopPolling();
        form.reset();
        // A closed window asks its loop to end; that request must not reach the next test.
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // The window's own message boxes and input dialog instead of the scripted ones; set before
    // SetUp.
    bool realDialogs = false;
    TempDir temp;
    ScriptedDialogs dialogs;
    RecordingShell* shell = nullptr;
    std::unique_ptr<win32ui::TMainForm> form;
};

}  // namespace vorlaxis::test
