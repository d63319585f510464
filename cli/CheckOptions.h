// The command line of vorlaxis-check.
#pragma once

#include <string>
#include <vector>

#include "settings/TestSettings.h"

namespace vorlaxis::cli {

struct CheckOptions {
    bool help = false;
    bool version = false;
    int32_t dataReadStyle = ReadAllData;         // a ReadStyle
    int32_t readEveryXthBlock = kNothingChosen;  // a BlockInterval
    int32_t blockSizeKb = kDefaultBlockSize;     // pulled into 4..48
    std::string logFile;                         // empty: print each log to stdout
    std::string jsonFile;                        // empty: no JSON result; "-": standard output
    std::string graphFile;                       // empty: no speed graph
    std::string historyFolder;                   // empty: no records; else ends in "/"
    bool noFileLimit = false;                    // test every file, past the usual 49152
    std::string sourceFolder;                    // empty: no comparison; else ends in "/"
    std::vector<std::string> paths;
};

// Parses the arguments after the program name. False with `error` set on bad usage.
bool ParseOptions(const std::vector<std::string>& args, CheckOptions& options, std::string& error);

// The text of --help.
const char* UsageText();

// The text of --version: the program's name and version.
const char* VersionText();

// A location as the run wants it: with a trailing "/".
std::string AsLocation(const std::string& path);

}  // namespace vorlaxis::cli
