// The pictures beside the button captions on Windows: each window as the program creates it, every
// push button of it looked at, the picture buttons with one picture and the others with none.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "MainFormFixture.h"
#include "app/win32/MainFormUnit.h"
#include "engine/win32/ErrorUnit.h"
#include "help/win32/AboutUnit.h"
#include "help/win32/InfoBoxUnit.h"
#include "results/win32/EditorUnit.h"
#include "results/win32/ErrorListUnit.h"
#include "settings/win32/KonfigUnit.h"

namespace vorlaxis::test {
namespace {

// The number of pictures of each push button of `window`, by control identifier.
std::map<int, int> PicturesOfButtons(HWND window) {
    std::map<int, int> pictures;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM found) -> BOOL {
            wchar_t name[16] = {};
            ::GetClassNameW(child, name, 16);
            const LONG_PTR type = ::GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK;
            if (::lstrcmpiW(name, WC_BUTTONW) != 0 ||
                (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)) {
                return TRUE;
            }
            BUTTON_IMAGELIST picture{};
            ::SendMessageW(child, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&picture));
            (*reinterpret_cast<std::map<int, int>*>(found))[::GetDlgCtrlID(child)] =
                picture.himl ? ::ImageList_GetImageCount(picture.himl) : 0;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&pictures));
    return pictures;
}

using ButtonPicturesTest = MainFormFixture;

TEST_F(ButtonPicturesTest, ButtonsOfAKindOrGlyphCarryOnePictureAndTheOthersNone) {
    namespace e = win32ui::errorid;
    struct Case {
        const char* window;
        HWND handle;
        std::vector<int> pictured;
    };
    const Case cases[] = {
        {"TMainForm",
         form->Handle(),
         {win32ui::id::BitBtn2, win32ui::id::btnCancelTest, win32ui::id::BitBtn1}},
        {"TErrorForm",
         form->ErrorForm().Handle(),
         {e::BitBtn1, e::BitBtn2, e::BitBtn3, e::BitBtn4, e::BitBtn5}},
        {"TErrorListForm", form->ErrorList().Handle(), {win32ui::errorlistid::BitBtn1}},
        {"TEditor", form->Editor().Handle(), {win32ui::editorid::BitBtn1}},
        {"TAboutBox", form->AboutBox().Handle(), {win32ui::aboutid::BitBtn1}},
        {"TKonfig", form->Konfig().Handle(), {}},
        {"TInfoBox", form->InfoBox().Handle(), {}}};
    for (const Case& c : cases) {
        std::map<int, int> expected = PicturesOfButtons(c.handle);
        for (auto& [button, count] : expected) count = 0;
        for (const int button : c.pictured) expected[button] = 1;
        EXPECT_EQ(PicturesOfButtons(c.handle), expected) << c.window;
    }
}

}  // namespace
}  // namespace vorlaxis::test
