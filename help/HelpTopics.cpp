#include "help/HelpTopics.h"

#include <algorithm>
#include <utility>

#include "platform/Files.h"
#include "platform/Help.h"

namespace vorlaxis::help {

namespace {
CompiledHelpViewer g_replacedViewer;
}  // namespace

std::string HelpFileTopic(const std::string& programFolder, const std::string& topic) {
    return programFolder + kHelpFileName + "::" + topic;
}

std::string HelpPagePath(const std::string& programFolder, const std::string& topic) {
    std::string relative = topic;
    std::replace(relative.begin(), relative.end(), '/', platform::PathSeparator());
    if (relative.empty() || relative.front() != platform::PathSeparator()) {
        relative.insert(relative.begin(), platform::PathSeparator());
    }
    return programFolder + kHelpFolderName + relative;
}

bool ShowCompiledTopic(const std::string& topic) {
    const std::string helpFile = platform::ProgramFolder() + kHelpFileName;
    return g_replacedViewer ? g_replacedViewer(helpFile, topic)
                            : platform::ShowCompiledHelp(helpFile, topic);
}

CompiledHelpViewer SetCompiledHelpViewer(CompiledHelpViewer viewer) {
    return std::exchange(g_replacedViewer, std::move(viewer));
}

}  // namespace vorlaxis::help
