// Where the settings file and the saved logs go: beside the program when its folder takes
// files, else in the user's folders, which are readied for the first run there.
#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"
#include "platform/Files.h"
#include "settings/DataFolders.h"
#include "support/ReadBack.h"

using namespace vorlaxis;
using vorlaxis::test::ReadOrMissing;
using vorlaxis::test::TempDir;

namespace {

std::string S(const std::string& path) {  // a path with this system's separator
    std::string out = path;
    for (char& c : out) {
        if (c == '/') c = platform::PathSeparator();
    }
    return out;
}

}  // namespace

TEST(DataFolders, BesideAWritableProgramElseInTheUsersFolders) {
    struct Case {
        bool writable;
        const char* config;
        const char* data;
        const char* settings;
        const char* logs;
        bool beside;
    };
    const Case cases[] = {
        {true, "/u/cfg/", "/u/data/", "/opt/v/Ulvenor.ini", "/opt/v/Logs/", true},
        {false, "/u/cfg/", "/u/data/", "/u/cfg/Ulvenor.ini", "/u/data/Logs/", false},
        {false, "", "", "/opt/v/Ulvenor.ini", "/opt/v/Logs/", true},  // no home: nowhere else
    };
    for (const Case& c : cases) {
        const DataFolders f = ChooseDataFolders(S("/opt/v/"), c.writable, S(c.config), S(c.data));
        EXPECT_EQ(f.SettingsFile, S(c.settings));
        EXPECT_EQ(f.SettingsFolder + "Ulvenor.ini", f.SettingsFile);
        EXPECT_EQ(f.LogsFolder, S(c.logs));
        EXPECT_EQ(f.BesideProgram, c.beside);
    }
    const DataFolders user = ChooseDataFolders(S("/opt/v/"), false, S("/u/cfg/"), S("/u/data/"));
    EXPECT_EQ(SettingsFolderLine(user), "Nastavení: " + S("/u/cfg/"));
    EXPECT_EQ(LogsFolderLine(user), "Záznamy: " + S("/u/data/Logs/"));
}

TEST(DataFolders, UsersFolderIsCreatedAndStartsFromTheSettingsBesideTheProgram) {
    TempDir program, user;
    program.file("Ulvenor.ini", "[Paths]\nPath0=/media/cd\n");
    const std::string config = user.path() + S("config/vorlaxis/");
    const DataFolders f = ChooseDataFolders(program.path(), false, config, user.path());
    PrepareDataFolders(f, program.path());
    EXPECT_TRUE(platform::IsDirectory(config));
    EXPECT_EQ(ReadOrMissing(f.SettingsFile), "[Paths]\nPath0=/media/cd\n");

    // Later runs keep the user's own file.
    platform::WriteWholeFile(f.SettingsFile, "[Paths]\n");
    PrepareDataFolders(f, program.path());
    EXPECT_EQ(ReadOrMissing(f.SettingsFile), "[Paths]\n");
    EXPECT_FALSE(platform::Exists(f.LogsFolder));  // made when a log is saved

    // Beside the program nothing is prepared.
    TempDir other;
    PrepareDataFolders(ChooseDataFolders(other.path(), true, config, user.path()), other.path());
    EXPECT_FALSE(platform::Exists(other.path() + "Logs"));
}
