// The internal log viewer.
#include "results/qt/EditorUnit.h"

#include <QFont>
#include <QFontDatabase>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

#include "core/qt/ButtonPictures.h"
#include "results/LogFiles.h"
#include "results/WindowLayout.h"
#include "ui_EditorUnit.h"

namespace vorlaxis::gui {

namespace {

QRect ToRect(const ControlRect& r) {
    return {r.left, r.top, r.width, r.height};
}

// What the eye checks: the narrow letters take as much room as the wide ones.
bool EvenAdvances(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QLatin1Char('M'));
    for (const QChar c : QStringLiteral("iW.l")) {
        if (metrics.horizontalAdvance(c) != width) return false;
    }
    return true;
}

// "Courier New" where it (or its stand-in) is fixed-pitch at this size; else the desktop's
// fixed font; else any fixed-pitch family there is. A stand-in can be proportional, or be
// fixed-pitch only in name.
QFont ViewerFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(8);
    if (EvenAdvances(font)) return font;
    QList<QFont> candidates{QFontDatabase::systemFont(QFontDatabase::FixedFont)};
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family)) candidates << QFont(family);
    }
    for (QFont& candidate : candidates) {
        candidate.setPointSize(8);
        if (EvenAdvances(candidate)) return candidate;
    }
    return font;
}

}  // namespace

TEditor::TEditor(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::TEditor>()) {
    m_ui->setupUi(this);
    SetButtonPictures(*this);
    // Fixed pitch, so the columns of the log stand under each other.
    m_ui->Memo1->setFont(ViewerFont());
    // The viewer only shows: grey like the buttons, not white like a field to type into.
    QPalette palette = m_ui->Memo1->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    m_ui->Memo1->setPalette(palette);
    m_ui->Memo1->setTabChangesFocus(true);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

TEditor::~TEditor() = default;

std::string TEditor::Load(const std::string& path) {
    std::string text;
    const std::string error = LoadLogText(path, text);
    if (error.empty()) m_ui->Memo1->setPlainText(QString::fromStdString(text));
    return error;
}

QPlainTextEdit* TEditor::Memo1() const {
    return m_ui->Memo1;
}
QPushButton* TEditor::BitBtn1() const {
    return m_ui->BitBtn1;
}

void TEditor::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const EditorLayout layout =
        LayoutEditor(width() + kSizeableFrameWidth, height() + kSizeableFrameHeight);
    m_ui->Memo1->setGeometry(ToRect(layout.memo));
    m_ui->BitBtn1->setGeometry(ToRect(layout.okButton));
}

void TEditor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_ui->Memo1->setFocus();
}

}  // namespace vorlaxis::gui
