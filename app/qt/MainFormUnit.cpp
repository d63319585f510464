#include "app/qt/MainFormUnit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QStatusBar>

#include "core/qt/ButtonPictures.h"
#include "engine/MainCommands.h"
#include "engine/TestBatch.h"
#include "engine/TestRun.h"
#include "engine/ThreadedBlockingCalls.h"
#include "help/qt/InfoBoxUnit.h"
#include "platform/Text.h"
#include "results/qt/MainHistory.h"
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
    SetButtonPictures(*this);
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
    if (m_results && !m_history) {
        m_history =
            std::make_unique<MainHistory>(this, m_dialogs, *m_ui->Zobrazit1, m_results->FollowUp());
    }
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
    const std::pair<QAction*, void (TMainForm::*)()> menu[] = {
        {ui.mmSpustitTest, &TMainForm::mmSpustitTestClick},
        {ui.Spustittestplntendat1, &TMainForm::Spustittestplntendat1Click},
        {ui.Spustitteststbloky1, &TMainForm::Spustitteststbloky1Click},
        {ui.Spustittestpouzeotevratsoubory1, &TMainForm::Spustittestpouzeotevratsoubory1Click},
        {ui.mmPorovnatSeZdrojem, &TMainForm::mmPorovnatSeZdrojemClick},
        {ui.mmUlozitZaznamy, &TMainForm::mmUlozitZaznamyClick},
        {ui.mmKonec, &TMainForm::mmKonecClick},
        {ui.mmZobrazitSlozkuZaznamy, &TMainForm::mmZobrazitSlozkuZaznamyClick},
        {ui.mmZobrazitDocasneZaznamy, &TMainForm::mmZobrazitDocasneZaznamyClick},
        {ui.mmZobrazitGrafRychlosti, &TMainForm::mmZobrazitGrafRychlostiClick},
        {ui.mmMoznosti, &TMainForm::mmMoznostiClick},
        {ui.mmObsah, &TMainForm::mmObsahClick},
        {ui.mmHelpOnHelp, &TMainForm::mmHelpOnHelpClick},
        {ui.mmCoJeNoveho, &TMainForm::mmCoJeNovehoClick},
        {ui.mmAbout, &TMainForm::mmAboutClick}};
    for (const auto& [action, handler] : menu) connect(action, &QAction::triggered, this, handler);
}

void TMainForm::ConnectLocationGroup() {
    Ui::TMainForm& ui = *m_ui;
    const std::pair<QPushButton*, void (TMainForm::*)()> buttons[] = {
        {ui.btnNalistovat, &TMainForm::btnNalistovatClick},
        {ui.btnOdstranit, &TMainForm::btnOdstranitClick},
        {ui.btnUpravit, &TMainForm::btnUpravitClick},
        {ui.btnZobrazit, &TMainForm::btnZobrazitClick},
        {ui.btnPridatRucne, &TMainForm::btnPridatRucneClick}};
    for (const auto& [button, handler] : buttons) {
        connect(button, &QPushButton::clicked, this, handler);
    }
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
    ResetDisplay(m_display);
    ShowDisplay();
}

void TMainForm::ShowDisplay() {
    const MainDisplay& d = m_display;
    Ui::TMainForm& ui = *m_ui;
    // The one place where the display values meet this window's controls.
    const std::pair<QLabel*, const std::string*> fields[] = {
        {ui.Label5, &d.filesTotalText},     {ui.Label6, &d.filesTestedText},
        {ui.Label7, &d.filesLeftText},      {ui.Label12, &d.badFilesText},
        {ui.Label9, &d.currentFileText},    {ui.Label19, &d.directoryText},
        {ui.Label20, &d.readModeText},      {ui.Label22, &d.startText},
        {ui.Label24, &d.endText},           {ui.Label26, &d.outcomeText},
        {ui.Label13, &d.megabytesDoneText}, {ui.Label15, &d.megabytesTotalText},
        {ui.Label28, &d.elapsedText},       {ui.Label30, &d.currentSpeedText},
        {ui.Label32, &d.remainingText},     {ui.Label34, &d.averageSpeedText},
        {m_panel[0], &d.statusText}};
    for (const auto& [label, text] : fields) label->setText(FromUtf8(*text));
    QPalette pal = ui.Label12->palette();
    const Rgb colour = BadCountColour(d);
    pal.setColor(QPalette::WindowText, QColor(colour.red, colour.green, colour.blue));
    ui.Label12->setPalette(pal);
    ui.Label29->setVisible(d.speedCaptionsVisible);
    ui.Label31->setVisible(d.speedCaptionsVisible);
    ui.Label33->setVisible(d.speedCaptionsVisible);
    // A range of 0..0 would turn Qt's bar into a busy indicator; an empty file shows empty.
    ui.ProgressBar1->setRange(0, std::max(1, d.fileBarMax));
    ui.ProgressBar1->setValue(std::clamp(d.fileBarPosition, 0, ui.ProgressBar1->maximum()));
    ui.ProgressBar2->setRange(0, std::max(1, d.locationBarMax));
    ui.ProgressBar2->setValue(std::clamp(d.locationBarPosition, 0, ui.ProgressBar2->maximum()));
    ui.btnCancelTest->setEnabled(d.cancelEnabled);
    if (m_windows.InfoBox) m_windows.InfoBox->SetLocation(FromUtf8(d.busyLocationText));
}

void TMainForm::SetMenus(bool enabled) {
    Ui::TMainForm& ui = *m_ui;
    const std::pair<MainCommand, QAction*> items[] = {
        {MainCommand::StartTest, ui.mmSpustitTest},
        {MainCommand::StartTestBypassMenu, ui.mmSpustitTestObejit->menuAction()},
        {MainCommand::StartAllData, ui.Spustittestplntendat1},
        {MainCommand::StartBlocks, ui.Spustitteststbloky1},
        {MainCommand::StartOpenOnly, ui.Spustittestpouzeotevratsoubory1},
        {MainCommand::CompareWithSource, ui.mmPorovnatSeZdrojem},
        {MainCommand::SaveTempLogs, ui.mmUlozitZaznamy},
        {MainCommand::Exit, ui.mmKonec},
        {MainCommand::ShowLogsFolder, ui.mmZobrazitSlozkuZaznamy},
        {MainCommand::ShowTempLogs, ui.mmZobrazitDocasneZaznamy},
        {MainCommand::ShowSpeedGraph, ui.mmZobrazitGrafRychlosti},
        {MainCommand::ShowLastComparison, m_history ? m_history->Command() : nullptr},
        {MainCommand::Options, ui.mmMoznosti},
        {MainCommand::HelpContents, ui.mmObsah},
        {MainCommand::HelpOnHelp, ui.mmHelpOnHelp},
        {MainCommand::WhatsNew, ui.mmCoJeNoveho},
        {MainCommand::About, ui.mmAbout}};
    for (const auto& [command, action] : items) {
        if (action) action->setEnabled(CommandEnabled(command, !enabled));
    }
    // The submenu itself too: re-enabling the main window (after the busy window) would
    // otherwise enable it again, and with it its menu item.
    ui.mmSpustitTestObejit->setEnabled(ui.mmSpustitTestObejit->menuAction()->isEnabled());
}

void TMainForm::EnableDiskList(bool enabled) {
    Ui::TMainForm& ui = *m_ui;
    const std::pair<MainCommand, QWidget*> controls[] = {
        {MainCommand::LocationList, ui.DiskList},
        {MainCommand::BrowseLocation, ui.btnNalistovat},
        {MainCommand::RemoveLocation, ui.btnOdstranit},
        {MainCommand::EditLocation, ui.btnUpravit},
        {MainCommand::ShowLocation, ui.btnZobrazit},
        {MainCommand::AddLocationByHand, ui.btnPridatRucne}};
    for (const auto& [command, control] : controls) {
        control->setEnabled(CommandEnabled(command, !enabled));
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
