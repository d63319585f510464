// TEditor: the internal viewer of a test log, read-only in a fixed-pitch font.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace Ui {
class TEditor;
}

namespace vorlaxis::gui {

class TEditor : public QDialog {
    Q_OBJECT

  public:
    explicit TEditor(QWidget* parent = nullptr);
    ~TEditor() override;

    // Replaces the whole text with the log at `path` (Windows-1250). Returns the error text
    // "Cannot open file "%s". %s" and keeps the old text when it cannot be read.
    std::string Load(const std::string& path);

    QPlainTextEdit* Memo1() const;
    QPushButton* BitBtn1() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;  // FormResize
    void showEvent(QShowEvent* event) override;      // FormShow

  private:
    std::unique_ptr<Ui::TEditor> m_ui;
};

}  // namespace vorlaxis::gui
