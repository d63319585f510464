#include "results/qt/SlowFileListUnit.h"

#include <QLabel>
#include <QTreeWidget>

#include "platform/Text.h"

namespace vorlaxis::gui {

TSlowFileListForm::TSlowFileListForm(QWidget* parent) : TErrorListForm(parent) {
    setObjectName(QStringLiteral("TSlowFileListForm"));
    setWindowTitle(QString::fromUtf8(kSlowListCaption));
    findChild<QLabel*>(QStringLiteral("Label1"))->setText(QString::fromUtf8(kSlowListLabel));
    QTreeWidget* list = ListView1();
    QStringList columns;
    for (const char* column : kSlowListColumns) columns << QString::fromUtf8(column);
    list->setHeaderLabels(columns);
    // The bad-file list's widths, the folder's shortened for the speed.
    list->setColumnWidth(0, 140);
    list->setColumnWidth(1, 243);
    list->setColumnWidth(2, 80);
}

void TSlowFileListForm::SetRows(const std::vector<SlowFileRow>& rows) {
    Clear();
    for (const SlowFileRow& row : rows) {
        auto* item = new QTreeWidgetItem(ListView1());
        item->setText(0, QString::fromStdString(platform::DisplayText(row.Name)));
        item->setText(1, QString::fromStdString(platform::DisplayText(row.Directory)));
        item->setText(2, QString::fromStdString(row.Speed));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
}

}  // namespace vorlaxis::gui
