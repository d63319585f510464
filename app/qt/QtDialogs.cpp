#include "app/qt/QtDialogs.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlaxis::gui {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon BoxIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Error:
            return QMessageBox::Critical;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Information:
            break;
    }
    return QMessageBox::Information;
}

}  // namespace

QString MessageText(const std::string& text) {
    QString shown = FromUtf8(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

MsgResult QtDialogs::MessageBox(const std::string& text, const std::string& caption,
                                MsgButtons buttons, MsgIcon icon) {
    QMessageBox box(BoxIcon(icon), FromUtf8(caption), MessageText(text), QMessageBox::NoButton,
                    m_owner);
    box.setTextFormat(Qt::PlainText);
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int answer = box.exec();
    if (buttons == MsgButtons::Ok) return MsgResult::Ok;
    // Any answer but Yes (also a box closed by the program quitting) means no.
    return answer == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
}

std::string QtDialogs::InputBox(const std::string& caption, const std::string& prompt,
                                const std::string& initial) {
    QDialog dialog(m_owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint);
    dialog.setObjectName(QStringLiteral("InputBox"));
    dialog.setWindowTitle(FromUtf8(caption));
    auto* label = new QLabel(FromUtf8(prompt), &dialog);
    auto* field = new QLineEdit(&dialog);
    field->setObjectName(QStringLiteral("InputField"));
    field->setMaxLength(kInputBoxMaxLength);
    field->setText(FromUtf8(initial));
    field->selectAll();
    field->setMinimumWidth(300);
    // The two buttons keep their own texts "OK" and "Cancel", whatever the translation says.
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return initial;
    return field->text().toStdString();
}

std::string QtDialogs::BrowseForFolder(const std::string& title) {
    // Qt's own picker: the same look on every desktop, Czech texts from the translation.
    const QString folder = QFileDialog::getExistingDirectory(
        m_owner, FromUtf8(title), QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    return folder.toStdString();
}

}  // namespace vorlaxis::gui
