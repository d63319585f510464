// The start command's batch: which entries of the location list are tested, in which form.
#include <gtest/gtest.h>

#include <utility>

#include "TempDir.h"
#include "engine/TestBatch.h"
#include "media/LocationList.h"
#include "platform/Files.h"
#include "support/ScriptedDialogs.h"

namespace vorlaxis {
namespace {

TEST(TestBatch, TickedExistingFoldersInListOrderEachEndingInTheSeparator) {
    test::TempDir temp;
    const std::string sep(1, platform::PathSeparator());
    temp.file("b" + sep + "x.txt", "x");
    temp.file("a" + sep + "y.txt", "y");
    temp.file("c" + sep + "z.txt", "z");
    const struct {
        std::string path;
        bool ticked;
    } entries[] = {{temp.path() + "b", true},                   // ticked: tested, separator added
                   {temp.path() + "a" + sep, true},             // already ends in it: unchanged
                   {temp.path() + "c", false},                  // not ticked
                   {temp.path() + "missing", true},             // no such folder: passed over
                   {temp.path() + "b" + sep + "x.txt", true}};  // a file, not a folder
    LocationList list;
    for (const auto& entry : entries) list.SetTicked(list.Add(entry.path), entry.ticked);
    EXPECT_EQ(CollectBatch(list),
              (std::vector<std::string>{temp.path() + "a" + sep, temp.path() + "b" + sep}));
    EXPECT_TRUE(CollectBatch(LocationList()).empty());
}

// A main window whose progress timer is all that the cancel question touches.
class TimerWindow final : public BatchWindow {
  public:
    bool running = false;
    int resumed = 0;
    void LockCommands(bool) override {}
    void ShowDisplay() override {}
    void PrepareLocation(bool) override {}
    uint16_t PerformTest(const std::string&, ReadModeOverride) override { return 0; }
    void StopProgressTimer() override { running = false; }
    bool PauseProgressTimer() override { return std::exchange(running, false); }
    void ResumeProgressTimer() override {
        running = true;
        ++resumed;
    }
    void ErrorResults(uint16_t) override {}
    bool Closing() const override { return false; }
};

TEST(TestBatch, TheCancelQuestionStopsOnYesAndPausesOnlyARunningProgressDisplay) {
    const struct {
        MsgResult answer;
        bool timerRunning;
        bool stops;
        int resumed;
    } cases[] = {{MsgResult::Yes, true, true, 1},
                 {MsgResult::No, true, false, 1},
                 // Still collecting: the progress display has not started and does not start.
                 {MsgResult::No, false, false, 0}};
    for (const auto& c : cases) {
        test::ScriptedDialogs dialogs;
        dialogs.answers = {c.answer};
        TestStatistics statistics;
        TimerWindow window;
        window.running = c.timerRunning;
        ConfirmCancel(statistics, dialogs, window);
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].text, "Opravdu si přejete přerušit test média?");
        EXPECT_EQ(dialogs.shown[0].caption, "Potvrzení");
        EXPECT_EQ(statistics.StopRequested, c.stops);
        EXPECT_EQ(window.resumed, c.resumed);
        EXPECT_EQ(window.running, c.timerRunning);
    }
}

}  // namespace
}  // namespace vorlaxis
