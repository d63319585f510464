// The options dialog.
#include "settings/qt/KonfigUnit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>

#include "core/qt/ButtonPictures.h"
#include "ui_KonfigUnit.h"

namespace vorlaxis::gui {

TKonfig::TKonfig(TestSettings& settings, Actions actions, QWidget* parent)
    : QDialog(parent),
      m_settings(settings),
      m_actions(std::move(actions)),
      m_ui(std::make_unique<Ui::TKonfig>()) {
    m_ui->setupUi(this);
    SetButtonPictures(*this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(387, 307);
    // Modal to the main window only: the help window it opens stays usable beside it.
    setWindowModality(Qt::WindowModal);
    m_ui->PageControl1->tabBar()->setAttribute(Qt::WA_Hover);  // tabs light up under the mouse
    GroupOptions();
    LoadFromSettings();
    BindChecks();
    BindChoices();
    connect(m_ui->SpinEdit1, &QSpinBox::valueChanged, this,
            [this](int value) { m_settings.BlockSize = value; });
    connect(m_ui->RxSpeedButton1, &QToolButton::clicked, this, &TKonfig::RxSpeedButton1Click);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TKonfig::BitBtn1Click);
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, &TKonfig::BitBtn2Click);
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, &TKonfig::BitBtn3Click);
}

TKonfig::~TKonfig() = default;

void TKonfig::BindChecks() {
    const std::pair<QCheckBox*, bool TestSettings::*> checks[] = {
        {m_ui->cbEjectMedia, &TestSettings::EjectAfterTest},
        {m_ui->CheckBox1, &TestSettings::GoNonstop},
        {m_ui->CheckBox2, &TestSettings::ShowErrorList},
        {m_ui->CheckBox4, &TestSettings::ShowLogsAfterTest},
        {m_ui->CheckBox5, &TestSettings::SaveLogsToDisk},
    };
    for (const auto& [box, field] : checks) {
        connect(box, &QCheckBox::toggled, this, [this, f = field](bool on) { m_settings.*f = on; });
    }
    connect(m_ui->CheckBox4, &QCheckBox::toggled, this, &TKonfig::CheckBox4Click);
    connect(m_ui->RadioButton8, &QRadioButton::toggled, this,
            [this](bool on) { m_settings.ShowLogsAfterTestAlways = on; });
}

// Each group of options is a button group of its own. Left to themselves, options exclude
// every option below their parent, so the log pair would share a group with the name formats
// of the frame inside it, and a click on its selected option would clear it.
void TKonfig::GroupOptions() {
    const std::initializer_list<QRadioButton*> groups[] = {
        {m_ui->RadioButton1, m_ui->RadioButton2, m_ui->RadioButton3},
        {m_ui->RadioButton4, m_ui->RadioButton5, m_ui->RadioButton6},
        {m_ui->RadioButton8, m_ui->RadioButton9},
        {m_ui->RadioButton7, m_ui->RadioButton10, m_ui->RadioButton11},
        {m_ui->RadioButton12, m_ui->RadioButton13, m_ui->RadioButton14}};
    for (const auto& buttons : groups) {
        auto* group = new QButtonGroup(this);
        for (QRadioButton* button : buttons) group->addButton(button);
    }
}

void TKonfig::BindChoices() {
    BindChoice({m_ui->RadioButton1, m_ui->RadioButton2, m_ui->RadioButton3},
               m_settings.DataReadStyle);
    BindChoice({m_ui->RadioButton4, m_ui->RadioButton5, m_ui->RadioButton6},
               m_settings.ReadEveryXthBlock);
    BindChoice({m_ui->RadioButton7, m_ui->RadioButton10, m_ui->RadioButton11},
               m_settings.LogsFileNameFormat);
    BindChoice({m_ui->RadioButton12, m_ui->RadioButton13, m_ui->RadioButton14},
               m_settings.TxtViewer);
    for (QRadioButton* b : {m_ui->RadioButton1, m_ui->RadioButton2, m_ui->RadioButton3}) {
        connect(b, &QRadioButton::toggled, this, &TKonfig::RadioButton1Click);
    }
}

// The three options of a group stand for the codes 1, 2 and 3 of `field`.
void TKonfig::BindChoice(std::initializer_list<QRadioButton*> buttons, int32_t& field) {
    int32_t code = 1;
    for (QRadioButton* button : buttons) {
        connect(button, &QRadioButton::toggled, this, [&field, code](bool on) {
            if (on) field = code;
        });
        ++code;
    }
}

// Selects the option of `value`; none for "nothing chosen".
void TKonfig::ShowChoice(std::initializer_list<QRadioButton*> buttons, int32_t value) {
    int32_t code = 1;
    for (QRadioButton* button : buttons) {
        if (code == value) {
            button->setChecked(true);
        } else if (button->isChecked()) {
            // An option cannot be cleared while its group is exclusive.
            button->group()->setExclusive(false);
            button->setChecked(false);
            button->group()->setExclusive(true);
        }
        ++code;
    }
}

void TKonfig::LoadFromSettings() {
    const TestSettings s = m_settings;  // the bindings write back while the controls change
    m_ui->cbEjectMedia->setChecked(s.EjectAfterTest);
    ShowChoice({m_ui->RadioButton1, m_ui->RadioButton2, m_ui->RadioButton3}, s.DataReadStyle);
    m_ui->SpinEdit1->setValue(s.BlockSize);
    ShowChoice({m_ui->RadioButton4, m_ui->RadioButton5, m_ui->RadioButton6}, s.ReadEveryXthBlock);
    m_ui->CheckBox1->setChecked(s.GoNonstop);
    m_ui->CheckBox2->setChecked(s.ShowErrorList);
    m_ui->CheckBox4->setChecked(s.ShowLogsAfterTest);
    (s.ShowLogsAfterTestAlways ? m_ui->RadioButton8 : m_ui->RadioButton9)->setChecked(true);
    m_ui->CheckBox5->setChecked(s.SaveLogsToDisk);
    ShowChoice({m_ui->RadioButton7, m_ui->RadioButton10, m_ui->RadioButton11},
               s.LogsFileNameFormat);
    ShowChoice({m_ui->RadioButton12, m_ui->RadioButton13, m_ui->RadioButton14}, s.TxtViewer);
    m_settings = s;
    m_settings.BlockSize = m_ui->SpinEdit1->value();  // pulled into 4..48 when set
    RadioButton1Click();
    CheckBox4Click();
}

void TKonfig::ShowLogsAfterTestRead(const TestSettings& settings) {
    m_ui->CheckBox4->setChecked(settings.ShowLogsAfterTest);
    CheckBox4Click();
}

void TKonfig::Execute(const QPoint& mainWindowTopLeft) {
    move(mainWindowTopLeft + QPoint(30, 30));
    m_ui->PageControl1->setCurrentIndex(0);
    LoadFromSettings();
    exec();
}

void TKonfig::RadioButton1Click() {
    const bool blocks =
        KonfigEnablingFor(m_ui->RadioButton2->isChecked(), m_ui->CheckBox4->isChecked())
            .blockChoices;
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->Label1, m_ui->RadioButton4,
                                                      m_ui->RadioButton5, m_ui->RadioButton6}) {
        w->setEnabled(blocks);
    }
}

void TKonfig::CheckBox4Click() {
    const KonfigEnabling enabling =
        KonfigEnablingFor(m_ui->RadioButton2->isChecked(), m_ui->CheckBox4->isChecked());
    m_ui->RadioButton8->setEnabled(enabling.showLogChoices);
    m_ui->RadioButton9->setEnabled(enabling.showLogChoices);
    m_ui->CheckBox2->setEnabled(enabling.errorListCheck);
}

void TKonfig::RxSpeedButton1Click() {
    m_ui->PageControl1->setCurrentWidget(m_ui->TabSheet3);
    m_ui->CheckBox4->setFocus();
}

void TKonfig::BitBtn1Click() {
    m_ui->SpinEdit1->interpretText();
    KonfigOk(m_settings, m_ui->SpinEdit1->text().toStdString(), m_actions);
    accept();
}

void TKonfig::BitBtn2Click() {
    KonfigStorno(m_actions);
    LoadFromSettings();  // the controls show what was read back
    reject();
}

void TKonfig::BitBtn3Click() {
    if (m_actions.showOptionsHelp) m_actions.showOptionsHelp();
}

void TKonfig::keyPressEvent(QKeyEvent* event) {
    // Esc is "Storno"; only the close box closes without touching the file.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        BitBtn2Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace vorlaxis::gui
