// Shell requests of the results: a log opened with the desktop's associated program or with
// the plain text editor (the "Notepad" viewer), the logs folder opened in the file browser.
// The window program uses SystemShell; tests record the requests instead.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vorlaxis {

class Shell {
  public:
    virtual ~Shell() = default;
    // The document opened by the program the desktop associates with it.
    virtual void OpenDocument(const std::string& path, const std::string& workingFolder) = 0;
    // The log opened in a plain text editor that reads it as Windows-1250 where it can.
    virtual void OpenInTextEditor(const std::string& path, const std::string& workingFolder) = 0;
    // The folder opened in the file browser.
    virtual void OpenFolder(const std::string& path) = 0;
};

// A program to start: its name (looked up on PATH) and its arguments.
struct ProgramCall {
    std::string program;
    std::vector<std::string> arguments;
};

// The text editors tried for the "Notepad" viewer, in this order.
const std::vector<std::string>& PlainTextEditors();

// The call that shows `path` in the first editor of PlainTextEditors() that `isInstalled`
// accepts, with the editor's option to read Windows-1250 where it has one; the desktop's
// opener when none is installed.
ProgramCall TextEditorCall(const std::string& path,
                           const std::function<bool(const std::string&)>& isInstalled);

// Shell requests carried out by starting programs detached. The starter and the PATH look-up
// are the platform's unless a test gives its own.
class SystemShell final : public Shell {
  public:
    using Starter =
        std::function<bool(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& workingFolder)>;
    using Finder = std::function<bool(const std::string& program)>;
    SystemShell();
    SystemShell(Starter starter, Finder finder);

    void OpenDocument(const std::string& path, const std::string& workingFolder) override;
    void OpenInTextEditor(const std::string& path, const std::string& workingFolder) override;
    void OpenFolder(const std::string& path) override;

  private:
    Starter m_start;
    Finder m_find;
};

}  // namespace vorlaxis
