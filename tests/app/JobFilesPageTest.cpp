// The job files page: new, delete, rename, typing points into a job and the
// checks before the viewer and the import.
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

#include "tests/app/PagesFixture.h"
#include "ui/PlanWindow.h"

namespace vel::test {
namespace {

namespace fs = std::filesystem;

void threeJobs(RecordAreaStore& s) {
  for (const char* name : {"A", "B", "C"}) s.createJob(name);
}

QStringList jobNamesShown(const QListWidget* list) {
  QStringList names;
  for (const QString& row : rowsOf(list))
    names << row.mid(1).section(' ', 0, 0, QString::SectionSkipEmpty);
  return names;
}

TEST_F(PagesTest, ANewJobIsAddedAtTheEndAndSelected) {
  load(threeJobs);
  form->jobPage->list->setCurrentRow(0);
  entries.answerName("NEW1");
  form->jobPage->newJobButton->click();

  ASSERT_EQ(entries.opened.size(), 1u);
  EXPECT_EQ(entries.opened[0].caption, QStringLiteral("新建工作文件"));
  EXPECT_EQ(entries.opened[0].prompt, QStringLiteral("输入文件名："));
  EXPECT_EQ(entries.opened[0].preset, "");
  EXPECT_EQ(entries.opened[0].maxLength, 8);

  EXPECT_EQ(jobNamesShown(form->jobPage->list), (QStringList{"A", "B", "C", "NEW1"}));
  EXPECT_EQ(form->jobPage->list->currentRow(), 3);
  EXPECT_TRUE(form->jobPage->list->item(3)->text().trimmed().endsWith(" 0"));
  EXPECT_EQ(form->jobCountLabel->text(), QStringLiteral("4"));
  EXPECT_EQ(session.jobName(jobAt(3)), "NEW1");
  EXPECT_TRUE(prompts.shown.size() == 1);  // the open dialog at start only
}

TEST_F(PagesTest, TakenNamesAreRefusedInAnyLetterCase) {
  load([](RecordAreaStore& s) {
    s.createJob("Road");
    s.createJob("JOB1");
  });
  const QStringList before = rowsOf(form->jobPage->list);
  form->jobPage->list->setCurrentRow(0);

  entries.answerName("ROAD");
  form->jobPage->newJobButton->click();
  EXPECT_EQ(prompts.timedMessages(), QStringList{QStringLiteral("有文件重名，创建文件失败！")});

  // The job's own name, and another job's, count as taken.
  entries.answerName("ROAD");
  form->jobPage->renameJobButton->click();
  entries.answerName("job1");
  form->jobPage->renameJobButton->click();
  EXPECT_EQ(prompts.timedMessages(), (QStringList{QStringLiteral("有文件重名，创建文件失败！"),
                                                  QStringLiteral("有同名文件,无法重命名！"),
                                                  QStringLiteral("有同名文件,无法重命名！")}));
  EXPECT_EQ(rowsOf(form->jobPage->list), before);
  EXPECT_EQ(session.jobCount(), 2);
  EXPECT_EQ(session.jobName(jobAt(0)), "Road");
}

TEST_F(PagesTest, RenamingReplacesTheSelectedRowOnly) {
  load(threeJobs);
  form->jobPage->list->setCurrentRow(1);
  entries.answerName("BETA");
  form->jobPage->renameJobButton->click();

  ASSERT_EQ(entries.opened.size(), 1u);
  EXPECT_EQ(entries.opened[0].caption, QStringLiteral("工作文件改名"));
  EXPECT_EQ(entries.opened[0].prompt, QStringLiteral("输入新文件名："));
  EXPECT_EQ(entries.opened[0].preset, "");  // the old name is not offered
  EXPECT_EQ(jobNamesShown(form->jobPage->list), (QStringList{"A", "BETA", "C"}));
  EXPECT_EQ(form->jobPage->list->currentRow(), 1);
  edit(image, [](RecordAreaStore& s) { EXPECT_EQ(s.jobName(s.jobSlotAt(1)), "BETA"); });

  // Cancelling renames nothing.
  entries.cancelName("GAMMA");
  form->jobPage->renameJobButton->click();
  EXPECT_EQ(session.jobName(jobAt(1)), "BETA");
}

TEST_F(PagesTest, NoFreeJobSlotRefusesANewJob) {
  load(
      [](RecordAreaStore& s) {
        for (int i = 0; i < s.jobLimit(); ++i) s.createJob("J" + std::to_string(i));
      },
      kRX9_32);
  const int jobs = form->jobPage->list->count();
  int limit = 0;
  edit(image, [&](RecordAreaStore& s) { limit = s.jobLimit(); });
  ASSERT_EQ(jobs, limit);
  entries.answerName("ONEMORE");
  form->jobPage->newJobButton->click();
  EXPECT_EQ(prompts.timedMessages(), QStringList{QStringLiteral("创建文件失败！")});
  EXPECT_EQ(form->jobPage->list->count(), jobs);
}

TEST_F(PagesTest, DeletingAJobAsksAndSelectsTheRowThatTakesItsPlace) {
  const struct {
    const char* what;
    int jobs;
    int deleted;
    QStringList left;
    int selected;
  } cases[] = {
      {"last of three", 3, 2, {"A", "B"}, 0},
      {"middle of three", 3, 1, {"A", "C"}, 1},
      {"first of three", 3, 0, {"B", "C"}, 0},
      {"the only one", 1, 0, {}, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    form.reset();
    prompts.shown.clear();
    load([&](RecordAreaStore& s) {
      for (int i = 0; i < c.jobs; ++i) s.createJob(std::string(1, static_cast<char>('A' + i)));
    });
    form->jobPage->list->setCurrentRow(c.deleted);
    prompts.answerYesNo(true);
    form->jobPage->deleteJobButton->click();

    const auto asked = questions();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, QStringLiteral("工作文件"));
    EXPECT_EQ(asked[0].text, QStringLiteral("删除工作文件%1吗？").arg(QChar('A' + c.deleted)));
    EXPECT_EQ(asked[0].icon, PromptIcon::kQuestion);
    EXPECT_EQ(jobNamesShown(form->jobPage->list), c.left);
    EXPECT_EQ(form->jobPage->list->currentRow(), c.selected);
    EXPECT_EQ(form->jobCountLabel->text(), QString::number(c.jobs - 1));
    EXPECT_EQ(session.jobCount(), c.jobs - 1);
  }
}

TEST_F(PagesTest, TheDeleteKeyDeletesTheSelectedJobAndNoAnswerKeepsIt) {
  load(threeJobs);
  form->jobPage->list->setCurrentRow(1);
  prompts.answerYesNo(false);
  QTest::keyClick(form->jobPage->list, Qt::Key_Delete);
  EXPECT_EQ(questions().size(), 1u);
  EXPECT_EQ(form->jobPage->list->count(), 3);
  EXPECT_EQ(session.jobCount(), 3);

  prompts.answerYesNo(true);
  QTest::keyClick(form->jobPage->list, Qt::Key_Delete);
  EXPECT_EQ(jobNamesShown(form->jobPage->list), (QStringList{"A", "C"}));
}

TEST_F(PagesTest, AFocusedLinkButtonIsPressedByReturnEnterAndSpace) {
  load(threeJobs);
  form->show();
  form->jobPage->newJobButton->setFocus();
  QTest::keyClick(form->jobPage->newJobButton, Qt::Key_Return);
  QTest::keyClick(form->jobPage->newJobButton, Qt::Key_Enter, Qt::KeypadModifier);
  QTest::keyClick(form->jobPage->newJobButton, Qt::Key_Space);
  ASSERT_EQ(entries.opened.size(), 3u);
  EXPECT_EQ(entries.opened[2].caption, QStringLiteral("新建工作文件"));

  // Return in a list presses no button.
  QTest::keyClick(form->jobPage->list, Qt::Key_Return);
  EXPECT_EQ(entries.opened.size(), 3u);
}

// Jobs and codes picked with Ctrl go after one question, in one change
// with one snapshot; the row after them takes the first one's place.
TEST_F(PagesTest, SeveralJobsOrCodesPickedWithCtrlAreDeletedAtOnce) {
  load([](RecordAreaStore& s) {
    for (const char* name : {"A", "B", "C", "D"}) s.createJob(name);
    for (const char* code : {"TREE", "WALL", "PIPE"}) s.addFeatureCode(code);
  });
  form->show();
  const auto pick = [](QListWidget* list, std::initializer_list<int> rows) {
    list->setCurrentRow(-1);
    for (int row : rows) {
      QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                        list->visualItemRect(list->item(row)).center());
    }
  };
  const auto kept = [this] { return form->snapshotFolder().list("CARD.VEL").size(); };
  const size_t before = kept();

  pick(form->jobPage->list, {0, 2});
  prompts.answerYesNo(true);
  QTest::keyClick(form->jobPage->list, Qt::Key_Delete);
  form->pages->setCurrentIndex(2);
  pick(form->codePage->list, {1, 2});
  prompts.answerYesNo(true);
  form->codePage->deleteCodeButton->click();

  const auto asked = questions();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].text, QStringLiteral("删除选中的2个工作文件吗？"));
  EXPECT_EQ(asked[1].text, QStringLiteral("删除选中的2个特征码吗？"));
  EXPECT_EQ(jobNamesShown(form->jobPage->list), (QStringList{"B", "D"}));
  EXPECT_EQ(selectedRow(form->jobPage->list), 0);
  EXPECT_EQ(form->jobCountLabel->text(), QStringLiteral("2"));
  EXPECT_EQ(rowsOf(form->codePage->list), QStringList{"TREE"});
  EXPECT_EQ(selectedRow(form->codePage->list), 0);
  EXPECT_EQ(kept(), before + 2);
}

TEST_F(PagesTest, WithNoRowSelectedTheRowButtonsDoNothing) {
  load(threeJobs);
  int viewed = 0;
  int imported = 0;
  form->openJobViewer = [&](JobSlot) { ++viewed; };
  form->importCoordinates = [&](JobSlot, int&) { return ++imported, true; };
  form->jobPage->list->setCurrentRow(-1);
  ASSERT_EQ(selectedRow(form->jobPage->list), -1);

  prompts.answerYesNo(true);
  QTest::keyClick(form->jobPage->list, Qt::Key_Delete);
  form->jobPage->deleteJobButton->click();
  entries.answerName("X");
  form->jobPage->renameJobButton->click();
  entries.answerPoint("P", fixed(1), fixed(2), fixed(3));
  form->jobPage->enterPointsButton->click();
  form->jobPage->viewJobButton->click();
  QTest::mouseDClick(form->jobPage->list->viewport(), Qt::LeftButton, {}, QPoint(5, 200));
  form->jobPage->importPointsButton->click();

  EXPECT_EQ(prompts.shown.size(), 1u);  // the open dialog at start only
  EXPECT_TRUE(entries.opened.empty());
  EXPECT_EQ(viewed, 0);
  EXPECT_EQ(imported, 0);
  EXPECT_EQ(session.jobCount(), 3);
}

TEST_F(PagesTest, TheViewerOpensOnTheSelectedJobAndTheListFollowsWhatItDid) {
  load([](RecordAreaStore& s) {
    threeJobs(s);
    fillRecords(s, s.jobSlotAt(1), 4);
  });
  std::vector<JobSlot> viewedSlots;
  form->openJobViewer = [&](JobSlot job) {
    viewedSlots.push_back(job);
    ASSERT_TRUE(session.run(DeleteRecord{job, 0}).done());  // as the viewer deletes a record
  };
  form->jobPage->list->setCurrentRow(1);
  form->jobPage->viewJobButton->click();
  ASSERT_EQ(viewedSlots, std::vector<JobSlot>{jobAt(1)});
  EXPECT_TRUE(form->jobPage->list->item(1)->text().trimmed().endsWith(" 3"));
  EXPECT_EQ(form->jobPage->list->currentRow(), 1);

  // A double click opens it too, below the rows as well as on them.
  form->jobPage->list->setCurrentRow(1);
  QTest::mouseDClick(form->jobPage->list->viewport(), Qt::LeftButton, {}, QPoint(5, 400));
  EXPECT_EQ(viewedSlots.size(), 2u);
  EXPECT_TRUE(form->jobPage->list->item(1)->text().trimmed().endsWith(" 2"));
}

TEST_F(PagesTest, TypedPointsAreStoredAsPointRecordsInTheImageByteOrder) {
  const struct {
    int model;
    std::vector<uint8_t> n, e;  // whole part then thousandths, as the card holds them
  } cases[] = {
      {kRX3_8, {0x00, 0x00, 0x04, 0xD2, 0x01, 0xF4}, {0x00, 0x00, 0x00, 0x00, 0xFE, 0x0C}},
      {kRX3_32, {0xD2, 0x04, 0x00, 0x00, 0xF4, 0x01}, {0x00, 0x00, 0x00, 0x00, 0x0C, 0xFE}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(modelName(c.model));
    form.reset();
    load([](RecordAreaStore& s) { s.createJob("JOB"); }, c.model);
    form->jobPage->list->setCurrentRow(0);
    entries.answerPoint("A9", fixed(1234, 500), fixed(0, -500), fixed(0));
    form->jobPage->enterPointsButton->click();

    const JobSlot slot = jobAt(0);
    ASSERT_EQ(session.recordCount(slot), 1);
    std::vector<uint8_t> expected(kRecordSize, 0);
    expected[0] = 4;
    expected[1] = 'A';
    expected[2] = '9';
    std::copy(c.n.begin(), c.n.end(), expected.begin() + 19);
    std::copy(c.e.begin(), c.e.end(), expected.begin() + 25);
    EXPECT_EQ(recordBytes(slot, 0), expected);
    EXPECT_EQ(entries.opened[0].caption, QStringLiteral("工作文件"));
    EXPECT_EQ(entries.opened[0].presetFlag, 0);
  }
}

TEST_F(PagesTest, TheTypingLoopProposesTheNextNameUntilCancelled) {
  load([](RecordAreaStore& s) {
    s.createJob("JOB");
    s.createJob("OTHER");
  });
  form->jobPage->list->setCurrentRow(0);
  entries.answerPoint("A9", fixed(1), fixed(2), fixed(3));
  entries.answerPoint(std::nullopt, fixed(4), fixed(5), fixed(6));
  entries.answerPoint("PT", fixed(7), fixed(8), fixed(9));
  entries.answerPoint(std::nullopt, fixed(1), fixed(1), fixed(1));
  entries.answerPoint("ABCDEF99", fixed(1), fixed(1), fixed(1));
  entries.cancelPoint();
  form->jobPage->enterPointsButton->click();

  EXPECT_EQ(entries.presets(Entry::kCoordinates),
            (std::vector<std::string>{"", "A10", "A11", "PT0", "PT1", "ABCDEF00"}));
  EXPECT_EQ(pointNames(jobAt(0)), (std::vector<std::string>{"A9", "A10", "PT", "PT0", "ABCDEF99"}));
  EXPECT_TRUE(form->jobPage->list->item(0)->text().trimmed().endsWith(" 5"));
  EXPECT_EQ(form->jobPage->list->currentRow(), 0);
  EXPECT_EQ(entries.unusedAnswers(), 0u);
}

TEST_F(PagesTest, CancellingAtOnceStoresNothing) {
  load([](RecordAreaStore& s) { s.createJob("JOB"); });
  form->jobPage->list->setCurrentRow(0);
  const QStringList before = rowsOf(form->jobPage->list);
  const std::vector<uint8_t> bytes = readBytes(image);
  entries.cancelPoint();
  form->jobPage->enterPointsButton->click();
  EXPECT_EQ(entries.opened.size(), 1u);
  EXPECT_EQ(rowsOf(form->jobPage->list), before);
  EXPECT_EQ(readBytes(image), bytes);
}

TEST_F(PagesTest, TypingStopsWhenTheJobReaches3072Records) {
  load([](RecordAreaStore& s) {
    s.createJob("FULL");
    fillRecords(s, s.jobSlotAt(0), kMaxJobRecords - 1);
  });
  form->jobPage->list->setCurrentRow(0);
  entries.answerPoint("LAST", fixed(1), fixed(2), fixed(3));
  entries.answerPoint(std::nullopt, fixed(1), fixed(2), fixed(3));
  entries.answerPoint(std::nullopt, fixed(1), fixed(2), fixed(3));
  form->jobPage->enterPointsButton->click();

  const JobSlot slot = jobAt(0);
  EXPECT_EQ(session.recordCount(slot), kMaxJobRecords);
  EXPECT_EQ(session.pointName(slot, kMaxJobRecords - 1), "LAST");
  EXPECT_EQ(prompts.timedMessages(), QStringList{QStringLiteral("文件已满，无法存贮全部数据！")});
  EXPECT_EQ(entries.unusedAnswers(), 1u);  // the loop ended at the refusal
  EXPECT_TRUE(form->jobPage->list->item(0)->text().trimmed().endsWith(" 3072"));

  // A full job opens no dialog, for typing or importing.
  int imported = 0;
  form->importCoordinates = [&](JobSlot, int&) { return ++imported, true; };
  form->jobPage->enterPointsButton->click();
  form->jobPage->importPointsButton->click();
  EXPECT_EQ(prompts.timedMessages().mid(1),
            (QStringList{QStringLiteral("文件已满！"), QStringLiteral("文件已满！")}));
  EXPECT_EQ(entries.opened.size(), 2u);
  EXPECT_EQ(imported, 0);
}

TEST_F(PagesTest, TheImportGetsTheSelectedJobAndTheFormatChoice) {
  load([](RecordAreaStore& s) {
    threeJobs(s);
    fillRecords(s, s.jobSlotAt(2), kMaxJobRecords - 1);  // one more still fits
  });
  form->jobPage->list->setCurrentRow(2);
  std::vector<JobSlot> targets;
  form->importFormatChoice = 3;
  form->importCoordinates = [&](JobSlot job, int& choice) {
    targets.push_back(job);
    EXPECT_EQ(choice, 3);
    choice = 5;
    EXPECT_TRUE(session.run(AddPoint{job, "IMP", {}, {}, {}}).done());
    return true;
  };
  form->jobPage->importPointsButton->click();
  EXPECT_EQ(targets, std::vector<JobSlot>{jobAt(2)});
  EXPECT_EQ(form->importFormatChoice, 5);
  EXPECT_TRUE(form->jobPage->list->item(2)->text().trimmed().endsWith(" 3072"));
  EXPECT_TRUE(prompts.timedMessages().isEmpty());
}

TEST_F(PagesTest, WritesTheCardRefusesAreReportedAndTheListsShowTheCard) {
  load([](RecordAreaStore& s) {
    threeJobs(s);
    fillRecords(s, s.jobSlotAt(0), 2);
  });
  form->setKeepSnapshots(false);  // the card's failure alone, not the snapshot's
  const QStringList before = rowsOf(form->jobPage->list);
  form->jobPage->list->setCurrentRow(0);
  const struct {
    const char* what;
    std::function<void()> act;
  } actions[] = {
      {"new job",
       [&] {
         entries.answerName("NEW");
         form->jobPage->newJobButton->click();
       }},
      {"delete job",
       [&] {
         prompts.answerYesNo(true);
         form->jobPage->deleteJobButton->click();
       }},
      {"rename job",
       [&] {
         entries.answerName("NEWNAME");
         form->jobPage->renameJobButton->click();
       }},
      {"typing",
       [&] {
         entries.answerPoint("P", fixed(1), fixed(2), fixed(3));
         entries.answerPoint("Q", fixed(1), fixed(2), fixed(3));
         form->jobPage->enterPointsButton->click();
       }},
  };
  for (const auto& a : actions) {
    SCOPED_TRACE(a.what);
    prompts.shown.clear();
    {
      FileSizeLimit limit(16);
      a.act();
    }
    expectWriteFailureNotice();
    EXPECT_EQ(rowsOf(form->jobPage->list), before);
    EXPECT_EQ(session.jobCount(), 3);
    EXPECT_EQ(session.recordCount(jobAt(0)), 2);
  }
  // The typing loop stopped at the failure: the second point was never asked for.
  EXPECT_EQ(entries.presets(Entry::kCoordinates).size(), 1u);
  EXPECT_EQ(entries.unusedAnswers(), 1u);
}

TEST_F(PagesTest, ThePagesDoNothingWhileTheShownImageIsNotLoaded) {
  load(threeJobs);
  const fs::path blank = scratch.folder("images") / "BLANK.VEL";
  writeBlankImage(blank);
  prompts.answerFile(pathToQString(blank));
  prompts.answerYesNo(false);
  form->selectImageButton->click();
  ASSERT_FALSE(form->pagesUsable());
  const size_t shown = prompts.shown.size();

  form->jobPage->list->setCurrentRow(0);
  form->knownPointPage->list->clear();
  // Straight to the handlers, past the disabled buttons.
  for (QPushButton* button :
       {form->jobPage->newJobButton, form->jobPage->renameJobButton,
        form->jobPage->deleteJobButton, form->jobPage->enterPointsButton,
        form->knownPointPage->enterKnownPointsButton, form->codePage->enterCodesButton,
        form->codePage->clearCodesButton}) {
    emit button->clicked();
  }
  EXPECT_EQ(prompts.shown.size(), shown);
  EXPECT_TRUE(entries.opened.empty());
  EXPECT_EQ(readBytes(blank), std::vector<uint8_t>(kStandardSectors * kSectorSize, 0xFF));
}

}  // namespace
// A right click on a list row, then "显示图形" chosen from the menu with the keyboard.
QString planShownFor(ListPage& page, int row) {
  QListWidget* list = page.list;
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QContextMenuEvent click(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
  QApplication::sendEvent(list->viewport(), &click);
  EXPECT_TRUE(page.planMenu->isVisible());
  QString title;
  QTimer::singleShot(0, [&] {
    QTimer::singleShot(0, [&] {
      if (auto* plan = qobject_cast<PlanWindow*>(QApplication::activeModalWidget())) {
        title = plan->windowTitle();
        plan->close();
      }
    });
  });
  QTest::keyClick(page.planMenu, Qt::Key_Down);
  QTest::keyClick(page.planMenu, Qt::Key_Return);
  return title;
}

TEST_F(PagesTest, ARightClickOnAJobOrTheKnownPointsOffersTheirPlan) {
  load([](RecordAreaStore& s) { threeJobs(s); });
  ASSERT_EQ(form->jobPage->planMenu->actions().size(), 1);
  EXPECT_EQ(form->jobPage->planMenu->actions().front()->text(), QStringLiteral("显示图形"));
  EXPECT_EQ(planShownFor(*form->jobPage, 1), QStringLiteral("图形:B"));
  EXPECT_EQ(form->jobPage->list->currentRow(), 1) << "the row clicked is the one drawn";
  form->pages->setCurrentIndex(1);
  form->knownPointPage->list->addItem(QStringLiteral("row"));  // a row to click on
  EXPECT_EQ(planShownFor(*form->knownPointPage, 0), QStringLiteral("图形:已知点"));
}

}  // namespace vel::test
