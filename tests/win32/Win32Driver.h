// Driving the Win32 windows from a test: texts, states and clicks through window messages.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

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

// Runs `steps` in turn from the message loop while a command runs, one a tick: the keys a step
// typed have been handled before the next step runs (a timer comes after the queued keys). A
// step returns false to be run again on the next tick, to wait for a window. StopPolling ends it.
using Step = std::function<bool()>;
void StepsDuringCommand(std::vector<Step> steps);

// Keys that Type presses instead of typing a character.
namespace keys {
constexpr wchar_t kUp = 0xE000, kDown = 0xE001, kEnd = 0xE002;
}
// Types `keys` into the control that has the keyboard focus, as the keyboard does: Tab, Enter,
// Esc and the keys above as a key press (WM_KEYDOWN, WM_KEYUP), every other character, Backspace
// ("\b") included, as the WM_CHAR the loop would make of its key. The messages are queued for
// the loop that runs next; all go to the control focused now, so a key that moves the focus ends
// what one call types.
void Type(const std::wstring& keys);
// Handles the messages queued for this thread as a window's own loop does: `preTranslate` (the
// window's keyboard handling) first, then translated and dispatched.
void HandleQueued(const std::function<bool(MSG&)>& preTranslate);
// The text of a tree view's item as UTF-8; empty for no item.
std::string TreeItemText(HWND tree, HTREEITEM item);

}  // namespace vorlaxis::test
