// The start command's batch: which entries of the location list are tested, in which form.
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "TempDir.h"
#include "engine/TestBatch.h"
#include "media/LocationList.h"
#include "platform/Files.h"
#include "support/RunParts.h"
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

// A main window that records what the start command asks of it. While the location numbered
// `stopAt` is tested the cancel button stops it; at `closeAt` a close is granted; the results of
// `failAt` end in an error (a log that could not be kept).
class RecordingWindow final : public BatchWindow {
  public:
    explicit RecordingWindow(TestStatistics& statistics) : m_statistics(statistics) {}
    int stopAt = -1, closeAt = -1, failAt = -1;
    std::vector<std::string> events;

    void LockCommands(bool locked) override { events.emplace_back(locked ? "lock" : "unlock"); }
    void ShowDisplay() override {}
    void PrepareLocation(bool) override {}
    uint16_t PerformTest(const std::string& location, ReadModeOverride) override {
        events.push_back("test " + location.substr(location.size() - 2, 1));
        const int n = m_tested++;
        if (n == stopAt || n == closeAt) m_statistics.StopRequested = true;
        if (n == closeAt) m_closing = true;
        return static_cast<uint16_t>(n);
    }
    void StopProgressTimer() override {}
    bool PauseProgressTimer() override { return false; }
    void ResumeProgressTimer() override {}
    void ErrorResults(uint16_t badFileCount) override {
        events.push_back("results " + std::to_string(m_statistics.LocationIndex) + ":" +
                         std::to_string(badFileCount));
        if (m_statistics.LocationIndex == failAt) throw std::runtime_error("Záznam nelze uložit");
    }
    bool Closing() const override { return m_closing; }

  private:
    TestStatistics& m_statistics;
    int m_tested = 0;
    bool m_closing = false;
};

TEST(TestBatch, TheStartCommandTestsEachLocationAndAsksAfterAStopWhetherToGoOn) {
    const std::string goOn = "Test byl přerušen. Má se pokračovat další vybranou cestou?";
    const std::vector<std::string> all = {"lock",        "test a", "results 0:0", "test b",
                                          "results 1:1", "test c", "results 2:2", "unlock"};
    const std::vector<std::string> twoOnly = {"lock",   "test a",      "results 0:0",
                                              "test b", "results 1:1", "unlock"};
    const struct {
        const char* what;
        int stopAt, closeAt, failAt;
        std::vector<MsgResult> answers;
        std::vector<std::string> events;
        std::vector<std::string> messages;
    } cases[] = {
        {"no stop", -1, -1, -1, {}, all, {}},
        {"stopped, go on", 1, -1, -1, {MsgResult::Yes}, all, {goOn}},
        {"stopped, do not go on", 1, -1, -1, {MsgResult::No}, twoOnly, {goOn}},
        {"the last location stopped: nothing to ask", 2, -1, -1, {}, all, {}},
        {"closed: no question, no next location", -1, 1, -1, {MsgResult::Yes}, twoOnly, {}},
        {"results that fail are reported, the batch goes on",
         -1,
         -1,
         0,
         {},
         all,
         {"Záznam nelze uložit."}},
    };
    test::TempDir temp;
    LocationList list;
    for (const char* name : {"a", "b", "c"}) {
        temp.file(std::string(name) + platform::PathSeparator() + "f.txt", "f");
        list.SetTicked(list.Add(temp.path() + name), true);
    }
    for (const auto& c : cases) {
        test::RunParts parts;
        parts.dialogs.answers.assign(c.answers.begin(), c.answers.end());
        TestSession session(parts.settings, parts.statistics, parts.display, parts.host,
                            parts.dialogs, parts.clock);
        RecordingWindow window(parts.statistics);
        window.stopAt = c.stopAt;
        window.closeAt = c.closeAt;
        window.failAt = c.failAt;
        ButtonStartTest(session, list, window, AsTheOptionsSay);
        EXPECT_EQ(window.events, c.events) << c.what;
        std::vector<std::string> messages;
        for (const auto& shown : parts.dialogs.shown) messages.push_back(shown.text);
        EXPECT_EQ(messages, c.messages) << c.what;
        EXPECT_FALSE(parts.statistics.TestRunning) << c.what;
        EXPECT_EQ(parts.display.statusText, "Test dokončen...") << c.what;
    }

    // Nothing ticked: said so, and nothing is locked or tested.
    for (int i = 0; i < list.Count(); ++i) list.SetTicked(i, false);
    test::RunParts parts;
    TestSession session(parts.settings, parts.statistics, parts.display, parts.host, parts.dialogs,
                        parts.clock);
    RecordingWindow window(parts.statistics);
    ButtonStartTest(session, list, window, AsTheOptionsSay);
    EXPECT_TRUE(window.events.empty());
    ASSERT_EQ(parts.dialogs.shown.size(), 1u);
    EXPECT_EQ(parts.dialogs.shown[0].text,
              "Nejsou vybrány žádné umístění pro test! Vyberte je a spusťte test znovu.");
}

// A main window that records each location tested, its read mode and the source folder set.
class CompareWindow final : public BatchWindow {
  public:
    explicit CompareWindow(const TestSession& session) : m_session(session) {}
    std::vector<std::string> events;
    void LockCommands(bool locked) override { events.emplace_back(locked ? "lock" : "unlock"); }
    void ShowDisplay() override {}
    void PrepareLocation(bool) override {}
    uint16_t PerformTest(const std::string& location, ReadModeOverride override) override {
        events.push_back(location + " " + std::to_string(override) + " " + m_session.SourceFolder);
        return 0;
    }
    void StopProgressTimer() override {}
    bool PauseProgressTimer() override { return false; }
    void ResumeProgressTimer() override {}
    void ErrorResults(uint16_t) override { events.emplace_back("results"); }
    bool Closing() const override { return false; }

  private:
    const TestSession& m_session;
};

TEST(TestBatch, TheCompareCommandTestsTheSelectedLocationInFullAgainstThePickedFolder) {
    test::TempDir temp;
    const std::string sep(1, platform::PathSeparator());
    temp.file("disc" + sep + "x.txt", "x");
    const std::string disc = temp.path() + "disc";
    const std::string noLocation =
        "Vyberte v seznamu umístění médium, které se má porovnat se zdrojovou složkou.";
    const struct {
        const char* what;
        std::string location;
        int selected;
        std::string picked;  // empty: the picker is cancelled
        std::vector<std::string> shown, events;
    } cases[] = {
        {"nothing selected", disc, -1, "", {noLocation}, {}},
        {"no such folder", temp.path() + "gone", 0, "", {noLocation}, {}},
        {"the picker cancelled", disc, 0, "", {"browse"}, {}},
        {"a folder picked",
         disc,
         0,
         temp.path() + "src",
         {"browse"},
         {"lock", disc + sep + " 1 " + temp.path() + "src" + sep, "results", "unlock"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::RunParts parts;
        TestSession session(parts.settings, parts.statistics, parts.display, parts.host,
                            parts.dialogs, parts.clock);
        parts.dialogs.inputs = {c.picked};
        LocationList list;
        list.Add(c.location);
        list.SetSelected(c.selected);
        CompareWindow window(session);
        CompareWithSource(session, list, window);
        std::vector<std::string> shown;
        for (const auto& box : parts.dialogs.shown)
            shown.push_back(box.kind == "browse" ? "browse" : box.text);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(window.events, c.events);
        EXPECT_TRUE(session.SourceFolder.empty());
    }
}

}  // namespace
}  // namespace vorlaxis
