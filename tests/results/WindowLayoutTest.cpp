// Rows of the bad-file list and the resize rules of the result windows.
#include <gtest/gtest.h>

#include "results/WindowLayout.h"

using namespace vorlaxis;

namespace {

TEST(SplitBadFilePath, NameAndFolderWithItsSeparator) {
    const BadFileEntry e = SplitBadFilePath("/media/cd/dir a/file.bin");
    EXPECT_EQ(e.Name, "file.bin");
    EXPECT_EQ(e.Directory, "/media/cd/dir a/");
    const BadFileEntry root = SplitBadFilePath("/x");
    EXPECT_EQ(root.Name, "x");
    EXPECT_EQ(root.Directory, "/");
    const BadFileEntry drive = SplitBadFilePath("A:file");
    EXPECT_EQ(drive.Name, "file");
    EXPECT_EQ(drive.Directory, "A:");
    EXPECT_EQ(SplitBadFilePath("plain").Name, "plain");
}

// An outer size and the places of the window's two controls at it.
struct Places {
    int width, height;
    ControlRect content, okButton;
};

void ExpectLayouts(const Places& errorList, const Places& editor) {
    const ErrorListLayout list = LayoutErrorList(errorList.width, errorList.height);
    EXPECT_EQ(list.listView, errorList.content);
    EXPECT_EQ(list.okButton, errorList.okButton);
    const EditorLayout viewer = LayoutEditor(editor.width, editor.height);
    EXPECT_EQ(viewer.memo, editor.content);
    EXPECT_EQ(viewer.okButton, editor.okButton);
}

TEST(WindowLayout, InitialSizesGiveTheDesignedPlaces) {
    ExpectLayouts({491, 356, {8, 20, 467, 273}, {397, 299, 79, 25}},
                  {535, 352, {4, 4, 519, 285}, {449, 297, 75, 25}});
}

TEST(WindowLayout, GrowingMovesTheButtonAndGrowsTheList) {
    ExpectLayouts({591, 456, {8, 20, 567, 373}, {497, 399, 79, 25}},
                  {635, 452, {4, 4, 619, 385}, {549, 397, 75, 25}});
}

TEST(WindowLayout, TooSmallWindowsAreClamped) {
    ExpectLayouts({10, 10, {8, 20, 0, 0}, {8, 20, 79, 25}}, {0, 0, {4, 4, 0, 0}, {4, 4, 75, 25}});
}

}  // namespace
