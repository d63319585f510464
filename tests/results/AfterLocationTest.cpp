// What follows a location's results in both window programs: the medium's history kept, and its
// questions left out while the window closes.
#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "results/AfterLocation.h"
#include "results/History.h"
#include "support/RunParts.h"

namespace vorlaxis::test {
namespace {

struct Tested : RunParts {
    Tested() { session.LogPathOverride = logs.path() + "log.txt"; }
    void Run() { PerformTest(session, tree.path()); }
    // Follows the last run up as the main window does; returns the changes windows shown.
    int FollowUp(const std::string& historyFolder, bool closing) {
        int shown = 0;
        FollowLocationResults(
            session, tree.path(), historyFolder, closing, dialogs,
            {[](const std::vector<SlowFileRow>&) {}, [&](const ChangesView&) { ++shown; }}, state);
        return shown;
    }

    TestSession session{settings, statistics, display, host, dialogs, clock};
    TempDir tree;
    FollowUpState state;
};

TEST(AfterLocation, ClosingRecordsAndKeepsTheComparisonButAsksNothing) {
    const struct {
        bool closing;
        MsgResult answer;
        size_t questions;
        int windows;
    } cases[] = {
        {false, MsgResult::Yes, 1, 1}, {false, MsgResult::No, 1, 0}, {true, MsgResult::Yes, 0, 0}};
    for (const auto& c : cases) {
        Tested t;
        const std::string history = t.logs.path() + "History" + platform::PathSeparator();
        t.tree.file("a.bin", "a");
        t.Run();
        EXPECT_EQ(t.FollowUp(history, false), 0);
        EXPECT_TRUE(t.dialogs.shown.empty()) << "nothing to compare with yet";
        t.tree.file("a.bin", "bb");
        t.Run();
        t.dialogs.answers = {c.answer};
        EXPECT_EQ(t.FollowUp(history, c.closing), c.windows);
        EXPECT_EQ(t.dialogs.shown.size(), c.questions);
        ASSERT_TRUE(t.state.LastChanges) << "kept for the menu command";
        EXPECT_EQ(t.state.LastChanges->Groups.at(0).Heading, "Upravené soubory (1)");
        EXPECT_EQ(t.state.GraphFiles.size(), 1u);
    }
}

TEST(AfterLocation, ARecordThatCannotBeWrittenIsReportedUnlessClosing) {
    for (const bool closing : {false, true}) {
        Tested t;
        t.tree.file("a.bin", "a");
        const std::string blocked = t.logs.file("History", "a file where the folder goes");
        t.Run();
        EXPECT_EQ(t.FollowUp(blocked + platform::PathSeparator(), closing), 0);
        ASSERT_EQ(t.dialogs.shown.size(), closing ? 0u : 1u);
        if (!closing) {
            EXPECT_EQ(t.dialogs.shown[0].text,
                      RecordNotSavedText(blocked + platform::PathSeparator()));
        }
    }
}

TEST(AfterLocation, ChecksumFileFindingsAreOfferedAsAnAlarmEvenOnAFirstTest) {
    Tested t;
    t.tree.file("a.bin", "a");
    t.tree.file("SHA256SUMS",
                std::string(64, '0') + "  a.bin\n" + std::string(64, '1') + "  gone.bin\n");
    t.Run();
    t.dialogs.answers = {MsgResult::Yes};
    EXPECT_EQ(t.FollowUp(t.logs.path() + "History" + platform::PathSeparator(), false), 1);
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].icon, MsgIcon::Warning);
    ASSERT_TRUE(t.state.LastChanges);
    const ChangesView& view = *t.state.LastChanges;
    ASSERT_EQ(view.Groups.size(), 2u);
    EXPECT_EQ(view.Groups[0].Heading, "Nesouhlasí se souborem kontrolních součtů (1)");
    EXPECT_EQ(view.Groups[0].Paths, std::vector<std::string>{t.tree.path() + "a.bin"});
    EXPECT_EQ(view.Groups[1].Heading, "Chybí, ač je uveden v souboru kontrolních součtů (1)");
    EXPECT_NE(view.Summary.find("Nesouhlasí se souborem kontrolních součtů: 1"), std::string::npos);
}

// Each finding alone opens the alarm: a slip that waits for two kinds, or for a record to
// compare with, would let a partly bad medium look clean.
TEST(AfterLocation, EachFindingAloneIsOfferedAsAnAlarm) {
    const std::string sum = std::string(64, '0');
    const struct {
        std::string list;  // SHA256SUMS on the medium, none when empty
        bool unchecked;    // a directory the run could not list
        std::string heading;
    } cases[] = {
        {sum + "  a.bin\n", false, "Nesouhlasí se souborem kontrolních součtů (1)"},
        {std::string(64, '1') + "  gone.bin\n", false,
         "Chybí, ač je uveden v souboru kontrolních součtů (1)"},
        {"", true, "Nebylo otestováno (1)"},
    };
    for (const auto& c : cases) {
        Tested t;
        t.tree.file("a.bin", "a");
        if (!c.list.empty()) t.tree.file("SHA256SUMS", c.list);
        t.Run();
        if (c.unchecked)
            t.session.Unchecked = {{UncheckedReason::AccessDenied, t.tree.path() + "x/"}};
        t.dialogs.answers = {MsgResult::Yes};
        EXPECT_EQ(t.FollowUp({}, false), 1) << c.heading;
        ASSERT_EQ(t.dialogs.shown.size(), 1u);
        EXPECT_EQ(t.dialogs.shown[0].icon, MsgIcon::Warning);
        ASSERT_TRUE(t.state.LastChanges);
        ASSERT_EQ(t.state.LastChanges->Groups.size(), 1u);
        EXPECT_EQ(t.state.LastChanges->Groups[0].Heading, c.heading);
    }
}

// A comparison that could not be made is no silence: a damaged record is named with a warning
// and in the changes window; a read mode that compares nothing is what the menu command shows.
TEST(AfterLocation, AComparisonNotMadeIsShownAsAWarning) {
    for (const bool damaged : {true, false}) {
        Tested t;
        const std::string history = t.logs.path() + "History" + platform::PathSeparator();
        t.tree.file("a.bin", "a");
        t.Run();
        t.FollowUp(history, false);
        std::string record;
        for (const auto& e : std::filesystem::recursive_directory_iterator(history)) {
            if (e.path().extension() == ".record") record = test::Utf8FromPath(e.path());
        }
        ASSERT_FALSE(record.empty());
        if (damaged) {
            ASSERT_TRUE(platform::WriteWholeFile(record, "Vorlaxis test record 2\nlabel\t"));
        } else {
            t.settings.DataReadStyle = OpenFilesOnly;
        }
        t.Run();
        t.dialogs.answers = {MsgResult::Yes};
        EXPECT_EQ(t.FollowUp(history, false), damaged ? 1 : 0);
        // The comparison not made replaces the last one the menu command shows.
        ASSERT_TRUE(t.state.LastChanges);
        const std::string said = damaged ? "Nelze porovnat se záznamem média, záznam je poškozen"
                                         : "Nic nebylo porovnáno se záznamem média";
        EXPECT_NE(t.state.LastChanges->Summary.find(said), std::string::npos);
        ASSERT_EQ(t.dialogs.shown.size(), damaged ? 1u : 0u) << "no question after each location";
        if (damaged) {
            EXPECT_EQ(t.dialogs.shown[0].icon, MsgIcon::Warning);
        }
        if (damaged) {
            ASSERT_EQ(t.state.LastChanges->Groups.size(), 1u);
            EXPECT_EQ(t.state.LastChanges->Groups[0].Paths,
                      std::vector<std::string>{record + ".damaged"});
        }
    }
}

// Two folders of one drive whose serial reads 00000000 are two media, never one.
TEST(AfterLocation, FoldersOfAMediumWithoutASerialAreNeverTakenForOne) {
    Tested first, second;
    const std::string history = first.logs.path() + "History" + platform::PathSeparator();
    first.tree.file("a.bin", "a");
    second.tree.file("b.bin", "b");
    for (Tested* t : {&first, &second}) {
        t->Run();
        t->statistics.VolumeSerial = "00000000";
        t->statistics.VolumeLabel.clear();
        const HistoryStep step = KeepHistory(history, t->session, t->tree.path());
        EXPECT_TRUE(step.Recorded);
        EXPECT_FALSE(step.Changes) << "a first test of " << t->tree.path();
    }
}

}  // namespace
}  // namespace vorlaxis::test
