#include "results/win32/ResultForms.h"

#include <commctrl.h>
#include <windowsx.h>

#include "core/win32/Controls.h"
#include "platform/Text.h"
#include "platform/win32/Wide.h"

namespace vorlaxis::win32ui {

namespace {

using platform::win32::ToWide;

constexpr wchar_t kGraphClass[] = L"TSpeedGraphView";

// The SVG graph's colours.
constexpr COLORREF kCurve = RGB(0x1f, 0x5f, 0xbf);
constexpr COLORREF kUnreadable = RGB(0xd0, 0x00, 0x00);
constexpr COLORREF kSlow = RGB(0xf0, 0x80, 0x00);

std::wstring DisplayWide(const std::string& bytes) {
    return ToWide(platform::DisplayText(bytes));
}

HWND CreateChild(HWND parent, const wchar_t* className, DWORD style, DWORD exStyle, int controlId,
                 int left, int top, int width, int height) {
    HWND control =
        ::CreateWindowExW(exStyle, className, L"", WS_CHILD | WS_VISIBLE | style, left, top, width,
                          height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                          ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(Face::Plain)), FALSE);
    return control;
}

void DrawText(HDC dc, const std::string& utf8, RECT box, UINT format) {
    std::wstring text = ToWide(utf8);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format | DT_SINGLELINE);
}

}  // namespace

TResultForm::TResultForm(const wchar_t* className, int width, int height, HWND owner)
    : m_owner(owner) {
    RegisterWindowClass(className, &ForwardMessages<TResultForm>);
    m_hwnd =
        CreateSizedWindow(className, L"", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                          WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, width, height, owner, this);
}

TResultForm::~TResultForm() {
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hwnd);
}

void TResultForm::ShowModal() {
    RECT main{};
    if (m_owner && ::GetWindowRect(m_owner, &main)) {
        ::SetWindowPos(m_hwnd, HWND_TOP, main.left + 30, main.top + 30, 0, 0, SWP_NOSIZE);
    }
    m_done = false;
    RunModal(m_hwnd, m_owner, m_done, Control(resultid::BitBtn1));
}

LRESULT TResultForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) m_done = true;
            return 0;
        case WM_CLOSE:
            m_done = true;
            return 0;
        default:
            return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
    }
}

// The slow files: the bad-file list's window with a speed column.

TSlowFileListForm::TSlowFileListForm(HWND owner)
    : TResultForm(L"TSlowFileListForm", 483, 329, owner) {
    ::SetWindowTextW(Handle(), ToWide(kSlowListCaption).c_str());
    // The label's "&T" takes Alt+T to the list created after it.
    CreateChild(Handle(), WC_STATICW, SS_LEFTNOWORDWRAP, 0, resultid::Label1, 8, 4, 400, 14);
    ::SetWindowTextW(Control(resultid::Label1), ToWide(kSlowListLabel).c_str());
    HWND list = CreateChild(Handle(), WC_LISTVIEWW,
                            WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                            WS_EX_CLIENTEDGE, resultid::ListView1, 8, 20, 467, 273);
    const Place places[] = {{resultid::BitBtn1, Kind::DefaultButton, L"OK", 397, 299, 79, 25}};
    CreatePlaces(Handle(), places);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    // The bad-file list's widths, the folder's shortened for the speed.
    const int widths[] = {140, 243, 80};
    for (int i = 0; i < 3; ++i) {
        std::wstring title = ToWide(kSlowListColumns[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = i == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = widths[i];
        column.pszText = title.data();
        ListView_InsertColumn(list, i, &column);
    }
}

void TSlowFileListForm::Show(const std::vector<SlowFileRow>& rows) {
    HWND list = Control(resultid::ListView1);
    ListView_DeleteAllItems(list);
    int index = 0;
    for (const SlowFileRow& row : rows) {
        std::wstring cells[] = {DisplayWide(row.Name), DisplayWide(row.Directory),
                                ToWide(row.Speed)};
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = cells[0].data();
        ListView_InsertItem(list, &item);
        for (int column = 1; column < 3; ++column) {
            ListView_SetItemText(list, index, column, cells[column].data());
        }
        ++index;
    }
    ShowModal();
}

// The speed graph: a legend, the graph itself and the name of the file under the mouse.

TSpeedGraphForm::TSpeedGraphForm(HWND owner) : TResultForm(L"TSpeedGraphForm", 820, 480, owner) {
    const std::wstring legend = ToWide(kSpeedGraphLegend);
    CreateChild(Handle(), WC_STATICW, SS_LEFT | SS_NOPREFIX, 0, resultid::Label1, 8, 6, 804, 28);
    ::SetWindowTextW(Control(resultid::Label1), legend.c_str());
    CreateChild(Handle(), WC_STATICW, SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_ENDELLIPSIS, 0,
                resultid::Label2, 8, 451, 700, 14);
    const Place places[] = {{resultid::BitBtn1, Kind::DefaultButton, L"OK", 733, 447, 79, 25}};
    CreatePlaces(Handle(), places);
    WNDCLASSEXW graphClass{};
    graphClass.cbSize = sizeof(graphClass);
    graphClass.lpfnWndProc = &TSpeedGraphForm::GraphProc;
    graphClass.hInstance = ::GetModuleHandleW(nullptr);
    graphClass.hCursor = ::LoadCursorW(nullptr, IDC_CROSS);
    graphClass.lpszClassName = kGraphClass;
    ::RegisterClassExW(&graphClass);  // a second registration fails harmlessly
    ::CreateWindowExW(WS_EX_CLIENTEDGE, kGraphClass, L"", WS_CHILD | WS_VISIBLE, 8, 38, 804, 403,
                      Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(resultid::GraphView)),
                      ::GetModuleHandleW(nullptr), this);
}

void TSpeedGraphForm::Show(const std::string& location, const std::vector<FileSpeed>& files) {
    std::string caption = kSpeedGraphCaption;
    if (!location.empty()) caption += " - " + platform::DisplayText(location);
    SetWindowText(Handle(), caption);
    m_files = files;
    m_emptyText = ToWide(location.empty() ? kSpeedGraphNoTest : kSpeedGraphNoData);
    HWND view = Control(resultid::GraphView);
    RECT client{};
    ::GetClientRect(view, &client);
    m_picture = LayoutSpeedGraph(m_files, client.right, client.bottom);
    ::SetWindowTextW(Control(resultid::Label2), L"");
    ::InvalidateRect(view, nullptr, TRUE);
    ShowModal();
}

void TSpeedGraphForm::MouseAt(int x, int y) {
    const std::string title = SpeedGraphTitleAt(m_picture, x, y);
    HWND label = Control(resultid::Label2);
    if (WindowText(label) != platform::DisplayText(title)) {
        SetWindowText(label, platform::DisplayText(title));
    }
}

void TSpeedGraphForm::PaintGraph(HWND view) {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(view, &paint);
    RECT client{};
    ::GetClientRect(view, &client);
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = ::SelectObject(dc, DialogFont(Face::Plain));
    const ControlRect& p = m_picture.plot;
    const int bottom = p.top + p.height, right = p.left + p.width;
    HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
    ::MoveToEx(dc, p.left, p.top, nullptr);
    ::LineTo(dc, p.left, bottom);
    ::LineTo(dc, right, bottom);
    const int textRight = p.left - 4;
    DrawText(dc, m_picture.topSpeedText, {0, p.top - 7, textRight, p.top + 7},
             DT_RIGHT | DT_VCENTER);
    DrawText(dc, "0", {0, bottom - 7, textRight, bottom + 7}, DT_RIGHT | DT_VCENTER);
    DrawText(dc, m_picture.megabytesText, {p.left, bottom + 4, right, bottom + 18}, DT_RIGHT);
    DrawText(dc, "0", {p.left, bottom + 4, right, bottom + 18}, DT_LEFT);
    for (const SpeedGraphPicture::Mark& mark : m_picture.marks) {
        HPEN pen = ::CreatePen(PS_SOLID, 3, mark.unreadable ? kUnreadable : kSlow);
        ::SelectObject(dc, pen);
        const int x = static_cast<int>(mark.x + 0.5);
        ::MoveToEx(dc, x, p.top, nullptr);
        ::LineTo(dc, x, bottom);
        ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
        ::DeleteObject(pen);
    }
    if (m_picture.curve.empty()) {
        ::SetTextColor(dc, RGB(0x80, 0x80, 0x80));
        RECT box{p.left, p.top, right, bottom};
        ::DrawTextW(dc, m_emptyText.c_str(), static_cast<int>(m_emptyText.size()), &box,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else {
        std::vector<POINT> points;
        points.reserve(m_picture.curve.size());
        for (const GraphPixel& point : m_picture.curve) {
            points.push_back({static_cast<LONG>(point.x + 0.5), static_cast<LONG>(point.y + 0.5)});
        }
        HPEN pen = ::CreatePen(PS_SOLID, 2, kCurve);
        ::SelectObject(dc, pen);
        ::Polyline(dc, points.data(), static_cast<int>(points.size()));
        ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
        ::DeleteObject(pen);
    }
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldFont);
    ::EndPaint(view, &paint);
}

LRESULT CALLBACK TSpeedGraphForm::GraphProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = static_cast<TSpeedGraphForm*>(WindowObject(hwnd, message, lParam));
    if (form) {
        switch (message) {
            case WM_PAINT:
                form->PaintGraph(hwnd);
                return 0;
            case WM_MOUSEMOVE:
                form->MouseAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
                return 0;
            default:
                break;
        }
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// The changes since the last test: the summary, then the files under the heading of their kind.

TChangesForm::TChangesForm(HWND owner) : TResultForm(L"TChangesForm", 560, 380, owner) {
    ::SetWindowTextW(Handle(), ToWide(kChangesTitle).c_str());
    // Room for the location and a line for each of the six kinds.
    CreateChild(Handle(), WC_STATICW, SS_LEFT | SS_NOPREFIX, 0, resultid::Summary, 8, 6, 544, 122);
    CreateChild(Handle(), WC_TREEVIEWW,
                WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                WS_EX_CLIENTEDGE, resultid::Files, 8, 132, 544, 208);
    const Place places[] = {{resultid::BitBtn1, Kind::DefaultButton, L"OK", 473, 348, 79, 25}};
    CreatePlaces(Handle(), places);
}

void TChangesForm::Show(const ChangesView& view) {
    SetWindowText(Control(resultid::Summary), platform::DisplayText(view.Location) + "\r\n\r\n" +
                                                  platform::DisplayText(view.Summary));
    HWND files = Control(resultid::Files);
    TreeView_DeleteAllItems(files);
    for (const ChangesView::Group& group : view.Groups) {
        std::wstring heading = ToWide(group.Heading);
        TVINSERTSTRUCTW insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_STATE;
        insert.item.state = insert.item.stateMask = TVIS_BOLD | TVIS_EXPANDED;
        insert.item.pszText = heading.data();
        HTREEITEM parent = TreeView_InsertItem(files, &insert);
        for (const std::string& path : group.Paths) {
            std::wstring text = DisplayWide(path);
            TVINSERTSTRUCTW row{};
            row.hParent = parent;
            row.hInsertAfter = TVI_LAST;
            row.item.mask = TVIF_TEXT;
            row.item.pszText = text.data();
            TreeView_InsertItem(files, &row);
        }
        TreeView_Expand(files, parent, TVE_EXPAND);
    }
    ShowModal();
}

}  // namespace vorlaxis::win32ui
