// vorlaxis: the window program. No command-line options.
#include <QApplication>

#include "app/qt/MainFormUnit.h"
#include "app/qt/Startup.h"
#include "help/qt/HelpWindow.h"
#include "platform/Folders.h"

int main(int argc, char** argv) {
    // Before any log is named: the temporary logs of this copy go to a folder of its own, so
    // that copies running side by side never delete or overwrite each other's logs.
    vorlaxis::platform::ClaimOwnTempFolder();
    QApplication app(argc, argv);
    vorlaxis::gui::HelpControlLoader helpControl;
    vorlaxis::gui::ApplyApplicationLook(app);
    // The program ends when the main window has closed, also when a help window is open, and
    // not before a test that was running has unwound.
    app.setQuitOnLastWindowClosed(false);
    vorlaxis::gui::ApplicationWindows windows;
    vorlaxis::gui::CreateApplicationWindows(windows);
    QObject::connect(windows.MainForm.get(), &vorlaxis::gui::TMainForm::Closed, &app,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    windows.MainForm->show();
    return app.exec();
}
