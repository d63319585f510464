// TErrorListForm: the files of the last tested location that could not be read.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "engine/TestStatistics.h"

class QPushButton;
class QTreeWidget;

namespace Ui {
class TErrorListForm;
}

namespace vorlaxis::gui {

class TErrorListForm : public QDialog {
    Q_OBJECT

  public:
    explicit TErrorListForm(QWidget* parent = nullptr);
    ~TErrorListForm() override;

    // Removes all rows (the start of every location's test).
    void Clear();
    // Appends a row for an unreadable file, split into name and folder.
    void AddRow(const std::string& fullPath);
    void AddRow(const BadFileEntry& entry);

    QTreeWidget* ListView1() const;
    QPushButton* BitBtn1() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;  // FormResize

  private:
    std::unique_ptr<Ui::TErrorListForm> m_ui;
};

}  // namespace vorlaxis::gui
