// Every message box, input dialog and folder picker of the core goes through this interface:
// the window program answers with real dialogs, tests with scripted answers.
#pragma once

#include <string>

namespace vorlaxis {

enum class MsgIcon { Error, Warning, Question, Information };
enum class MsgButtons { Ok, YesNo };
// The input dialog's field takes at most this many characters.
constexpr int kInputBoxMaxLength = 255;

// The platform's answer codes: OK 1, Yes 6, No 7.
enum class MsgResult { Ok = 1, Yes = 6, No = 7 };

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A modal message box owned by the main window; texts are UTF-8, "\r\n" a line break.
    virtual MsgResult MessageBox(const std::string& text, const std::string& caption,
                                 MsgButtons buttons, MsgIcon icon) = 0;
    // A modal input dialog with a 255-character field that starts with `initial`, all
    // selected; "OK" returns the field's text, "Cancel" returns `initial`.
    virtual std::string InputBox(const std::string& caption, const std::string& prompt,
                                 const std::string& initial) = 0;
    // The folder picker; empty text when cancelled or when the item is no folder.
    virtual std::string BrowseForFolder(const std::string& title) = 0;
};

// An error that no handler of its own deals with (a settings file that cannot be written, a log
// that cannot be copied or loaded): its text, ending in a full stop, in an error box titled
// with the application title.
void ReportError(Dialogs& dialogs, const std::string& text);

}  // namespace vorlaxis
