// The help topics of the program and where their pages lie beside the program.
#pragma once

#include <functional>
#include <string>

namespace vorlaxis::help {

// Topic strings inside the help file; the same paths name the delivered HTML pages.
inline constexpr const char* kTopicContents = "/uvod.htm";
inline constexpr const char* kTopicOptions = "/konfig/konfig.htm";
inline constexpr const char* kTopicReadError = "/test.htm";
inline constexpr const char* kTopicHelpOnHelp = "/napoveda.htm";

// The name of the compiled help file that the Windows build opens.
inline constexpr const char* kHelpFileName = "qantrel.chm";
// The folder beside the program that holds the help pages as HTML.
inline constexpr const char* kHelpFolderName = "help";
// The document opened by "Co je nového?".
inline constexpr const char* kWhatsNewFileName = "whatsnew.txt";

// The compiled help file's topic string: program folder + "qantrel.chm::" + topic.
std::string HelpFileTopic(const std::string& programFolder, const std::string& topic);

// The HTML page of a topic: program folder + "help" + the topic with the platform's
// separators, for example ".../help/konfig/konfig.htm".
std::string HelpPagePath(const std::string& programFolder, const std::string& topic);

// Shows a topic of a compiled help file: the system's help viewer unless a test has put its own
// in place. False where no viewer could show it.
using CompiledHelpViewer =
    std::function<bool(const std::string& helpFile, const std::string& topic)>;

// Shows `topic` of the compiled help file beside the program in the help viewer.
bool ShowCompiledTopic(const std::string& topic);

// Puts `viewer` in place of the system's help viewer (empty: the system's again); returns the one
// it replaces (empty for the system's).
CompiledHelpViewer SetCompiledHelpViewer(CompiledHelpViewer viewer);

}  // namespace vorlaxis::help
