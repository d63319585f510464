// Where the program keeps the files it writes: the settings file and the saved logs lie beside
// the program when its folder takes files (portable use, as always), otherwise in the user's
// own folders, as Windows redirects such writes for older programs. Help pages and
// "whatsnew.txt" are read from beside the program in either case.
#pragma once

#include <string>

namespace vorlaxis {

struct DataFolders {
    std::string SettingsFolder;  // with a trailing separator
    std::string SettingsFile;    // SettingsFolder + "Ulvenor.ini"
    std::string LogsFolder;      // "Logs" with a trailing separator
    bool BesideProgram = true;
};

// The folder of saved logs in `base`: base + "Logs" + separator.
std::string LogsFolderPath(const std::string& base);

// The choice itself. Beside the program when `programFolderWritable`, or when the user has no
// folders of his own (empty texts); otherwise userConfigFolder + "Ulvenor.ini" and
// userDataFolder + "Logs" + separator. Folders end in the separator.
DataFolders ChooseDataFolders(const std::string& programFolder, bool programFolderWritable,
                              const std::string& userConfigFolder,
                              const std::string& userDataFolder);

// Readies the user's folders when the choice fell on them: the settings file's folder is
// created, and a user without a settings file of his own starts from the one beside the
// program, if there is one (a program run from a read-only medium keeps its locations).
void PrepareDataFolders(const DataFolders& folders, const std::string& programFolder);

// The folders of this run: chosen and readied once, when first asked for.
const DataFolders& ProgramDataFolders();

// The about box's two lines: "Nastavení: " + the settings file's folder and "Záznamy: " + the
// logs folder, as the user reads them.
std::string SettingsFolderLine(const DataFolders& folders);
std::string LogsFolderLine(const DataFolders& folders);

}  // namespace vorlaxis
