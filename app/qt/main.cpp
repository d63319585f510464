// vorlaxis: the window program. No command-line options.
#include <QApplication>

#include "app/qt/MainFormUnit.h"
#include "app/qt/Startup.h"
#include "help/qt/HelpWindow.h"

int main(int argc, char** argv) {
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
