#include "app/qt/QtDialogs.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBoundaryFinder>
#include <QUrl>
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

// Where the label itself may break a line.
bool EndsAName(const QString& character) {
    return character.size() == 1 && QStringLiteral("/ \t\n").contains(character[0]);
}

// The box's label wraps at blanks and after the separators of a path, and cuts a longer name
// off at its edge: such a name may break between any two of its characters.
QString Breakable(const QString& text) {
    constexpr qsizetype kLongestWhole = 20;  // characters; a name this long fits any box
    const QChar kBreak(0x200B);              // zero-width space
    QStringList characters;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype from = 0; graphemes.toNextBoundary() != -1; from = graphemes.position()) {
        characters << text.mid(from, graphemes.position() - from);
    }
    QString shown;
    for (qsizetype i = 0; i < characters.size();) {
        qsizetype end = i;
        while (end < characters.size() && !EndsAName(characters[end])) ++end;
        for (qsizetype k = i; k < end; ++k) {
            if (k > i && end - i > kLongestWhole) shown += kBreak;
            shown += characters[k];
        }
        if (end == characters.size()) break;
        shown += characters[end];
        i = end + 1;
    }
    return shown;
}

// The file system's top, home, and where removable media and other file systems are mounted.
QList<QUrl> FolderPlaces() {
    QList<QUrl> places{QUrl::fromLocalFile(QDir::rootPath()),
                       QUrl::fromLocalFile(QDir::homePath())};
    for (const char* mounts : {"/media", "/run/media", "/mnt"}) {
        const QString folder = QString::fromLatin1(mounts);
        if (QDir(folder).exists()) places << QUrl::fromLocalFile(folder);
    }
    return places;
}

}  // namespace

QString MessageText(const std::string& text) {
    QString shown = FromUtf8(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return Breakable(shown);
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
    // Qt's own picker: the same look on every desktop, Czech texts from the translation. It
    // starts at the top of the tree, not in whatever folder the program was started from.
    QFileDialog picker(m_owner, FromUtf8(title), QDir::rootPath());
    picker.setFileMode(QFileDialog::Directory);
    picker.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    picker.setSidebarUrls(FolderPlaces());
    if (picker.exec() != QDialog::Accepted) return {};
    return picker.selectedFiles().value(0).toStdString();
}

}  // namespace vorlaxis::gui
