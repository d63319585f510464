// The Linux counterparts of the shell requests: xdg-open for the associated program and the
// file browser, the first installed plain text editor for the "Notepad" viewer.
#include "core/Shell.h"

#include "platform/Process.h"

namespace vorlaxis {

namespace {

const char kOpener[] = "xdg-open";

// How an editor is told to read the log as Windows-1250; none where it has no such option.
std::vector<std::string> EncodingOption(const std::string& editor) {
    if (editor == "gedit" || editor == "pluma" || editor == "xed") {
        return {"--encoding=WINDOWS-1250"};
    }
    if (editor == "kate" || editor == "kwrite") return {"--encoding", "windows-1250"};
    return {};
}

}  // namespace

const std::vector<std::string>& PlainTextEditors() {
    static const std::vector<std::string> editors = {
        "gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "xed", "pluma", "featherpad"};
    return editors;
}

ProgramCall TextEditorCall(const std::string& path,
                           const std::function<bool(const std::string&)>& isInstalled) {
    // Where the system has a plain editor of its own (Notepad on Windows), that is the one.
    if (const std::string own = platform::SystemTextEditor(); !own.empty()) return {own, {path}};
    for (const std::string& editor : PlainTextEditors()) {
        if (!isInstalled(editor)) continue;
        ProgramCall call{editor, EncodingOption(editor)};
        call.arguments.push_back(path);
        return call;
    }
    return {kOpener, {path}};
}

SystemShell::SystemShell()
    : m_start([](const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& workingFolder) {
          // The opener stands for the desktop's own way of opening (ShellExecute on Windows).
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

}  // namespace vorlaxis
