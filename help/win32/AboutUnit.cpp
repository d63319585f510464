#include "help/win32/AboutUnit.h"

#include <commctrl.h>

#include <string>
#include <utility>

#include "core/Shell.h"
#include "core/win32/ButtonPictures.h"
#include "core/win32/Controls.h"
#include "help/AboutLinks.h"
#include "platform/win32/Wide.h"
#include "settings/DataFolders.h"

namespace vorlaxis::win32ui {

namespace {

constexpr wchar_t kClassName[] = L"TAboutBox";
constexpr int kWidth = 282, kHeight = 255;
constexpr int kBandHeight = 81;
constexpr COLORREF kWhite = RGB(255, 255, 255), kBlue = RGB(0, 0, 255);

const Place kPlaces[] = {
    {aboutid::Label1, Kind::Label, L"Zubrak's", 10, 11, 120, 13},
    {aboutid::Label8, Kind::Label, L"Vorlaxis 2.1", 18, 23, 200, 24},
    {aboutid::Label3, Kind::Label, L"Program pro kontrolu čitelnosti souborů na médiích.", 6, 57,
     271, 13},
    {aboutid::Bevel1, Kind::Frame, L"", 0, 81, 282, 2},
    {aboutid::Label4, Kind::Label, L"Zubrak's Web page:", 6, 91, 260, 13},
    {aboutid::URLLabel1, Kind::Label, L"", 14, 107, 260, 13},
    {aboutid::Label5, Kind::Label, L"Ulvenor's Home Web page:", 6, 130, 260, 13},
    {aboutid::URLLabel2, Kind::Label, L"", 14, 143, 260, 13},
    {aboutid::Label6, Kind::Label,
     L"Vaše pocity, náměty a připomínky (především \r\njakékoliv názory, chyby apod.) očekávám "
     L"na:",
     7, 165, 263, 28},
    {aboutid::URLLabel3, Kind::Label, L"", 14, 192, 260, 13},
    {aboutid::Bevel2, Kind::Frame, L"", 0, 214, 282, 2},
    {aboutid::SettingsFolder, Kind::Label, L"", 6, 220, 174, 13},
    {aboutid::LogsFolder, Kind::Label, L"", 6, 235, 174, 13},
    {aboutid::BitBtn1, Kind::DefaultButton, L"Zavřít", 184, 223, 90, 25}};

struct Link {
    int controlId;
    const char* text;
    std::string command;
    const wchar_t* hint;
};

const Link& LinkNumber(int number) {
    static const Link links[] = {
        {aboutid::URLLabel1, help::kAuthorPage, help::kAuthorPage, L"Zubrak's Home Page"},
        {aboutid::URLLabel2, help::kProgramPage, help::kProgramPage, L"Vorlaxis's home page"},
        {aboutid::URLLabel3, help::kAuthorMail, help::MailTo(help::kAuthorMail),
         L"Zubrak's e-mail"}};
    return links[number - 1];
}

bool InBand(int controlId) {
    return controlId == aboutid::Label1 || controlId == aboutid::Label8 ||
           controlId == aboutid::Label3;
}

bool IsLink(int controlId) {
    return controlId == aboutid::URLLabel1 || controlId == aboutid::URLLabel2 ||
           controlId == aboutid::URLLabel3;
}

}  // namespace

TAboutBox::TAboutBox(HWND owner) {
    RegisterWindowClass(kClassName, &ForwardMessages<TAboutBox>);
    // A tool window with the close box only.
    m_hwnd =
        CreateSizedWindow(kClassName, L"O aplikaci Vorlaxis...", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                          WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kWidth, kHeight, owner, this);
    CreatePlaces(m_hwnd, kPlaces);
    SetButtonPictures(m_hwnd, {{aboutid::BitBtn1, "BitBtn1"}});
    for (const int line : {aboutid::SettingsFolder, aboutid::LogsFolder}) {
        HWND label = ::GetDlgItem(m_hwnd, line);
        ::SetWindowLongPtrW(label, GWL_STYLE,
                            ::GetWindowLongPtrW(label, GWL_STYLE) | SS_PATHELLIPSIS);
    }
    m_titleFont = ::CreateFontW(-19, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, EASTEUROPE_CHARSET, 0,
                                0, 0, 0, L"MS Sans Serif");
    m_linkFont = ::CreateFontW(-11, 0, 0, 0, FW_BOLD, FALSE, TRUE, FALSE, EASTEUROPE_CHARSET, 0, 0,
                               0, 0, L"MS Sans Serif");
    ::SendMessageW(::GetDlgItem(m_hwnd, aboutid::Label8), WM_SETFONT,
                   reinterpret_cast<WPARAM>(m_titleFont), FALSE);
    m_hints = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd,
                                nullptr, ::GetModuleHandleW(nullptr), nullptr);
    for (int number = 1; number <= 3; ++number) {
        const Link& link = LinkNumber(number);
        HWND label = ::GetDlgItem(m_hwnd, link.controlId);
        SetWindowText(label, link.text);
        ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(m_linkFont), FALSE);
        AddHint(link.controlId, link.hint);
    }
    const DataFolders& folders = ProgramDataFolders();
    for (const auto& [controlId, line] :
         {std::pair{aboutid::SettingsFolder, SettingsFolderLine(folders)},
          std::pair{aboutid::LogsFolder, LogsFolderLine(folders)}}) {
        // The paths are shortened in the middle to fit; the hint holds them whole.
        SetWindowText(::GetDlgItem(m_hwnd, controlId), line);
        AddHint(controlId, platform::win32::ToWide(line).c_str());
    }
}

TAboutBox::~TAboutBox() {
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hwnd);
    ::DeleteObject(m_titleFont);
    ::DeleteObject(m_linkFont);
}

void TAboutBox::AddHint(int controlId, const wchar_t* text) {
    // The labels let the mouse through to the box, so the hints belong to the box's areas.
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = m_hwnd;
    tool.uId = static_cast<UINT_PTR>(controlId);
    tool.lpszText = const_cast<wchar_t*>(text);
    HWND control = ::GetDlgItem(m_hwnd, controlId);
    ::GetWindowRect(control, &tool.rect);
    ::MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&tool.rect), 2);
    ::SendMessageW(m_hints, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TAboutBox::ShowFor(HWND mainWindow) {
    PlaceBeside(m_hwnd, mainWindow);
    m_closed = false;
    RunModal(m_hwnd, mainWindow, m_closed);
}

int TAboutBox::LinkAt(POINT point) const {
    for (int number = 1; number <= 3; ++number) {
        RECT rect{};
        ::GetWindowRect(::GetDlgItem(m_hwnd, LinkNumber(number).controlId), &rect);
        ::MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&rect), 2);
        if (::PtInRect(&rect, point)) return number;
    }
    return 0;
}

LRESULT TAboutBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (ClosesModal(message, wParam)) {
        m_closed = true;
        return 0;
    }
    switch (message) {
        case WM_ERASEBKGND: {
            RECT rect{};
            ::GetClientRect(m_hwnd, &rect);
            const auto dc = reinterpret_cast<HDC>(wParam);
            ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
            rect.bottom = kBandHeight;
            ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
            return 1;
        }
        case WM_CTLCOLORSTATIC: {
            const auto dc = reinterpret_cast<HDC>(wParam);
            const int controlId = ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            if (IsLink(controlId)) ::SetTextColor(dc, kBlue);
            if (InBand(controlId)) {
                ::SetBkColor(dc, kWhite);
                return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
            }
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_SETCURSOR: {
            // The links keep their look under the mouse; only the cursor says they are links.
            POINT point{};
            ::GetCursorPos(&point);
            ::ScreenToClient(m_hwnd, &point);
            if (LOWORD(lParam) == HTCLIENT && LinkAt(point) != 0) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        }
        case WM_LBUTTONDOWN: {
            // The press opens the link, not the release.
            const int number =
                LinkAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            if (number != 0) DesktopShell().OpenDocument(LinkNumber(number).command, {});
            return 0;
        }
        default:
            break;
    }
    return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
}

}  // namespace vorlaxis::win32ui
