#include "settings/DataFolders.h"

#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/Text.h"

namespace vorlaxis {

namespace {

const char kSettingsFileName[] = "Ulvenor.ini";

DataFolders In(const std::string& settingsFolder, const std::string& logsBase, bool beside) {
    return {settingsFolder, settingsFolder + kSettingsFileName, LogsFolderPath(logsBase), beside};
}

}  // namespace

std::string LogsFolderPath(const std::string& base) {
    return base + "Logs" + platform::PathSeparator();
}

DataFolders ChooseDataFolders(const std::string& programFolder, bool programFolderWritable,
                              const std::string& userConfigFolder,
                              const std::string& userDataFolder) {
    if (programFolderWritable || userConfigFolder.empty() || userDataFolder.empty()) {
        return In(programFolder, programFolder, true);
    }
    return In(userConfigFolder, userDataFolder, false);
}

void PrepareDataFolders(const DataFolders& folders, const std::string& programFolder) {
    if (folders.BesideProgram) return;
    platform::MakeDirectories(folders.SettingsFolder);
    std::string seed;
    if (!platform::Exists(folders.SettingsFile) &&
        platform::ReadWholeFile(programFolder + kSettingsFileName, seed)) {
        platform::WriteWholeFile(folders.SettingsFile, seed);
    }
}

const DataFolders& ProgramDataFolders() {
    static const DataFolders folders = [] {
        const std::string program = platform::ProgramFolder();
        DataFolders chosen =
            ChooseDataFolders(program, platform::ProgramFolderIsWritable(program),
                              platform::UserConfigFolder(), platform::UserDataFolder());
        PrepareDataFolders(chosen, program);
        return chosen;
    }();
    return folders;
}

std::string SettingsFolderLine(const DataFolders& folders) {
    return "Nastavení: " + platform::DisplayText(folders.SettingsFolder);
}

std::string LogsFolderLine(const DataFolders& folders) {
    return "Záznamy: " + platform::DisplayText(folders.LogsFolder);
}

}  // namespace vorlaxis
