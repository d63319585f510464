// The searching animation of the busy window: a magnifying glass circling over a folder,
// played continuously (frames 0..29, repeated) whenever the widget is visible.
#pragma once

#include <QTimer>
#include <QWidget>

namespace vorlaxis::gui {

class TSearchAnimation : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kFrameCount = 30;

    explicit TSearchAnimation(QWidget* parent = nullptr);

    int Frame() const { return m_frame; }
    bool IsPlaying() const { return m_timer.isActive(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void NextFrame();

    QTimer m_timer;
    int m_frame = 0;
};

}  // namespace vorlaxis::gui
