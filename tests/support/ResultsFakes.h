// Recording stand-ins for what the results reach outside the core: message boxes answered
// by script, shell requests and result windows recorded.
#pragma once

#include <string>
#include <vector>

#include "TempDir.h"
#include "core/Shell.h"
#include "platform/Files.h"
#include "results/LogFiles.h"
#include "results/Results.h"
#include "support/ScriptedDialogs.h"

namespace vorlaxis::test {

struct ShellRequest {
    std::string kind;  // "document", "editor" or "folder"
    std::string path, workingFolder;
    bool operator==(const ShellRequest&) const = default;
};

class RecordingShell final : public Shell {
  public:
    std::vector<ShellRequest> requests;
    void OpenDocument(const std::string& path, const std::string& folder) override {
        requests.push_back({"document", path, folder});
    }
    void OpenInTextEditor(const std::string& path, const std::string& folder) override {
        requests.push_back({"editor", path, folder});
    }
    void OpenFolder(const std::string& path) override { requests.push_back({"folder", path, {}}); }
};

// The internal viewer loads the real file, as the window does.
class RecordingWindows final : public ResultWindows {
  public:
    std::vector<std::string> viewerAsked;  // every log the viewer was asked to show
    std::vector<std::string> viewerShown;  // captions of the viewer when it was shown
    std::string viewerText;
    int listShown = 0;
    int colourCalls = 0;
    bool red = false;

    std::string ShowLogInViewer(const std::string& path) override {
        viewerAsked.push_back(path);
        const std::string error = LoadLogText(path, viewerText);
        if (error.empty()) viewerShown.push_back(path);
        return error;
    }
    void ShowBadFileList() override { ++listShown; }
    void SetBadFileCountRed(bool isRed) override {
        ++colourCalls;
        red = isRed;
    }
};

// What the results and the log commands work with in a test: the recording stand-ins and a
// temporary folder ("tmp/") in a folder of the test's own.
struct ResultsRig {
    // The saved log `name` in `folder`, or "<missing>".
    static std::string Saved(const std::string& folder, const std::string& name) {
        std::string content;
        return platform::ReadWholeFile(folder + name, content) ? content : "<missing>";
    }

    TempDir dir;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    RecordingWindows windows;
    std::string temp = dir.path() + "tmp/";
};

}  // namespace vorlaxis::test
