#include "app/win32/MainFormUnit.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "core/win32/ButtonPictures.h"
#include "core/win32/Controls.h"
#include "engine/MainCommands.h"
#include "engine/TestRun.h"
#include "engine/ThreadedBlockingCalls.h"
#include "engine/win32/ErrorUnit.h"
#include "help/HelpTopics.h"
#include "help/win32/AboutUnit.h"
#include "help/win32/InfoBoxUnit.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/win32/Wide.h"
#include "results/ChangesView.h"
#include "results/SpeedGraph.h"
#include "results/win32/EditorUnit.h"
#include "results/win32/ErrorListUnit.h"
#include "results/win32/MainFollowUp.h"
#include "settings/DataFolders.h"
#include "settings/SettingsFile.h"
#include "settings/win32/KonfigUnit.h"

namespace vorlaxis::win32ui {

namespace {

using platform::win32::ToWide;

constexpr wchar_t kClassName[] = L"TMainForm";
constexpr UINT_PTR kTimer1 = 1, kTimer2 = 2;
constexpr int kClientWidth = 698, kClientHeight = 259;

// The places of the layout, in the main window's client area. The controls of the two groups
// are given in their group's coordinates and moved by the group's place.
constexpr int kLocLeft = 8, kLocTop = 4, kProgLeft = 296, kProgTop = 6;
const Place kTopPlaces[] = {
    {id::Bevel2, Kind::Frame, L"", 0, 0, 698, 2},
    {id::GroupBox2, Kind::Group, L"Umístění", 8, 4, 283, 197},
    {id::GroupBox1, Kind::Group, L"Průběh testu / informace o posledním testu", 296, 6, 396, 195},
    {id::BitBtn2, Kind::DefaultButton, L"Spustit test!", 7, 206, 284, 27},
    {id::btnCancelTest, Kind::Button, L"Přerušit test", 7, 206, 284, 27},
    {id::BitBtn1, Kind::Button, L"Zavřít", 616, 208, 75, 25}};
const Place kLocationPlaces[] = {
    {id::DiskList, Kind::List, L"", 8, 16, 185, 173},
    {id::btnNalistovat, Kind::Button, L"Nalistovat...", 200, 16, 75, 25},
    {id::btnOdstranit, Kind::Button, L"Odstranit", 200, 44, 75, 25},
    {id::btnUpravit, Kind::Button, L"Upravit...", 200, 72, 75, 25},
    {id::btnZobrazit, Kind::Button, L"Zobrazit...", 200, 100, 75, 25},
    {id::btnPridatRucne, Kind::Button, L"Přidat ručně...", 200, 164, 75, 25}};
const Place kProgressPlaces[] = {
    {id::Label2, Kind::RightLabel, L"Celkem souborů:", 8, 16, 118, 13},
    {id::Label5, Kind::RightLabel, L"", 132, 16, 47, 13, Face::Bold},
    {id::Label3, Kind::RightLabel, L"Souborů testováno:", 8, 32, 118, 13},
    {id::Label6, Kind::RightLabel, L"", 132, 32, 47, 13, Face::Bold},
    {id::Label4, Kind::RightLabel, L"Souborů zbývá testovat:", 8, 48, 118, 13},
    {id::Label7, Kind::RightLabel, L"", 132, 48, 47, 13, Face::Bold},
    {id::Label11, Kind::RightLabel, L"Chybných souborů:", 8, 64, 118, 13},
    {id::Label12, Kind::RightLabel, L"", 132, 64, 47, 13, Face::Bold},
    {id::Label17, Kind::RightLabel, L"Druh testu:", 185, 16, 62, 13},
    {id::Label20, Kind::Label, L"", 249, 16, 142, 13, Face::Bold},
    {id::Label21, Kind::RightLabel, L"Start testu:", 185, 32, 62, 13},
    {id::Label22, Kind::Label, L"", 249, 32, 134, 13},
    {id::Label23, Kind::RightLabel, L"Konec testu:", 185, 48, 62, 13},
    {id::Label24, Kind::Label, L"", 249, 48, 136, 13},
    {id::Label25, Kind::RightLabel, L"Výsledek:", 185, 64, 62, 13},
    {id::Label26, Kind::Label, L"", 249, 64, 136, 13, Face::Bold},
    {id::Bevel1, Kind::Frame, L"", 12, 79, 366, 2},
    {id::Label18, Kind::Label, L"Umístění:", 10, 83, 47, 13},
    {id::Label19, Kind::Label, L"", 57, 83, 335, 13},
    {id::Label8, Kind::Label, L"Soubor:", 10, 97, 45, 13},
    {id::Label9, Kind::Label, L"", 57, 97, 335, 13},
    {id::ProgressBar1, Kind::Bar, L"", 12, 112, 376, 16},
    {id::Label10, Kind::Label, L"Celkový průběh:", 11, 132, 78, 13},
    {id::Label13, Kind::RightLabel, L"", 91, 132, 27, 13},
    {id::Label14, Kind::Label, L"/", 119, 132, 6, 13},
    {id::Label15, Kind::RightLabel, L"", 126, 132, 23, 13},
    {id::Label16, Kind::Label, L"MB", 151, 132, 20, 13},
    {id::Label27, Kind::Label, L"Čas testu:", 176, 132, 47, 13},
    {id::Label28, Kind::Label, L"", 224, 132, 47, 13},
    {id::Label29, Kind::Label, L"Aktuálně:", 272, 132, 49, 13},
    {id::Label30, Kind::Label, L"", 322, 132, 70, 13},
    {id::Label31, Kind::Label, L"Zbývá:", 176, 144, 47, 13},
    {id::Label32, Kind::Label, L"", 224, 144, 47, 13},
    {id::Label33, Kind::Label, L"Průměrně:", 272, 144, 49, 13},
    {id::Label34, Kind::Label, L"", 322, 144, 70, 13},
    {id::ProgressBar2, Kind::Bar, L"", 12, 160, 376, 16}};

// The menu: captions with their shortcuts, the items' identifiers; 0 a separator.
struct MenuItem {
    int commandId;
    const wchar_t* text;
};

HMENU Popup(std::initializer_list<MenuItem> items) {
    HMENU menu = ::CreatePopupMenu();
    for (const MenuItem& item : items) {
        if (item.commandId == 0) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.commandId), item.text);
        }
    }
    return menu;
}

}  // namespace

TMainForm::TMainForm(Dialogs* dialogs, Clock* clock)
    : m_clock(clock ? clock : &m_systemClock),
      m_dialogs(dialogs ? dialogs : &m_ownDialogs),
      m_shell(std::make_unique<SystemShell>()),
      m_tempFolder(platform::TempFolder()),
      m_logsFolder(ProgramDataFolders().LogsFolder) {
    SettingsPath = SettingsFilePath();
    m_calls = std::make_unique<ThreadedBlockingCalls>(*this, m_statistics, m_display);
    m_session = std::make_unique<TestSession>(m_settings, m_statistics, m_display, *this,
                                              *m_dialogs, *m_clock, *m_calls);
    RegisterWindowClass(kClassName, &ForwardMessages<TMainForm>);
    m_hwnd = CreateSizedWindow(kClassName, L"Zubrak's Vorlaxis v2.1 (formerly Ulvenor 1.x)",
                               WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                               WS_EX_CONTROLPARENT, kClientWidth, kClientHeight, nullptr, this,
                               CreateMenus());
    m_ownDialogs.SetOwner(m_hwnd);
    CreateControls();
    FormCreate();
    ::SetTimer(m_hwnd, kTimer2, 1000, nullptr);
    m_errorForm = std::make_unique<TErrorForm>(m_hwnd);
    m_followUp = std::make_unique<MainFollowUp>(m_hwnd, *m_dialogs);
    m_infoBox = std::make_unique<TInfoBox>();
    m_errorList = std::make_unique<TErrorListForm>(m_hwnd);
    m_editor = std::make_unique<TEditor>(m_hwnd);
    m_aboutBox = std::make_unique<TAboutBox>(m_hwnd);
    m_konfig = std::make_unique<TKonfig>(
        m_settings,
        KonfigActions{[this] {
                          // Shown while the dialog is still open; the changes stay in effect.
                          const std::string error = WriteINIs();
                          if (!error.empty()) ReportError(*m_dialogs, error);
                      },
                      [this] { ReadINIs(); }, [] { ShowHelp(help::kTopicOptions); }},
        m_hwnd);
}

TMainForm::~TMainForm() {
    m_errorForm.reset();
    m_followUp.reset();
    m_infoBox.reset();
    m_errorList.reset();
    m_editor.reset();
    m_aboutBox.reset();
    m_konfig.reset();
    if (m_hwnd) {
        ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hwnd);
    }
    if (m_accelerators) ::DestroyAcceleratorTable(m_accelerators);
}

void TMainForm::CreateControls() {
    CreatePlaces(m_hwnd, kTopPlaces);
    CreatePlaces(m_hwnd, kLocationPlaces, kLocLeft, kLocTop);
    CreatePlaces(m_hwnd, kProgressPlaces, kProgLeft, kProgTop);
    SetButtonPictures(
        m_hwnd,
        {{id::BitBtn2, "BitBtn2"}, {id::btnCancelTest, "btnCancelTest"}, {id::BitBtn1, "BitBtn1"}});
    // The group boxes lie under the controls they hold.
    for (int group : {id::GroupBox1, id::GroupBox2}) {
        ::SetWindowPos(Control(group), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    HWND list = Control(id::DiskList);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 185 - ::GetSystemMetrics(SM_CXVSCROLL) - 4;
    ListView_InsertColumn(list, 0, &column);

    HWND status = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                    m_hwnd, reinterpret_cast<HMENU>(id::StatusBar),
                                    ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(status, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(Face::Plain)), FALSE);
    ::MoveWindow(status, 0, kClientHeight - 19, kClientWidth, 19, FALSE);
    // The time's panel reaches the bar's right end: a shorter one leaves an empty panel there.
    int edges[3] = {520, 600, -1};
    ::SendMessageW(status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

HMENU TMainForm::CreateMenus() {
    HMENU file = Popup({{id::mmSpustitTest, L"Spustit test\tCtrl+S"}});
    HMENU bypass = Popup(
        {{id::Spustittestplntendat1, L"Spustit test (úplné čtení dat)\tCtrl+A"},
         {id::Spustitteststbloky1, L"Spustit test (číst bloky)\tCtrl+B"},
         {id::Spustittestpouzeotevratsoubory1, L"Spustit test (pouze otevírat soubory)\tCtrl+O"}});
    ::AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(bypass),
                  L"Spustit test (obejít nastavení)");
    ::AppendMenuW(file, MF_STRING, id::mmPorovnatSeZdrojem, ToWide(kCompareWithSourceText).c_str());
    ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(file, MF_STRING, id::mmUlozitZaznamy, L"Uložit dočasné záznamy");
    ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(file, MF_STRING, id::mmKonec, L"&Konec\tAlt+X");
    HMENU view = Popup({{id::mmZobrazitSlozkuZaznamy, L"Složku se záznamy\tCtrl+L"},
                        {id::mmZobrazitDocasneZaznamy, L"Poslední dočasné záznamy\tCtrl+F"}});
    ::AppendMenuW(view, MF_STRING, id::mmZobrazitGrafRychlosti,
                  (ToWide(kSpeedGraphCommandText) + L"\tCtrl+G").c_str());
    ::AppendMenuW(view, MF_STRING, id::mmZobrazitPorovnani,
                  ToWide(kShowLastComparisonText).c_str());
    HMENU options = Popup({{id::mmMoznosti, L"Možnosti..."}});
    HMENU help = Popup({{id::mmObsah, L"&Obsah..."},
                        {id::mmHelpOnHelp, L"&Jak používat nápovědu..."},
                        {id::mmCoJeNoveho, L"Co je nového?"},
                        {0, nullptr},
                        {id::mmAbout, L"O &aplikaci..."}});
    HMENU bar = ::CreateMenu();
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&Soubor");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"Zobrazit");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(options), L"&Nastavení");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"Nápo&věda");
    ACCEL keys[] = {{FCONTROL | FVIRTKEY, 'S', id::mmSpustitTest},
                    {FCONTROL | FVIRTKEY, 'A', id::Spustittestplntendat1},
                    {FCONTROL | FVIRTKEY, 'B', id::Spustitteststbloky1},
                    {FCONTROL | FVIRTKEY, 'O', id::Spustittestpouzeotevratsoubory1},
                    {FALT | FVIRTKEY, 'X', id::mmKonec},
                    {FCONTROL | FVIRTKEY, 'L', id::mmZobrazitSlozkuZaznamy},
                    {FCONTROL | FVIRTKEY, 'F', id::mmZobrazitDocasneZaznamy},
                    {FCONTROL | FVIRTKEY, 'G', id::mmZobrazitGrafRychlosti}};
    m_accelerators = ::CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys)));
    return bar;
}

void TMainForm::FormCreate() {
    // The start and cancel buttons share one place and replace each other.
    ::ShowWindow(Control(id::btnCancelTest), SW_HIDE);
    InitInterface();
}

void TMainForm::InitInterface() {
    ResetDisplay(m_display);
    ShowDisplay();
}

void TMainForm::SetText(int controlId, const std::string& utf8) {
    SetWindowText(Control(controlId), utf8);
}

void TMainForm::ShowDisplay() {
    const MainDisplay& d = m_display;
    // The one place where the display values meet this window's controls.
    const std::pair<int, const std::string*> fields[] = {
        {id::Label5, &d.filesTotalText},     {id::Label6, &d.filesTestedText},
        {id::Label7, &d.filesLeftText},      {id::Label12, &d.badFilesText},
        {id::Label9, &d.currentFileText},    {id::Label19, &d.directoryText},
        {id::Label20, &d.readModeText},      {id::Label22, &d.startText},
        {id::Label24, &d.endText},           {id::Label26, &d.outcomeText},
        {id::Label13, &d.megabytesDoneText}, {id::Label15, &d.megabytesTotalText},
        {id::Label28, &d.elapsedText},       {id::Label30, &d.currentSpeedText},
        {id::Label32, &d.remainingText},     {id::Label34, &d.averageSpeedText}};
    for (const auto& [controlId, text] : fields) SetText(controlId, *text);
    ::SendMessageW(Control(id::StatusBar), SB_SETTEXTW, 0,
                   reinterpret_cast<LPARAM>(ToWide(d.statusText).c_str()));
    ::InvalidateRect(Control(id::Label12), nullptr, TRUE);
    for (int caption : {id::Label29, id::Label31, id::Label33}) {
        ::ShowWindow(Control(caption), d.speedCaptionsVisible ? SW_SHOWNA : SW_HIDE);
    }
    const std::pair<int, std::pair<int32_t, int32_t>> bars[] = {
        {id::ProgressBar1, {d.fileBarMax, d.fileBarPosition}},
        {id::ProgressBar2, {d.locationBarMax, d.locationBarPosition}}};
    for (const auto& [controlId, value] : bars) {
        const int32_t max = std::max<int32_t>(1, value.first);
        ::SendMessageW(Control(controlId), PBM_SETRANGE32, 0, max);
        ::SendMessageW(Control(controlId), PBM_SETPOS, std::clamp(value.second, 0, max), 0);
    }
    ::EnableWindow(Control(id::btnCancelTest), d.cancelEnabled);
}

void TMainForm::SetMenus(bool enabled) {
    HMENU menu = Menu();
    const auto state = [enabled](MainCommand command) -> UINT {
        return CommandEnabled(command, !enabled) ? MF_ENABLED : MF_GRAYED;
    };
    const std::pair<MainCommand, int> items[] = {
        {MainCommand::StartTest, id::mmSpustitTest},
        {MainCommand::StartAllData, id::Spustittestplntendat1},
        {MainCommand::StartBlocks, id::Spustitteststbloky1},
        {MainCommand::StartOpenOnly, id::Spustittestpouzeotevratsoubory1},
        {MainCommand::CompareWithSource, id::mmPorovnatSeZdrojem},
        {MainCommand::SaveTempLogs, id::mmUlozitZaznamy},
        {MainCommand::Exit, id::mmKonec},
        {MainCommand::ShowLogsFolder, id::mmZobrazitSlozkuZaznamy},
        {MainCommand::ShowTempLogs, id::mmZobrazitDocasneZaznamy},
        {MainCommand::ShowSpeedGraph, id::mmZobrazitGrafRychlosti},
        {MainCommand::ShowLastComparison, id::mmZobrazitPorovnani},
        {MainCommand::Options, id::mmMoznosti},
        {MainCommand::HelpContents, id::mmObsah},
        {MainCommand::HelpOnHelp, id::mmHelpOnHelp},
        {MainCommand::WhatsNew, id::mmCoJeNoveho},
        {MainCommand::About, id::mmAbout}};
    for (const auto& [command, item] : items) {
        ::EnableMenuItem(menu, static_cast<UINT>(item), MF_BYCOMMAND | state(command));
    }
    // The submenu has no command of its own: the second item of "&Soubor".
    ::EnableMenuItem(::GetSubMenu(menu, 0), 1,
                     MF_BYPOSITION | state(MainCommand::StartTestBypassMenu));
}

void TMainForm::EnableDiskList(bool enabled) {
    const std::pair<MainCommand, int> controls[] = {
        {MainCommand::LocationList, id::DiskList},
        {MainCommand::BrowseLocation, id::btnNalistovat},
        {MainCommand::RemoveLocation, id::btnOdstranit},
        {MainCommand::EditLocation, id::btnUpravit},
        {MainCommand::ShowLocation, id::btnZobrazit},
        {MainCommand::AddLocationByHand, id::btnPridatRucne}};
    for (const auto& [command, control] : controls) {
        ::EnableWindow(Control(control), CommandEnabled(command, !enabled));
    }
}

void TMainForm::LockCommands(bool locked) {
    SetMenus(!locked);
    EnableDiskList(!locked);
    HWND list = Control(id::DiskList);
    const COLORREF background = ::GetSysColor(locked ? COLOR_BTNFACE : COLOR_WINDOW);
    ListView_SetBkColor(list, background);
    ListView_SetTextBkColor(list, background);
    ::InvalidateRect(list, nullptr, TRUE);
    const std::pair<MainCommand, int> buttons[] = {{MainCommand::StartButton, id::BitBtn2},
                                                   {MainCommand::CancelButton, id::btnCancelTest},
                                                   {MainCommand::CloseButton, id::BitBtn1}};
    // Hidden before disabled: a hidden button hands the focus to the window, a disabled one
    // to nobody, and Esc would no longer reach the cancel button.
    for (const auto& [command, button] : buttons) {
        ::ShowWindow(Control(button), CommandShown(command, locked) ? SW_SHOW : SW_HIDE);
        ::EnableWindow(Control(button), CommandEnabled(command, locked));
    }
    if (!locked) ::SetFocus(list);
}

LRESULT TMainForm::ColourStatic(HDC dc, HWND control) {
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    if (::GetDlgCtrlID(control) == id::Label12) {
        const Rgb colour = BadCountColour(m_display);
        ::SetTextColor(dc, RGB(colour.red, colour.green, colour.blue));
    }
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

void TMainForm::RxTimerEvent1Timer() {
    const platform::LocalDateTime now = m_clock->Now();
    HWND status = Control(id::StatusBar);
    // A leading tab centres a panel's text.
    const std::wstring time = L"\t" + ToWide(platform::FormatLongTime(now));
    const std::wstring date = L"\t" + ToWide(platform::FormatShortDate(now));
    ::SendMessageW(status, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(time.c_str()));
    ::SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(date.c_str()));
}

LRESULT TMainForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            Command(LOWORD(wParam));
            return 0;
        case WM_NOTIFY:
            DiskListChanged(*reinterpret_cast<const NMHDR*>(lParam));
            return 0;
        case WM_TIMER:
            if (wParam == kTimer1) Timer1Timer();
            if (wParam == kTimer2) RxTimerEvent1Timer();
            return 0;
        case WM_CTLCOLORSTATIC:
            return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_CLOSE:
            RequestClose();
            return 0;
        default:
            return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
    }
}

bool TMainForm::PreTranslate(MSG& msg) {
    if (msg.hwnd != m_hwnd && !::IsChild(m_hwnd, msg.hwnd)) return false;
    if (m_accelerators && ::TranslateAcceleratorW(m_hwnd, m_accelerators, &msg)) return true;
    return DialogMessage(m_hwnd, msg);
}

int RunMessageLoop(TMainForm& form) {
    MSG msg;
    while (!form.Closed() && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (form.PreTranslate(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace vorlaxis::win32ui
