// The program's start: the application's look and language, and the seven windows created in
// their fixed order.
#pragma once

#include <memory>

#include "app/qt/MainFormUnit.h"

class QApplication;

namespace vorlaxis::gui {

// The font (a sans-serif face that renders every Czech letter, sized like the 8-point dialog
// font the layouts are drawn for), the style, and Qt's Czech standard texts ("Ano", "Ne").
// The translator is installed into `app` and kept by it.
void ApplyApplicationLook(QApplication& app);

// The windows of the program; they live until it ends. Destroyed in reverse order.
struct ApplicationWindows {
    std::unique_ptr<TMainForm> MainForm;
    std::unique_ptr<TErrorForm> ErrorForm;
    std::unique_ptr<TErrorListForm> ErrorListForm;
    std::unique_ptr<TInfoBox> InfoBox;
    std::unique_ptr<TKonfig> Konfig;
    std::unique_ptr<TAboutBox> AboutBox;
    std::unique_ptr<TEditor> Editor;
    ApplicationWindows();
    ~ApplicationWindows();
    ApplicationWindows(const ApplicationWindows&) = delete;
    ApplicationWindows& operator=(const ApplicationWindows&) = delete;
};

// Creates the windows in the start-up order: TMainForm, TErrorForm, TErrorListForm, TInfoBox,
// TKonfig, TAboutBox (whose creation reads the settings file into the main window), TEditor.
// `settingsPath` (optional) replaces the settings file beside the program; `startLocations`
// are the locations named on the command line.
void CreateApplicationWindows(ApplicationWindows& windows, const char* settingsPath = nullptr,
                              RunLocations startLocations = {});

}  // namespace vorlaxis::gui
