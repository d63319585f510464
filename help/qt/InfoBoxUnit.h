// The busy window shown while the test collects a location's directory tree. While it is
// visible its owner window is disabled; the user cannot close it, only the test hides it.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TInfoBox;
}

namespace vorlaxis::gui {

class TSearchAnimation;

class TInfoBox final : public QDialog {
    Q_OBJECT
  public:
    explicit TInfoBox(QWidget* parent = nullptr);
    ~TInfoBox() override;

    // The window disabled while this one is shown (the main window).
    QWidget* OwnerWindow = nullptr;

    // The middle line: the location being scanned.
    void SetLocation(const QString& path);
    QString Location() const;
    TSearchAnimation* Animation() const;

  public slots:
    void reject() override;  // Esc does not close the busy window

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    std::unique_ptr<Ui::TInfoBox> m_ui;
};

}  // namespace vorlaxis::gui
