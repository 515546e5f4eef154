// The desktop program's snapshots: one before each destructive action on the
// pages, in the viewer and in the import, the switch that turns them off, and
// the restore window driven through its widgets.
#include <QTest>
#include <fstream>

#include "card/Snapshots.h"
#include "messages/MessageTexts.h"
#include "messages/Messages.h"
#include "tests/app/PagesFixture.h"
#include "tests/support/ModalDriver.h"
#include "ui/ImportWindow.h"
#include "ui/JobViewer.h"
#include "ui/RestoreWindow.h"

namespace vel::test {
namespace {

namespace fs = std::filesystem;

void sample(RecordAreaStore& s) {
  const uint8_t job = s.createJob("JOB1");
  s.createJob("ROAD2");
  for (const char* name : {"P1", "P2"}) s.appendRecord(job, kRecordSize, pointRecord(name).data());
  for (const char* name : {"K1", "K2"}) {
    s.appendRecord(s.knownPointFile(), kRecordSize, pointRecord(name).data());
  }
  s.addFeatureCode("TREE");
  s.addFeatureCode("WALL");
}

// Each test keeps its snapshots in a folder of its own.
class RestoreTest : public PagesTest {
 protected:
  void SetUp() override {
    const char* saved = std::getenv("VEL_BACKUP_DIR");
    saved_ = saved ? saved : "";
    backups = scratch.folder("backups");
    ::setenv("VEL_BACKUP_DIR", backups.c_str(), 1);
  }
  void TearDown() override { ::setenv("VEL_BACKUP_DIR", saved_.c_str(), 1); }

  std::vector<Snapshot> kept() const { return SnapshotFolder(backups).list("CARD.VEL"); }
  std::vector<uint8_t> keptBytes(size_t newest) const {
    return SnapshotFolder(backups).load(kept().at(newest)).value_or(std::vector<uint8_t>{});
  }

  fs::path backups;
  std::string saved_;
};

TEST_F(RestoreTest, EachDestructiveActionOfThePagesKeepsOneSnapshotOfTheImageBeforeIt) {
  load(sample);
  const fs::path points = scratch.folder("in") / "points.pts";
  std::ofstream(points) << "N1,1.000,2.000,3.000,\r\n";
  const struct {
    const char* action;
    std::function<void()> act;
  } actions[] = {
      {"删除记录 JOB1 第1条",
       [&] {
         form->jobPage->list->setCurrentRow(0);
         prompts.answerYesNo(true);
         ModalDriver viewer([](QDialog& dialog) {
           auto* window = qobject_cast<JobViewer*>(&dialog);
           ASSERT_NE(window, nullptr);
           QTest::mouseClick(window->deleteButton, Qt::LeftButton);
           dialog.reject();
         });
         form->jobPage->viewJobButton->click();
         EXPECT_TRUE(viewer.acted());
       }},
      {"导入坐标到 JOB1",
       [&] {
         form->jobPage->list->setCurrentRow(0);
         prompts.answerFile(pathToQString(points), 2);
         ModalDriver import([](QDialog& dialog) {
           auto* window = qobject_cast<ImportWindow*>(&dialog);
           ASSERT_NE(window, nullptr);
           QTest::mouseClick(window->confirmButton, Qt::LeftButton);
         });
         form->jobPage->importPointsButton->click();
         EXPECT_TRUE(import.acted());
       }},
      {"工作文件改名 JOB1 → MAIN",
       [&] {
         form->jobPage->list->setCurrentRow(0);
         entries.answerName("MAIN");
         form->jobPage->renameJobButton->click();
       }},
      {"删除工作文件 ROAD2",
       [&] {
         form->jobPage->list->setCurrentRow(1);
         prompts.answerYesNo(true);
         QTest::keyClick(form->jobPage->list, Qt::Key_Delete);
       }},
      {"删除已知点 K1",
       [&] {
         form->knownPointPage->list->setCurrentRow(0);
         prompts.answerYesNo(true);
         form->knownPointPage->deleteKnownPointButton->click();
       }},
      {"清空已知点",
       [&] {
         prompts.answerYesNo(true);
         form->knownPointPage->clearKnownPointsButton->click();
       }},
      {"删除特征码 TREE",
       [&] {
         form->codePage->list->setCurrentRow(0);
         form->codePage->deleteCodeButton->click();
       }},
      {"清空特征码",
       [&] {
         prompts.answerYesNo(true);
         form->codePage->clearCodesButton->click();
       }},
      {"格式化记录区",
       [&] {
         prompts.answerYesNo(true);
         QTest::mouseClick(form->formatButton, Qt::LeftButton);
       }},
  };
  size_t count = 0;
  for (const auto& a : actions) {
    SCOPED_TRACE(a.action);
    const std::vector<uint8_t> before = readBytes(image);
    a.act();
    ASSERT_NE(readBytes(image), before) << "the action was not done";
    ASSERT_EQ(kept().size(), ++count);
    EXPECT_EQ(snapshotActionText(kept()[0], asWritten), a.action);
    EXPECT_EQ(keptBytes(0), before);
    EXPECT_EQ(prompts.unusedAnswers(), 0u);
  }
  // Adding loses nothing: no snapshot.
  entries.answerName("NEW");
  form->jobPage->newJobButton->click();
  EXPECT_EQ(session.jobCount(), 1);
  EXPECT_EQ(kept().size(), count);
}

TEST_F(RestoreTest, AFolderThatCannotBeWrittenStopsTheActionWithABox) {
  std::ofstream(scratch.path() / "plain-file") << "x";
  ::setenv("VEL_BACKUP_DIR", (scratch.path() / "plain-file" / "backups").c_str(), 1);
  load(sample);
  const std::vector<uint8_t> before = readBytes(image);
  form->jobPage->list->setCurrentRow(0);
  prompts.answerYesNo(true);
  form->jobPage->deleteJobButton->click();
  const auto boxes = prompts.shownOf(Kind::kOk);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].text.startsWith(QString::fromUtf8(kSnapshotFailedText)))
      << boxes[0].text.toStdString();
  EXPECT_EQ(form->jobPage->list->count(), 2);
  EXPECT_EQ(readBytes(image), before);
}

TEST_F(RestoreTest, TheRestoreWindowPutsTheChosenSnapshotBackAndTheMainWindowShowsIt) {
  load(sample);
  const std::vector<uint8_t> original = readBytes(image);
  form->jobPage->list->setCurrentRow(0);
  prompts.answerYesNo(true);
  form->jobPage->deleteJobButton->click();
  form->codePage->list->setCurrentRow(0);
  form->codePage->deleteCodeButton->click();
  ASSERT_EQ(form->jobPage->list->count(), 1);

  prompts.answerYesNo(true);  // the restore's question
  ModalDriver driver([&](QDialog& dialog) {
    auto* window = qobject_cast<RestoreWindow*>(&dialog);
    ASSERT_NE(window, nullptr);
    QTreeWidget* list = window->snapshotList;
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("删除特征码 TREE"));
    EXPECT_EQ(list->topLevelItem(1)->text(2),
              QStringLiteral("工作文件 JOB1(2) ROAD2(0)；已知点 2；特征码 2"));
    // The newest is chosen first; its preview is the job list it holds.
    EXPECT_EQ(window->previewList->count(), 1);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(window->previewList->count(), 2);
    EXPECT_TRUE(window->previewList->item(0)->text().contains(QStringLiteral("JOB1")));
    // Return never restores: the question is still unasked.
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(prompts.unusedAnswers(), 1u);
    QTest::mouseClick(window->restoreButton, Qt::LeftButton);
    // The state just replaced is the newest snapshot now.
    EXPECT_EQ(list->topLevelItemCount(), 3);
    EXPECT_TRUE(list->topLevelItem(0)->text(1).startsWith(QStringLiteral("恢复备份 ")));
    QTest::mouseClick(window->closeButton, Qt::LeftButton);
  });
  QTest::mouseClick(form->restoreButton, Qt::LeftButton);
  ASSERT_TRUE(driver.acted());
  EXPECT_EQ(readBytes(image), original);
  EXPECT_EQ(form->jobPage->list->count(), 2);
  EXPECT_EQ(form->codePage->list->count(), 2);
  EXPECT_EQ(form->jobCountLabel->text(), QStringLiteral("2"));
  EXPECT_EQ(prompts.timedMessages(), QStringList{QStringLiteral("已恢复备份")});
}

TEST_F(RestoreTest, ASnapshotOfAnotherModelIsShownButRefused) {
  load(sample);
  Snapshot foreign;
  foreign.imageName = "CARD.VEL";
  foreign.time = 1;
  foreign.model = "RX2-8";
  foreign.action = "X";
  ASSERT_TRUE(SnapshotFolder(backups).keep(readBytes(image), foreign).kept());
  const std::vector<uint8_t> before = readBytes(image);
  prompts.answerYesNo(true);
  ModalDriver driver([&](QDialog& dialog) {
    auto* window = qobject_cast<RestoreWindow*>(&dialog);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->snapshotList->topLevelItemCount(), 1);
    QTest::mouseClick(window->restoreButton, Qt::LeftButton);
    dialog.reject();
  });
  form->restoreButton->click();
  const auto boxes = prompts.shownOf(Kind::kOk);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, QString::fromUtf8(kSnapshotMismatchText));
  EXPECT_EQ(readBytes(image), before);
}

TEST_F(RestoreTest, ASnapshotOfAnotherCardIsAskedForAgainAndAnyGoesIntoANewFile) {
  load(sample);
  const std::vector<uint8_t> original = readBytes(image);
  Snapshot foreign;
  foreign.imageName = "CARD.VEL";
  foreign.time = 1;
  foreign.model = "RX3-8";
  foreign.action = "X";
  foreign.card = "uuid:1234-ABCD:/VEL";
  foreign.place = "OTHER (1234-ABCD) /VEL";
  ASSERT_TRUE(SnapshotFolder(backups).keep(original, foreign).kept());
  prompts.answerYesNo(true);
  form->jobPage->list->setCurrentRow(0);
  form->jobPage->deleteJobButton->click();
  const std::vector<uint8_t> deleted = readBytes(image);
  ASSERT_NE(deleted, original);

  const fs::path copy = scratch.path() / "COPY.VEL";
  ModalDriver driver([&](QDialog& dialog) {
    auto* window = qobject_cast<RestoreWindow*>(&dialog);
    ASSERT_NE(window, nullptr);
    QTreeWidget* list = window->snapshotList;
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(1)->text(3), QStringLiteral("OTHER (1234-ABCD) /VEL"));
    list->setCurrentItem(list->topLevelItem(1));
    // Asked whether another card's jobs may go over this card's: no.
    prompts.answerYesNo(false);
    QTest::mouseClick(window->restoreButton, Qt::LeftButton);
    EXPECT_EQ(readBytes(image), deleted);
    // Yes, and yes to the restore.
    prompts.answerYesNo(true);
    prompts.answerYesNo(true);
    QTest::mouseClick(window->restoreButton, Qt::LeftButton);
    EXPECT_EQ(readBytes(image), original);
    // Any snapshot goes into a new file, never over one.
    list->setCurrentItem(list->topLevelItem(list->topLevelItemCount() - 1));
    prompts.answerFile(pathToQString(copy));
    QTest::mouseClick(window->restoreToFileButton, Qt::LeftButton);
    prompts.answerFile(pathToQString(copy));
    QTest::mouseClick(window->restoreToFileButton, Qt::LeftButton);
    dialog.reject();
  });
  form->restoreButton->click();
  ASSERT_TRUE(driver.acted());
  const auto asked = prompts.shownOf(Kind::kYesNo);
  ASSERT_GE(asked.size(), 2u);
  EXPECT_TRUE(asked[1].text.contains(QStringLiteral("OTHER (1234-ABCD) /VEL")));
  EXPECT_EQ(asked[1].icon, PromptIcon::kExclamation);
  EXPECT_EQ(readBytes(copy), original);
  const auto boxes = prompts.shownOf(Kind::kOk);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("已存在"))) << boxes[0].text.toStdString();
}

// Turning snapshots off is asked first; while they are off the main window
// says so, and a later start remembers it.
TEST_F(RestoreTest, TheSwitchInTheRestoreWindowTurnsSnapshotsOffForGood) {
  load(sample);
  const auto pressSwitch = [this] {
    ModalDriver driver([](QDialog& dialog) {
      auto* window = qobject_cast<RestoreWindow*>(&dialog);
      ASSERT_NE(window, nullptr);
      window->keepSnapshotsBox->setFocus();
      QTest::keyClick(window->keepSnapshotsBox, Qt::Key_Space);
      QTest::keyClick(window, Qt::Key_Escape);
    });
    form->restoreButton->click();
    ASSERT_TRUE(driver.acted());
  };
  EXPECT_TRUE(form->snapshotsOffLabel->isHidden());
  prompts.answerYesNo(false);
  pressSwitch();
  ASSERT_EQ(prompts.shownOf(Kind::kYesNo).size(), 1u);
  EXPECT_EQ(prompts.shownOf(Kind::kYesNo)[0].icon, PromptIcon::kExclamation);
  EXPECT_EQ(session.snapshotFolder(), &form->snapshotFolder()) << "No keeps them";
  EXPECT_TRUE(form->snapshotsOffLabel->isHidden());

  prompts.answerYesNo(true);
  pressSwitch();
  EXPECT_EQ(session.snapshotFolder(), nullptr);
  EXPECT_FALSE(form->snapshotsOffLabel->isHidden());
  EXPECT_EQ(form->snapshotsOffLabel->text(), QStringLiteral("自动备份已关闭"));
  prompts.answerYesNo(true);
  form->jobPage->list->setCurrentRow(0);
  form->jobPage->deleteJobButton->click();
  EXPECT_EQ(session.jobCount(), 1);
  EXPECT_TRUE(kept().empty());

  // The next start remembers it.
  form.reset();
  session.close();
  media = std::make_unique<ListedMedia>(mediaFolders);
  form = std::make_unique<MainWindow>(session, prompts, *media, image);
  EXPECT_FALSE(form->snapshotsOffLabel->isHidden());
  prompts.answerYesNo(true);
  form->jobPage->list->setCurrentRow(0);
  form->jobPage->deleteJobButton->click();
  EXPECT_EQ(session.jobCount(), 0);
  EXPECT_TRUE(kept().empty());

  // Turning them on again asks nothing.
  const size_t asked = prompts.shownOf(Kind::kYesNo).size();
  pressSwitch();
  EXPECT_EQ(prompts.shownOf(Kind::kYesNo).size(), asked);
  EXPECT_TRUE(form->snapshotsOffLabel->isHidden());
}

}  // namespace
}  // namespace vel::test
