#include "settings/win32/KonfigUnit.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "core/win32/ButtonPictures.h"
#include "core/win32/Controls.h"
#include "platform/win32/Wide.h"

namespace vorlaxis::win32ui {

namespace {

using namespace konfigid;

constexpr wchar_t kClassName[] = L"TKonfig";

enum class Item { Group, Check, Option, Label, Button, Field };

// One control of a tab: its place inside the tab's page (groups' offsets included).
struct PageItem {
    int id;
    int page;
    Item item;
    const wchar_t* text;
    int left, top, width, height;
};

const PageItem kControls[] = {
    {GroupBox6, 0, Item::Group, L"Výběr jednotek na hlavním panelu", 8, 4, 349, 45},
    {cbEjectMedia, 0, Item::Check, L"Vysunout jednotku po dokončení testu (pokud to podporuje)", 16,
     24, 333, 17},
    {GroupBox3, 0, Item::Group, L"Průběh testu", 8, 53, 349, 89},
    {CheckBox1, 0, Item::Check, L"Nepřerušovat test při chybách (test non-stop)", 16, 75, 261, 17},
    {CheckBox2, 0, Item::Check, L"Zobrazit automaticky seznam špatných souborů po testu (je-li)",
     16, 91, 316, 17},
    {Label8, 0, Item::Label,
     L"Pozn.: seznam špatných souborů se zobrazuje pouze tehdy,\r\nnení-li zobrazen záznam testu "
     L"(log).",
     33, 107, 282, 26},
    {RxSpeedButton1, 0, Item::Button, L">", 200, 120, 17, 17},
    {GroupBox1, 1, Item::Group, L"Způsob čtení dat (implicitní)", 8, 4, 349, 73},
    {RadioButton1, 1, Item::Option, L"Číst veškerá data (doporučeno)", 16, 24, 193, 17},
    {RadioButton2, 1, Item::Option,
     L"Číst pouze určité bloky (ostatní se vynechají - rychlejší test)", 16, 40, 302, 17},
    {RadioButton3, 1, Item::Option, L"Pouze otevírat soubory (data ze souborů se nečtou, rychlé)",
     16, 56, 300, 17},
    {GroupBox2, 1, Item::Group, L"Nastavení čtení bloků", 8, 80, 349, 120},
    {Label1, 1, Item::Label, L"Číst každý:", 18, 100, 80, 13},
    {RadioButton4, 1, Item::Option, L"4. blok", 24, 116, 60, 17},
    {RadioButton5, 1, Item::Option, L"8. blok", 24, 132, 60, 17},
    {RadioButton6, 1, Item::Option, L"16. blok", 24, 148, 60, 17},
    {Label2, 1, Item::Label, L"Velikost čteného bloku:", 156, 100, 150, 13},
    {SpinEdit1, 1, Item::Field, L"", 156, 116, 22, 22},  // with its arrows 38 wide
    {Label3, 1, Item::Label, L"kB", 198, 120, 20, 13},
    {Label4, 1, Item::Label, L"(blok doporučen 48 kB)", 156, 144, 150, 13},
    {Label5, 1, Item::Label, L"Pozn.: čím méně bloků se čte, tím rychlejší je test, ale Vorlaxis",
     16, 168, 335, 13},
    {Label6, 1, Item::Label, L"může vynechat právě špatný blok a tím neodhalí chybu !", 49, 181,
     300, 13},
    {GroupBox4, 2, Item::Group, L"Obecné", 8, 4, 349, 151},
    {CheckBox4, 2, Item::Check, L"Zobrazit po testu jeho záznam (log)", 16, 24, 224, 17},
    {RadioButton8, 2, Item::Option, L"zobrazit jej vždy", 31, 40, 99, 17},
    {RadioButton9, 2, Item::Option, L"zobrazit pouze v případě nalezení chyb", 127, 40, 206, 17},
    {CheckBox5, 2, Item::Check, L"Uchovávat automaticky výsledky na disku (v podadresáři Logs\\)",
     16, 59, 331, 17},
    {GroupBox7, 2, Item::Group, L"Formát názvu souboru:", 36, 74, 311, 71},
    {RadioButton7, 2, Item::Option, L"Sériové číslo media [0123ABCD.txt]", 46, 91, 207, 17},
    {RadioButton10, 2, Item::Option, L"Název média [MyDataCD.txt]", 46, 108, 182, 17},
    {RadioButton11, 2, Item::Option, L"Kombinovaný [MyDataCD (0123ABCD).txt]", 46, 125, 221, 17},
    {GroupBox5, 2, Item::Group, L"Pro zobrazení záznamů použít", 8, 156, 349, 72},
    {RadioButton12, 2, Item::Option, L"Asociovaný program pro příponu .TXT (doporučeno)", 14, 172,
     327, 17},
    {RadioButton13, 2, Item::Option, L"Interní prohlížeč", 14, 189, 113, 17},
    {RadioButton14, 2, Item::Option, L"Poznámkový blok (Notepad)", 14, 206, 231, 17}};

const Place kButtons[] = {{BitBtn3, Kind::Button, L"&Nápověda", 131, 276, 90, 25},
                          {BitBtn2, Kind::Button, L"Storno", 226, 276, 75, 25},
                          {BitBtn1, Kind::DefaultButton, L"OK", 306, 276, 75, 25}};

const std::pair<int, bool TestSettings::*> kChecks[] = {
    {cbEjectMedia, &TestSettings::EjectAfterTest},
    {CheckBox1, &TestSettings::GoNonstop},
    {CheckBox2, &TestSettings::ShowErrorList},
    {CheckBox4, &TestSettings::ShowLogsAfterTest},
    {CheckBox5, &TestSettings::SaveLogsToDisk}};

// The options of a group stand for the codes 1, 2 and 3 of a field.
struct Choice {
    int options[3];
    int32_t TestSettings::*field;
};
const Choice kChoices[] = {
    {{RadioButton1, RadioButton2, RadioButton3}, &TestSettings::DataReadStyle},
    {{RadioButton4, RadioButton5, RadioButton6}, &TestSettings::ReadEveryXthBlock},
    {{RadioButton7, RadioButton10, RadioButton11}, &TestSettings::LogsFileNameFormat},
    {{RadioButton12, RadioButton13, RadioButton14}, &TestSettings::TxtViewer}};

DWORD StyleOf(Item item) {
    const DWORD child = WS_CHILD;
    switch (item) {
        case Item::Group:
            return child | BS_GROUPBOX;
        case Item::Check:
            return child | WS_TABSTOP | BS_AUTOCHECKBOX;
        case Item::Option:
            // Checked by the dialog, so that a group may also show nothing chosen.
            return child | WS_TABSTOP | BS_RADIOBUTTON;
        case Item::Label:
            return child | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
        case Item::Button:
            return child | WS_TABSTOP | BS_PUSHBUTTON | BS_FLAT;
        case Item::Field:
            return child | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
    }
    return child;
}

const wchar_t* ClassOf(Item item) {
    switch (item) {
        case Item::Label:
            return WC_STATICW;
        case Item::Field:
            return WC_EDITW;
        default:
            return WC_BUTTONW;
    }
}

void SetChecked(HWND button, bool on) {
    ::SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Checked(HWND button) {
    return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

TKonfig::TKonfig(TestSettings& settings, KonfigActions actions, HWND owner)
    : m_settings(settings), m_actions(std::move(actions)) {
    RegisterWindowClass(kClassName, &ForwardMessages<TKonfig>);
    // A dialog border with the close box only.
    m_hwnd = CreateSizedWindow(kClassName, L"Možnosti", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                               WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, 387, 307, owner, this);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HWND tabs = ::CreateWindowExW(
        0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | TCS_HOTTRACK,
        8, 6, 373, 264, m_hwnd, reinterpret_cast<HMENU>(PageControl1), instance, nullptr);
    ::SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(Face::Plain)), FALSE);
    int index = 0;
    for (const wchar_t* title : {L"Obecné", L"Čtení dat", L"Záznamy testů"}) {
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<wchar_t*>(title);
        TabCtrl_InsertItem(tabs, index++, &tab);
    }
    // The pages' controls lie over the tab control's display area.
    RECT page{8, 6, 8 + 373, 6 + 264};
    TabCtrl_AdjustRect(tabs, FALSE, &page);
    for (const PageItem& c : kControls) {
        HWND control = ::CreateWindowExW(
            0, ClassOf(c.item), c.text, StyleOf(c.item), page.left + c.left, page.top + c.top,
            c.width, c.height, m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
            instance, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(Face::Plain)),
                       FALSE);
        m_pages[c.page].push_back(control);
    }
    HWND arrows = ::CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | UDS_ARROWKEYS,
                                    page.left + 156 + 22, page.top + 116, 16, 22, m_hwnd,
                                    reinterpret_cast<HMENU>(SpinArrows), instance, nullptr);
    ::SendMessageW(arrows, UDM_SETRANGE32, 0, 100);
    m_pages[1].push_back(arrows);
    ::SetWindowSubclass(Control(SpinEdit1), &TKonfig::SpinProc, 1,
                        reinterpret_cast<DWORD_PTR>(this));
    CreatePlaces(m_hwnd, kButtons);
    SetButtonPictures(m_hwnd, {{BitBtn1, "BitBtn1"}, {BitBtn2, "BitBtn2"}, {BitBtn3, "BitBtn3"}});
    ShowPage(0);
}

TKonfig::~TKonfig() {
    ::RemoveWindowSubclass(Control(SpinEdit1), &TKonfig::SpinProc, 1);
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hwnd);
    DropPageBrush();
}

void TKonfig::Execute(HWND mainWindow) {
    PlaceBeside(m_hwnd, mainWindow);
    TabCtrl_SetCurSel(Control(PageControl1), 0);
    ShowPage(0);
    LoadFromSettings();
    m_closed = false;
    RunModal(m_hwnd, mainWindow, m_closed);
}

void TKonfig::ShowPage(int page) {
    for (int k = 0; k < 3; ++k) {
        for (HWND control : m_pages[k]) ::ShowWindow(control, k == page ? SW_SHOW : SW_HIDE);
    }
}

void TKonfig::LoadFromSettings() {
    for (const auto& [controlId, field] : kChecks) {
        SetChecked(Control(controlId), m_settings.*field);
    }
    for (const Choice& choice : kChoices) {
        for (int32_t code = 1; code <= 3; ++code) {
            SetChecked(Control(choice.options[code - 1]), m_settings.*choice.field == code);
        }
    }
    SetChecked(Control(RadioButton8), m_settings.ShowLogsAfterTestAlways);
    SetChecked(Control(RadioButton9), !m_settings.ShowLogsAfterTestAlways);
    SetSpinValue(PullBlockSize(m_settings.BlockSize));
    ApplyEnabling();
}

void TKonfig::ShowLogsAfterTestRead(const TestSettings& settings) {
    SetChecked(Control(CheckBox4), settings.ShowLogsAfterTest);
    ApplyEnabling();
}

// RadioButton1Click and CheckBox4Click: the rules read what the controls show.
void TKonfig::ApplyEnabling() {
    const KonfigEnabling enabling =
        KonfigEnablingFor(Checked(Control(RadioButton2)), Checked(Control(CheckBox4)));
    for (const int controlId : {Label1, RadioButton4, RadioButton5, RadioButton6}) {
        ::EnableWindow(Control(controlId), enabling.blockChoices);
    }
    ::EnableWindow(Control(RadioButton8), enabling.showLogChoices);
    ::EnableWindow(Control(RadioButton9), enabling.showLogChoices);
    ::EnableWindow(Control(CheckBox2), enabling.errorListCheck);
}

void TKonfig::SetSpinValue(int32_t value) {
    m_settings.BlockSize = value;
    ::SetWindowTextW(Control(SpinEdit1), std::to_wstring(value).c_str());
}

// The tab control draws its page in a colour (or texture) of its own, not in the dialog's: the
// controls on the page are filled with the page's pixels under them. `dc` draws in `window`'s
// client coordinates.
HBRUSH TKonfig::PageBrush(HWND window, HDC dc) {
    HWND tabs = Control(PageControl1);
    if (!m_pageBrush) {
        RECT area{};
        ::GetClientRect(tabs, &area);
        HDC screen = ::GetDC(tabs);
        HDC memory = ::CreateCompatibleDC(screen);
        m_pageBitmap = ::CreateCompatibleBitmap(screen, area.right, area.bottom);
        const HGDIOBJ old = ::SelectObject(memory, m_pageBitmap);
        m_drawingPage = true;  // meanwhile the tab asks for the dialog's own background
        ::SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                       PRF_CLIENT | PRF_ERASEBKGND);
        m_drawingPage = false;
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
        ::ReleaseDC(tabs, screen);
        m_pageBrush = ::CreatePatternBrush(m_pageBitmap);
    }
    POINT origin{0, 0};
    ::MapWindowPoints(tabs, window, &origin, 1);
    ::LPtoDP(dc, &origin, 1);
    ::SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
    return m_pageBrush;
}

void TKonfig::DropPageBrush() {
    ::DeleteObject(m_pageBrush);
    ::DeleteObject(m_pageBitmap);
    m_pageBrush = nullptr;
    m_pageBitmap = nullptr;
}

void TKonfig::StepSpin(int steps) {
    SetSpinValue(StepBlockSize(BlockSizeFromText(WindowText(Control(SpinEdit1))), steps));
}

void TKonfig::Command(int controlId, int code) {
    if (controlId == SpinEdit1) {
        // A value out of range is pulled in when the field loses the focus.
        if (code == EN_KILLFOCUS) {
            SetSpinValue(PullBlockSize(BlockSizeFromText(WindowText(Control(SpinEdit1)))));
        }
        return;
    }
    if (code != BN_CLICKED) return;
    for (const auto& [checkId, field] : kChecks) {
        if (checkId == controlId) {
            m_settings.*field = Checked(Control(controlId));
            ApplyEnabling();
            return;
        }
    }
    for (const Choice& choice : kChoices) {
        for (int32_t option = 1; option <= 3; ++option) {
            if (choice.options[option - 1] != controlId) continue;
            m_settings.*choice.field = option;
            for (int32_t k = 1; k <= 3; ++k) {
                SetChecked(Control(choice.options[k - 1]), k == option);
            }
            ApplyEnabling();
            return;
        }
    }
    switch (controlId) {
        case RadioButton8:
        case RadioButton9:
            m_settings.ShowLogsAfterTestAlways = controlId == RadioButton8;
            SetChecked(Control(RadioButton8), m_settings.ShowLogsAfterTestAlways);
            SetChecked(Control(RadioButton9), !m_settings.ShowLogsAfterTestAlways);
            break;
        case RxSpeedButton1:
            // To the setting that decides whether the list is shown.
            TabCtrl_SetCurSel(Control(PageControl1), 2);
            ShowPage(2);
            ::SetFocus(Control(CheckBox4));
            break;
        case BitBtn1:
            KonfigOk(m_settings, WindowText(Control(SpinEdit1)), m_actions);
            m_closed = true;
            break;
        case BitBtn2:
            KonfigStorno(m_actions);
            LoadFromSettings();  // the controls show what was read back
            m_closed = true;
            break;
        case BitBtn3:
            if (m_actions.showOptionsHelp) m_actions.showOptionsHelp();
            break;
        default:
            break;
    }
}

LRESULT TKonfig::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            Command(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            const auto control = reinterpret_cast<HWND>(lParam);
            // The labels lie on the tab's page (and over its ">" button): the page shows through.
            if (::GetWindowLongPtrW(control, GWL_STYLE) & SS_NOPREFIX) {
                ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
                return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
            }
            for (const std::vector<HWND>& page : m_pages) {
                if (std::find(page.begin(), page.end(), control) != page.end()) {
                    ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
                    return reinterpret_cast<LRESULT>(
                        PageBrush(control, reinterpret_cast<HDC>(wParam)));
                }
            }
            return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
        }
        case WM_ERASEBKGND: {
            // The page too, under the tab's display area: the themed controls draw what lies
            // around them (a group's caption, a box's corners) from the dialog's background.
            ::DefWindowProcW(m_hwnd, message, wParam, lParam);
            if (m_drawingPage) return TRUE;
            HWND tabs = Control(PageControl1);
            RECT page{};
            ::GetWindowRect(tabs, &page);
            ::MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&page), 2);
            TabCtrl_AdjustRect(tabs, FALSE, &page);
            const auto dc = reinterpret_cast<HDC>(wParam);
            POINT origin{};
            ::GetBrushOrgEx(dc, &origin);
            ::FillRect(dc, &page, PageBrush(m_hwnd, dc));
            ::SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
            return TRUE;
        }
        case WM_THEMECHANGED:
        case WM_SYSCOLORCHANGE:
            DropPageBrush();  // made again once the tab draws its page the new way
            return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
        case WM_CLOSE:
            // The close box keeps the changes and leaves the file alone.
            m_closed = true;
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == PageControl1 && header->code == TCN_SELCHANGE) {
                ShowPage(TabCtrl_GetCurSel(header->hwndFrom));
            } else if (header->idFrom == SpinArrows && header->code == UDN_DELTAPOS) {
                StepSpin(reinterpret_cast<const NMUPDOWN*>(lParam)->iDelta);
                return TRUE;  // the arrows keep no value of their own
            }
            return 0;
        }
        default:
            return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
    }
}

// The block-size field: Up and Down step it; any character it does not take beeps.
LRESULT CALLBACK TKonfig::SpinProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR self) {
    auto* dialog = reinterpret_cast<TKonfig*>(self);
    if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) {
        dialog->StepSpin(wParam == VK_UP ? 1 : -1);
        return 0;
    }
    if (message == WM_CHAR && wParam >= L' ') {
        wchar_t separator[4] = L".";
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4);
        if (!BlockSizeAccepts(static_cast<char32_t>(wParam), separator[0])) {
            ::MessageBeep(MB_OK);
            return 0;
        }
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace vorlaxis::win32ui
