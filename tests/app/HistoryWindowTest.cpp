// The media's test history in the main window: the summary after a location whose content
// changed since its last test, the window listing the files by kind, and the menu command
// that shows the last comparison again.
#include <QMenu>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "AppFixture.h"
#include "results/qt/ChangesUnit.h"
#include "results/qt/MainHistory.h"

namespace vorlaxis::test {
namespace {

TEST_F(AppFixture, SilentChangeIsSummarisedListedAndShownAgainFromTheMenu) {
    const std::string disc = m_dir.path() + "disc";
    const std::string flip = m_dir.file("disc/flip.bin", std::string(70000, 'a'));
    m_dir.file("disc/gone.txt", "gone");
    Start(kQuietOptions + Ini({disc}));
    RunBatchFromStartButton();  // the first test: nothing to compare with, nothing asked
    CheckScript();
    QAction* again = Action("mmZobrazitPorovnani");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->parent(), Main().findChild<QMenu*>("Zobrazit1"));
    m_script.Expect("nebylo žádné médium porovnáno", "OK");
    RunBatch([again] { again->trigger(); });
    CheckScript();

    const auto time = std::filesystem::last_write_time(flip);
    std::ofstream(flip, std::ios::binary | std::ios::in) << 'b';
    std::filesystem::last_write_time(flip, time);
    std::filesystem::remove(disc + "/gone.txt");
    m_script.Expect("Změněný obsah při stejné velikosti a datu změny: 1", "Yes");
    RunBatchFromStartButton();
    CheckScript();
    ASSERT_EQ(m_script.Icons.size(), 2);
    EXPECT_EQ(m_script.Icons[1], QMessageBox::Warning);  // a silent change is the alarm
    gui::TChangesForm* window = Main().History()->Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    QTreeWidget* files = window->Files();
    ASSERT_EQ(files->topLevelItemCount(), 2);
    EXPECT_EQ(files->topLevelItem(0)->text(0),
              "Změněný obsah při stejné velikosti a datu změny (1)");
    EXPECT_EQ(files->topLevelItem(0)->child(0)->text(0), QString::fromStdString(flip));
    EXPECT_EQ(files->topLevelItem(1)->text(0), "Chybějící soubory (1)");

    window->close();
    files->clear();
    again->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(files->topLevelItemCount(), 2);
}

}  // namespace
}  // namespace vorlaxis::test
