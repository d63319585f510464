// TSpeedGraphForm: the speed graph of the last tested location.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "engine/SlowFiles.h"

class QPushButton;

namespace Ui {
class TSpeedGraphForm;
}

namespace vorlaxis::gui {

class SpeedGraphView;

class TSpeedGraphForm final : public QDialog {
    Q_OBJECT

  public:
    explicit TSpeedGraphForm(QWidget* parent = nullptr);
    ~TSpeedGraphForm() override;

    // The files of `location` as tested; the caption names the location. An empty location:
    // nothing tested yet.
    void SetGraph(const std::string& location, std::vector<FileSpeed> files);

    SpeedGraphView* GraphView() const;
    QPushButton* BitBtn1() const;

  private:
    std::unique_ptr<Ui::TSpeedGraphForm> m_ui;
};

}  // namespace vorlaxis::gui
