// The dialogs and small windows: read-error question, about box and its links, busy window,
// help window, and the Qt message boxes and input dialog in Czech.
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTextBrowser>

#include "AppFixture.h"
#include "LayoutCheck.h"
#include "app/qt/QtDialogs.h"
#include "core/Shell.h"
#include "engine/qt/ErrorUnit.h"
#include "help/HelpTopics.h"
#include "help/qt/AboutUnit.h"
#include "help/qt/HelpWindow.h"
#include "help/qt/InfoBoxUnit.h"
#include "help/qt/SearchAnimation.h"
#include "help/qt/URLLabel.h"
#include "settings/qt/KonfigUnit.h"

namespace vorlaxis::test {
namespace {

using gui::TErrorForm;

// Runs `ask` from the event loop and returns its result once the script answered.
template <typename F>
auto AskLater(F ask) {
    decltype(ask()) result{};
    bool done = false;
    QTimer::singleShot(0, [&] {
        result = ask();
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
    return result;
}

// Whether a message box shows its text whole: every wrapped line fits the label, the label
// lies inside the box and the box on the screen.
bool ShownWhole(const QMessageBox& box) {
    const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QRect room = label->contentsRect();
    const QRect needed =
        QFontMetrics(label->font()).boundingRect(room, Qt::TextWordWrap, label->text());
    return needed.width() <= room.width() && needed.height() <= room.height() &&
           box.rect().contains(label->geometry()) &&
           box.width() <= box.screen()->availableGeometry().width();
}

// Clicks the link `text` of the help page as a person would, through the window system.
void ClickHelpLink(gui::THelpWindow& help, const QString& text) {
    QTextBrowser* browser = help.Browser();
    QTextCursor link = browser->document()->find(text);
    ASSERT_FALSE(link.isNull()) << text.toStdString();
    link.setPosition(link.selectionStart() + 2);
    const QPoint at = browser->viewport()->mapTo(&help, browser->cursorRect(link).center());
    QTest::mouseClick(help.windowHandle(), Qt::LeftButton, {}, at);
}

class Windows : public AppFixture {
  protected:
    void SetUp() override { Start(); }
};

// Takes the desktop's place while it lives and notes what the windows hand to it.
class DesktopRecorder final : public Shell {
  public:
    explicit DesktopRecorder(QStringList& opened)
        : m_opened(opened), m_previous(SetDesktopShell(this)) {}
    ~DesktopRecorder() override { SetDesktopShell(m_previous); }
    DesktopRecorder(const DesktopRecorder&) = delete;
    DesktopRecorder& operator=(const DesktopRecorder&) = delete;

    void OpenDocument(const std::string& path, const std::string&) override {
        m_opened << QString::fromStdString(path);
    }
    void OpenInTextEditor(const std::string& path, const std::string&) override {
        m_opened << QString::fromStdString(path);
    }
    void OpenFolder(const std::string& path) override { m_opened << QString::fromStdString(path); }

  private:
    QStringList& m_opened;
    Shell* m_previous;
};

TEST_F(Windows, ReadErrorQuestionMapsEachButtonAndKeyToItsAnswer) {
    TErrorForm& form = *m_windows.ErrorForm;
    const std::pair<const char*, ReadErrorAnswer> buttons[] = {
        {"BitBtn1", ReadErrorAnswer::Retry},
        {"BitBtn2", ReadErrorAnswer::Continue},
        {"BitBtn3", ReadErrorAnswer::Stop},
        {"BitBtn4", ReadErrorAnswer::NonStop}};
    for (const auto& [name, expected] : buttons) {
        m_script.Expect("/media/x/a.txt", name);
        EXPECT_EQ(AskLater([&] { return form.Ask("/media/x/a.txt", &Main()); }), expected);
    }
    m_script.When([&] { return form.isVisible(); },
                  [&] { QTest::keyClick(form.findChild<QLineEdit*>("Edit1"), Qt::Key_Return); });
    EXPECT_EQ(AskLater([&] { return form.Ask("/p", &Main()); }), ReadErrorAnswer::Continue);
    m_script.When([&] { return form.isVisible(); },
                  [&] { QTest::keyClick(&form, Qt::Key_Escape); });
    EXPECT_EQ(AskLater([&] { return form.Ask("/p", &Main()); }), ReadErrorAnswer::Stop);
    CheckScript();
}

TEST_F(Windows, ReadErrorQuestionHasNoCloseBoxAndHelpKeepsItOpen) {
    TErrorForm& form = *m_windows.ErrorForm;
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(form.size(), QSize(418, 108));
    EXPECT_EQ(form.windowTitle(), "Chyba při čtení souboru");
    EXPECT_TRUE(form.findChild<QLineEdit*>("Edit1")->isReadOnly());
    bool stillOpenAfterHelp = false;
    bool refusedClose = false;
    m_script.When([&] { return form.isVisible(); },
                  [&] {
                      form.findChild<QPushButton*>("BitBtn5")->click();
                      refusedClose = !form.close();
                      stillOpenAfterHelp = form.isVisible();
                  });
    m_script.When([&] { return stillOpenAfterHelp; },
                  [&] { form.findChild<QPushButton*>("BitBtn4")->click(); });
    EXPECT_EQ(AskLater([&] { return form.Ask("/p", &Main()); }), ReadErrorAnswer::NonStop);
    EXPECT_TRUE(stillOpenAfterHelp);
    EXPECT_TRUE(refusedClose);
    gui::THelpWindow& help = gui::THelpWindow::Instance();
    EXPECT_TRUE(help.isVisible());
    EXPECT_TRUE(help.CurrentPage().endsWith("help/test.htm"));
    help.close();
    ExpectNothingClipped(form);
}

TEST_F(Windows, AboutBoxOpensBesideTheMainWindowEachTime) {
    gui::TAboutBox& about = *m_windows.AboutBox;
    QList<QPoint> shownAt;
    for (QPoint place : {QPoint(100, 120), QPoint(300, 50)}) {
        Main().move(place);
        m_script.When([&] { return about.isVisible(); },
                      [&] {
                          shownAt << about.pos();
                          about.findChild<QPushButton*>("BitBtn1")->click();
                      });
        AskLater([&] {
            Main().mmAboutClick();
            return 0;
        });
    }
    EXPECT_EQ(shownAt, QList<QPoint>({QPoint(130, 150), QPoint(330, 80)}));
    EXPECT_EQ(about.size(), QSize(282, 255));
    EXPECT_EQ(about.windowTitle(), "O aplikaci Vorlaxis...");
    ExpectNothingClipped(about);
}

TEST_F(Windows, AboutBoxHasADialogFrame) {
    const gui::TAboutBox& about = *m_windows.AboutBox;
    EXPECT_EQ(about.windowType(), Qt::Dialog);  // not a tool window's narrow caption
    // Caption and close box, fixed size: the frame of the options dialog.
    EXPECT_EQ(about.windowFlags(), m_windows.Konfig->windowFlags());
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
}

TEST_F(Windows, LinkLabelsOpenTheirCommandOnPressOnly) {
    QStringList opened;
    DesktopRecorder desktop(opened);
    gui::TURLLabel* mail = m_windows.AboutBox->Link(3);
    EXPECT_TRUE(mail->RunCommand.startsWith("mailto:"));
    QTest::mousePress(mail, Qt::LeftButton);
    EXPECT_EQ(opened, QStringList({mail->RunCommand}));
    QTest::mouseRelease(mail, Qt::LeftButton);
    EXPECT_EQ(opened.size(), 1);
    gui::TURLLabel empty;
    QTest::mousePress(&empty, Qt::LeftButton);
    EXPECT_EQ(opened.size(), 1);
    for (int n = 1; n <= 3; ++n) {
        gui::TURLLabel* link = m_windows.AboutBox->Link(n);
        EXPECT_TRUE(link->font().bold() && link->font().underline()) << n;
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255)) << n;
        EXPECT_FALSE(link->toolTip().isEmpty()) << n;
    }
}

TEST_F(Windows, LinkLabelTakesTheHoverLookAndGivesItBack) {
    gui::TURLLabel label;
    label.setText("x");
    label.SetLinkLook(Qt::black, false, false);
    label.MouseMoveColor = Qt::red;
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&label, &enter);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&label, &leave);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_FALSE(label.font().underline());
    EXPECT_EQ(label.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Windows, BusyWindowDisablesItsOwnerAndCannotBeClosed) {
    gui::TInfoBox& box = *m_windows.InfoBox;
    box.OwnerWindow = &Main();
    box.SetLocation("/media/cdrom/");
    box.show();
    EXPECT_FALSE(Main().isEnabled());
    EXPECT_TRUE(box.Animation()->IsPlaying());
    const int frame = box.Animation()->Frame();
    EXPECT_TRUE(QTest::qWaitFor([&] { return box.Animation()->Frame() != frame; }, 5000));
    EXPECT_FALSE(box.close());
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(box.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(box.size(), QSize(367, 84));
    ExpectNothingClipped(box);
    box.hide();
    EXPECT_TRUE(Main().isEnabled());
    EXPECT_FALSE(box.Animation()->IsPlaying());
}

TEST_F(Windows, HelpCommandsOpenTheirTopicsInTheOwnHelpWindow) {
    gui::THelpWindow& help = gui::THelpWindow::Instance();
    Main().mmObsahClick();
    EXPECT_TRUE(help.isVisible());
    EXPECT_TRUE(help.CurrentPage().endsWith("help/uvod.htm"));
    Main().mmHelpOnHelpClick();
    EXPECT_TRUE(help.CurrentPage().endsWith("help/napoveda.htm"));
    EXPECT_EQ(help.parentWidget(), nullptr);
    help.close();
    QStringList opened;
    DesktopRecorder desktop(opened);
    Main().mmCoJeNovehoClick();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].endsWith("/whatsnew.txt"));
    EXPECT_TRUE(QDir::isAbsolutePath(opened[0]));
}

TEST_F(Windows, HelpWindowStaysUsableWhileTheOptionsDialogIsOpen) {
    gui::THelpWindow& help = gui::THelpWindow::Instance();
    gui::TKonfig& options = *m_windows.Konfig;
    QString followed;
    bool working = true;
    m_script.HoldWhile([&] { return working; });
    m_script.When([&] { return options.isVisible(); },
                  [&] {
                      options.findChild<QPushButton*>("BitBtn3")->click();  // "&Nápověda"
                      ClickHelpLink(help, QStringLiteral("Zpět na úvod"));
                      followed = help.Browser()->source().path();
                      working = false;
                      options.findChild<QPushButton*>("BitBtn2")->click();  // "Storno"
                  });
    AskLater([&] {
        Main().mmMoznostiClick();
        return 0;
    });
    CheckScript();
    EXPECT_TRUE(followed.endsWith("help/uvod.htm")) << followed.toStdString();
    help.close();
}

TEST_F(Windows, HelpTopicPathsFollowTheTopicTable) {
    EXPECT_EQ(help::HelpFileTopic("/opt/v/", help::kTopicOptions),
              "/opt/v/qantrel.chm::/konfig/konfig.htm");
    EXPECT_EQ(help::HelpPagePath("/opt/v/", help::kTopicOptions), "/opt/v/help/konfig/konfig.htm");
    EXPECT_EQ(help::HelpPagePath("/opt/v/", "test.htm"), "/opt/v/help/test.htm");
}

TEST_F(Windows, MessageBoxesSpeakCzechAndOnlyYesMeansYes) {
    gui::QtDialogs dialogs(&Main());
    QStringList buttonTexts;
    m_script.When([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
                  [&] {
                      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                      for (QAbstractButton* b : box->buttons()) buttonTexts << b->text();
                      box->button(QMessageBox::No)->click();
                  });
    EXPECT_EQ(AskLater([&] {
                  return dialogs.MessageBox("Otázka?", "Potvrzení", MsgButtons::YesNo,
                                            MsgIcon::Question);
              }),
              MsgResult::No);
    buttonTexts.replaceInStrings("&", "");
    buttonTexts.sort();
    EXPECT_EQ(buttonTexts, QStringList({"Ano", "Ne"}));
    m_script.Expect("Řádek\nDruhý\nTřetí", "OK");
    EXPECT_EQ(AskLater([&] {
                  return dialogs.MessageBox("Řádek\r\nDruhý\rTřetí", "Chyba", MsgButtons::Ok,
                                            MsgIcon::Error);
              }),
              MsgResult::Ok);
    CheckScript();
}

TEST_F(Windows, MessageBoxesShowALongPathWhole) {
    // The longest entry the input field takes, with one name of wide letters.
    const std::string path = "/media/cd/" + std::string(245, 'W');
    Main().Locations().Add(path);
    Main().RefreshDiskList();
    DiskList()->setCurrentRow(0);
    QStringList shown;
    const auto inspect = [&](QMessageBox::StandardButton answer) {
        m_script.When([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
                      [&, answer] {
                          auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                          EXPECT_TRUE(ShownWhole(*box)) << box->text().toStdString();
                          shown << box->text().remove(QChar(0x200B));
                          box->button(answer)->click();
                      });
    };
    inspect(QMessageBox::Ok);
    RunBatch([&] { Button("btnZobrazit")->click(); });
    m_script.Expect("Zapište novou cestu:", "OK");  // the entry unchanged: it does not exist
    inspect(QMessageBox::No);
    RunBatch([&] { Button("btnUpravit")->click(); });
    CheckScript();
    ASSERT_EQ(shown.size(), 2);
    const QString whole = QString::fromStdString(path);
    EXPECT_EQ(shown[0], "Aktuální záznam:\n\n" + whole);
    EXPECT_TRUE(shown[1].startsWith(whole + "\n\nZadaná cesta není platná"))
        << shown[1].toStdString();
}

TEST_F(Windows, FolderPickerStartsAtTheTopWithThePlacesAtHand) {
    gui::QtDialogs dialogs(&Main());
    QString startedIn;
    QList<QUrl> places;
    m_script.When([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); },
                  [&] {
                      auto* picker = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                      startedIn = picker->directory().absolutePath();
                      places = picker->sidebarUrls();
                      picker->reject();
                  });
    EXPECT_EQ(AskLater([&] { return dialogs.BrowseForFolder("Nalistovat složku..."); }), "");
    EXPECT_EQ(startedIn, QDir::rootPath());
    for (const QString& place : {QDir::rootPath(), QDir::homePath()}) {
        EXPECT_TRUE(places.contains(QUrl::fromLocalFile(place))) << place.toStdString();
    }
}

TEST_F(Windows, InputBoxKeepsOkAndCancelAndItsLimit) {
    gui::QtDialogs dialogs(&Main());
    QStringList buttonTexts;
    int maxLength = 0;
    bool allSelected = false;
    m_script.When([] { return QApplication::activeModalWidget() != nullptr; },
                  [&] {
                      QWidget* box = QApplication::activeModalWidget();
                      for (QAbstractButton* b : box->findChildren<QAbstractButton*>()) {
                          buttonTexts << b->text();
                      }
                      auto* field = box->findChild<QLineEdit*>("InputField");
                      maxLength = field->maxLength();
                      allSelected = field->selectedText() == "D:\\Data";
                      field->setText(QString(300, 'x'));
                      static_cast<void>(QMetaObject::invokeMethod(box, "reject"));
                  });
    EXPECT_EQ(AskLater([&] { return dialogs.InputBox("Upravit cestu", "Zapište", "D:\\Data"); }),
              "D:\\Data");
    buttonTexts.sort();
    EXPECT_EQ(buttonTexts, QStringList({"Cancel", "OK"}));
    EXPECT_EQ(maxLength, 255);
    EXPECT_TRUE(allSelected);
    m_script.Expect("Zapište", "OK", QString(300, 'y'));
    EXPECT_EQ(AskLater([&] { return dialogs.InputBox("Vložit ručně", "Zapište", ""); }),
              std::string(255, 'y'));
    CheckScript();
}

}  // namespace
}  // namespace vorlaxis::test
