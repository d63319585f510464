// Shell requests: a document or address opened with the desktop's associated program, a log
// opened with the plain text editor (the "Notepad" viewer), a folder opened in the file browser.
// The program uses SystemShell; tests record the requests instead.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vorlaxis {

class Shell {
  public:
    virtual ~Shell() = default;
    // The document (or address) opened by the program the desktop associates with it.
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

// The call that shows `path` in the system's own text editor, else in the first of the
// platform's PlainTextEditors() that `isInstalled` accepts; the desktop's opener when none is
// installed.
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

// The shell the windows open their links and documents with: a SystemShell unless a test has
// put another in its place.
Shell& DesktopShell();
// Puts `shell` (kept by the caller) in place of the desktop shell, null for the SystemShell
// again; returns the one it replaces (null for the SystemShell).
Shell* SetDesktopShell(Shell* shell);

}  // namespace vorlaxis
