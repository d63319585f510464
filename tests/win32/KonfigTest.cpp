// The options dialog on Windows: its enabling rules, the block-size field, and what OK, "Storno"
// and the close box do; every showing answered from the test.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Win32Driver.h"
#include "settings/win32/KonfigUnit.h"

namespace vorlaxis::test {
namespace {

namespace k = win32ui::konfigid;

bool Checked(HWND button) {
    return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

class Win32KonfigTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
    HWND Control(int controlId) const { return dialog.Control(controlId); }

    std::vector<std::string> calls;
    TestSettings settings;
    win32ui::TKonfig dialog{
        settings,
        {[this] { calls.push_back("write"); }, [this] { calls.push_back("read"); },
         [this] { calls.push_back("help"); }},
        nullptr};
};

TEST_F(Win32KonfigTest, OptionsGreyAndFreeEachOtherAndEditTheRecord) {
    settings.DataReadStyle = ReadAllData;
    settings.ShowLogsAfterTest = true;
    settings.TxtViewer = kNothingChosen;
    dialog.LoadFromSettings();
    EXPECT_FALSE(Enabled(Control(k::Label1)));
    EXPECT_FALSE(Enabled(Control(k::RadioButton4)));
    EXPECT_TRUE(Enabled(Control(k::SpinEdit1)));
    EXPECT_FALSE(Enabled(Control(k::CheckBox2)));
    EXPECT_TRUE(Enabled(Control(k::RadioButton8)));
    for (int viewer : {k::RadioButton12, k::RadioButton13, k::RadioButton14}) {
        EXPECT_FALSE(Checked(Control(viewer))) << "nothing chosen shows no option";
    }
    Click(Control(k::RadioButton2));
    EXPECT_EQ(settings.DataReadStyle, ReadSomeBlocks);
    EXPECT_TRUE(Enabled(Control(k::RadioButton4)));
    EXPECT_FALSE(Checked(Control(k::RadioButton1)));
    Click(Control(k::CheckBox4));
    EXPECT_FALSE(settings.ShowLogsAfterTest);
    EXPECT_FALSE(Enabled(Control(k::RadioButton9)));
    EXPECT_TRUE(Enabled(Control(k::CheckBox2)));
    Click(Control(k::RadioButton13));
    EXPECT_EQ(settings.TxtViewer, InternalViewer);
}

TEST_F(Win32KonfigTest, TypedBlockSizeStepsByFourAndStaysWithinItsRange) {
    // Typed into the emptied field on the "Čtení dat" tab; then the dialog is closed with Enter
    // (OK) or with the close box.
    const struct {
        std::wstring keys;
        bool enter;
        int32_t blockSize;
        std::vector<std::string> calls;
    } cases[] = {{L"24", true, 24, {"write"}},
                 {L"60\t", false, 48, {}},  // pulled in when the focus leaves the field
                 {L"6" + std::wstring(1, keys::kUp), false, 10, {}},
                 {L"6" + std::wstring(1, keys::kDown), false, 4, {}},
                 {L"48" + std::wstring(1, keys::kUp), false, 48, {}},
                 {L"4" + std::wstring(1, keys::kDown), false, 4, {}},
                 {L"1x2\b6\t", false, 16, {}}};  // a letter is dropped, Backspace takes the 2
    for (const auto& c : cases) {
        settings.BlockSize = 32;
        calls.clear();
        const auto clickAt = [](HWND control, POINT p) {
            ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
            ::PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        };
        StepsDuringCommand({[&] {
                                if (!Visible(dialog.Handle())) return false;
                                RECT tab{};
                                TabCtrl_GetItemRect(Control(k::PageControl1), 1, &tab);
                                clickAt(Control(k::PageControl1),
                                        {(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2});
                                return true;
                            },
                            [&] {
                                clickAt(Control(k::SpinEdit1), {4, 4});
                                return true;
                            },
                            [&] {
                                Type(std::wstring(1, keys::kEnd) + L"\b\b" + c.keys);
                                return true;
                            },
                            [&] {
                                if (c.enter) {
                                    Type(L"\r");
                                } else {
                                    ::PostMessageW(dialog.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
                                }
                                return true;
                            }});
        dialog.Execute(nullptr);
        StopPolling();
        EXPECT_EQ(settings.BlockSize, c.blockSize) << c.blockSize;
        EXPECT_EQ(TextOf(Control(k::SpinEdit1)), std::to_string(c.blockSize));
        EXPECT_EQ(calls, c.calls) << c.blockSize;
    }
}

// The person at the dialog: notes the tab it opened on, ticks non-stop, goes to the log tab
// with ">" and closes the dialog by `g_close`.
int g_close = IDOK;
int g_openTab = -1;

bool ChangeAndClose() {
    HWND dialog = ::FindWindowW(L"TKonfig", nullptr);
    if (!dialog || !Visible(dialog)) return false;
    g_openTab = TabCtrl_GetCurSel(::GetDlgItem(dialog, k::PageControl1));
    Click(::GetDlgItem(dialog, k::CheckBox1));
    Click(::GetDlgItem(dialog, k::RxSpeedButton1));
    if (g_close == 0) {
        ::SendMessageW(dialog, WM_CLOSE, 0, 0);
    } else {
        Click(::GetDlgItem(dialog, g_close));
    }
    return true;
}

TEST_F(Win32KonfigTest, OkWritesStornoReadsBackTheCloseBoxKeepsTheChange) {
    const struct {
        int close;
        std::vector<std::string> calls;
    } cases[] = {{k::BitBtn1, {"write"}}, {k::BitBtn2, {"read"}}, {0, {}}};
    for (const auto& c : cases) {
        calls.clear();
        settings.GoNonstop = false;
        g_close = c.close;
        g_openTab = -1;
        PollDuringCommand(&ChangeAndClose);
        dialog.Execute(nullptr);
        StopPolling();
        EXPECT_EQ(g_openTab, 0) << "always opens on the first tab";
        EXPECT_EQ(calls, c.calls) << c.close;
        EXPECT_TRUE(settings.GoNonstop) << c.close;  // nothing here reads the file back
        EXPECT_FALSE(Visible(dialog.Handle()));
    }
    Click(Control(k::BitBtn3));
    EXPECT_EQ(calls.back(), "help");
}

}  // namespace
}  // namespace vorlaxis::test
