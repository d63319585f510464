// The program's message boxes, input dialog and folder picker, owned by the main window.
#pragma once

#include <QString>
#include <string>

#include "core/Dialogs.h"

class QWidget;

namespace vorlaxis::gui {

class QtDialogs final : public Dialogs {
  public:
    explicit QtDialogs(QWidget* owner) : m_owner(owner) {}

    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon) override;
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& initial) override;
    std::string BrowseForFolder(const std::string& title) override;

  private:
    QWidget* m_owner;
};

// A message text as a Qt label shows it: "\r\n", and a lone "\r" or "\n", each break a line;
// a name too long for a line may wrap at invisible breaks.
QString MessageText(const std::string& text);

}  // namespace vorlaxis::gui
