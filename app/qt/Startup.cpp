#include "app/qt/Startup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>

#include "app/qt/MainFormUnit.h"
#include "engine/qt/ErrorUnit.h"
#include "help/qt/AboutUnit.h"
#include "help/qt/InfoBoxUnit.h"
#include "results/qt/EditorUnit.h"
#include "results/qt/ErrorListUnit.h"
#include "settings/qt/KonfigUnit.h"

namespace vorlaxis::gui {

namespace {

// The layouts' fixed places were measured in an 8-point dialog font (11 pixels). The narrow
// face keeps every caption of those places whole; the wide face is the fallback.
QFont DialogFont() {
    const QStringList families = QFontDatabase::families();
    QFont font(families.contains(QStringLiteral("DejaVu Sans Condensed"))
                   ? QStringLiteral("DejaVu Sans Condensed")
                   : QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(10);
    return font;
}

}  // namespace

void ApplyApplicationLook(QApplication& app) {
    // The application's name for the desktop. No display name: X11 would append " — " and it
    // to every window caption, and the captions are the windows' own texts.
    app.setApplicationName(QStringLiteral("Vorlaxis"));
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
    app.setFont(DialogFont());
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Czech, QLocale::CzechRepublic), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(translator);
    }
}

ApplicationWindows::ApplicationWindows() = default;
ApplicationWindows::~ApplicationWindows() = default;

void CreateApplicationWindows(ApplicationWindows& windows, const char* settingsPath,
                              RunLocations startLocations) {
    windows.MainForm = std::make_unique<TMainForm>();
    TMainForm& main = *windows.MainForm;
    if (settingsPath) main.SettingsPath = settingsPath;
    main.StartLocations = std::move(startLocations);
    windows.ErrorForm = std::make_unique<TErrorForm>(&main);
    // The result windows have no owner: they open centred on the screen.
    windows.ErrorListForm = std::make_unique<TErrorListForm>();
    windows.InfoBox = std::make_unique<TInfoBox>();
    windows.Konfig = std::make_unique<TKonfig>(
        main.Settings(), TKonfig::Actions{main.KonfigWrite(), main.KonfigRead(), main.KonfigHelp()},
        &main);
    // Reading the settings brings the options dialog's enabling rules up to date.
    main.AttachWindows({windows.ErrorForm.get(), windows.InfoBox.get(), nullptr,
                        windows.ErrorListForm.get(), windows.Konfig.get(), nullptr});
    // The about box's creation reads the settings: the main window (and the options dialog)
    // exist by then, the text viewer not yet.
    windows.AboutBox = std::make_unique<TAboutBox>(&main, [&main] { main.ReadINIs(); });
    windows.Editor = std::make_unique<TEditor>();
    main.AttachWindows({windows.ErrorForm.get(), windows.InfoBox.get(), windows.AboutBox.get(),
                        windows.ErrorListForm.get(), windows.Konfig.get(), windows.Editor.get()});
}

}  // namespace vorlaxis::gui
