// The known points page: typing known points in, deleting one or all, and
// the limit of 3072 points.
#include <QClipboard>
#include <QGuiApplication>

#include "tests/app/PagesFixture.h"

namespace vel::test {
namespace {

void knownPoints(RecordAreaStore& s, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    ASSERT_EQ(s.appendRecord(s.knownPointFile(), kRecordSize, pointRecord(name).data()), kDone);
  }
}

QStringList namesShown(const QListWidget* list) {
  QStringList names;
  for (const QString& row : rowsOf(list)) names << row.section(' ', 0, 0);
  return names;
}

TEST_F(PagesTest, ATypedKnownPointIsListedAtOnceInColumns) {
  load();
  QStringList rowsWhileTyping;
  entries.whenOpened = [&] { rowsWhileTyping = rowsOf(form->knownPointPage->list); };
  entries.answerPoint("K1", fixed(1234, 500), fixed(0, -500), fixed(0));
  form->knownPointPage->enterKnownPointsButton->click();

  const QString expected = QStringLiteral("K1        ") + QStringLiteral("   1234.500   ") +
                           QStringLiteral("     -0.500   ") + QStringLiteral("      0.000 ");
  EXPECT_EQ(rowsWhileTyping, QStringList{expected});  // seen when the dialog opened again
  EXPECT_EQ(rowsOf(form->knownPointPage->list), QStringList{expected});  // as the store lists it
  EXPECT_EQ(form->knownPointCountLabel->text(), QStringLiteral("1"));
  ASSERT_EQ(entries.opened.size(), 2u);
  EXPECT_EQ(entries.opened[0].caption, QStringLiteral("已知点"));
  EXPECT_EQ(entries.opened[1].preset, "K2");

  const std::vector<uint8_t> record = recordBytes(session.knownPointFile(), 0);
  EXPECT_EQ(record[0], 4);
  EXPECT_EQ(std::string(record.begin() + 1, record.begin() + 10),
            std::string("K1\0\0\0\0\0\0\0", 9));
}

TEST_F(PagesTest, AfterTypingTheListIsRebuiltInStoreOrderWithRowZeroSelected) {
  load([](RecordAreaStore& s) { knownPoints(s, {"K1", "K2", "K3"}); });
  // Deleting K1 leaves a free place before the others.
  form->knownPointPage->list->setCurrentRow(0);
  prompts.answerYesNo(true);
  form->knownPointPage->deleteKnownPointButton->click();
  ASSERT_EQ(namesShown(form->knownPointPage->list), (QStringList{"K2", "K3"}));

  QStringList whileTyping;
  entries.whenOpened = [&] { whileTyping = namesShown(form->knownPointPage->list); };
  entries.answerPoint("N1", fixed(1), fixed(2), fixed(3));
  entries.answerPoint(std::nullopt, fixed(1), fixed(2), fixed(3));
  entries.answerPoint(std::nullopt, fixed(1), fixed(2), fixed(3));
  form->knownPointPage->enterKnownPointsButton->click();

  EXPECT_EQ(whileTyping, (QStringList{"K2", "K3", "N1", "N2", "N3"}));  // in typing order
  const QStringList rebuilt = namesShown(form->knownPointPage->list);
  EXPECT_EQ(rebuilt.size(), 5);
  EXPECT_EQ(rebuilt.front(), QStringLiteral("N1"));  // took the free place
  EXPECT_EQ(form->knownPointPage->list->currentRow(), 0);
  QStringList stored;
  for (const std::string& name : pointNames(session.knownPointFile())) {
    stored << QString::fromStdString(name);
  }
  EXPECT_EQ(rebuilt, stored);
}

TEST_F(PagesTest, TypingKnownPointsStopsAt3072) {
  load([](RecordAreaStore& s) { fillRecords(s, s.knownPointFile(), kMaxJobRecords - 1); });
  ASSERT_EQ(form->knownPointPage->list->count(), kMaxJobRecords - 1);
  entries.answerPoint("LAST", fixed(1), fixed(2), fixed(3));
  entries.answerPoint(std::nullopt, fixed(1), fixed(2), fixed(3));
  entries.answerPoint(std::nullopt, fixed(1), fixed(2), fixed(3));
  form->knownPointPage->enterKnownPointsButton->click();

  EXPECT_EQ(session.recordCount(session.knownPointFile()), kMaxJobRecords);
  EXPECT_EQ(form->knownPointPage->list->count(), kMaxJobRecords);
  EXPECT_EQ(prompts.timedMessages(), QStringList{QStringLiteral("文件已满，无法存贮全部数据！")});
  EXPECT_EQ(entries.unusedAnswers(), 1u);
  EXPECT_EQ(form->knownPointCountLabel->text(), QStringLiteral("3072"));

  // Full: neither typing nor importing opens anything.
  int imported = 0;
  form->importCoordinates = [&](JobSlot, int&) { return ++imported, true; };
  form->knownPointPage->enterKnownPointsButton->click();
  form->knownPointPage->importKnownPointsButton->click();
  EXPECT_EQ(prompts.timedMessages().mid(1),
            (QStringList{QStringLiteral("已知点文件已满！"), QStringLiteral("已知点文件已满！")}));
  EXPECT_EQ(entries.opened.size(), 2u);
  EXPECT_EQ(imported, 0);
}

TEST_F(PagesTest, ImportingKnownPointsTargetsTheKnownPointFile) {
  load([](RecordAreaStore& s) { knownPoints(s, {"K1"}); });
  std::vector<JobSlot> targets;
  form->importCoordinates = [&](JobSlot job, int&) {
    targets.push_back(job);
    EXPECT_TRUE(session.run(AddPoint{job, "IMP", {}, {}, {}}).done());
    return true;
  };
  form->knownPointPage->importKnownPointsButton->click();
  EXPECT_EQ(targets, std::vector<JobSlot>{session.knownPointFile()});
  EXPECT_EQ(namesShown(form->knownPointPage->list), (QStringList{"K1", "IMP"}));
  EXPECT_EQ(form->knownPointCountLabel->text(), QStringLiteral("2"));
}

TEST_F(PagesTest, DeletingAKnownPointAsksAndSelectsTheRowThatTakesItsPlace) {
  const struct {
    const char* what;
    std::initializer_list<const char*> points;
    int deleted;
    QStringList left;
    int selected;
  } cases[] = {
      {"last of three", {"K1", "K2", "K3"}, 2, {"K1", "K2"}, 0},
      {"middle of three", {"K1", "K2", "K3"}, 1, {"K1", "K3"}, 1},
      {"the only one", {"K1"}, 0, {}, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    form.reset();
    prompts.shown.clear();
    load([&](RecordAreaStore& s) { knownPoints(s, c.points); });
    form->knownPointPage->list->setCurrentRow(c.deleted);
    prompts.answerYesNo(true);
    QTest::keyClick(form->knownPointPage->list, Qt::Key_Delete);

    const auto asked = questions();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, QStringLiteral("已知点"));
    EXPECT_EQ(asked[0].text, QStringLiteral("删除点号K%1吗？").arg(c.deleted + 1));
    EXPECT_EQ(asked[0].icon, PromptIcon::kQuestion);
    EXPECT_EQ(namesShown(form->knownPointPage->list), c.left);
    EXPECT_EQ(form->knownPointPage->list->currentRow(), c.selected);
    EXPECT_EQ(form->knownPointCountLabel->text(), QString::number(c.left.size()));
  }
}

TEST_F(PagesTest, SeveralKnownPointsPickedWithCtrlAreCopiedAndDeletedAtOnce) {
  load([](RecordAreaStore& s) { knownPoints(s, {"K1", "K2", "K3", "K4"}); });
  form->pages->setCurrentIndex(1);
  form->show();
  QListWidget* list = form->knownPointPage->list;
  const auto clickRow = [list](int row, Qt::KeyboardModifiers keys) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, keys,
                      list->visualItemRect(list->item(row)).center());
  };
  clickRow(0, {});
  clickRow(2, Qt::ControlModifier);
  QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            QStringLiteral("K1\t0.000\t0.000\t0.000\nK3\t0.000\t0.000\t0.000\n"));
  const size_t snapshotsBefore = form->snapshotFolder().list("CARD.VEL").size();

  prompts.answerYesNo(true);
  QTest::keyClick(list, Qt::Key_Delete);
  const auto asked = questions();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, QStringLiteral("删除选中的2个已知点吗？"));
  EXPECT_EQ(namesShown(list), (QStringList{"K2", "K4"}));
  EXPECT_EQ(list->currentRow(), 0);
  EXPECT_EQ(form->knownPointCountLabel->text(), QStringLiteral("2"));
  EXPECT_EQ(form->snapshotFolder().list("CARD.VEL").size(), snapshotsBefore + 1);
}

TEST_F(PagesTest, DeletingAKnownPointNeedsARowAndAYes) {
  load([](RecordAreaStore& s) { knownPoints(s, {"K1", "K2"}); });
  form->knownPointPage->list->setCurrentRow(-1);
  prompts.answerYesNo(true);
  QTest::keyClick(form->knownPointPage->list, Qt::Key_Delete);
  form->knownPointPage->deleteKnownPointButton->click();
  EXPECT_TRUE(questions().empty());

  form->knownPointPage->list->setCurrentRow(0);
  prompts.answerYesNo(false);
  form->knownPointPage->deleteKnownPointButton->click();  // the unused "yes" above answers this one
  form->knownPointPage->deleteKnownPointButton->click();
  EXPECT_EQ(questions().size(), 2u);
  EXPECT_EQ(namesShown(form->knownPointPage->list), QStringList{"K2"});
}

TEST_F(PagesTest, ClearingKnownPointsAsksUnlessThereAreNone) {
  load();
  prompts.answerYesNo(true);
  form->knownPointPage->clearKnownPointsButton->click();
  EXPECT_TRUE(questions().empty());

  form.reset();
  prompts = ScriptedPrompts();
  load([](RecordAreaStore& s) { knownPoints(s, {"K1", "K2"}); });
  prompts.answerYesNo(false);
  form->knownPointPage->clearKnownPointsButton->click();
  EXPECT_EQ(form->knownPointPage->list->count(), 2);
  prompts.answerYesNo(true);
  form->knownPointPage->clearKnownPointsButton->click();

  const auto asked = questions();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].caption, QStringLiteral("已知点"));
  EXPECT_EQ(asked[1].text, QStringLiteral("删除全部已知点吗？"));
  EXPECT_EQ(asked[1].icon, PromptIcon::kQuestion);
  EXPECT_EQ(form->knownPointPage->list->count(), 0);
  EXPECT_EQ(form->knownPointCountLabel->text(), QStringLiteral("0"));
  edit(image, [](RecordAreaStore& s) { EXPECT_EQ(s.recordCount(s.knownPointFile()), 0); });
}

TEST_F(PagesTest, KnownPointWritesTheCardRefusesAreReported) {
  load([](RecordAreaStore& s) { knownPoints(s, {"K1", "K2"}); });
  form->setKeepSnapshots(false);  // the card's failure alone, not the snapshot's
  const QStringList before = rowsOf(form->knownPointPage->list);
  const struct {
    const char* what;
    std::function<void()> act;
  } actions[] = {
      {"typing",
       [&] {
         entries.answerPoint("P", fixed(1), fixed(2), fixed(3));
         form->knownPointPage->enterKnownPointsButton->click();
       }},
      {"delete one",
       [&] {
         form->knownPointPage->list->setCurrentRow(1);
         prompts.answerYesNo(true);
         form->knownPointPage->deleteKnownPointButton->click();
       }},
      {"delete all",
       [&] {
         prompts.answerYesNo(true);
         form->knownPointPage->clearKnownPointsButton->click();
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
    EXPECT_EQ(rowsOf(form->knownPointPage->list), before);
    EXPECT_EQ(session.recordCount(session.knownPointFile()), 2);
    EXPECT_EQ(form->knownPointCountLabel->text(), QStringLiteral("2"));
  }
}

}  // namespace
}  // namespace vel::test
