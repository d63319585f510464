// The bad-file list and the internal viewer as real windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "TempDir.h"
#include "results/qt/EditorUnit.h"
#include "results/qt/ErrorListUnit.h"

using namespace vorlaxis::gui;

namespace {

// Clicks the OK button of whatever modal window is open once the event loop runs.
void ClickOkOfModalSoon() {
    QTimer::singleShot(0, [] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        modal->findChild<QPushButton*>("BitBtn1")->click();
    });
}

TEST(TErrorListForm, RowsInTheOrderFoundSplitIntoNameAndFolder) {
    TErrorListForm form;
    EXPECT_EQ(form.windowTitle(), "Výsledky testu - seznam špatných souborů...");
    QTreeWidget* list = form.ListView1();
    EXPECT_EQ(list->headerItem()->text(0), "Soubor");
    EXPECT_EQ(list->headerItem()->text(1), "Umístění");
    EXPECT_EQ(list->columnWidth(0), 140);
    EXPECT_EQ(list->columnWidth(1), 323);
    form.AddRow("/media/cd/b/zeta.bin");
    form.AddRow("/media/cd/a/alpha.bin");
    form.AddRow(std::string("/media/cd/b/\xc5\xbe\xff.bin"));  // an invalid byte shows as U+FFFD
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "zeta.bin");
    EXPECT_EQ(list->topLevelItem(0)->text(1), "/media/cd/b/");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "alpha.bin");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "/media/cd/a/");
    EXPECT_EQ(list->topLevelItem(2)->text(0), QString::fromUtf8("ž\xef\xbf\xbd.bin"));

    // Clicking a column header neither sorts nor edits; rows are selected whole.
    form.show();
    QTest::mouseClick(list->header()->viewport(), Qt::LeftButton, {},
                      QPoint(list->header()->sectionViewportPosition(0) + 10, 5));
    EXPECT_EQ(list->topLevelItem(0)->text(0), "zeta.bin");
    EXPECT_FALSE(list->topLevelItem(0)->flags() & Qt::ItemIsEditable);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);

    form.Clear();
    EXPECT_EQ(list->topLevelItemCount(), 0);
}

TEST(TErrorListForm, ResizeKeepsTheControlsAtTheEdges) {
    TErrorListForm form;
    form.show();
    const QRect list0 = form.ListView1()->geometry();
    const QRect ok0 = form.BitBtn1()->geometry();
    EXPECT_EQ(list0, QRect(8, 20, 467, 273));
    EXPECT_EQ(ok0, QRect(397, 299, 79, 25));
    form.resize(form.size() + QSize(100, 100));
    EXPECT_EQ(form.ListView1()->geometry(), QRect(8, 20, 567, 373));
    EXPECT_EQ(form.BitBtn1()->geometry(), ok0.translated(100, 100));
    form.resize(20, 20);  // smaller than the controls: clamped, nothing negative
    EXPECT_GE(form.ListView1()->width(), 0);
    EXPECT_GE(form.BitBtn1()->x(), 8);
}

TEST(TErrorListForm, ShownModallyUntilOk) {
    TErrorListForm form;
    form.AddRow("/x/y");
    ClickOkOfModalSoon();
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(form.ListView1()->topLevelItemCount(), 1);  // kept for the next showing
}

TEST(TEditor, LoadsTheLogReadOnlyInFixedPitchOnGrey) {
    vorlaxis::test::TempDir dir;
    TEditor editor;
    EXPECT_EQ(editor.windowTitle(), "Editor");
    EXPECT_EQ(editor.Memo1()->toPlainText(), "Memo1");
    QPlainTextEdit* memo = editor.Memo1();
    EXPECT_TRUE(memo->isReadOnly());
    // Fixed pitch as the eye sees it, whatever face stands in for "Courier New" here: runs of
    // narrow, wide and Czech letters of one length take the same room.
    const QFontMetrics metrics(memo->font());
    for (const QString run : {"iiiiiiii", "........", "čšřžýáíé", "11111111"}) {
        EXPECT_EQ(metrics.horizontalAdvance(run), metrics.horizontalAdvance("WWWWWWWW"))
            << run.toStdString();
    }
    EXPECT_EQ(memo->palette().color(QPalette::Base), memo->palette().color(QPalette::Button));
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    const std::string path =
        dir.file("tmplog0.txt", "Chyba \x9A\xE8\xF8\r\nKontroln\xED sou\xE8\x65t\r\n");
    EXPECT_EQ(editor.Load(path), "");
    EXPECT_EQ(memo->toPlainText(), "Chyba ščř\nKontrolní součet\n");
    const std::string error = editor.Load(dir.path() + "none.txt");
    EXPECT_EQ(error, "Cannot open file \"" + dir.path() + "none.txt\". No such file or directory");
    EXPECT_EQ(memo->toPlainText(), "Chyba ščř\nKontrolní součet\n");
}

TEST(TEditor, FocusIsInTheTextWhichCannotBeChanged) {
    TEditor editor;
    editor.BitBtn1()->setFocus();
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(editor.focusWidget(), editor.Memo1());
        QTest::keyClicks(editor.Memo1(), "typed");
        QTest::keyClick(editor.Memo1(), Qt::Key_Delete);
        EXPECT_EQ(editor.Memo1()->toPlainText(), "Memo1");
        editor.BitBtn1()->click();
    });
    EXPECT_EQ(editor.exec(), QDialog::Accepted);
}

TEST(TEditor, ResizeKeepsTheControlsAtTheEdges) {
    TEditor editor;
    editor.show();
    EXPECT_EQ(editor.Memo1()->geometry(), QRect(4, 4, 519, 285));
    EXPECT_EQ(editor.BitBtn1()->geometry(), QRect(449, 297, 75, 25));
    editor.resize(editor.size() + QSize(100, 50));
    EXPECT_EQ(editor.Memo1()->geometry(), QRect(4, 4, 619, 335));
    EXPECT_EQ(editor.BitBtn1()->geometry(), QRect(549, 347, 75, 25));
}

}  // namespace

#include "results/qt/MainResults.h"
#include "support/ResultsFakes.h"

namespace {

class MainResultsTest : public ::testing::Test {
  protected:
    vorlaxis::test::TempDir dir;
    vorlaxis::TestSettings settings;
    vorlaxis::test::ScriptedDialogs dialogs;
    vorlaxis::test::RecordingShell* shell = new vorlaxis::test::RecordingShell;
    TEditor editor;
    TErrorListForm errorList;
    std::vector<bool> colours;
    MainResults results{settings,
                        dialogs,
                        editor,
                        errorList,
                        [this](bool red) { colours.push_back(red); },
                        std::unique_ptr<vorlaxis::Shell>(shell)};
    vorlaxis::TestStatistics stats;

    void SetUp() override {
        results.SetFolders(dir.path(), dir.path() + "Logs/");
        settings.TxtViewer = vorlaxis::InternalViewer;
    }
};

TEST_F(MainResultsTest, InternalViewerShowsTheLogUnderItsPath) {
    const std::string log = dir.file("tmplog0.txt", "Vorlaxis\r\nz\xE1znam\r\n");
    QString caption, text;
    QTimer::singleShot(0, [&] {
        caption = editor.windowTitle();
        text = editor.Memo1()->toPlainText();
        editor.BitBtn1()->click();
    });
    results.ErrorResults(stats, {{"bad.bin", "/m/"}}, 1);
    EXPECT_EQ(caption.toStdString(), log);
    EXPECT_EQ(text, "Vorlaxis\nzáznam\n");
    EXPECT_EQ(colours, std::vector<bool>{true});
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(MainResultsTest, BadFileListShowsTheRowsOfTheLocationJustTested) {
    settings.ShowLogsAfterTest = false;
    settings.ShowErrorList = true;
    errorList.AddRow("/old/row.bin");
    int rows = -1;
    QTimer::singleShot(0, [&] {
        rows = errorList.ListView1()->topLevelItemCount();
        errorList.BitBtn1()->click();
    });
    results.ErrorResults(stats, {{"a.bin", "/m/x/"}, {"b.bin", "/m/y/"}}, 2);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(errorList.ListView1()->topLevelItem(1)->text(1), "/m/y/");
}

TEST_F(MainResultsTest, LogCommandsReachTheShell) {
    results.mmZobrazitSlozkuZaznamyClick();
    results.mmZobrazitDocasneZaznamyClick(2);
    ASSERT_EQ(shell->requests.size(), 3u);
    EXPECT_EQ(shell->requests[0].kind, "folder");
    EXPECT_EQ(shell->requests[2].path, dir.path() + "tmplog1.txt");
}

}  // namespace
