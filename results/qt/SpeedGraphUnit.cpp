#include "results/qt/SpeedGraphUnit.h"

#include <QPushButton>

#include "platform/Text.h"
#include "results/SpeedGraph.h"
#include "results/qt/SpeedGraphView.h"
#include "ui_SpeedGraphUnit.h"

namespace vorlaxis::gui {

TSpeedGraphForm::TSpeedGraphForm(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TSpeedGraphForm>()) {
    m_ui->setupUi(this);
    m_ui->Label1->setText(QString::fromUtf8(kSpeedGraphLegend));
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

TSpeedGraphForm::~TSpeedGraphForm() = default;

void TSpeedGraphForm::SetGraph(const std::string& location, std::vector<FileSpeed> files) {
    QString caption = QString::fromUtf8(kSpeedGraphCaption);
    if (!location.empty())
        caption += QStringLiteral(" - ") + QString::fromStdString(platform::DisplayText(location));
    setWindowTitle(caption);
    m_ui->GraphView->SetFiles(
        std::move(files),
        QString::fromUtf8(location.empty() ? kSpeedGraphNoTest : kSpeedGraphNoData));
}

SpeedGraphView* TSpeedGraphForm::GraphView() const {
    return m_ui->GraphView;
}
QPushButton* TSpeedGraphForm::BitBtn1() const {
    return m_ui->BitBtn1;
}

}  // namespace vorlaxis::gui
