#include "help/win32/InfoBoxUnit.h"

#include <commctrl.h>

#include "core/win32/Controls.h"

namespace vorlaxis::win32ui {

namespace {

constexpr wchar_t kClassName[] = L"TInfoBox";
constexpr int kWidth = 367, kHeight = 84;
// The system's find-folder animation among shell32's resources.
constexpr int kFindFolderAnimation = 150;

const Place kPlaces[] = {
    {infoid::Label1, Kind::CentredLabel, L"Zjištuji adresářovou strukturu CD", 8, 14, 265, 13},
    {infoid::Label3, Kind::CentredLabel, L"", 8, 35, 265, 13},
    {infoid::Label2, Kind::CentredLabel, L"Moment prosím...", 8, 56, 265, 13, Face::Bold},
    {infoid::Bevel1, Kind::SunkenFrame, L"", 6, 6, 271, 72}};

}  // namespace

TInfoBox::TInfoBox() {
    RegisterWindowClass(kClassName, &::DefWindowProcW);
    // A tool window without system menu and close box.
    m_hwnd = CreateSizedWindow(kClassName, L"Ulvenor - informace", WS_POPUP | WS_CAPTION,
                               WS_EX_TOOLWINDOW, kWidth, kHeight, nullptr, nullptr);
    CreatePlaces(m_hwnd, kPlaces);
    // The frame lies under the lines it holds.
    ::SetWindowPos(::GetDlgItem(m_hwnd, infoid::Bevel1), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE);
    HWND animation = ::CreateWindowExW(
        0, ANIMATE_CLASSW, L"", WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT | ACS_CENTER, 282, 17, 80,
        50, m_hwnd, reinterpret_cast<HMENU>(infoid::Animate1), ::GetModuleHandleW(nullptr),
        nullptr);
    ::SendMessageW(animation, ACM_OPENW, reinterpret_cast<WPARAM>(::GetModuleHandleW(L"shell32")),
                   static_cast<LPARAM>(kFindFolderAnimation));
}

TInfoBox::~TInfoBox() {
    ::DestroyWindow(m_hwnd);
}

void TInfoBox::Show(const std::string& location, HWND owner) {
    SetWindowText(::GetDlgItem(m_hwnd, infoid::Label3), location);
    CentreOver(m_hwnd, nullptr);
    m_owner = owner;
    if (m_owner) ::EnableWindow(m_owner, FALSE);
    ::ShowWindow(m_hwnd, SW_SHOW);
    ::SendMessageW(::GetDlgItem(m_hwnd, infoid::Animate1), ACM_PLAY, static_cast<WPARAM>(-1),
                   MAKELONG(0, 29));
    ::UpdateWindow(m_hwnd);
}

void TInfoBox::Hide() {
    ::SendMessageW(::GetDlgItem(m_hwnd, infoid::Animate1), ACM_STOP, 0, 0);
    ::ShowWindow(m_hwnd, SW_HIDE);
    if (m_owner) {
        ::EnableWindow(m_owner, TRUE);
        ::SetForegroundWindow(m_owner);
    }
    m_owner = nullptr;
}

}  // namespace vorlaxis::win32ui
