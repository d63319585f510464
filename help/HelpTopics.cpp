#include "help/HelpTopics.h"

#include <algorithm>

#include "platform/Files.h"

namespace vorlaxis::help {

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

}  // namespace vorlaxis::help
