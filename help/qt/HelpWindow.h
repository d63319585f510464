// The program's own help viewer: a non-modal window that shows the HTML help pages delivered
// beside the program. It belongs to no other window, so it stays open when the dialog that
// asked for a topic closes, and window-modal dialogs do not block it.
#pragma once

#include <QWidget>
#include <string>

class QTextBrowser;
class QLabel;

namespace vorlaxis::gui {

class THelpWindow final : public QWidget {
    Q_OBJECT
  public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // Shows the page of `topic` ("/uvod.htm", ...) and brings the window to the front.
    void ShowTopic(const std::string& topic);
    // The page file of the topic last asked for.
    QString CurrentPage() const { return m_page; }
    QTextBrowser* Browser() const { return m_browser; }

    // The one help window of the program, created on first use.
    static THelpWindow& Instance();
    // Deletes the help window if it was ever created.
    static void Release();

  private:
    QTextBrowser* m_browser = nullptr;
    QString m_page;
};

// Shows a help topic in the program's help window.
void ShowHelpTopic(const std::string& topic);

// Held for the program's whole run, before any window exists: the help viewer is ready from
// then on, and it is released (its window closed and deleted) when the program ends.
class HelpControlLoader {
  public:
    HelpControlLoader() = default;
    ~HelpControlLoader();
    HelpControlLoader(const HelpControlLoader&) = delete;
    HelpControlLoader& operator=(const HelpControlLoader&) = delete;
};

}  // namespace vorlaxis::gui
