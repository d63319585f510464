// The folder picker behind "Nalistovat...", used as a person does: a folder typed into it and
// opened is the one chosen, a drive's root with its separator.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"
#include "Win32Driver.h"
#include "app/win32/Win32Dialogs.h"
#include "platform/win32/Wide.h"

namespace vorlaxis::test {
namespace {

constexpr int kNameField = 1152;  // the "file name" field of the system's file dialogs

std::wstring g_typed;
std::string g_caption;

// Types the path into the picker's name field and clicks its open button; a picker without the
// field is cancelled.
bool TypeAndOpen() {
    HWND picker = ::FindWindowW(L"#32770", nullptr);
    if (!picker || !Visible(picker)) return false;
    g_caption = TextOf(picker);
    HWND field = ::GetDlgItem(picker, kNameField);
    if (!field) {
        ::PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
        return true;
    }
    for (const wchar_t c : g_typed) ::SendMessageW(field, WM_CHAR, c, 1);
    ::PostMessageW(::GetDlgItem(picker, IDOK), BM_CLICK, 0, 0);
    return true;
}

TEST(Win32FolderPicker, TakesTheFolderTypedIntoIt) {
    TempDir temp;
    temp.file("disc\\a.txt", "a");
    for (const std::string& folder : {temp.path() + "disc", std::string("C:\\")}) {
        win32ui::Win32Dialogs dialogs;
        g_typed = platform::win32::ToWide(folder);
        PollDuringCommand(&TypeAndOpen);
        EXPECT_EQ(dialogs.BrowseForFolder("Nalistovat složku..."), folder);
        StopPolling();
        EXPECT_EQ(g_caption, "Nalistovat složku...");
    }
}

}  // namespace
}  // namespace vorlaxis::test
