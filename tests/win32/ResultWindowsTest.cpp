// The windows that follow a location on Windows: the slow-file list and the speed graph from a
// location's measured files, and the changes window after a real folder tested twice; every
// question and window answered by the test.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "MainFormFixture.h"
#include "TempDir.h"
#include "Win32Driver.h"
#include "app/win32/MainFormUnit.h"
#include "engine/TestRun.h"
#include "platform/win32/Wide.h"
#include "results/win32/MainFollowUp.h"
#include "support/ScriptedDialogs.h"

namespace vorlaxis::test {
namespace {

namespace id = win32ui::id;
namespace rid = win32ui::resultid;
using platform::win32::ToUtf8;
using platform::win32::ToWide;

constexpr int64_t kMiB = 1024 * 1024;

// 40 files of 1 MB at 100 MB/s; the one at `slow` (if any) takes 2 s.
std::vector<FileSpeed> Files(int slow) {
    std::vector<FileSpeed> files;
    for (int i = 0; i < 40; ++i) {
        files.push_back({"C:\\m\\d\\f" + std::to_string(i) + ".bin", kMiB, kMiB,
                         i == slow ? 2.0 : 0.01, false});
    }
    return files;
}

std::string ListText(HWND list, int row, int column) {
    wchar_t text[512] = {};
    ListView_GetItemText(list, row, column, text, 512);
    return ToUtf8(text);
}

// What the person saw in the last window of the follow-up before pressing OK.
struct Seen {
    std::string caption;
    std::vector<std::string> rows;  // list rows as "a|b|c", tree items indented by level
    std::string underMouse;         // the graph's text for the mouse on its first mark
};
Seen g_seen;

// The window of class `name`, once shown: noted and closed with its OK button.
HWND ShownWindow(const wchar_t* name) {
    HWND window = ::FindWindowW(name, nullptr);
    if (!window || !Visible(window)) return nullptr;
    g_seen = {TextOf(window), {}, {}};
    return window;
}

bool ReadSlowList() {
    HWND window = ShownWindow(L"TSlowFileListForm");
    if (!window) return false;
    HWND list = ::GetDlgItem(window, rid::ListView1);
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        g_seen.rows.push_back(ListText(list, row, 0) + "|" + ListText(list, row, 1) + "|" +
                              ListText(list, row, 2));
    }
    Click(::GetDlgItem(window, rid::BitBtn1));
    return true;
}

win32ui::MainFollowUp* g_followUp = nullptr;

bool PointAtTheMarkOfTheGraph() {
    HWND window = ShownWindow(L"TSpeedGraphForm");
    if (!window) return false;
    const SpeedGraphPicture& picture = g_followUp->Graph().Picture();
    if (!picture.marks.empty()) {
        const int x = static_cast<int>(picture.marks[0].x);
        const int y = picture.plot.top + picture.plot.height / 2;
        ::SendMessageW(::GetDlgItem(window, rid::GraphView), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        g_seen.underMouse = TextOf(::GetDlgItem(window, rid::Label2));
    }
    Click(::GetDlgItem(window, rid::BitBtn1));
    return true;
}

void TreeRows(HWND tree, HTREEITEM item, const std::string& indent) {
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        g_seen.rows.push_back(indent + TreeItemText(tree, item));
        TreeRows(tree, TreeView_GetChild(tree, item), indent + "  ");
    }
}

bool ReadChanges() {
    HWND window = ShownWindow(L"TChangesForm");
    if (!window) return false;
    HWND tree = ::GetDlgItem(window, rid::Files);
    TreeRows(tree, TreeView_GetRoot(tree), "");
    g_seen.underMouse = TextOf(::GetDlgItem(window, rid::Summary));
    Click(::GetDlgItem(window, rid::BitBtn1));
    return true;
}

class Win32ResultWindowsTest : public MainFormFixture {
  protected:
    void SetUp() override {
        MainFormFixture::SetUp();
        g_followUp = &form->FollowUp();
        g_seen = {};
    }
    void Menu(int commandId, bool (*person)()) {
        if (person) PollDuringCommand(person);
        ::SendMessageW(form->Handle(), WM_COMMAND, static_cast<WPARAM>(commandId), 0);
        StopPolling();
    }
};

TEST_F(Win32ResultWindowsTest, SlowFileIsOfferedListedAndNamedUnderTheMouseOnTheGraph) {
    // The menu commands close the "Zobrazit" menu, after its own items.
    HMENU view = ::GetSubMenu(form->Menu(), 1);
    const int count = ::GetMenuItemCount(view);
    ASSERT_GE(count, 2);
    EXPECT_EQ(::GetMenuItemID(view, count - 2), static_cast<UINT>(id::mmZobrazitGrafRychlosti));
    EXPECT_EQ(::GetMenuItemID(view, count - 1), static_cast<UINT>(id::mmZobrazitPorovnani));
    Menu(id::mmZobrazitGrafRychlosti, &PointAtTheMarkOfTheGraph);
    EXPECT_EQ(g_seen.caption, "Graf rychlosti čtení");  // before any test

    const struct {
        int slow;
        MsgResult answer;
        size_t questions, rows;
    } cases[] = {{-1, MsgResult::Yes, 0, 0}, {12, MsgResult::No, 1, 0}, {12, MsgResult::Yes, 1, 1}};
    for (const auto& c : cases) {
        dialogs.shown.clear();
        dialogs.answers = {c.answer};
        g_seen = {};
        form->Session().FileSpeeds = Files(c.slow);
        PollDuringCommand(&ReadSlowList);
        form->FollowUp().AfterLocation(form->Session(), "C:\\m\\", temp.path() + "Logs\\", false);
        StopPolling();
        ASSERT_EQ(dialogs.shown.size(), c.questions) << c.slow;
        if (c.questions) {
            EXPECT_EQ(dialogs.shown[0].text.rfind("Čitelné, ale pomalé soubory: 1"), 0u);
        }
        ASSERT_EQ(g_seen.rows.size(), c.rows);
        if (c.rows == 0) continue;
        EXPECT_EQ(g_seen.caption, "Výsledky testu - čitelné, ale pomalé soubory...");
        EXPECT_EQ(g_seen.rows[0], "f12.bin|C:\\m\\d\\|0.500 MB/s");
    }
    Menu(id::mmZobrazitGrafRychlosti, &PointAtTheMarkOfTheGraph);
    EXPECT_EQ(g_seen.caption, "Graf rychlosti čtení - C:\\m\\");
    EXPECT_EQ(g_seen.underMouse.rfind("C:\\m\\d\\f12.bin (", 0), 0u) << g_seen.underMouse;
}

TEST_F(Win32ResultWindowsTest, SilentChangeIsOfferedListedByKindAndShownAgain) {
    const std::string disc = temp.path() + "disk";
    const std::string flip = temp.file("disk\\flip.bin", std::string(70000, 'a'));
    temp.file("disk\\gone.txt", "gone");
    dialogs.inputs.push_back(disc);
    Click(form->Control(id::btnPridatRucne));
    ListView_SetCheckState(form->Control(id::DiskList), 0, TRUE);
    Menu(id::Spustittestplntendat1, nullptr);  // the first test: nothing to compare with
    Menu(id::mmZobrazitPorovnani, nullptr);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text,
              "Od spuštění programu nebylo žádné médium porovnáno s dřívějším testem.");

    // A byte flipped with the modification time put back to the 100 ns, as bit rot leaves it.
    HANDLE file = ::CreateFileW(ToWide(flip).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME written{};
    ::GetFileTime(file, nullptr, nullptr, &written);
    DWORD done = 0;
    ::WriteFile(file, "b", 1, &done, nullptr);
    ::SetFileTime(file, nullptr, nullptr, &written);
    ::CloseHandle(file);
    std::filesystem::remove(PathFromUtf8(disc + "\\gone.txt"));
    dialogs.answers = {MsgResult::Yes};
    Menu(id::Spustittestplntendat1, &ReadChanges);
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[2].caption, "Změny na médiu");
    EXPECT_EQ(dialogs.shown[2].icon, MsgIcon::Warning);  // a silent change is the alarm
    EXPECT_NE(dialogs.shown[2].text.find("Změněný obsah při stejné velikosti a datu změny: 1"),
              std::string::npos);
    const std::vector<std::string> expected = {
        "Změněný obsah při stejné velikosti a datu změny (1)", "  " + disc + "\\flip.bin",
        "Chybějící soubory (1)", "  " + disc + "\\gone.txt"};
    EXPECT_EQ(g_seen.caption, "Změny na médiu");
    EXPECT_EQ(g_seen.rows, expected);

    g_seen = {};
    Menu(id::mmZobrazitPorovnani, &ReadChanges);
    EXPECT_EQ(g_seen.rows, expected);
    EXPECT_EQ(dialogs.shown.size(), 3u);
}

TEST_F(Win32ResultWindowsTest, ComparisonWithTheSourceFolderListsTheDifferencesOrSaysTheyAgree) {
    const std::string disc = temp.path() + "disk";
    const std::string source = temp.path() + "zdroj";
    temp.file("disk\\a.bin", std::string(70000, 'a'));
    temp.file("zdroj\\a.bin", std::string(69999, 'a') + "b");
    temp.file("disk\\jen zde\\x.txt", "x");
    dialogs.inputs.push_back(disc);
    Click(form->Control(id::btnPridatRucne));
    // The person picks the location in the list, then the command and the source folder.
    ListView_SetItemState(form->Control(id::DiskList), 0, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    HMENU file = ::GetSubMenu(form->Menu(), 0);
    EXPECT_EQ(::GetMenuItemID(file, 2), static_cast<UINT>(id::mmPorovnatSeZdrojem));
    dialogs.inputs.push_back(source);
    dialogs.answers = {MsgResult::Yes};
    Menu(id::mmPorovnatSeZdrojem, &ReadChanges);
    ASSERT_EQ(dialogs.shown.size(), 3u);  // the path typed, the folder picked, the question
    EXPECT_EQ(dialogs.shown[1].kind, "browse");
    EXPECT_EQ(dialogs.shown[2].icon, MsgIcon::Warning);
    const std::vector<std::string> expected = {"Obsah se liší od zdrojové složky (1)",
                                               "  " + disc + "\\a.bin  (od bajtu 69999)",
                                               "Jen na médiu (1)", "  " + disc + "\\jen zde\\"};
    EXPECT_EQ(g_seen.rows, expected);

    temp.file("zdroj\\a.bin", std::string(70000, 'a'));
    temp.file("zdroj\\jen zde\\x.txt", "x");
    dialogs.inputs.push_back(source);
    g_seen = {};
    Menu(id::mmPorovnatSeZdrojem, &ReadChanges);
    ASSERT_EQ(dialogs.shown.size(), 5u);
    EXPECT_EQ(dialogs.shown[4].caption, "Porovnání se zdrojovou složkou");
    EXPECT_EQ(dialogs.shown[4].text.rfind("Obsah média odpovídá zdrojové složce:", 0), 0u);
    EXPECT_TRUE(g_seen.rows.empty());
}

}  // namespace
}  // namespace vorlaxis::test
