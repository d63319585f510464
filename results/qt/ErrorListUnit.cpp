// The bad-file list window.
#include "results/qt/ErrorListUnit.h"

#include <QHeaderView>
#include <QPushButton>
#include <QResizeEvent>
#include <QTreeWidget>

#include "core/qt/ButtonPictures.h"
#include "platform/Text.h"
#include "results/WindowLayout.h"
#include "ui_ErrorListUnit.h"

namespace vorlaxis::gui {

namespace {

QRect ToRect(const ControlRect& r) {
    return {r.left, r.top, r.width, r.height};
}

QString ToDisplayText(const std::string& bytes) {
    return QString::fromStdString(platform::DisplayText(bytes));
}

}  // namespace

TErrorListForm::TErrorListForm(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TErrorListForm>()) {
    m_ui->setupUi(this);
    SetButtonPictures(*this);
    QHeaderView* header = m_ui->ListView1->header();
    header->setSectionsClickable(false);  // no sorting by a column
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    m_ui->ListView1->setColumnWidth(0, 140);
    m_ui->ListView1->setColumnWidth(1, 323);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

TErrorListForm::~TErrorListForm() = default;

void TErrorListForm::Clear() {
    m_ui->ListView1->clear();
}

void TErrorListForm::AddRow(const std::string& fullPath) {
    AddRow(SplitBadFilePath(fullPath));
}

void TErrorListForm::AddRow(const BadFileEntry& entry) {
    auto* item = new QTreeWidgetItem(m_ui->ListView1);
    item->setText(0, ToDisplayText(entry.Name));
    item->setText(1, ToDisplayText(entry.Directory));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
}

QTreeWidget* TErrorListForm::ListView1() const {
    return m_ui->ListView1;
}
QPushButton* TErrorListForm::BitBtn1() const {
    return m_ui->BitBtn1;
}

void TErrorListForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const ErrorListLayout layout =
        LayoutErrorList(width() + kSizeableFrameWidth, height() + kSizeableFrameHeight);
    m_ui->ListView1->setGeometry(ToRect(layout.listView));
    m_ui->BitBtn1->setGeometry(ToRect(layout.okButton));
}

}  // namespace vorlaxis::gui
