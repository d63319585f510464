// The block-size field of the options dialog: a number field with up/down arrows that steps
// by 4 within 4..48, keeps values between the steps (6 stays 6), accepts only digits, signs,
// the decimal separator and editing keys, and takes text that is no whole number as 4.
#pragma once

#include <QSpinBox>

namespace vorlaxis::gui {

class SpinEdit : public QSpinBox {
    Q_OBJECT

  public:
    explicit SpinEdit(QWidget* parent = nullptr);

  protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    int valueFromText(const QString& text) const override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool IsAcceptedCharacter(QChar c) const;
};

}  // namespace vorlaxis::gui
