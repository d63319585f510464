// The five buttons beside the location list and the path check, with scripted dialogs and
// real folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "media/LocationList.h"
#include "support/ScriptedDialogs.h"

using namespace vorlaxis;

namespace {

using vorlaxis::test::ScriptedDialogs;

const std::string kQuestionTail =
    "\n\nZadaná cesta není platná, nebo zařízení není připraveno. Checete i přesto tuto cestu "
    "přidat?";

void ExpectWarning(const ScriptedDialogs::Shown& shown, const std::string& path) {
    EXPECT_EQ(shown.kind, "message");
    EXPECT_EQ(shown.text, path + kQuestionTail);
    EXPECT_EQ(shown.caption, "Potvrzení");
    EXPECT_EQ(shown.buttons, MsgButtons::YesNo);
    EXPECT_EQ(shown.icon, MsgIcon::Warning);
}

}  // namespace

TEST(CheckPathValidity, AnExistingFolderPassesWithoutAQuestion) {
    vorlaxis::test::TempDir dir;
    const std::string link = dir.path() + "link";
    std::error_code linkError;
    std::filesystem::create_directory_symlink(dir.path(), link, linkError);
    ScriptedDialogs dialogs;
    EXPECT_TRUE(CheckPathValidity(dialogs, dir.path()));
    // A link to a folder is that folder (where this system lets us make one).
    if (!linkError) {
        EXPECT_TRUE(CheckPathValidity(dialogs, link));
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST(CheckPathValidity, AnythingElseAsksAndOnlyYesAccepts) {
    vorlaxis::test::TempDir dir;
    const std::string file = dir.file("plain.txt", "x");
    const std::string missing = dir.path() + "missing";
    ScriptedDialogs dialogs;
    dialogs.answers = {MsgResult::Yes, MsgResult::No, MsgResult::Ok};
    EXPECT_TRUE(CheckPathValidity(dialogs, missing));
    EXPECT_FALSE(CheckPathValidity(dialogs, file));  // a file is not a location
    EXPECT_FALSE(CheckPathValidity(dialogs, missing));
    ASSERT_EQ(dialogs.shown.size(), 3u);
    ExpectWarning(dialogs.shown[0], missing);
    ExpectWarning(dialogs.shown[1], file);
}

TEST(LocationCommands, BrowseAddsAPickedFolderAndIgnoresACancel) {
    vorlaxis::test::TempDir dir;
    LocationList list;
    ScriptedDialogs dialogs;
    dialogs.inputs = {"", dir.path(), "/no/such/folder", "/no/such/folder"};
    dialogs.answers = {MsgResult::No, MsgResult::Yes};
    EXPECT_FALSE(BrowseAndAddLocation(list, dialogs));  // cancelled or no file-system item
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Nalistovat složku...");
    EXPECT_TRUE(BrowseAndAddLocation(list, dialogs));
    EXPECT_FALSE(BrowseAndAddLocation(list, dialogs));  // warned, answered No
    EXPECT_TRUE(BrowseAndAddLocation(list, dialogs));   // warned, answered Yes
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Text(0), "/no/such/folder");
    EXPECT_EQ(list.Text(1), dir.path());
    EXPECT_FALSE(list.IsTicked(0));
}

TEST(LocationCommands, AddByHandAsksForAPathAndIgnoresAnEmptyOne) {
    vorlaxis::test::TempDir dir;
    LocationList list;
    ScriptedDialogs dialogs;
    dialogs.inputs = {"", dir.path()};
    EXPECT_FALSE(AddLocationByHand(list, dialogs));
    ASSERT_EQ(dialogs.shown.size(), 1u);  // no warning for nothing
    EXPECT_EQ(dialogs.shown[0].kind, "input");
    EXPECT_EQ(dialogs.shown[0].caption, "Vložit ručně");
    EXPECT_EQ(dialogs.shown[0].text, "Zapište novou cestu:|");
    EXPECT_TRUE(AddLocationByHand(list, dialogs));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Text(0), dir.path());
}

TEST(LocationCommands, EditReplacesTheSelectedEntryInPlace) {
    LocationList list;
    list.Add("A:\\");
    list.Add("C:\\");
    list.SetTicked(0, true);
    ScriptedDialogs dialogs;
    EXPECT_FALSE(EditSelectedLocation(list, dialogs));  // nothing selected: nothing shown
    EXPECT_TRUE(dialogs.shown.empty());
    list.SetSelected(0);
    dialogs.inputs = {"Z:\\"};
    dialogs.answers = {MsgResult::Yes};  // Z:\ does not exist here
    EXPECT_TRUE(EditSelectedLocation(list, dialogs));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].caption, "Upravit cestu");
    EXPECT_EQ(dialogs.shown[0].text, "Zapište novou cestu:|A:\\");
    ExpectWarning(dialogs.shown[1], "Z:\\");
    EXPECT_EQ(list.Text(0), "Z:\\");
    EXPECT_EQ(list.Text(1), "C:\\");
    EXPECT_TRUE(list.IsTicked(0));
    EXPECT_EQ(list.Selected(), 0);
}

TEST(LocationCommands, CancelInTheEditOfAMissingPathStillAsksAndChangesNothing) {
    for (const MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
        LocationList list;
        list.Add("E:\\");
        list.SetTicked(0, true);
        list.SetSelected(0);
        ScriptedDialogs dialogs;
        dialogs.inputs = {""};  // Cancel
        dialogs.answers = {answer};
        EXPECT_FALSE(EditSelectedLocation(list, dialogs));
        ASSERT_EQ(dialogs.shown.size(), 2u);
        ExpectWarning(dialogs.shown[1], "E:\\");
        EXPECT_EQ(list.Count(), 1);
        EXPECT_EQ(list.Text(0), "E:\\");
        EXPECT_TRUE(list.IsTicked(0));
        EXPECT_EQ(list.Selected(), 0);
    }
}

TEST(LocationCommands, EditNeverEmptiesAnEntry) {
    LocationList list;
    list.Add("");  // an empty path read from the file
    list.SetSelected(0);
    ScriptedDialogs dialogs;
    EXPECT_FALSE(EditSelectedLocation(list, dialogs));  // Cancel gives "" back: stop silently
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(list.Count(), 1);
}

TEST(LocationCommands, RemoveAsksFirst) {
    LocationList list;
    list.Add("a");
    list.Add("b");
    ScriptedDialogs dialogs;
    EXPECT_FALSE(RemoveSelectedLocation(list, dialogs));
    EXPECT_TRUE(dialogs.shown.empty());
    list.SetSelected(1);
    dialogs.answers = {MsgResult::No, MsgResult::Yes};
    EXPECT_FALSE(RemoveSelectedLocation(list, dialogs));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_TRUE(RemoveSelectedLocation(list, dialogs));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Text(0), "a");
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].text, "Odstranit vybranou cestu?");
    EXPECT_EQ(dialogs.shown[0].caption, "Potvrzení");
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(dialogs.shown[0].icon, MsgIcon::Information);
}

TEST(LocationCommands, ShowGivesTheWholeText) {
    LocationList list;
    const std::string longPath = "/" + std::string(300, 'x') + "/Čtení";
    list.Add(longPath);
    ScriptedDialogs dialogs;
    EXPECT_FALSE(ShowSelectedLocation(list, dialogs));
    EXPECT_TRUE(dialogs.shown.empty());
    list.SetSelected(0);
    ShowSelectedLocation(list, dialogs);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Aktuální záznam:\n\n" + longPath);
    EXPECT_EQ(dialogs.shown[0].caption, "Zobrazit cestu");
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(dialogs.shown[0].icon, MsgIcon::Information);
}
