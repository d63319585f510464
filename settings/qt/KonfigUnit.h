// TKonfig: the options dialog. Its controls are bound to the live TestSettings record; OK and
// "Storno" decide what happens to the settings file, the close box leaves it alone.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "settings/KonfigRules.h"
#include "settings/SettingsFile.h"
#include "settings/TestSettings.h"

class QAbstractButton;
class QRadioButton;

namespace Ui {
class TKonfig;
}

namespace vorlaxis::gui {

class TKonfig : public QDialog, public SettingsReadHook {
    Q_OBJECT

  public:
    // What the buttons do outside the dialog; the main window supplies them.
    using Actions = KonfigActions;

    TKonfig(TestSettings& settings, Actions actions, QWidget* parent = nullptr);
    ~TKonfig() override;

    // mmMoznostiClick: 30, 30 from the main window's top-left corner, on the first tab, modal.
    void Execute(const QPoint& mainWindowTopLeft);
    // Shows the record in the controls and brings the enabling rules up to date.
    void LoadFromSettings();
    // SettingsReadHook: ReadINIs has just set ShowLogsAfterTest.
    void ShowLogsAfterTestRead(const TestSettings& settings) override;

    void RadioButton1Click();
    void CheckBox4Click();
    void RxSpeedButton1Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();

    Ui::TKonfig& ui() const { return *m_ui; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void GroupOptions();
    void BindChecks();
    void BindChoices();
    void BindChoice(std::initializer_list<QRadioButton*> buttons, int32_t& field);
    static void ShowChoice(std::initializer_list<QRadioButton*> buttons, int32_t value);

    TestSettings& m_settings;
    Actions m_actions;
    std::unique_ptr<Ui::TKonfig> m_ui;
};

}  // namespace vorlaxis::gui
