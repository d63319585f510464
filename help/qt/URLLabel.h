// A label that acts as a link: it takes a colour and style while the mouse is over it, shows
// the hand cursor, and opens its RunCommand through the desktop when pressed.
#pragma once

#include <QColor>
#include <QLabel>

namespace vorlaxis::gui {

class TURLLabel : public QLabel {
    Q_OBJECT
  public:
    explicit TURLLabel(QWidget* parent = nullptr);

    // What the press opens (a web or "mailto:" address); empty opens nothing.
    QString RunCommand;
    QColor MouseMoveColor = QColor(0, 0, 255);
    bool MouseMoveBold = true;
    bool MouseMoveUnderline = true;

    // The label's resting look: colour and style.
    void SetLinkLook(const QColor& color, bool bold, bool underline);

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void ApplyLook(const QColor& color, bool bold, bool underline);

    QColor m_savedColor;
    bool m_savedBold = false;
    bool m_savedUnderline = false;
};

}  // namespace vorlaxis::gui
