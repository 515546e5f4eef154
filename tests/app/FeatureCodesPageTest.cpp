// The feature codes page: adding codes until cancelled or full, deleting one
// without a question, clearing them all after one.
#include "tests/app/PagesFixture.h"

namespace vel::test {
namespace {

void codes(RecordAreaStore& s, int count) {
  for (int i = 0; i < count; ++i) ASSERT_LT(s.addFeatureCode("C" + std::to_string(i)), 64);
}

QStringList storedCodes(CardSession& session) {
  QStringList result;
  for (const std::string& code : session.featureCodes()) result << QString::fromStdString(code);
  return result;
}

TEST_F(PagesTest, CodesAreAddedUntilTheDialogIsCancelled) {
  load();
  entries.answerName("TREE");
  entries.answerName("WALL");
  entries.answerName("TREE");  // the same code twice is allowed
  entries.cancelName("HALF");
  form->codePage->enterCodesButton->click();

  EXPECT_EQ(rowsOf(form->codePage->list), (QStringList{"TREE", "WALL", "TREE"}));
  EXPECT_EQ(form->codePage->list->currentRow(), 2);
  EXPECT_EQ(storedCodes(session), (QStringList{"TREE", "WALL", "TREE"}));
  ASSERT_EQ(entries.opened.size(), 4u);
  for (const OpenedEntry& opened : entries.opened) {
    EXPECT_EQ(opened.caption, QStringLiteral("特征码"));
    EXPECT_EQ(opened.prompt, QStringLiteral("输入特征码："));
    EXPECT_EQ(opened.preset, "");  // empty again after each code
    EXPECT_EQ(opened.maxLength, 8);
  }
  EXPECT_TRUE(prompts.shown.size() == 1);  // the open dialog at start only
}

TEST_F(PagesTest, TheCodeLibraryIsFullAt64) {
  load([](RecordAreaStore& s) { codes(s, kMaxFeatureCodes - 1); });
  entries.answerName("LAST");
  entries.answerName("NOROOM");
  entries.answerName("NEVER");
  form->codePage->enterCodesButton->click();

  EXPECT_EQ(form->codePage->list->count(), kMaxFeatureCodes);
  EXPECT_EQ(form->codePage->list->currentRow(), kMaxFeatureCodes - 1);
  EXPECT_EQ(form->codePage->list->item(kMaxFeatureCodes - 1)->text(), QStringLiteral("LAST"));
  EXPECT_EQ(prompts.timedMessages(), QStringList{QStringLiteral("特征码库已满，无法再输入!")});
  EXPECT_EQ(entries.opened.size(), 2u);  // not opened again after the refusal
  EXPECT_EQ(storedCodes(session).size(), kMaxFeatureCodes);
}

TEST_F(PagesTest, DeletingACodeAsksNothingAndSelectsTheRowThatTakesItsPlace) {
  const struct {
    const char* what;
    int codes;
    int deleted;
    QStringList left;
    int selected;
  } cases[] = {
      {"last of three", 3, 2, {"C0", "C1"}, 0},
      {"middle of three", 3, 1, {"C0", "C2"}, 1},
      {"the only one", 1, 0, {}, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    form.reset();
    load([&](RecordAreaStore& s) { codes(s, c.codes); });
    form->codePage->list->setCurrentRow(c.deleted);
    QTest::keyClick(form->codePage->list, Qt::Key_Delete);
    EXPECT_TRUE(questions().empty());
    EXPECT_EQ(rowsOf(form->codePage->list), c.left);
    EXPECT_EQ(form->codePage->list->currentRow(), c.selected);
    EXPECT_EQ(storedCodes(session), c.left);
  }
  // With no row selected nothing goes.
  form->codePage->list->setCurrentRow(-1);
  form->codePage->deleteCodeButton->click();
  EXPECT_EQ(storedCodes(session).size(), 0);
}

TEST_F(PagesTest, ClearingCodesAsksUnlessThereAreNone) {
  load();
  prompts.answerYesNo(true);
  form->codePage->clearCodesButton->click();
  EXPECT_TRUE(questions().empty());

  form.reset();
  prompts = ScriptedPrompts();
  load([](RecordAreaStore& s) { codes(s, 3); });
  prompts.answerYesNo(false);
  form->codePage->clearCodesButton->click();
  EXPECT_EQ(rowsOf(form->codePage->list), (QStringList{"C0", "C1", "C2"}));
  EXPECT_EQ(storedCodes(session).size(), 3);

  prompts.answerYesNo(true);
  form->codePage->clearCodesButton->click();
  const auto asked = questions();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].caption, QStringLiteral("特征码"));
  EXPECT_EQ(asked[1].text, QStringLiteral("删除所有特征码吗？"));
  EXPECT_EQ(asked[1].icon, PromptIcon::kQuestion);
  EXPECT_EQ(form->codePage->list->count(), 0);
  edit(image, [](RecordAreaStore& s) { EXPECT_EQ(s.featureCodeCount(), 0); });
}

TEST_F(PagesTest, CodeWritesTheCardRefusesAreReported) {
  load([](RecordAreaStore& s) { codes(s, 2); });
  form->setKeepSnapshots(false);  // the card's failure alone, not the snapshot's
  const struct {
    const char* what;
    std::function<void()> act;
  } actions[] = {
      {"add",
       [&] {
         entries.answerName("NEW");
         entries.answerName("NEVER");
         form->codePage->enterCodesButton->click();
       }},
      {"delete",
       [&] {
         form->codePage->list->setCurrentRow(0);
         form->codePage->deleteCodeButton->click();
       }},
      {"clear",
       [&] {
         prompts.answerYesNo(true);
         form->codePage->clearCodesButton->click();
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
    EXPECT_EQ(rowsOf(form->codePage->list), (QStringList{"C0", "C1"}));
    EXPECT_EQ(storedCodes(session), (QStringList{"C0", "C1"}));
  }
  EXPECT_EQ(entries.unusedAnswers(), 1u);  // adding stopped at the failure
}

}  // namespace
}  // namespace vel::test
