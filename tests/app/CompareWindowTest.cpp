// The compare command of the main window: the chosen location tested against the folder picked
// for it, its differences offered and listed, its agreement said.
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>

#include "AppFixture.h"
#include "results/qt/ChangesUnit.h"
#include "results/qt/MainHistory.h"

namespace vorlaxis::test {
namespace {

class CompareWindow : public AppFixture {
  protected:
    // Picks the location in the list and the command in the menu; types `source` into the
    // folder picker and presses Enter.
    void CompareWith(const std::string& source) {
        QListWidget* list = DiskList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        m_script.When([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); },
                      [source] {
                          auto* picker =
                              qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                          auto* name = picker->findChild<QLineEdit*>("fileNameEdit");
                          QTest::keyClicks(name, QString::fromStdString(source));
                          QTest::keyClick(name, Qt::Key_Return);
                      });
        QAction* command = Action("mmPorovnatSeZdrojem");
        ASSERT_NE(command, nullptr);
        EXPECT_TRUE(Main().findChild<QMenu*>("Soubor1")->actions().contains(command));
        RunBatch([command] { command->trigger(); });
        CheckScript();
    }
};

TEST_F(CompareWindow, DifferencesAreOfferedAndListedAndAgreementIsSaid) {
    const std::string disc = m_dir.path() + "disc/";
    const std::string source = m_dir.path() + "zdroj/";
    m_dir.file("disc/a.bin", std::string(70000, 'a'));
    m_dir.file("zdroj/a.bin", std::string(70000, 'a'));
    m_dir.file("disc/fotky/léto.jpg", "léto");
    m_dir.file("zdroj/fotky/léto.jpg", "zima");
    m_dir.file("zdroj/chybí.txt", "jen ve zdroji");
    Start(kQuietOptions + Ini({disc}));

    m_script.Expect("Jen ve zdrojové složce: 1", "Yes");
    CompareWith(source);
    ASSERT_EQ(m_script.Icons.size(), 1);
    EXPECT_EQ(m_script.Icons[0], QMessageBox::Warning);
    gui::TChangesForm* window = Main().History()->Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    QTreeWidget* files = window->Files();
    ASSERT_EQ(files->topLevelItemCount(), 2);
    EXPECT_EQ(files->topLevelItem(0)->text(0), "Obsah se liší od zdrojové složky (1)");
    EXPECT_EQ(files->topLevelItem(0)->child(0)->text(0),
              QString::fromStdString(disc + "fotky/léto.jpg  (od bajtu 0)"));
    EXPECT_EQ(files->topLevelItem(1)->text(0), "Jen ve zdrojové složce (1)");
    EXPECT_EQ(files->topLevelItem(1)->child(0)->text(0),
              QString::fromStdString(source + "chybí.txt"));
    window->close();

    m_dir.file("zdroj/fotky/léto.jpg", "léto");
    std::filesystem::remove(PathFromUtf8(source + "chybí.txt"));
    m_script.Expect("Obsah média odpovídá zdrojové složce", "OK");
    CompareWith(source);
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace vorlaxis::test
