#include "help/qt/InfoBoxUnit.h"

#include <QCloseEvent>
#include <QScreen>

#include "help/qt/SearchAnimation.h"
#include "ui_InfoBoxUnit.h"

namespace vorlaxis::gui {

TInfoBox::TInfoBox(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_ui(std::make_unique<Ui::TInfoBox>()) {
    m_ui->setupUi(this);
    setFixedSize(367, 84);
    setModal(false);
}

TInfoBox::~TInfoBox() = default;

void TInfoBox::SetLocation(const QString& path) {
    m_ui->Label3->setText(path);
}

QString TInfoBox::Location() const {
    return m_ui->Label3->text();
}

TSearchAnimation* TInfoBox::Animation() const {
    return m_ui->Animate1;
}

void TInfoBox::reject() {}

void TInfoBox::showEvent(QShowEvent* event) {
    if (QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    if (OwnerWindow) OwnerWindow->setEnabled(false);
    QDialog::showEvent(event);
}

void TInfoBox::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (OwnerWindow) {
        OwnerWindow->setEnabled(true);
        OwnerWindow->raise();
        OwnerWindow->activateWindow();
    }
}

void TInfoBox::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace vorlaxis::gui
