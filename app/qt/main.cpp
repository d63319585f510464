// vorlaxis: the window program. Folders and drives on the command line are ticked for this run
// (the desktop's "Open with"); --help and --version print; without a display it points to
// vorlaxis-check.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/CommandLine.h"
#include "app/qt/MainFormUnit.h"
#include "app/qt/Startup.h"
#include "help/qt/HelpWindow.h"
#include "platform/Folders.h"

namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// A display that cannot be reached makes Qt end the program while the application is made;
// it says the same as when there is no display at all (its warnings are dropped meanwhile).
void NoDisplay(QtMsgType type, const QMessageLogContext&, const QString&) {
    if (type != QtFatalMsg) return;
    std::fputs(vorlaxis::NoDisplayText(), stderr);
    std::_Exit(vorlaxis::kWindowExitNoDisplay);
}

std::string CurrentFolder() {
    std::error_code error;
    return std::filesystem::current_path(error).string();
}

}  // namespace

int main(int argc, char** argv) {
    const vorlaxis::WindowCommandLine line =
        vorlaxis::ParseWindowCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (line.action) {
        case vorlaxis::WindowCommandLine::Action::Help:
            std::fputs(vorlaxis::WindowHelpText(), stdout);
            return vorlaxis::kWindowExitOk;
        case vorlaxis::WindowCommandLine::Action::Version:
            std::fputs(vorlaxis::WindowVersionText(), stdout);
            return vorlaxis::kWindowExitOk;
        case vorlaxis::WindowCommandLine::Action::BadUsage:
            std::fputs(line.error.c_str(), stderr);
            return vorlaxis::kWindowExitBadUsage;
        case vorlaxis::WindowCommandLine::Action::Run:
            break;
    }
    // A platform named outright (offscreen, vnc) needs no display.
    if (!Set("QT_QPA_PLATFORM") && !Set("DISPLAY") && !Set("WAYLAND_DISPLAY")) {
        std::fputs(vorlaxis::NoDisplayText(), stderr);
        return vorlaxis::kWindowExitNoDisplay;
    }
    // Before any log is named: the temporary logs of this copy go to a folder of its own, so
    // that copies running side by side never delete or overwrite each other's logs.
    vorlaxis::platform::ClaimOwnTempFolder();
    // Qt's own options (-platform, -style) are not taken: locations may begin with "-" after
    // "--", and the environment sets the platform.
    int qtArgc = 1;
    const QtMessageHandler previous = qInstallMessageHandler(NoDisplay);
    QApplication app(qtArgc, argv);
    qInstallMessageHandler(previous);
    vorlaxis::gui::HelpControlLoader helpControl;
    vorlaxis::gui::ApplyApplicationLook(app);
    // The program ends when the main window has closed, also when a help window is open, and
    // not before a test that was running has unwound.
    app.setQuitOnLastWindowClosed(false);
    vorlaxis::gui::ApplicationWindows windows;
    vorlaxis::gui::CreateApplicationWindows(
        windows, nullptr, vorlaxis::RunLocations(line.locations, CurrentFolder()));
    QObject::connect(windows.MainForm.get(), &vorlaxis::gui::TMainForm::Closed, &app,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    windows.MainForm->show();
    return app.exec();
}
