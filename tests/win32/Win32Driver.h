// Driving the Win32 windows from a test: texts, states and clicks through window messages.
#pragma once

#include <windows.h>

#include <string>

namespace vorlaxis::test {

// The window's text as UTF-8.
std::string TextOf(HWND window);
// A status bar panel's text as UTF-8, without the tab that centres it.
std::string PanelText(HWND statusBar, int panel);
bool Visible(HWND window);
bool Enabled(HWND window);
// True when the menu item is neither grayed nor disabled.
bool MenuEnabled(HMENU menu, int commandId);
// Clicks a button as a person would; returns when its command has been handled. Nothing happens
// on a disabled button.
void Click(HWND button);
// Runs a program with its arguments (quoted) and waits for it; returns its exit code.
int RunProgram(const std::wstring& commandLine);
// The folder of the running test program, with a trailing backslash.
std::wstring ProgramFolder();
// Calls `poll` from the message loop every few milliseconds while a command runs; `poll`
// returns true when it is done, and is not called again. One at a time.
void PollDuringCommand(bool (*poll)());
void StopPolling();

}  // namespace vorlaxis::test
