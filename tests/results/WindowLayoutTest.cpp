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

TEST(WindowLayout, InitialSizesGiveTheDesignedPlaces) {
    const ErrorListLayout list = LayoutErrorList(491, 356);
    EXPECT_EQ(list.listView, (ControlRect{8, 20, 467, 273}));
    EXPECT_EQ(list.okButton, (ControlRect{397, 299, 79, 25}));
    const EditorLayout editor = LayoutEditor(535, 352);
    EXPECT_EQ(editor.memo, (ControlRect{4, 4, 519, 285}));
    EXPECT_EQ(editor.okButton, (ControlRect{449, 297, 75, 25}));
}

TEST(WindowLayout, GrowingMovesTheButtonAndGrowsTheList) {
    const ErrorListLayout list = LayoutErrorList(591, 456);
    EXPECT_EQ(list.listView, (ControlRect{8, 20, 567, 373}));
    EXPECT_EQ(list.okButton, (ControlRect{497, 399, 79, 25}));
    const EditorLayout editor = LayoutEditor(635, 452);
    EXPECT_EQ(editor.memo, (ControlRect{4, 4, 619, 385}));
    EXPECT_EQ(editor.okButton, (ControlRect{549, 397, 75, 25}));
}

TEST(WindowLayout, TooSmallWindowsAreClamped) {
    const ErrorListLayout list = LayoutErrorList(10, 10);
    EXPECT_EQ(list.listView, (ControlRect{8, 20, 0, 0}));
    EXPECT_EQ(list.okButton, (ControlRect{8, 20, 79, 25}));
    const EditorLayout editor = LayoutEditor(0, 0);
    EXPECT_EQ(editor.memo, (ControlRect{4, 4, 0, 0}));
    EXPECT_EQ(editor.okButton, (ControlRect{4, 4, 75, 25}));
}

}  // namespace
