// The Win32 windows as they are drawn: every caption fits its control in the font the windows
// were measured in, and the log viewer's text area is grey.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Win32Driver.h"
#include "app/win32/MainFormUnit.h"
#include "engine/win32/ErrorUnit.h"
#include "help/win32/AboutUnit.h"
#include "help/win32/InfoBoxUnit.h"
#include "results/win32/EditorUnit.h"
#include "results/win32/ErrorListUnit.h"
#include "settings/win32/KonfigUnit.h"
#include "support/ScriptedDialogs.h"

namespace vorlaxis::test {
namespace {

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

}  // namespace
}  // namespace vorlaxis::test
