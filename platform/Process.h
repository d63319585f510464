// Starting external programs (the desktop's opener, a text editor, the file browser).
// Programs get an argument list and are never started through a shell command line.
#pragma once

#include <string>
#include <vector>

namespace vorlaxis::platform {

// The full path of the program `name` found on the search path (PATH), or empty when none is
// there. A name holding a separator is taken as a path and only checked.
std::string FindProgram(const std::string& name);

// Starts `program` (a full path, or a name looked up as FindProgram does) with `arguments`
// (argv[1..]) in `workingFolder` (empty: this process's own). The program runs on its own: it
// is detached from this process, never waited for and leaves no zombie behind. Returns false
// when it could not be started (not found, not executable); what it does later is its own.
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& workingFolder);

// This program's arguments after its name, as UTF-8. On Windows they come from the wide
// command line: `argv` there holds only what the ANSI code page can hold.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Calls `onStop(signal)` for SIGINT and SIGTERM (Ctrl+C, and on Windows Ctrl+Break). A blocking
// call of the thread that asked (opening a FIFO nobody reads) is interrupted, not resumed, so a
// first signal is never swallowed; a signal that reaches another thread is passed on to that
// one. A signal ignored when the program started (a shell's background job) stays ignored.
void CatchStopSignals(void (*onStop)(int signal));

// Ends the process by `signal` with the system's default action, as shells expect of a program
// stopped by one (a loop of such programs then stops too). Safe within a signal handler.
[[noreturn]] void DieBySignal(int signal);

// Called once at the start: a closed standard stream gets the null device in its place, so no
// file opened later takes its number and gets what was meant for the stream. True when standard
// output was closed: whatever is to be written there is lost and must be reported.
bool StandardOutputWasClosed();

// Lets a terminal show the UTF-8 text this program writes to it: a Windows console shows an
// 8-bit code page unless told otherwise; elsewhere nothing needs doing.
void UseUtf8Console();

// Opens a document, a folder or an address with what the desktop associates with it
// (ShellExecute "open" on Windows, xdg-open on Linux), in `workingFolder` (empty: this
// process's own). False when it could not be handed over.
bool OpenWithDesktop(const std::string& target, const std::string& workingFolder);

// The system's own plain text editor where it has one (Notepad from the Windows folder), as a
// full path; empty where the caller has to pick an editor itself (Linux).
std::string SystemTextEditor();

// Where the system has no editor of its own: the plain text editors a desktop may have, to be
// tried in this order (empty where SystemTextEditor() names one).
const std::vector<std::string>& PlainTextEditors();

// The arguments that show the Windows-1250 text at `path` in `editor`: the editor's option to
// read that encoding where it has one, then the path.
std::vector<std::string> TextEditorArguments(const std::string& editor, const std::string& path);

}  // namespace vorlaxis::platform
