// The about box: program name, a notice, three links and the close button.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class TAboutBox;
}

namespace vorlaxis {
struct DataFolders;
}

namespace vorlaxis::gui {

class TURLLabel;

class TAboutBox final : public QDialog {
    Q_OBJECT
  public:
    // `formCreate` runs at the end of the construction: the program reads its settings there,
    // when the main window and the options dialog already exist.
    explicit TAboutBox(QWidget* parent, const std::function<void()>& formCreate = {});
    ~TAboutBox() override;

    // Shows the box modally, 30 pixels right of and below `mainWindow`'s top-left corner.
    void ShowFor(const QWidget* mainWindow);

    TURLLabel* Link(int number) const;  // 1..3

    // The line under the links that says where the settings and the saved logs are kept
    // (ProgramDataFolders() at creation); each path is shortened in the middle to fit, the
    // hint holds them whole.
    void ShowDataFolders(const DataFolders& folders);

  private:
    std::unique_ptr<Ui::TAboutBox> m_ui;
};

}  // namespace vorlaxis::gui
