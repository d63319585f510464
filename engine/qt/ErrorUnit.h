// The read-error question: the failing file's path and four answers (retry, continue,
// continue without asking, stop the test). Only an answer closes it; help leaves it open.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "core/TestHost.h"

namespace Ui {
class TErrorForm;
}

namespace vorlaxis::gui {

class TErrorForm final : public QDialog {
    Q_OBJECT
  public:
    explicit TErrorForm(QWidget* parent = nullptr);
    ~TErrorForm() override;

    // Shows the question for `path` 30 pixels right of and below `mainWindow`'s top-left
    // corner, modal to that window, and returns the answer.
    ReadErrorAnswer Ask(const std::string& path, const QWidget* mainWindow);

  public slots:
    void reject() override;  // Esc answers "Ukončit test"
    void BitBtn5Click();     // "Náp&ověda"

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Answer(ReadErrorAnswer answer);

    std::unique_ptr<Ui::TErrorForm> m_ui;
    bool m_answered = false;
};

}  // namespace vorlaxis::gui
