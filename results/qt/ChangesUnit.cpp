#include "results/qt/ChangesUnit.h"

#include <QDialogButtonBox>
#include <QTreeWidget>

#include "platform/Text.h"
#include "ui_ChangesUnit.h"

namespace vorlaxis::gui {

namespace {

QString ToDisplayText(const std::string& bytes) {
    return QString::fromStdString(platform::DisplayText(bytes));
}

}  // namespace

TChangesForm::TChangesForm(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TChangesForm>()) {
    m_ui->setupUi(this);
    connect(m_ui->Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TChangesForm::~TChangesForm() = default;

void TChangesForm::Show(const ChangesView& view) {
    setWindowTitle(QString::fromUtf8(kChangesTitle));
    m_ui->Summary->setText(ToDisplayText(view.Location) + "\n\n" + ToDisplayText(view.Summary));
    m_ui->Files->clear();
    for (const ChangesView::Group& group : view.Groups) {
        auto* heading = new QTreeWidgetItem(m_ui->Files);
        heading->setText(0, QString::fromStdString(group.Heading));
        QFont bold = heading->font(0);
        bold.setBold(true);
        heading->setFont(0, bold);
        for (const std::string& path : group.Paths) {
            auto* row = new QTreeWidgetItem(heading);
            row->setText(0, ToDisplayText(path));
        }
    }
    m_ui->Files->expandAll();
    show();
    raise();
}

QTreeWidget* TChangesForm::Files() const {
    return m_ui->Files;
}

}  // namespace vorlaxis::gui
