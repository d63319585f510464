// The five buttons beside the location list and the path check, with scripted dialogs and
// real folders.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "core/Dialogs.h"
#include "media/LocationList.h"

using namespace vorlaxis;

namespace {

// Answers every dialog from a script and records what was asked.
class ScriptedDialogs : public Dialogs {
  public:
    struct Shown {
        std::string kind, text, caption;
        MsgButtons buttons = MsgButtons::Ok;
        MsgIcon icon = MsgIcon::Information;
    };

    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon) override {
        shown.push_back({"message", text, caption, buttons, icon});
        return next<MsgResult>(answers, MsgResult::Ok);
    }
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& initial) override {
        shown.push_back({"input", prompt + "|" + initial, caption});
        // An empty script entry stands for Cancel, which gives the initial text back.
        const std::string typed = next<std::string>(inputs, "");
        return typed.empty() ? initial : typed;
    }
    std::string BrowseForFolder(const std::string& title) override {
        shown.push_back({"browse", "", title});
        return next<std::string>(inputs, "");
    }

    std::deque<MsgResult> answers;
    std::deque<std::string> inputs;
    std::vector<Shown> shown;

  private:
    template <typename T>
    static T next(std::deque<T>& queue, T fallback) {
        if (queue.empty()) return fallback;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

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
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.text(0), "/no/such/folder");
    EXPECT_EQ(list.text(1), dir.path());
    EXPECT_FALSE(list.isTicked(0));
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
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.text(0), dir.path());
}

TEST(LocationCommands, EditReplacesTheSelectedEntryInPlace) {
    LocationList list;
    list.add("A:\\");
    list.add("C:\\");
    list.setTicked(0, true);
    ScriptedDialogs dialogs;
    EXPECT_FALSE(EditSelectedLocation(list, dialogs));  // nothing selected: nothing shown
    EXPECT_TRUE(dialogs.shown.empty());
    list.setSelected(0);
    dialogs.inputs = {"Z:\\"};
    dialogs.answers = {MsgResult::Yes};  // Z:\ does not exist here
    EXPECT_TRUE(EditSelectedLocation(list, dialogs));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].caption, "Upravit cestu");
    EXPECT_EQ(dialogs.shown[0].text, "Zapište novou cestu:|A:\\");
    ExpectWarning(dialogs.shown[1], "Z:\\");
    EXPECT_EQ(list.text(0), "Z:\\");
    EXPECT_EQ(list.text(1), "C:\\");
    EXPECT_TRUE(list.isTicked(0));
    EXPECT_EQ(list.selected(), 0);
}

TEST(LocationCommands, CancelInTheEditOfAMissingPathStillAsksAndChangesNothing) {
    for (const MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
        LocationList list;
        list.add("E:\\");
        list.setTicked(0, true);
        list.setSelected(0);
        ScriptedDialogs dialogs;
        dialogs.inputs = {""};  // Cancel
        dialogs.answers = {answer};
        EXPECT_FALSE(EditSelectedLocation(list, dialogs));
        ASSERT_EQ(dialogs.shown.size(), 2u);
        ExpectWarning(dialogs.shown[1], "E:\\");
        EXPECT_EQ(list.count(), 1);
        EXPECT_EQ(list.text(0), "E:\\");
        EXPECT_TRUE(list.isTicked(0));
        EXPECT_EQ(list.selected(), 0);
    }
}

TEST(LocationCommands, EditNeverEmptiesAnEntry) {
    LocationList list;
    list.add("");  // an empty path read from the file
    list.setSelected(0);
    ScriptedDialogs dialogs;
    EXPECT_FALSE(EditSelectedLocation(list, dialogs));  // Cancel gives "" back: stop silently
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(list.count(), 1);
}

TEST(LocationCommands, RemoveAsksFirst) {
    LocationList list;
    list.add("a");
    list.add("b");
    ScriptedDialogs dialogs;
    EXPECT_FALSE(RemoveSelectedLocation(list, dialogs));
    EXPECT_TRUE(dialogs.shown.empty());
    list.setSelected(1);
    dialogs.answers = {MsgResult::No, MsgResult::Yes};
    EXPECT_FALSE(RemoveSelectedLocation(list, dialogs));
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.selected(), 1);
    EXPECT_TRUE(RemoveSelectedLocation(list, dialogs));
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.text(0), "a");
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].text, "Odstranit vybranou cestu?");
    EXPECT_EQ(dialogs.shown[0].caption, "Potvrzení");
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(dialogs.shown[0].icon, MsgIcon::Information);
}

TEST(LocationCommands, ShowGivesTheWholeText) {
    LocationList list;
    const std::string longPath = "/" + std::string(300, 'x') + "/Čtení";
    list.add(longPath);
    ScriptedDialogs dialogs;
    EXPECT_FALSE(ShowSelectedLocation(list, dialogs));
    EXPECT_TRUE(dialogs.shown.empty());
    list.setSelected(0);
    ShowSelectedLocation(list, dialogs);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Aktuální záznam:\n\n" + longPath);
    EXPECT_EQ(dialogs.shown[0].caption, "Zobrazit cestu");
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(dialogs.shown[0].icon, MsgIcon::Information);
}
