// Readable but slow files in the window program: a medium that delays every read of one file
// among many gets that file, and only that one, offered, listed and marked on the speed graph;
// a healthy medium gets no summary and no list.
#include <QHelpEvent>
#include <QToolTip>
#include <QTreeWidget>

#include "AppFixture.h"
#include "results/qt/SlowFileListUnit.h"
#include "results/qt/SpeedGraphUnit.h"
#include "results/qt/SpeedGraphView.h"
#ifdef VORLAXIS_HAVE_FAULTFS
#include "FaultFs.h"
#endif

namespace vorlaxis::test {
namespace {

#ifdef VORLAXIS_HAVE_FAULTFS
const char kSlowFile[] = "d7/f77.bin";  // 3000 bytes

class SlowFilesWindow : public AppFixture {
  protected:
    void SetUp() override {
        VORLAXIS_REQUIRE_FUSE();
        // Mixed sizes in ten folders.
        const size_t sizes[] = {0, 100, 3000, 40000, 200000};
        for (int i = 0; i < 300; ++i) {
            m_fs.AddFile("d" + std::to_string(i % 10) + "/f" + std::to_string(i) + ".bin",
                         std::string(sizes[i % 5], static_cast<char>('a' + i % 26)));
        }
        ASSERT_TRUE(m_fs.Mount()) << m_fs.error();
    }

    // Opens the speed graph from the menu and runs `inspect` while it is shown.
    void InspectGraph(const std::function<void(gui::TSpeedGraphForm&)>& inspect) {
        ASSERT_TRUE(Action("mmZobrazitGrafRychlosti")->isEnabled());
        gui::TSpeedGraphForm& graph = Main().Results()->SpeedGraph();
        m_script.HoldWhile([&] { return graph.isVisible(); });
        m_script.When([&] { return graph.isVisible(); },
                      [&] {
                          inspect(graph);
                          graph.BitBtn1()->click();
                      });
        RunBatch([this] { Action("mmZobrazitGrafRychlosti")->trigger(); });
    }

    QTreeWidget* SlowList() { return Main().Results()->SlowFileList().ListView1(); }

    FaultFs m_fs;
};

TEST_F(SlowFilesWindow, OnlyTheDelayedFileIsOfferedListedAndMarked) {
    m_fs.SetFaults("delay 600 /" + std::string(kSlowFile) + "\n");
    Start(kQuietOptions + Ini({m_fs.root()}));
    m_script.Expect("Čitelné, ale pomalé soubory: 1\n", "Yes");
    m_script.Expect("Tyto soubory se četly výrazně pomaleji", "BitBtn1");

    RunBatchFromStartButton();

    CheckScript();
    EXPECT_EQ(Text("Label12"), "0");
    ASSERT_EQ(SlowList()->topLevelItemCount(), 1);
    const QTreeWidgetItem* row = SlowList()->topLevelItem(0);
    EXPECT_EQ(row->text(0), "f77.bin");
    EXPECT_EQ(row->text(1), QString::fromStdString(m_fs.root() + "d7/"));
    EXPECT_TRUE(row->text(2).endsWith(" MB/s")) << row->text(2).toStdString();
    QString tooltip;
    size_t marks = 0;
    InspectGraph([&](gui::TSpeedGraphForm& graph) {
        gui::SpeedGraphView* view = graph.GraphView();
        const SpeedGraphPicture& picture = view->Picture();
        marks = picture.marks.size();
        if (marks == 0) return;
        const QPoint at(static_cast<int>(picture.marks[0].x),
                        picture.plot.top + picture.plot.height / 2);
        QHelpEvent help(QEvent::ToolTip, at, view->mapToGlobal(at));
        QApplication::sendEvent(view, &help);
        tooltip = QToolTip::text();
    });
    EXPECT_EQ(marks, 1u);
    EXPECT_TRUE(tooltip.startsWith(QString::fromStdString(m_fs.root() + kSlowFile + " (")))
        << tooltip.toStdString();
}

TEST_F(SlowFilesWindow, AHealthyMediumGetsNoSummaryAndNoList) {
    Start(kQuietOptions + Ini({m_fs.root()}));

    RunBatchFromStartButton();

    CheckScript();
    EXPECT_TRUE(m_script.Seen.isEmpty()) << m_script.Seen.join("\n").toStdString();
    EXPECT_EQ(SlowList()->topLevelItemCount(), 0);
    size_t marks = 1, points = 0;
    InspectGraph([&](gui::TSpeedGraphForm& graph) {
        marks = graph.GraphView()->Picture().marks.size();
        points = graph.GraphView()->Picture().curve.size();
    });
    EXPECT_EQ(marks, 0u);
    EXPECT_GT(points, 1u);
}
#endif

}  // namespace
}  // namespace vorlaxis::test
