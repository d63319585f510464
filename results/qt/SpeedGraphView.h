// The speed graph drawn with QPainter from the core's layout; the file under the mouse as a
// tooltip.
#pragma once

#include <QWidget>
#include <vector>

#include "engine/SlowFiles.h"
#include "results/SpeedGraph.h"

namespace vorlaxis::gui {

class SpeedGraphView final : public QWidget {
    Q_OBJECT

  public:
    explicit SpeedGraphView(QWidget* parent = nullptr);

    // `emptyText` is shown where there is no curve.
    void SetFiles(std::vector<FileSpeed> files, QString emptyText);
    // The picture as last laid out for the widget's size.
    const SpeedGraphPicture& Picture() const { return m_picture; }

  protected:
    bool event(QEvent* event) override;  // tooltips
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Layout();

    std::vector<FileSpeed> m_files;
    QString m_emptyText;
    SpeedGraphPicture m_picture;
};

}  // namespace vorlaxis::gui
