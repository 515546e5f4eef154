// The job viewer: its list and caption, deleting single records, and the way
// to the point output.
#include <signal.h>
#include <sys/resource.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "tests/support/WindowFixture.h"
#include "ui/Controls.h"
#include "ui/JobViewer.h"
#include "ui/PlanWindow.h"
#include "ui/PointOutputWindow.h"

namespace vel::test {
namespace {

QStringList rowsOf(const QListWidget* list) {
  QStringList rows;
  for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
  return rows;
}

int selectedRow(const QListWidget* list) {
  const auto selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->row(selected.first());
}

class JobViewerTest : public WindowTest {
 protected:
  // A job JOB1 of the points P1 .. Pn.
  void fillJob(int n) {
    slot = newJob("JOB1");
    for (int i = 1; i <= n; ++i) append(slot, pointRecord("P" + std::to_string(i)));
  }
  void open() {
    viewer = std::make_unique<JobViewer>(session, prompts);
    viewer->job = slot;
    viewer->fill();
  }

  JobSlot slot;
  std::unique_ptr<JobViewer> viewer;
};

TEST_F(JobViewerTest, ListsEveryRecordAsItsTextWithTheCountInTheCaption) {
  slot = newJob("JOB1");
  append(slot, pointRecord("P1", "1234.567", "-12.345", "-0.005"));
  append(slot, surveyRecord(kCRD, "C2", "K1", {10, 0}, {20, 500}, {-1, -250}));
  Record unknown{};
  unknown[0] = 7;
  append(slot, unknown);
  open();

  EXPECT_EQ(viewer->windowTitle(), QStringLiteral("查阅工作文件:JOB1 (记录总数:3)"));
  EXPECT_EQ(rowsOf(viewer->recordList),
            (QStringList{"PT:   P1,1234.567,-12.345,-0.005",
                         "CRD:  C2,0.000,10.000,20.500,-1.250,K1", "Unknown Record"}));
  EXPECT_EQ(selectedRow(viewer->recordList), 0);
  EXPECT_EQ(viewer->deleteButton->text(), QStringLiteral("删除记录"));
  EXPECT_EQ(viewer->outputButton->text(), QStringLiteral("输出点坐标"));
  EXPECT_EQ(viewer->size(), QSize(592, 753));
}

TEST_F(JobViewerTest, ARecordTheStoreCannotDeliverKeepsItsRow) {
  fillJob(3);
  // The first block's bitmap now holds two records while the counts say three.
  const uint8_t bitmap = 0xFC;
  edit([&](RecordAreaStore& s) { ASSERT_TRUE(s.writeImage({0, 0x1500}, 1, &bitmap)); });
  open();

  EXPECT_EQ(
      rowsOf(viewer->recordList),
      (QStringList{"PT:   P1,1.000,2.000,3.000", "PT:   P2,1.000,2.000,3.000", "Unknown Record"}));
  EXPECT_EQ(viewer->windowTitle(), QStringLiteral("查阅工作文件:JOB1 (记录总数:3)"));
}

TEST_F(JobViewerTest, AnEmptyJobShowsNoRowsAndBothButtonsWork) {
  fillJob(0);
  open();
  EXPECT_EQ(viewer->windowTitle(), QStringLiteral("查阅工作文件:JOB1 (记录总数:0)"));
  EXPECT_EQ(viewer->recordList->count(), 0);

  viewer->deleteButton->click();
  EXPECT_TRUE(prompts.shown.empty());

  bool outputShown = false;
  whenModalOpens<PointOutputWindow>([&](PointOutputWindow* output) {
    outputShown = true;
    EXPECT_EQ(output->job, slot);
    EXPECT_EQ(output->windowTitle(), QStringLiteral("输出点坐标"));
    EXPECT_TRUE(cellOf(output->grid, 0, 0).isEmpty());
    output->collectGridPoints();
    EXPECT_TRUE(output->points().empty());
  });
  viewer->outputButton->click();
  EXPECT_TRUE(outputShown);
}

TEST_F(JobViewerTest, TheOutputWindowShowsThePointsOfTheViewedJob) {
  fillJob(2);
  open();
  QStringList names;
  whenModalOpens<PointOutputWindow>([&](PointOutputWindow* output) {
    names << cellOf(output->grid, 0, 0) << cellOf(output->grid, 1, 0);
  });
  viewer->outputButton->click();
  EXPECT_EQ(names, (QStringList{"P1", "P2"}));
  EXPECT_EQ(viewer->recordList->count(), 2);
}

TEST_F(JobViewerTest, DeletingARowSelectsTheRowThatTookItsPlaceOrRowZero) {
  const struct {
    int records;
    int row;
    int selectedAfter;  // -1: nothing selected
    QStringList namesAfter;
  } cases[] = {
      {5, 1, 1, {"P1", "P3", "P4", "P5"}},  // the second row of five
      {5, 4, 0, {"P1", "P2", "P3", "P4"}},  // the last row
      {5, 0, 0, {"P2", "P3", "P4", "P5"}},
      {1, 0, -1, {}},  // the only row
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.records << " records, row " << c.row);
    SetUp();
    prompts.shown.clear();
    fillJob(c.records);
    open();
    viewer->recordList->setCurrentRow(c.row);
    prompts.answerYesNo(true);
    viewer->deleteButton->click();

    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, Kind::kYesNo);
    EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("工作文件"));
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("删除点号为P%1的记录吗？").arg(c.row + 1));
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::kQuestion);

    EXPECT_EQ(pointNames(slot), c.namesAfter);
    QStringList shownNames;
    for (const QString& row : rowsOf(viewer->recordList))
      shownNames << row.mid(6).section(',', 0, 0);
    EXPECT_EQ(shownNames, c.namesAfter) << "row i stays record i";
    EXPECT_EQ(selectedRow(viewer->recordList), c.selectedAfter);
    EXPECT_EQ(viewer->windowTitle(),
              QStringLiteral("查阅工作文件:JOB1 (记录总数:%1)").arg(c.records - 1));
    viewer.reset();
  }
}

TEST_F(JobViewerTest, AnsweringNoKeepsTheRecordTheListAndTheCaption) {
  fillJob(3);
  open();
  viewer->recordList->setCurrentRow(2);
  prompts.answerYesNo(false);
  viewer->deleteButton->click();

  EXPECT_EQ(prompts.shownOf(Kind::kYesNo).size(), 1u);
  EXPECT_EQ(pointNames(slot), (QStringList{"P1", "P2", "P3"}));
  EXPECT_EQ(viewer->recordList->count(), 3);
  EXPECT_EQ(selectedRow(viewer->recordList), 2);
  EXPECT_EQ(viewer->windowTitle(), QStringLiteral("查阅工作文件:JOB1 (记录总数:3)"));
}

TEST_F(JobViewerTest, ARecordWithoutANameIsAskedForWithAnEmptyName) {
  slot = newJob("JOB1");
  append(slot, pointRecord(""));
  open();
  viewer->deleteButton->click();  // unanswered: No
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].text, QStringLiteral("删除点号为的记录吗？"));
  EXPECT_EQ(session.recordCount(slot), 1);
}

TEST_F(JobViewerTest, TheDeleteKeyDoesNotDelete) {
  fillJob(2);
  open();
  viewer->show();
  QTest::keyClick(viewer->recordList, Qt::Key_Delete);
  EXPECT_TRUE(prompts.shown.empty());
  EXPECT_EQ(viewer->recordList->count(), 2);
  EXPECT_EQ(session.recordCount(slot), 2);
}

TEST_F(JobViewerTest, ReturnDoesNotAskToDeleteSpaceOnTheFocusedButtonDoes) {
  fillJob(2);
  open();
  viewer->show();
  QTest::keyClick(viewer->recordList, Qt::Key_Return);
  QTest::keyClick(viewer->recordList, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(prompts.shown.empty());
  EXPECT_TRUE(viewer->isVisible());

  viewer->deleteButton->setFocus();
  QTest::keyClick(viewer->deleteButton, Qt::Key_Return);
  EXPECT_TRUE(prompts.shown.empty()) << "not even on the button";
  QTest::keyClick(viewer->deleteButton, Qt::Key_Space);
  EXPECT_EQ(prompts.shownOf(Kind::kYesNo).size(), 1u);
  EXPECT_EQ(session.recordCount(slot), 2);
}

TEST_F(JobViewerTest, AFailedWriteIsReportedAndTheListShowsWhatTheCardHolds) {
  fillJob(3);
  open();
  viewer->recordList->setCurrentRow(1);
  int reports = 0;
  viewer->reportWriteFailure = [&] { ++reports; };
  prompts.answerYesNo(true);
  {
    // Every write fails while the limit is 0.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    viewer->deleteButton->click();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
  }
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(pointNames(slot), (QStringList{"P1", "P2", "P3"}));
  EXPECT_EQ(viewer->recordList->count(), 3);
  EXPECT_EQ(viewer->windowTitle(), QStringLiteral("查阅工作文件:JOB1 (记录总数:3)"));
}

TEST_F(JobViewerTest, TheGraphicButtonDrawsTheJobWithTheKnownPointsToLayOver) {
  fillJob(3);
  append(session.knownPointFile(), pointRecord("K1", "5.000", "5.000", "0.000"));
  open();
  viewer->imagePath = QStringLiteral("/media/card/VEL/CARD.VEL");
  EXPECT_EQ(viewer->planButton->text(), QStringLiteral("图形"));
  bool shown = false;
  whenModalOpens<PlanWindow>([&](PlanWindow* plan) {
    shown = true;
    EXPECT_EQ(plan->view->pointCount(), 4) << "three job points and the known one";
    EXPECT_FALSE(plan->knownCheckBox->isHidden());
    EXPECT_TRUE(
        plan->titleLine().startsWith(QStringLiteral("图像 CARD.VEL    工作文件 JOB1    点数 3")))
        << plan->titleLine().toStdString();
  });
  QTest::mouseClick(viewer->planButton, Qt::LeftButton);
  EXPECT_TRUE(shown);
}

// Shift and Ctrl with the mouse or the arrows pick several records; Ctrl+C
// copies them as tab-separated lines, Ctrl+A takes all, and one question
// and one change delete the picked ones.
TEST_F(JobViewerTest, SeveralRecordsAreCopiedAndDeletedAtOnce) {
  fillJob(5);
  open();
  viewer->show();
  QListWidget* list = viewer->recordList;
  const auto clickRow = [list](int row, Qt::KeyboardModifiers keys) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, keys,
                      list->visualItemRect(list->item(row)).center());
  };
  clickRow(1, {});
  QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
  clickRow(4, Qt::ControlModifier);
  QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            QStringLiteral("PT\tP2\t1.000\t2.000\t3.000\n"
                           "PT\tP3\t1.000\t2.000\t3.000\n"
                           "PT\tP5\t1.000\t2.000\t3.000\n"));

  prompts.answerYesNo(true);
  viewer->deleteButton->click();
  const auto asked = prompts.shownOf(Kind::kYesNo);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, QStringLiteral("删除选中的3条记录吗？"));
  EXPECT_EQ(rowsOf(list), (QStringList{"PT:   P1,1.000,2.000,3.000", "PT:   P4,1.000,2.000,3.000"}));
  EXPECT_EQ(session.recordCount(slot), 2);
  EXPECT_EQ(viewer->windowTitle(), QStringLiteral("查阅工作文件:JOB1 (记录总数:2)"));
  EXPECT_EQ(selectedRows(list), std::vector<int>{1});

  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text().count(QLatin1Char('\n')), 2);
}

}  // namespace
}  // namespace vel
