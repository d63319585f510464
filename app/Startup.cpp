#include "app/Startup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>

#include "app/MainFormUnit.h"
#include "engine/ErrorUnit.h"
#include "help/AboutUnit.h"
#include "help/InfoBoxUnit.h"

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
    app.setApplicationName(QStringLiteral("Vorlaxis"));
    app.setApplicationDisplayName(QStringLiteral("Vorlaxis"));
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

void CreateApplicationWindows(ApplicationWindows& windows, const char* settingsPath) {
    windows.MainForm = std::make_unique<TMainForm>();
    TMainForm& main = *windows.MainForm;
    if (settingsPath) main.SettingsPath = settingsPath;
    windows.ErrorForm = std::make_unique<TErrorForm>(&main);
    windows.InfoBox = std::make_unique<TInfoBox>();
    // The about box's creation reads the settings: the main window (and the options dialog)
    // exist by then, the text viewer not yet.
    windows.AboutBox = std::make_unique<TAboutBox>(&main, [&main] { main.ReadINIs(); });
    main.AttachWindows({windows.ErrorForm.get(), windows.InfoBox.get(), windows.AboutBox.get()});
}

}  // namespace vorlaxis::gui
