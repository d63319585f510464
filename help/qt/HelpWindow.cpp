#include "help/qt/HelpWindow.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "help/HelpTopics.h"
#include "platform/Files.h"
#include "platform/Help.h"

namespace vorlaxis::gui {

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Nápověda - Vorlaxis"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 520);
}

void THelpWindow::ShowTopic(const std::string& topic) {
    m_page = QString::fromStdString(help::HelpPagePath(platform::ProgramFolder(), topic));
    if (QFileInfo::exists(m_page)) {
        m_browser->setSource(QUrl::fromLocalFile(m_page));
    } else {
        // The viewer's own report: the program itself shows no message box for this.
        m_browser->setPlainText(QStringLiteral("Stránka nápovědy nebyla nalezena:\n") + m_page);
    }
    show();
    raise();
    activateWindow();
}

namespace {
THelpWindow* g_helpWindow = nullptr;
}

THelpWindow& THelpWindow::Instance() {
    if (!g_helpWindow) g_helpWindow = new THelpWindow();
    return *g_helpWindow;
}

void THelpWindow::Release() {
    delete g_helpWindow;
    g_helpWindow = nullptr;
}

HelpControlLoader::~HelpControlLoader() {
    THelpWindow::Release();
}

void ShowHelpTopic(const std::string& topic) {
    // Windows shows the compiled help beside the program in its own viewer; where there is no
    // such viewer (Linux), or it cannot be had, the page is shown here.
    const std::string helpFile = platform::ProgramFolder() + help::kHelpFileName;
    if (platform::Exists(helpFile) && platform::ShowCompiledHelp(helpFile, topic)) return;
    THelpWindow::Instance().ShowTopic(topic);
}

}  // namespace vorlaxis::gui
