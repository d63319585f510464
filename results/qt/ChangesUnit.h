// TChangesForm: what changed on a medium since its last record, the files listed by kind.
#pragma once

#include <QDialog>
#include <memory>

#include "results/ChangesView.h"

class QTreeWidget;

namespace Ui {
class TChangesForm;
}

namespace vorlaxis::gui {

class TChangesForm : public QDialog {
    Q_OBJECT

  public:
    explicit TChangesForm(QWidget* parent = nullptr);
    ~TChangesForm() override;

    // Replaces what the window shows: one top-level row per kind, its files below it.
    void Show(const ChangesView& view);
    QTreeWidget* Files() const;

  private:
    std::unique_ptr<Ui::TChangesForm> m_ui;
};

}  // namespace vorlaxis::gui
