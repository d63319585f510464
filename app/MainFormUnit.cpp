#include "app/MainFormUnit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QStatusBar>
#include <QStyle>

#include "engine/TestRun.h"
#include "engine/ThreadedBlockingCalls.h"
#include "help/InfoBoxUnit.h"
#include "platform/Text.h"
#include "settings/SettingsFile.h"
#include "ui_MainFormUnit.h"

namespace vorlaxis::gui {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TMainForm::TMainForm(QWidget* parent, Clock* clock)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      m_ui(std::make_unique<Ui::TMainForm>()),
      m_clock(clock ? clock : &m_systemClock),
      m_dialogs(this) {
    SettingsPath = SettingsFilePath();
    m_calls = std::make_unique<ThreadedBlockingCalls>(*this, m_statistics, m_display);
    m_session = std::make_unique<TestSession>(m_settings, m_statistics, m_display, *this, m_dialogs,
                                              *m_clock, *m_calls);
    m_ui->setupUi(this);
    m_ui->centralwidget->setFixedSize(698, 240);
    // Group captions sit on the frame line, as the layout's places assume.
    const QString groupLook = QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0 2px; }");
    m_ui->GroupBox1->setStyleSheet(groupLook);
    m_ui->GroupBox2->setStyleSheet(groupLook);
    CreateStatusPanels();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_ui->BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    m_ui->btnCancelTest->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    m_ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    m_ui->BitBtn2->setDefault(true);
    m_timer1.setInterval(250);
    m_timer2.setInterval(1000);
    connect(&m_timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(&m_timer2, &QTimer::timeout, this, &TMainForm::RxTimerEvent1Timer);
    ConnectCommands();
    ConnectLocationGroup();
    FormCreate();
    m_timer2.start();
}

TMainForm::~TMainForm() = default;

void TMainForm::AttachWindows(const FormWindows& windows) {
    m_windows = windows;
    ConnectResults();
}

void TMainForm::CreateStatusPanels() {
    QStatusBar* bar = m_ui->StatusBar;
    bar->setFixedHeight(19);
    const int widths[3] = {520, 80, 80};
    for (int i = 0; i < 3; ++i) {
        m_panel[i] = new QLabel(bar);
        m_panel[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panel[i]->setFixedWidth(widths[i]);
        m_panel[i]->setFrameShape(QFrame::Panel);
        m_panel[i]->setFrameShadow(QFrame::Sunken);
        if (i > 0) m_panel[i]->setAlignment(Qt::AlignCenter);
        bar->addWidget(m_panel[i]);
    }
}

void TMainForm::ConnectCommands() {
    Ui::TMainForm& ui = *m_ui;
    connect(ui.BitBtn2, &QPushButton::clicked, this, &TMainForm::BitBtn2Click);
    connect(ui.btnCancelTest, &QPushButton::clicked, this, &TMainForm::btnCancelTestClick);
    connect(ui.BitBtn1, &QPushButton::clicked, this, &QWidget::close);
    connect(ui.mmSpustitTest, &QAction::triggered, this, &TMainForm::mmSpustitTestClick);
    connect(ui.Spustittestplntendat1, &QAction::triggered, this,
            &TMainForm::Spustittestplntendat1Click);
    connect(ui.Spustitteststbloky1, &QAction::triggered, this,
            &TMainForm::Spustitteststbloky1Click);
    connect(ui.Spustittestpouzeotevratsoubory1, &QAction::triggered, this,
            &TMainForm::Spustittestpouzeotevratsoubory1Click);
    connect(ui.mmUlozitZaznamy, &QAction::triggered, this, &TMainForm::mmUlozitZaznamyClick);
    connect(ui.mmKonec, &QAction::triggered, this, &TMainForm::mmKonecClick);
    connect(ui.mmZobrazitSlozkuZaznamy, &QAction::triggered, this,
            &TMainForm::mmZobrazitSlozkuZaznamyClick);
    connect(ui.mmZobrazitDocasneZaznamy, &QAction::triggered, this,
            &TMainForm::mmZobrazitDocasneZaznamyClick);
    connect(ui.mmMoznosti, &QAction::triggered, this, &TMainForm::mmMoznostiClick);
    connect(ui.mmObsah, &QAction::triggered, this, &TMainForm::mmObsahClick);
    connect(ui.mmHelpOnHelp, &QAction::triggered, this, &TMainForm::mmHelpOnHelpClick);
    connect(ui.mmCoJeNoveho, &QAction::triggered, this, &TMainForm::mmCoJeNovehoClick);
    connect(ui.mmAbout, &QAction::triggered, this, &TMainForm::mmAboutClick);
}

void TMainForm::ConnectLocationGroup() {
    Ui::TMainForm& ui = *m_ui;
    connect(ui.btnNalistovat, &QPushButton::clicked, this, &TMainForm::btnNalistovatClick);
    connect(ui.btnOdstranit, &QPushButton::clicked, this, &TMainForm::btnOdstranitClick);
    connect(ui.btnUpravit, &QPushButton::clicked, this, &TMainForm::btnUpravitClick);
    connect(ui.btnZobrazit, &QPushButton::clicked, this, &TMainForm::btnZobrazitClick);
    connect(ui.btnPridatRucne, &QPushButton::clicked, this, &TMainForm::btnPridatRucneClick);
    connect(ui.DiskList, &QListWidget::itemChanged, this, &TMainForm::DiskListItemChanged);
    connect(ui.DiskList, &QListWidget::currentRowChanged, this,
            &TMainForm::DiskListSelectionChanged);
}

void TMainForm::FormCreate() {
    // The start and cancel buttons share one place and replace each other.
    m_ui->btnCancelTest->move(m_ui->BitBtn2->pos());
    m_ui->btnCancelTest->hide();
    InitInterface();
}

void TMainForm::InitInterface() {
    MainDisplay& d = m_display;
    d.StatusText = "Připraven...";
    d.Label5 = d.Label6 = d.Label7 = d.Label12 = "0";
    d.Label12Red = false;
    d.Label13 = d.Label15 = "0";
    d.Label9.clear();
    d.ProgressBar1Pos = d.ProgressBar2Pos = 0;
    d.Label20 = d.Label22 = d.Label24 = d.Label26 = "...";
    d.Label19.clear();
    d.Label28.clear();
    d.Label30.clear();
    d.Label32.clear();
    d.Label34.clear();
    ShowDisplay();
}

void TMainForm::ShowDisplay() {
    const MainDisplay& d = m_display;
    Ui::TMainForm& ui = *m_ui;
    const std::pair<QLabel*, const std::string*> fields[] = {
        {ui.Label5, &d.Label5},   {ui.Label6, &d.Label6},     {ui.Label7, &d.Label7},
        {ui.Label12, &d.Label12}, {ui.Label9, &d.Label9},     {ui.Label19, &d.Label19},
        {ui.Label20, &d.Label20}, {ui.Label22, &d.Label22},   {ui.Label24, &d.Label24},
        {ui.Label26, &d.Label26}, {ui.Label13, &d.Label13},   {ui.Label15, &d.Label15},
        {ui.Label28, &d.Label28}, {ui.Label30, &d.Label30},   {ui.Label32, &d.Label32},
        {ui.Label34, &d.Label34}, {m_panel[0], &d.StatusText}};
    for (const auto& [label, text] : fields) label->setText(FromUtf8(*text));
    QPalette pal = ui.Label12->palette();
    pal.setColor(QPalette::WindowText, d.Label12Red ? QColor(255, 0, 0) : QColor(0, 128, 0));
    ui.Label12->setPalette(pal);
    ui.Label29->setVisible(d.SpeedCaptionsVisible);
    ui.Label31->setVisible(d.SpeedCaptionsVisible);
    ui.Label33->setVisible(d.SpeedCaptionsVisible);
    // A range of 0..0 would turn Qt's bar into a busy indicator; an empty file shows empty.
    ui.ProgressBar1->setRange(0, std::max(1, d.ProgressBar1Max));
    ui.ProgressBar1->setValue(std::clamp(d.ProgressBar1Pos, 0, ui.ProgressBar1->maximum()));
    ui.ProgressBar2->setRange(0, std::max(1, d.ProgressBar2Max));
    ui.ProgressBar2->setValue(std::clamp(d.ProgressBar2Pos, 0, ui.ProgressBar2->maximum()));
    ui.btnCancelTest->setEnabled(d.btnCancelTestEnabled);
    if (m_windows.InfoBox) m_windows.InfoBox->SetLocation(FromUtf8(d.InfoBoxLabel3));
}

void TMainForm::SetMenus(bool enabled) {
    Ui::TMainForm& ui = *m_ui;
    ui.mmSpustitTest->setEnabled(enabled);
    ui.mmSpustitTestObejit->menuAction()->setEnabled(enabled);
    // The submenu itself too: re-enabling the main window (after the busy window) would
    // otherwise enable it again, and with it its menu item.
    ui.mmSpustitTestObejit->setEnabled(enabled);
    ui.Spustittestplntendat1->setEnabled(enabled);
    ui.Spustitteststbloky1->setEnabled(enabled);
    ui.Spustittestpouzeotevratsoubory1->setEnabled(enabled);
    ui.mmUlozitZaznamy->setEnabled(enabled);
    ui.mmZobrazitSlozkuZaznamy->setEnabled(enabled);
    ui.mmZobrazitDocasneZaznamy->setEnabled(enabled);
    ui.mmMoznosti->setEnabled(enabled);
}

void TMainForm::EnableDiskList(bool enabled) {
    Ui::TMainForm& ui = *m_ui;
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui.DiskList, ui.btnNalistovat, ui.btnOdstranit,
                                         ui.btnUpravit, ui.btnZobrazit, ui.btnPridatRucne}) {
        w->setEnabled(enabled);
    }
}

void TMainForm::SetDiskListColour(bool testing) {
    QPalette pal = m_ui->DiskList->palette();
    const QPalette system = QApplication::palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base,
                     testing ? system.color(QPalette::Active, QPalette::Button)
                             : system.color(QPalette::Active, QPalette::Base));
    }
    m_ui->DiskList->setPalette(pal);
}

void TMainForm::RxTimerEvent1Timer() {
    const platform::LocalDateTime now = m_clock->Now();
    m_panel[2]->setText(FromUtf8(platform::FormatLongTime(now)));
    m_panel[1]->setText(FromUtf8(platform::FormatShortDate(now)));
}

void TMainForm::keyPressEvent(QKeyEvent* event) {
    // Enter presses the start button unless a button has the focus; Esc the cancel button.
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        QPushButton* target = focused ? focused : m_ui->BitBtn2;
        if (target->isVisible() && target->isEnabled()) target->click();
        return;
    }
    if (key == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (m_ui->btnCancelTest->isVisible() && m_ui->btnCancelTest->isEnabled()) {
            m_ui->btnCancelTest->click();
        }
        return;
    }
    QMainWindow::keyPressEvent(event);
}

}  // namespace vorlaxis::gui
