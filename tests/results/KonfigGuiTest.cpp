// The options dialog: live binding, enabling rules, the block-size field and the ways out.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "TempDir.h"
#include "media/LocationList.h"
#include "platform/Files.h"
#include "settings/SettingsFile.h"
#include "settings/qt/KonfigUnit.h"
#include "settings/qt/SpinEdit.h"
#include "ui_KonfigUnit.h"

using namespace vorlaxis;
using namespace vorlaxis::gui;

namespace {

class KonfigTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::string ini = dir.path() + "Ulvenor.ini";
    TestSettings settings = DefaultTestSettings();
    LocationList list;
    int writes = 0, reads = 0, helps = 0;
    TKonfig konfig{settings,
                   {[this] {
                        ++writes;
                        EXPECT_EQ(WriteINIs(ini, settings, nullptr, list), "");
                    },
                    [this] {
                        ++reads;
                        ReadINIs(ini, settings, nullptr, list, &konfig);
                    },
                    [this] { ++helps; }}};
    Ui::TKonfig& ui = konfig.ui();

    // Runs `during` once the dialog is open; returns after the dialog has closed.
    void execute(std::function<void()> during, QPoint mainTopLeft = {100, 100}) {
        QTimer::singleShot(0, [this, during] {
            EXPECT_EQ(QApplication::activeModalWidget(), &konfig);
            activate();
            during();
            if (konfig.isVisible()) konfig.close();
        });
        konfig.Execute(mainTopLeft);
    }
    // Keyboard focus and shortcuts need the active window.
    void activate() {
        konfig.show();
        konfig.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&konfig));
    }
    // Types into the block-size field and leaves it.
    void typeBlockSize(const QString& text) {
        ui.SpinEdit1->setFocus();
        ui.SpinEdit1->selectAll();
        QTest::keyClicks(ui.SpinEdit1, text);
        ui.CheckBox1->setFocus();  // the field loses the focus
    }
};

TEST_F(KonfigTest, OpensOnTheFirstTabBesideTheMainWindow) {
    EXPECT_EQ(konfig.windowTitle(), "Možnosti");
    EXPECT_EQ(konfig.size(), QSize(387, 307));
    EXPECT_EQ(ui.PageControl1->count(), 3);
    EXPECT_EQ(ui.PageControl1->tabText(0), "Obecné");
    EXPECT_EQ(ui.PageControl1->tabText(1), "Čtení dat");
    EXPECT_EQ(ui.PageControl1->tabText(2), "Záznamy testů");
    execute(
        [&] {
            EXPECT_EQ(konfig.pos(), QPoint(230, 90));
            ui.PageControl1->setCurrentIndex(2);
        },
        {200, 60});
    execute([&] { EXPECT_EQ(ui.PageControl1->currentIndex(), 0); });
}

TEST_F(KonfigTest, ControlsShowAndEditTheLiveRecord) {
    settings.TxtViewer = kNothingChosen;
    settings.BlockSize = 6;
    konfig.LoadFromSettings();
    EXPECT_TRUE(ui.cbEjectMedia->isChecked());
    EXPECT_TRUE(ui.RadioButton1->isChecked());
    EXPECT_TRUE(ui.RadioButton10->isChecked());
    EXPECT_TRUE(ui.RadioButton9->isChecked());
    EXPECT_EQ(ui.SpinEdit1->value(), 6);
    for (QRadioButton* b : {ui.RadioButton12, ui.RadioButton13, ui.RadioButton14}) {
        EXPECT_FALSE(b->isChecked());  // nothing chosen shows no option
    }
    EXPECT_EQ(settings.TxtViewer, kNothingChosen);

    ui.RadioButton7->click();
    ui.RadioButton13->click();
    ui.CheckBox5->click();
    ui.RadioButton8->click();
    ui.cbEjectMedia->click();
    EXPECT_EQ(settings.LogsFileNameFormat, BySerialNumber);
    EXPECT_EQ(settings.TxtViewer, InternalViewer);
    EXPECT_TRUE(settings.SaveLogsToDisk);
    EXPECT_TRUE(settings.ShowLogsAfterTestAlways);
    EXPECT_FALSE(settings.EjectAfterTest);
    ui.RadioButton6->setChecked(true);
    EXPECT_EQ(settings.ReadEveryXthBlock, 3);
}

TEST_F(KonfigTest, EachOptionGroupKeepsExactlyOneChoiceAndOkWritesIt) {
    // Block reading comes last in its group: the block options are usable only with it.
    const std::vector<std::vector<QRadioButton*>> groups = {
        {ui.RadioButton3, ui.RadioButton1, ui.RadioButton2},
        {ui.RadioButton4, ui.RadioButton5, ui.RadioButton6},
        {ui.RadioButton9, ui.RadioButton8},
        {ui.RadioButton7, ui.RadioButton10, ui.RadioButton11},
        {ui.RadioButton12, ui.RadioButton13, ui.RadioButton14}};
    const auto chosen = [&] {
        QList<QRadioButton*> selected;
        for (const auto& group : groups) {
            for (QRadioButton* b : group) {
                if (b->isChecked()) selected << b;
            }
        }
        return selected;
    };
    execute([&] {
        for (size_t g = 0; g < std::size(groups); ++g) {
            for (QRadioButton* option : groups[g]) {
                QList<QRadioButton*> expected = chosen();
                ASSERT_EQ(expected.size(), 5);
                expected[static_cast<qsizetype>(g)] = option;
                const QPoint box(6, option->height() / 2);
                QTest::mouseClick(option, Qt::LeftButton, {}, box);
                QTest::mouseClick(option, Qt::LeftButton, {}, box);  // the selected one stays
                EXPECT_EQ(chosen(), expected) << option->objectName().toStdString();
            }
        }
        ui.BitBtn1->click();
    });
    std::string content;
    ASSERT_TRUE(platform::ReadWholeFile(ini, content));
    for (const char* line :
         {"DataReadStyle=2", "ReadEveryXthBlock=3", "Show Logs After Test Always=1",
          "Logs FileNameFormat=3", "TXT Viewer=3"}) {
        EXPECT_NE(content.find(line), std::string::npos) << line;
    }
}

TEST_F(KonfigTest, ReadModeGreysTheBlockOptionsButNotTheBlockSize) {
    konfig.show();
    ui.RadioButton2->click();
    for (QWidget* w : std::initializer_list<QWidget*>{ui.Label1, ui.RadioButton4, ui.RadioButton5,
                                                      ui.RadioButton6}) {
        EXPECT_TRUE(w->isEnabled());
    }
    ui.RadioButton3->click();
    EXPECT_EQ(settings.DataReadStyle, 3);
    for (QWidget* w : std::initializer_list<QWidget*>{ui.Label1, ui.RadioButton4, ui.RadioButton5,
                                                      ui.RadioButton6}) {
        EXPECT_FALSE(w->isEnabled());
    }
    EXPECT_TRUE(ui.SpinEdit1->isEnabled());
    EXPECT_TRUE(ui.Label2->isEnabled());
    // Set by the program: the rule runs as well.
    settings.DataReadStyle = 2;
    konfig.LoadFromSettings();
    EXPECT_TRUE(ui.RadioButton4->isEnabled());
    settings.DataReadStyle = 1;
    konfig.LoadFromSettings();
    EXPECT_FALSE(ui.RadioButton4->isEnabled());
}

TEST_F(KonfigTest, LogDisplayGreysItsOptionsAndFreesTheAutomaticList) {
    konfig.show();
    EXPECT_TRUE(ui.RadioButton8->isEnabled());
    EXPECT_FALSE(ui.CheckBox2->isEnabled());
    ui.CheckBox4->click();
    EXPECT_FALSE(settings.ShowLogsAfterTest);
    EXPECT_FALSE(ui.RadioButton8->isEnabled());
    EXPECT_FALSE(ui.RadioButton9->isEnabled());
    EXPECT_TRUE(ui.CheckBox2->isEnabled());
    ui.CheckBox4->click();
    EXPECT_TRUE(ui.RadioButton9->isEnabled());
    EXPECT_FALSE(ui.CheckBox2->isEnabled());
    EXPECT_TRUE(ui.RadioButton9->isChecked());  // greying keeps the value

    // ReadINIs brings the rule up to date through its hook.
    platform::WriteWholeFile(ini, "[Logs]\nShow Logs After Test=0\n");
    ReadINIs(ini, settings, nullptr, list, &konfig);
    EXPECT_FALSE(ui.CheckBox4->isChecked());
    EXPECT_TRUE(ui.CheckBox2->isEnabled());
}

TEST_F(KonfigTest, ArrowButtonLeadsToTheLogSetting) {
    execute([&] {
        ui.RxSpeedButton1->click();
        EXPECT_EQ(ui.PageControl1->currentWidget(), ui.TabSheet3);
        EXPECT_EQ(QApplication::focusWidget(), ui.CheckBox4);
    });
}

TEST_F(KonfigTest, BlockSizeStepsByFourWithinFourToFortyEight) {
    konfig.show();
    SpinEdit* spin = ui.SpinEdit1;
    spin->setValue(48);
    spin->stepUp();
    EXPECT_EQ(spin->value(), 48);
    spin->setValue(4);
    spin->stepDown();
    EXPECT_EQ(spin->value(), 4);
    spin->setValue(6);
    EXPECT_EQ(settings.BlockSize, 6);
    spin->stepUp();
    EXPECT_EQ(spin->value(), 10);
    spin->setValue(6);
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_Down);
    EXPECT_EQ(spin->value(), 4);
    spin->setValue(100);
    EXPECT_EQ(spin->value(), 48);
    spin->setValue(0);
    EXPECT_EQ(spin->value(), 4);
}

TEST_F(KonfigTest, TypedBlockSizeIsPulledIntoRangeWhenTheFieldIsLeft) {
    activate();
    typeBlockSize("6");
    EXPECT_EQ(settings.BlockSize, 6);
    typeBlockSize("100");
    EXPECT_EQ(ui.SpinEdit1->value(), 48);
    EXPECT_EQ(ui.SpinEdit1->text(), "48");
    typeBlockSize("2");
    EXPECT_EQ(ui.SpinEdit1->value(), 4);
    typeBlockSize("-");  // no number: counts as 4
    EXPECT_EQ(ui.SpinEdit1->value(), 4);
    EXPECT_EQ(settings.BlockSize, 4);
    // Letters are refused.
    ui.SpinEdit1->setFocus();
    ui.SpinEdit1->selectAll();
    QTest::keyClicks(ui.SpinEdit1, "1x2a");
    EXPECT_EQ(ui.SpinEdit1->text(), "12");
}

TEST_F(KonfigTest, OkWritesTheFileWithTheTypedBlockSize) {
    execute([&] {
        ui.PageControl1->setCurrentIndex(1);
        ui.SpinEdit1->setFocus();
        ui.SpinEdit1->selectAll();
        QTest::keyClicks(ui.SpinEdit1, "20");
        QTest::keyClick(ui.SpinEdit1, Qt::Key_Return);  // Enter while the field has the focus
    });
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(konfig.result(), QDialog::Accepted);
    std::string content;
    ASSERT_TRUE(platform::ReadWholeFile(ini, content));
    EXPECT_NE(content.find("BlockSize=20"), std::string::npos);
}

TEST_F(KonfigTest, StornoAndEscReadTheFileBackUndoingANewLocation) {
    settings.GoNonstop = false;
    ASSERT_EQ(WriteINIs(ini, settings, nullptr, list), "");
    list.Add("/media/new");  // added on the main window, never written
    execute([&] {
        ui.CheckBox1->click();
        EXPECT_TRUE(settings.GoNonstop);
        ui.BitBtn2->click();
    });
    EXPECT_EQ(reads, 1);
    EXPECT_FALSE(settings.GoNonstop);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(ui.CheckBox1->isChecked());

    execute([&] {
        ui.CheckBox1->click();
        QTest::keyClick(&konfig, Qt::Key_Escape);
    });
    EXPECT_EQ(reads, 2);
    EXPECT_FALSE(settings.GoNonstop);
    EXPECT_EQ(writes, 0);
}

TEST_F(KonfigTest, CloseBoxKeepsTheChangeInMemoryOnly) {
    execute([&] {
        ui.CheckBox1->click();
        konfig.close();
    });
    EXPECT_TRUE(settings.GoNonstop);
    EXPECT_EQ(writes + reads, 0);
    EXPECT_FALSE(platform::Exists(ini));
}

TEST_F(KonfigTest, HelpLeavesTheDialogOpen) {
    execute([&] {
        ASSERT_TRUE(konfig.isActiveWindow());
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keySequence(QApplication::focusWidget(), QKeySequence("Alt+N"));
        // A mnemonic clicks the button the animated way, a moment later.
        for (int i = 0; i < 500 && helps == 0; ++i) QTest::qWait(10);
        EXPECT_EQ(helps, 1);
        EXPECT_TRUE(konfig.isVisible());
        ui.BitBtn3->click();
        EXPECT_EQ(helps, 2);
        EXPECT_TRUE(konfig.isVisible());
    });
    EXPECT_EQ(writes + reads, 0);
}

}  // namespace
