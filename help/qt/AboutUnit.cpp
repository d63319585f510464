#include "help/qt/AboutUnit.h"

#include "core/qt/ButtonPictures.h"
#include "help/AboutLinks.h"
#include "help/qt/URLLabel.h"
#include "settings/DataFolders.h"
#include "ui_AboutUnit.h"

namespace vorlaxis::gui {

namespace {

using help::kAuthorMail;
using help::kAuthorPage;
using help::kProgramPage;

void SetLink(TURLLabel* label, const QString& text, const QString& command) {
    label->setText(text);
    label->RunCommand = command;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent, const std::function<void()>& formCreate)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_ui(std::make_unique<Ui::TAboutBox>()) {
    m_ui->setupUi(this);
    setFixedSize(282, 255);
    QPalette band = m_ui->Shape1->palette();
    band.setColor(QPalette::Window, Qt::white);
    m_ui->Shape1->setPalette(band);
    QFont title = m_ui->Label8->font();
    title.setPixelSize(19);
    title.setBold(true);
    m_ui->Label8->setFont(title);
    SetLink(m_ui->URLLabel1, kAuthorPage, kAuthorPage);
    SetLink(m_ui->URLLabel2, kProgramPage, kProgramPage);
    SetLink(m_ui->URLLabel3, kAuthorMail, QString::fromStdString(help::MailTo(kAuthorMail)));
    m_ui->BitBtn1->setDefault(true);
    SetButtonPictures(*this);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    ShowDataFolders(ProgramDataFolders());
    if (formCreate) formCreate();
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::ShowFor(const QWidget* mainWindow) {
    if (mainWindow) move(mainWindow->pos() + QPoint(30, 30));
    exec();
}

void TAboutBox::ShowDataFolders(const DataFolders& folders) {
    QLabel* label = m_ui->FoldersLabel;
    const QFontMetrics metrics(label->font());
    QStringList lines, whole;
    for (const std::string& line : {SettingsFolderLine(folders), LogsFolderLine(folders)}) {
        whole << QString::fromStdString(line);
        lines << metrics.elidedText(whole.back(), Qt::ElideMiddle, label->contentsRect().width());
    }
    label->setText(lines.join(QLatin1Char('\n')));
    label->setToolTip(whole.join(QLatin1Char('\n')));
}

TURLLabel* TAboutBox::Link(int number) const {
    switch (number) {
        case 1:
            return m_ui->URLLabel1;
        case 2:
            return m_ui->URLLabel2;
        case 3:
            return m_ui->URLLabel3;
        default:
            return nullptr;
    }
}

}  // namespace vorlaxis::gui
