#include "engine/qt/ErrorUnit.h"

#include <QCloseEvent>

#include "core/qt/ButtonPictures.h"
#include "help/HelpTopics.h"
#include "help/qt/HelpWindow.h"
#include "ui_ErrorUnit.h"

namespace vorlaxis::gui {

TErrorForm::TErrorForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_ui(std::make_unique<Ui::TErrorForm>()) {
    m_ui->setupUi(this);
    setFixedSize(418, 108);
    // Modal to the main window only, so that the help window stays usable beside it.
    setWindowModality(Qt::WindowModal);
    QPalette face = m_ui->Edit1->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    m_ui->Edit1->setPalette(face);
    SetButtonPictures(*this);
    m_ui->BitBtn2->setDefault(true);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, [this] { Answer(ReadErrorAnswer::Retry); });
    connect(m_ui->BitBtn2, &QPushButton::clicked, this,
            [this] { Answer(ReadErrorAnswer::Continue); });
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, [this] { Answer(ReadErrorAnswer::Stop); });
    connect(m_ui->BitBtn4, &QPushButton::clicked, this,
            [this] { Answer(ReadErrorAnswer::NonStop); });
    connect(m_ui->BitBtn5, &QPushButton::clicked, this, &TErrorForm::BitBtn5Click);
}

TErrorForm::~TErrorForm() = default;

ReadErrorAnswer TErrorForm::Ask(const std::string& path, const QWidget* mainWindow) {
    if (mainWindow) move(mainWindow->pos() + QPoint(30, 30));
    m_ui->Edit1->setText(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
    m_ui->Edit1->setCursorPosition(0);
    m_ui->BitBtn2->setFocus();
    m_answered = false;
    const int result = exec();
    switch (result) {
        case static_cast<int>(ReadErrorAnswer::Retry):
        case static_cast<int>(ReadErrorAnswer::Continue):
        case static_cast<int>(ReadErrorAnswer::NonStop):
            return static_cast<ReadErrorAnswer>(result);
        default:
            // Anything but an answer (the program quitting under the question) stops the test.
            return ReadErrorAnswer::Stop;
    }
}

void TErrorForm::Answer(ReadErrorAnswer answer) {
    m_answered = true;
    done(static_cast<int>(answer));
}

void TErrorForm::reject() {
    Answer(ReadErrorAnswer::Stop);
}

void TErrorForm::BitBtn5Click() {
    ShowHelpTopic(help::kTopicReadError);
}

void TErrorForm::closeEvent(QCloseEvent* event) {
    // No close box: only the four answers end the question.
    if (!m_answered) event->ignore();
}

}  // namespace vorlaxis::gui
