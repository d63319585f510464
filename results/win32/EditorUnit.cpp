#include "results/win32/EditorUnit.h"

#include <utility>

#include "core/win32/ButtonPictures.h"
#include "core/win32/Controls.h"
#include "platform/win32/Wide.h"
#include "results/LogFiles.h"
#include "results/WindowLayout.h"

namespace vorlaxis::win32ui {

namespace {

constexpr wchar_t kClassName[] = L"TEditor";
constexpr int kOuterWidth = 535, kOuterHeight = 352;
// Sent to itself once the window is shown: the focus can go to a visible control only.
constexpr UINT kFocusText = WM_APP + 1;

const Place kPlaces[] = {{editorid::BitBtn1, Kind::DefaultButton, L"OK", 449, 297, 75, 25}};

// The edit control breaks lines at CR LF only.
std::wstring WithCrLf(const std::string& utf8) {
    const std::wstring text = platform::win32::ToWide(utf8);
    std::wstring out;
    out.reserve(text.size() + text.size() / 16);
    for (const wchar_t c : text) {
        if (c == L'\n') out += L'\r';
        out += c;
    }
    return out;
}

}  // namespace

TEditor::TEditor(HWND owner) {
    RegisterWindowClass(kClassName, &TEditor::WindowProc);
    m_hwnd = CreateSizedWindow(kClassName, L"Editor",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
                               WS_EX_CONTROLPARENT, kOuterWidth - kSizeableFrameWidth,
                               kOuterHeight - kSizeableFrameHeight, owner, this);
    // Read-only, so the system paints it grey like the buttons; no horizontal auto-scroll, so
    // long lines wrap at the right edge.
    HWND memo = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"Memo1",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL |
                                      ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                                  4, 4, 519, 285, m_hwnd, reinterpret_cast<HMENU>(editorid::Memo1),
                                  ::GetModuleHandleW(nullptr), nullptr);
    // Fixed pitch, so the columns of the log stand under each other; Central European, so the
    // Czech text shows as written.
    m_font = ::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, EASTEUROPE_CHARSET, 0, 0,
                           0, FIXED_PITCH | FF_MODERN, L"Courier New");
    ::SendMessageW(memo, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    ::SendMessageW(memo, EM_SETLIMITTEXT, 0, 0);
    CreatePlaces(m_hwnd, kPlaces);
    SetButtonPictures(m_hwnd, {{editorid::BitBtn1, "BitBtn1"}});
    FormResize();
}

TEditor::~TEditor() {
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hwnd);
    ::DeleteObject(m_font);
}

void TEditor::SetCaption(const std::string& utf8) {
    SetWindowText(m_hwnd, utf8);
}

std::string TEditor::Load(const std::string& path) {
    std::string text;
    std::string error = LoadLogText(path, text);
    if (error.empty()) {
        ::SetWindowTextW(::GetDlgItem(m_hwnd, editorid::Memo1), WithCrLf(text).c_str());
    }
    return error;
}

void TEditor::ShowModal(HWND owner) {
    CentreOver(m_hwnd, nullptr);
    m_closed = false;
    RunModal(m_hwnd, owner, m_closed);
}

void TEditor::FormResize() {
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    const EditorLayout layout =
        LayoutEditor(client.right + kSizeableFrameWidth, client.bottom + kSizeableFrameHeight);
    for (const auto& [controlId, r] :
         {std::pair{editorid::Memo1, layout.memo}, std::pair{editorid::BitBtn1, layout.okButton}}) {
        ::SetWindowPos(::GetDlgItem(m_hwnd, controlId), nullptr, r.left, r.top, r.width, r.height,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    // Drawn afresh: the pixels a moved control would carry along hold the old edges, and the
    // strip the window gained is painted with its background over what now lies there.
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT CALLBACK TEditor::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* editor = static_cast<TEditor*>(WindowObject(hwnd, message, lParam));
    if (editor) {
        if (ClosesModal(message, wParam)) {
            editor->m_closed = true;
            return 0;
        }
        switch (message) {
            case WM_COMMAND:
                return 0;
            case WM_SIZE:
                editor->FormResize();
                return 0;
            case WM_SHOWWINDOW:
                // FormShow: the keyboard scrolls the text at once.
                if (wParam) ::PostMessageW(hwnd, kFocusText, 0, 0);
                break;
            case kFocusText:
                ::SetFocus(::GetDlgItem(hwnd, editorid::Memo1));
                return 0;
            default:
                break;
        }
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace vorlaxis::win32ui
