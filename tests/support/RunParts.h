// What a run of the core needs around it in a test, scripted, and the log it wrote. The run
// fixtures add their calls and the session on top.
#pragma once

#include <string>
#include <vector>

#include "TempDir.h"
#include "core/MainDisplay.h"
#include "engine/TestRun.h"
#include "engine/TestStatistics.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "settings/TestSettings.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedHost.h"

namespace vorlaxis::test {

struct RunParts {
    RunParts() {
        settings.EjectAfterTest = false;
        settings.DataReadStyle = ReadAllData;
    }

    TempDir logs;  // the log of each run goes here, as log.txt
    TestSettings settings;
    TestStatistics statistics;
    MainDisplay display;
    ScriptedHost host;
    ScriptedDialogs dialogs;
    FixedClock clock;
};

// The bytes of the log the last run of `session` wrote.
inline std::string LogBytes(const TestSession& session) {
    std::string bytes;
    platform::ReadWholeFile(session.LogPath, bytes);
    return bytes;
}

// That log converted back to UTF-8.
inline std::string LogText(const TestSession& session) {
    return platform::Cp1250ToUtf8(LogBytes(session));
}

// That log as UTF-8 lines (split at CR LF; the last, empty piece dropped).
inline std::vector<std::string> LogLines(const TestSession& session) {
    const std::string text = LogText(session);
    std::vector<std::string> lines;
    size_t pos = 0;
    for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
        lines.push_back(text.substr(pos, end - pos));
    }
    if (pos < text.size()) lines.push_back(text.substr(pos));
    return lines;
}

}  // namespace vorlaxis::test
