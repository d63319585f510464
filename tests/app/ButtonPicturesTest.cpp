// The pictures beside the button captions: each window as the program creates it, every button
// of it looked at, the picture buttons with a picture and the others with none.
#include <QAbstractButton>
#include <QTabBar>
#include <map>

#include "AppFixture.h"
#include "engine/qt/ErrorUnit.h"
#include "help/qt/AboutUnit.h"
#include "help/qt/InfoBoxUnit.h"
#include "results/qt/EditorUnit.h"
#include "results/qt/ErrorListUnit.h"
#include "settings/qt/KonfigUnit.h"

namespace vorlaxis::test {
namespace {

// Whether each button of `window` (by name) shows a picture: the buttons of the layout, not
// those of the windows it owns nor Qt's own (the menu bar's and tab bar's arrows).
std::map<std::string, bool> PicturesOfButtons(const QWidget& window) {
    std::map<std::string, bool> pictures;
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->window() != &window || button->objectName().startsWith("qt_") ||
            qobject_cast<const QTabBar*>(button->parentWidget())) {
            continue;
        }
        pictures[button->objectName().toStdString()] = !button->icon().isNull();
    }
    return pictures;
}

using ButtonPictures = AppFixture;

TEST_F(ButtonPictures, ButtonsOfAKindOrGlyphCarryAPictureAndTheOthersNone) {
    Start();
    const std::pair<const QWidget*, QStringList> cases[] = {
        {&Main(), {"BitBtn2", "btnCancelTest", "BitBtn1"}},
        {m_windows.ErrorForm.get(), {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5"}},
        {m_windows.ErrorListForm.get(), {"BitBtn1"}},
        {m_windows.Editor.get(), {"BitBtn1"}},
        {m_windows.AboutBox.get(), {"BitBtn1"}},
        {m_windows.Konfig.get(), {}},
        {m_windows.InfoBox.get(), {}}};
    for (const auto& [window, pictured] : cases) {
        std::map<std::string, bool> expected = PicturesOfButtons(*window);
        for (auto& [button, hasPicture] : expected) hasPicture = false;
        for (const QString& button : pictured) expected[button.toStdString()] = true;
        EXPECT_EQ(PicturesOfButtons(*window), expected) << window->objectName().toStdString();
    }
}

}  // namespace
}  // namespace vorlaxis::test
