// The shell requests by starting programs: the desktop's opener for documents and folders,
// the system's or the first installed plain text editor for the "Notepad" viewer.
#include "core/Shell.h"

#include <utility>

#include "platform/Process.h"

namespace vorlaxis {

namespace {

// Stands for the desktop's own way of opening (xdg-open, ShellExecute on Windows).
const char kOpener[] = "xdg-open";

Shell* g_replacedDesktopShell = nullptr;

}  // namespace

ProgramCall TextEditorCall(const std::string& path,
                           const std::function<bool(const std::string&)>& isInstalled) {
    // Where the system has a plain editor of its own (Notepad on Windows), that is the one.
    if (const std::string own = platform::SystemTextEditor(); !own.empty()) return {own, {path}};
    for (const std::string& editor : platform::PlainTextEditors()) {
        if (isInstalled(editor)) return {editor, platform::TextEditorArguments(editor, path)};
    }
    return {kOpener, {path}};
}

SystemShell::SystemShell()
    : m_start([](const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& workingFolder) {
          if (program == kOpener && arguments.size() == 1) {
              return platform::OpenWithDesktop(arguments.front(), workingFolder);
          }
          return platform::StartDetached(program, arguments, workingFolder);
      }),
      m_find([](const std::string& program) { return !platform::FindProgram(program).empty(); }) {}

SystemShell::SystemShell(Starter starter, Finder finder)
    : m_start(std::move(starter)), m_find(std::move(finder)) {}

void SystemShell::OpenDocument(const std::string& path, const std::string& workingFolder) {
    m_start(kOpener, {path}, workingFolder);
}

void SystemShell::OpenInTextEditor(const std::string& path, const std::string& workingFolder) {
    const ProgramCall call = TextEditorCall(path, m_find);
    m_start(call.program, call.arguments, workingFolder);
}

void SystemShell::OpenFolder(const std::string& path) {
    m_start(kOpener, {path}, {});
}

Shell& DesktopShell() {
    static SystemShell system;
    return g_replacedDesktopShell ? *g_replacedDesktopShell : system;
}

Shell* SetDesktopShell(Shell* shell) {
    return std::exchange(g_replacedDesktopShell, shell);
}

}  // namespace vorlaxis
