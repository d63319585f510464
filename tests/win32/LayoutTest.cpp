// The Win32 windows as they are drawn: every caption fits its control in the font the windows
// were measured in, the log viewer's text area is grey, the status bar has its three panels, the
// options stand on their tab's page colour, and the resizable windows keep their controls at the
// edges and drawn while they are dragged larger and smaller.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "Win32Driver.h"
#include "app/win32/MainFormUnit.h"
#include "engine/win32/ErrorUnit.h"
#include "help/win32/AboutUnit.h"
#include "help/win32/InfoBoxUnit.h"
#include "results/win32/EditorUnit.h"
#include "results/win32/ErrorListUnit.h"
#include "settings/TestSettings.h"
#include "settings/win32/KonfigUnit.h"
#include "support/ScriptedDialogs.h"

namespace vorlaxis::test {
namespace {

// The common controls as the program uses them (version 6, themed), from its own manifest beside
// the tests, while the object lives.
class ThemedControls {
  public:
    ThemedControls() {
        const std::wstring manifest = ProgramFolder() + L"vorlaxis.manifest";
        ACTCTXW context{};
        context.cbSize = sizeof(context);
        context.lpSource = manifest.c_str();
        m_context = ::CreateActCtxW(&context);
        EXPECT_NE(m_context, INVALID_HANDLE_VALUE);
        ::ActivateActCtx(m_context, &m_cookie);
    }
    ~ThemedControls() {
        ::DeactivateActCtx(0, m_cookie);
        ::ReleaseActCtx(m_context);
    }
    ThemedControls(const ThemedControls&) = delete;
    ThemedControls& operator=(const ThemedControls&) = delete;

  private:
    HANDLE m_context = INVALID_HANDLE_VALUE;
    ULONG_PTR m_cookie = 0;
};

// Runs what is waiting, the painting included.
void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The window's pixels on the screen, its frame included.
std::vector<COLORREF> ScreenPixels(HWND window) {
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HDC screen = ::GetWindowDC(window);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto* first = static_cast<const DWORD*>(bits);
    std::vector<COLORREF> pixels;
    for (const DWORD* p = first; p != first + static_cast<size_t>(width) * height; ++p) {
        // A bitmap's pixel has its blue in the low byte, a colour value its red.
        pixels.push_back(RGB(GetBValue(*p), GetGValue(*p), GetRValue(*p)));
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(window, screen);
    return pixels;
}

// How many of the control's pixels on the screen change when it is drawn afresh.
int Misdrawn(HWND control) {
    const std::vector<COLORREF> seen = ScreenPixels(control);
    ::RedrawWindow(control, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const std::vector<COLORREF> drawn = ScreenPixels(control);
    int differ = 0;
    for (size_t k = 0; k < seen.size(); ++k) differ += seen[k] != drawn[k] ? 1 : 0;
    return differ;
}

// A control's left, top, right and bottom in its window's client area.
std::array<LONG, 4> Box(HWND window, int controlId) {
    RECT r{};
    ::GetWindowRect(::GetDlgItem(window, controlId), &r);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

// The room a control leaves its caption, and how the caption is laid out in it.
bool CaptionRoom(HWND control, int& room, UINT& format) {
    wchar_t name[32] = {};
    ::GetClassNameW(control, name, 32);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    RECT client{};
    ::GetClientRect(control, &client);
    room = client.right;
    format = DT_CALCRECT;
    if (::lstrcmpiW(name, WC_STATICW) == 0) {
        // A path label ends in an ellipsis on purpose.
        if (style & (SS_ENDELLIPSIS | SS_PATHELLIPSIS | SS_WORDELLIPSIS)) return false;
        if ((style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP) format |= DT_WORDBREAK;
        if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
        return true;
    }
    if (::lstrcmpiW(name, WC_BUTTONW) != 0) return false;
    const LONG type = style & BS_TYPEMASK;
    const bool push = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
    // A push button's caption keeps off its edges; a group's title and a check box's or radio
    // button's text start right of an indent or the box.
    room -= push ? 4 : 16;
    format |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    return true;
}

BOOL CALLBACK NoteClipped(HWND control, LPARAM data) {
    int room = 0;
    UINT format = 0;
    const std::string text = TextOf(control);
    if (text.empty() || !CaptionRoom(control, room, format)) return TRUE;
    RECT client{};
    ::GetClientRect(control, &client);
    HDC dc = ::GetDC(control);
    const HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    std::wstring wide(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    wide.resize(static_cast<size_t>(::GetWindowTextW(control, wide.data(), wide.size())));
    RECT need{0, 0, room, 0};
    ::DrawTextW(dc, wide.c_str(), -1, &need, format);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    if (need.right > room || need.bottom > client.bottom) {
        reinterpret_cast<std::vector<std::string>*>(data)->push_back(
            "\"" + text + "\" needs " + std::to_string(need.right) + "x" +
            std::to_string(need.bottom) + ", has " + std::to_string(room) + "x" +
            std::to_string(client.bottom));
    }
    return TRUE;
}

TEST(Win32Layout, EveryCaptionFitsItsControl) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    ScriptedDialogs dialogs;
    win32ui::TMainForm form(&dialogs);
    for (HWND window : {form.Handle(), form.ErrorForm().Handle(), form.ErrorList().Handle(),
                        form.InfoBox().Handle(), form.Konfig().Handle(), form.AboutBox().Handle(),
                        form.Editor().Handle()}) {
        std::vector<std::string> clipped;
        ::EnumChildWindows(window, &NoteClipped, reinterpret_cast<LPARAM>(&clipped));
        // Under Wine a missing "MS Sans Serif" falls back to a wider face: see
        // scripts/test-windows.sh for Wine's own fonts.
        EXPECT_TRUE(clipped.empty()) << TextOf(window) << ":\n"
                                     << ::testing::PrintToString(clipped);
    }
}

TEST(Win32Layout, LogViewerTextAreaIsGreyLikeTheButtons) {
    win32ui::TEditor editor(nullptr);
    ::ShowWindow(editor.Handle(), SW_SHOWNA);
    HWND memo = ::GetDlgItem(editor.Handle(), win32ui::editorid::Memo1);
    ::UpdateWindow(memo);
    RECT client{};
    ::GetClientRect(memo, &client);
    HDC dc = ::GetDC(memo);
    // Below the one line of text, away from its edges.
    const COLORREF seen = ::GetPixel(dc, client.right / 2, client.bottom / 2);
    ::ReleaseDC(memo, dc);
    EXPECT_EQ(seen, ::GetSysColor(COLOR_BTNFACE));
}

TEST(Win32Layout, StatusBarHasThreePanelsReachingItsRightEnd) {
    ScriptedDialogs dialogs;
    win32ui::TMainForm form(&dialogs);
    HWND bar = form.Control(win32ui::id::StatusBar);
    std::array<int, 4> edges{};
    ASSERT_EQ(
        ::SendMessageW(bar, SB_GETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data())), 3);
    RECT client{}, last{};
    ::GetClientRect(bar, &client);
    ::SendMessageW(bar, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&last));
    EXPECT_EQ(client.right, 698);
    EXPECT_EQ(edges[0], 520);
    EXPECT_EQ(edges[1], 600);
    EXPECT_EQ(last.right, client.right);  // nothing is left over for an empty panel
}

// The check boxes, options and groups of the options dialog's pages lie on the tab's page, which
// the theme draws in a colour of its own: none of them shows the dialog's colour behind it.
TEST(Win32Layout, OptionsPageControlsStandOnThePageColour) {
    ThemedControls themed;
    TestSettings settings;
    win32ui::TKonfig dialog(settings, {}, nullptr);
    ::ShowWindow(dialog.Handle(), SW_SHOWNA);
    HWND tabs = dialog.Control(win32ui::konfigid::PageControl1);
    const COLORREF dialogColour = ::GetSysColor(COLOR_BTNFACE);
    for (int page = 0; page < TabCtrl_GetItemCount(tabs); ++page) {
        RECT tab{};
        TabCtrl_GetItemRect(tabs, page, &tab);
        const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
        ::SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(tabs, WM_LBUTTONUP, 0, at);
        Pump();
        ASSERT_EQ(TabCtrl_GetCurSel(tabs), page);
        // The page's bottom-left corner, where no control lies.
        RECT area{};
        ::GetClientRect(tabs, &area);
        TabCtrl_AdjustRect(tabs, FALSE, &area);
        HDC dc = ::GetDC(tabs);
        const COLORREF pageColour = ::GetPixel(dc, area.left + 2, area.bottom - 3);
        ::ReleaseDC(tabs, dc);
        EXPECT_NE(pageColour, dialogColour) << "the theme draws the page in the dialog's colour";
        for (HWND control = ::GetWindow(dialog.Handle(), GW_CHILD); control;
             control = ::GetWindow(control, GW_HWNDNEXT)) {
            const LONG type = ::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
            if (!::IsWindowVisible(control) || control == tabs || TextOf(control).empty() ||
                ::GetParent(control) != dialog.Handle() ||
                (type != BS_AUTOCHECKBOX && type != BS_RADIOBUTTON && type != BS_GROUPBOX)) {
                continue;
            }
            // Its top rows: around a group's caption, above a box and its caption.
            const std::vector<COLORREF> pixels = ScreenPixels(control);
            RECT frame{};
            ::GetWindowRect(control, &frame);
            const auto top = pixels.begin() + 2 * (frame.right - frame.left);
            EXPECT_EQ(std::count(pixels.begin(), top, dialogColour), 0) << TextOf(control);
        }
    }
}

// Drags the window's bottom-right corner by `by` pixels both ways (a multiple of 10), in steps,
// the window repainting between them.
void DragCorner(HWND window, int by) {
    const int step = by > 0 ? 10 : -10;
    for (int done = 0; done != by; done += step) {
        RECT frame{};
        ::GetWindowRect(window, &frame);
        ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + step,
                       frame.bottom - frame.top + step, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Pump();
    }
}

TEST(Win32Layout, ResizedWindowKeepsItsControlsAtTheEdgesAndDrawn) {
    ThemedControls themed;
    win32ui::TErrorListForm list(nullptr);
    win32ui::TEditor editor(nullptr);
    const struct {
        HWND window;
        int area, button;  // the list or text grows, the button moves
    } cases[] = {{list.Handle(), win32ui::errorlistid::ListView1, win32ui::errorlistid::BitBtn1},
                 {editor.Handle(), win32ui::editorid::Memo1, win32ui::editorid::BitBtn1}};
    for (const auto& c : cases) {
        ::ShowWindow(c.window, SW_SHOWNA);
        Pump();
        const std::array<LONG, 4> area = Box(c.window, c.area), button = Box(c.window, c.button);
        int grown = 0;
        for (const int by : {100, -100}) {
            DragCorner(c.window, by);
            grown += by;
            const std::array<LONG, 4> areaWanted{area[0], area[1], area[2] + grown,
                                                 area[3] + grown};
            const std::array<LONG, 4> buttonWanted{button[0] + grown, button[1] + grown,
                                                   button[2] + grown, button[3] + grown};
            EXPECT_EQ(Box(c.window, c.area), areaWanted) << TextOf(c.window) << " " << grown;
            EXPECT_EQ(Box(c.window, c.button), buttonWanted) << TextOf(c.window) << " " << grown;
            RECT client{};
            ::GetClientRect(c.window, &client);
            EXPECT_LE(buttonWanted[2], client.right);
            EXPECT_LE(buttonWanted[3], client.bottom);
            EXPECT_LE(areaWanted[3], buttonWanted[1]);  // the button lies below, uncovered
            for (const int controlId : {c.area, c.button}) {
                HWND control = ::GetDlgItem(c.window, controlId);
                EXPECT_TRUE(::IsWindowVisible(control));
                EXPECT_EQ(Misdrawn(control), 0)
                    << TextOf(c.window) << " " << grown << ": " << TextOf(control);
            }
        }
    }
}

}  // namespace
}  // namespace vorlaxis::test
