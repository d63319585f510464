#include "results/win32/ErrorListUnit.h"

#include <commctrl.h>

#include <utility>

#include "core/win32/ButtonPictures.h"
#include "core/win32/Controls.h"
#include "platform/Text.h"
#include "platform/win32/Wide.h"
#include "results/WindowLayout.h"

namespace vorlaxis::win32ui {

namespace {

constexpr wchar_t kClassName[] = L"TErrorListForm";
constexpr int kOuterWidth = 491, kOuterHeight = 356;

const Place kPlaces[] = {
    {errorlistid::Label1, Kind::Label, L"&Při čtení těchto souborů došlo k chybě:", 8, 4, 260, 13},
    {errorlistid::BitBtn1, Kind::DefaultButton, L"OK", 397, 299, 79, 25}};

void AddColumn(HWND list, int index, const wchar_t* title, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(title);
    column.cx = width;
    ListView_InsertColumn(list, index, &column);
}

}  // namespace

TErrorListForm::TErrorListForm(HWND owner) {
    RegisterWindowClass(kClassName, &TErrorListForm::WindowProc);
    // The layouts measure the outer size with a sizeable frame of their own; the client area is
    // what is left of it, whatever frame this system draws.
    m_hwnd = CreateSizedWindow(kClassName, L"Výsledky testu - seznam špatných souborů...",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
                               WS_EX_CONTROLPARENT, kOuterWidth - kSizeableFrameWidth,
                               kOuterHeight - kSizeableFrameHeight, owner, this);
    CreatePlaces(m_hwnd, kPlaces);
    SetButtonPictures(m_hwnd, {{errorlistid::BitBtn1, "BitBtn1"}});
    // The label's "&" underlines the letter that jumps to the list.
    HWND label = ::GetDlgItem(m_hwnd, errorlistid::Label1);
    ::SetWindowLongPtrW(label, GWL_STYLE, ::GetWindowLongPtrW(label, GWL_STYLE) & ~SS_NOPREFIX);
    // No sorting by a column header, no editing, whole rows selected, no hot tracking.
    HWND list = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER | LVS_SHOWSELALWAYS, 8,
        20, 467, 273, m_hwnd, reinterpret_cast<HMENU>(errorlistid::ListView1),
        ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(Face::Plain)), FALSE);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    AddColumn(list, 0, L"Soubor", 140);
    AddColumn(list, 1, L"Umístění", 323);
    // The list follows the label in the tab order, so that its "&" reaches it.
    ::SetWindowPos(list, label, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FormResize();
}

TErrorListForm::~TErrorListForm() {
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hwnd);
}

void TErrorListForm::Clear() {
    ListView_DeleteAllItems(::GetDlgItem(m_hwnd, errorlistid::ListView1));
}

void TErrorListForm::AddRow(const BadFileEntry& entry) {
    HWND list = ::GetDlgItem(m_hwnd, errorlistid::ListView1);
    std::wstring name = platform::win32::ToWide(platform::DisplayText(entry.Name));
    std::wstring folder = platform::win32::ToWide(platform::DisplayText(entry.Directory));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = name.data();
    const int row = ListView_InsertItem(list, &item);
    ListView_SetItemText(list, row, 1, folder.data());
}

void TErrorListForm::ShowModal(HWND owner) {
    CentreOver(m_hwnd, nullptr);
    m_closed = false;
    RunModal(m_hwnd, owner, m_closed);
}

void TErrorListForm::FormResize() {
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    const ErrorListLayout layout =
        LayoutErrorList(client.right + kSizeableFrameWidth, client.bottom + kSizeableFrameHeight);
    for (const auto& [controlId, r] : {std::pair{errorlistid::ListView1, layout.listView},
                                       std::pair{errorlistid::BitBtn1, layout.okButton}}) {
        ::SetWindowPos(::GetDlgItem(m_hwnd, controlId), nullptr, r.left, r.top, r.width, r.height,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    // Drawn afresh: the pixels a moved control would carry along hold the old edges, and the
    // strip the window gained is painted with its background over what now lies there.
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT CALLBACK TErrorListForm::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = static_cast<TErrorListForm*>(WindowObject(hwnd, message, lParam));
    if (form) {
        if (ClosesModal(message, wParam)) {
            form->m_closed = true;
            return 0;
        }
        switch (message) {
            case WM_COMMAND:
                return 0;
            case WM_SIZE:
                form->FormResize();
                return 0;
            default:
                break;
        }
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace vorlaxis::win32ui
