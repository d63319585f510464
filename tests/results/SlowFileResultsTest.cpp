// Readable but slow files after a location: the list's rows, the summary that offers it, and
// the speed graph laid out in pixels with the file under the mouse.
#include <gtest/gtest.h>

#include "platform/Files.h"
#include "results/SlowFileResults.h"
#include "results/SpeedGraph.h"
#include "support/ScriptedDialogs.h"

using namespace vorlaxis;
using namespace vorlaxis::test;

namespace {

constexpr int64_t kMiB = 1024 * 1024;

// "/m/d/" with the system's separators: the list splits paths where the system does.
std::string Folder() {
    std::string folder = "/m/d/";
    for (char& c : folder) c = c == '/' ? platform::PathSeparator() : c;
    return folder;
}

// 40 files of 1 MB at 100 MB/s on "/m/d/"; the one at `slow` (if any) takes 2 s, the one at
// `unreadable` (if any) failed.
std::vector<FileSpeed> Location(int slow = -1, int unreadable = -1) {
    std::vector<FileSpeed> files;
    for (int i = 0; i < 40; ++i) {
        const bool failed = i == unreadable;
        files.push_back({Folder() + "f" + std::to_string(i) + ".bin", kMiB, failed ? 0 : kMiB,
                         i == slow ? 2.0 : 0.01, failed});
    }
    return files;
}

TEST(SlowFileResults, ListsOnlyTheSlowFilesSplitWithTheirSpeed) {
    EXPECT_TRUE(SlowFileRows(Location()).empty());
    EXPECT_TRUE(SlowFileRows(Location(-1, 7)).empty());
    EXPECT_TRUE(SlowFileRows({}).empty());
    const std::vector<SlowFileRow> rows = SlowFileRows(Location(12, 7));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Name, "f12.bin");
    EXPECT_EQ(rows[0].Directory, Folder());
    EXPECT_EQ(rows[0].Speed, "0.500 MB/s");
}

TEST(SlowFileResults, OffersTheListOnlyWhenThereAreSlowFiles) {
    struct Case {
        size_t count;
        MsgResult answer;
        bool listShown;
    } cases[] = {{0, MsgResult::Yes, false}, {3, MsgResult::No, false}, {3, MsgResult::Yes, true}};
    for (const Case& c : cases) {
        ScriptedDialogs dialogs;
        dialogs.answers.push_back(c.answer);
        bool shown = false;
        OfferSlowFileList(dialogs, c.count, [&] { shown = true; });
        EXPECT_EQ(shown, c.listShown) << c.count;
        ASSERT_EQ(dialogs.shown.size(), c.count > 0 ? 1u : 0u);
        if (c.count == 0) continue;
        EXPECT_EQ(dialogs.shown[0].text.rfind("Čitelné, ale pomalé soubory: 3\r\n", 0), 0u);
        EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNo);
    }
}

TEST(SpeedGraph, DrawsTheProfileInThePlotAndFindsTheMarkedFileUnderTheMouse) {
    const std::vector<FileSpeed> files = Location(12, 30);
    const SpeedGraphPicture picture = LayoutSpeedGraph(files, 800, 400);
    const ControlRect& plot = picture.plot;
    EXPECT_EQ(picture.curve.size(), SpeedProfile(files).size());
    for (const GraphPixel& p : picture.curve) {
        EXPECT_GE(p.x, plot.left);
        EXPECT_LE(p.x, plot.left + plot.width);
        EXPECT_GE(p.y, plot.top);
        EXPECT_LE(p.y, plot.top + plot.height);
    }
    EXPECT_DOUBLE_EQ(picture.curve.back().x, plot.left + plot.width);
    // Unreadable first, each at the end of its file: 31 and 13 of 40 megabytes.
    ASSERT_EQ(picture.marks.size(), 2u);
    EXPECT_TRUE(picture.marks[0].unreadable);
    EXPECT_DOUBLE_EQ(picture.marks[0].x, plot.left + plot.width * 31.0 / 40.0);
    EXPECT_DOUBLE_EQ(picture.marks[1].x, plot.left + plot.width * 13.0 / 40.0);
    EXPECT_EQ(picture.megabytesText, "40.0 MB");

    const double x = picture.marks[1].x, middle = plot.top + plot.height / 2.0;
    EXPECT_EQ(SpeedGraphTitleAt(picture, x + 2, middle), Folder() + "f12.bin (0.500 MB/s)");
    EXPECT_EQ(SpeedGraphTitleAt(picture, picture.marks[0].x, middle),
              Folder() + "f30.bin (nelze přečíst)");
    EXPECT_EQ(SpeedGraphTitleAt(picture, x + 12, middle), "");
    EXPECT_EQ(SpeedGraphTitleAt(picture, x, plot.top + plot.height + 5), "");
}

TEST(SpeedGraph, AnEmptyOrTinyLocationStillHasAxes) {
    for (const int size : {0, 10}) {
        const SpeedGraphPicture picture = LayoutSpeedGraph({}, size, size);
        EXPECT_TRUE(picture.curve.empty());
        EXPECT_TRUE(picture.marks.empty());
        EXPECT_GE(picture.plot.width, 1);
        EXPECT_GE(picture.plot.height, 1);
        EXPECT_EQ(SpeedGraphTitleAt(picture, 0, 0), "");
    }
}

}  // namespace
