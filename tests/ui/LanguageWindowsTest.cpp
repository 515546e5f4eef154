// The windows of ui/ in English: every word they show or ask is English, the
// file dialogs keep their masks, and the card's own texts stay as they are.
#include <QDir>
#include <QRegularExpression>

#include "exchange/ExchangeFormats.h"
#include "tests/support/ShownTexts.h"
#include "tests/support/WindowFixture.h"
#include "ui/CoordinateDialog.h"
#include "ui/ImportWindow.h"
#include "ui/JobViewer.h"
#include "ui/Language.h"
#include "ui/NameDialog.h"
#include "ui/PlanView.h"
#include "ui/PlanWindow.h"
#include "ui/PointOutputWindow.h"

namespace vel::test {
namespace {

// The masks of a filter, in the order the dialog offers them.
QStringList masksOf(const QString& filter) {
  static const QRegularExpression lastParentheses(QStringLiteral("\\(([^()]*)\\)$"));
  QStringList masks;
  for (const QString& nameFilter : nameFiltersOf(filter)) {
    masks << lastParentheses.match(nameFilter).captured(1);
  }
  return masks;
}

class LanguageWindowsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    job = newJob("JOB1");
    append(job, pointRecord("P1"));
    append(job, pointRecord("P2", "5.000", "6.000", "7.000"));
    append(session.knownPointFile(), pointRecord("K1"));
  }

  // Every word of the windows, each built as the program builds it; the
  // import window reads a file that is not there and so tells why.
  QStringList windowTexts() {
    QStringList texts;
    JobViewer viewer(session, prompts);
    viewer.job = job;
    viewer.show();
    texts << shownTexts(&viewer, {viewer.recordList});

    PointOutputWindow output(session, prompts);
    output.job = job;
    output.show();
    texts << shownTexts(&output) << output.saveDialog.title << output.saveDialog.filter;

    PlanWindow plan(cardPlan(session, job, QStringLiteral("CARD.VEL")), prompts);
    plan.knownCheckBox->setChecked(true);
    texts << shownTexts(&plan) << plan.titleLine() << plan.saveDialog.title
          << plan.saveDialog.filter << PlanView::emptyText();
    PlanWindow known(cardPlan(session, session.knownPointFile(), QStringLiteral("CARD.VEL")),
                     prompts);
    texts << known.windowTitle();

    const ImportHost host{session, prompts, {}, nullptr};
    const QString missing = QDir::cleanPath(pathToQString(scratch.folder("in")) + "/none.pts");
    ImportWindow import(missing, kPtsFormat, host);
    texts << shownTexts(&import) << importDialogSettings(1).filter;

    CoordinateDialog coordinates;
    NameDialog name;
    texts << shownTexts(&coordinates) << shownTexts(&name);
    return texts;
  }

  QStringList everythingAsked() const {
    QStringList texts;
    for (const ShownPrompt& shown : prompts.shown) {
      texts << shown.caption << shown.text << shown.dialog.title << shown.dialog.filter;
    }
    texts.removeAll(QString());
    return texts;
  }

  JobSlot job;
};

TEST_F(LanguageWindowsTest, InEnglishTheWindowsAndTheirNoticesSpeakEnglish) {
  const InstalledLanguage english(Language::kEnglish);
  ASSERT_TRUE(english.loaded());
  const QStringList texts = windowTexts();
  const QStringList asked = everythingAsked();
  ASSERT_EQ(asked.size(), 4);  // the import's two notices, caption and text each
  for (const QString& text : texts + asked) {
    EXPECT_FALSE(hasChinese(text)) << text.toStdString();
  }
  EXPECT_TRUE(asked.last().contains(QStringLiteral("none.pts"))) << asked.last().toStdString();
}

TEST_F(LanguageWindowsTest, WithTheCLocaleEveryWordIsTheChineseTheProgramIsWrittenIn) {
  const QStringList written = windowTexts();
  const QStringList writtenAsked = everythingAsked();
  ASSERT_TRUE(std::any_of(written.begin(), written.end(), hasChinese));
  prompts.shown.clear();
  const InstalledLanguage c(chooseLanguage({QStringLiteral("C")}, std::nullopt));
  EXPECT_EQ(windowTexts(), written);
  EXPECT_EQ(everythingAsked(), writtenAsked);
}

TEST_F(LanguageWindowsTest, TheFileDialogsOfferTheSameMasksInEveryLanguage) {
  const QString filters[] = {importDialogSettings(1).filter, pointOutputDialogSettings().filter,
                             PlanWindow(PlanContent{}, prompts).saveDialog.filter};
  const InstalledLanguage english(Language::kEnglish);
  const QString english_filters[] = {importDialogSettings(1).filter,
                                     pointOutputDialogSettings().filter,
                                     PlanWindow(PlanContent{}, prompts).saveDialog.filter};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(english_filters[i], filters[i]);
    EXPECT_EQ(masksOf(english_filters[i]), masksOf(filters[i])) << filters[i].toStdString();
    EXPECT_FALSE(masksOf(filters[i]).contains(QString())) << filters[i].toStdString();
  }
}

TEST_F(LanguageWindowsTest, TheFilesWrittenOutAreTheSameInEitherLanguage) {
  const auto writeEveryFormat = [this](const std::string& folder) {
    std::vector<std::vector<uint8_t>> files;
    PointOutputWindow output(session, prompts);
    output.job = job;
    output.show();
    const QStringList masks = masksOf(output.saveDialog.filter);
    for (int format = kQplFormat; format <= kDxfFormat; ++format) {
      const QString name = QStringLiteral("out") + masks.value(format - 1).mid(1);
      const QString path = pathToQString(scratch.folder(folder)) + QLatin1Char('/') + name;
      prompts.answerFile(path, format);
      output.saveAsButton->click();
      files.push_back(readBytes(qStringToPath(path)));
      EXPECT_FALSE(files.back().empty()) << name.toStdString();
    }
    return files;
  };
  const auto chinese = writeEveryFormat("zh");
  const InstalledLanguage english(Language::kEnglish);
  EXPECT_EQ(writeEveryFormat("en"), chinese);
  EXPECT_EQ(prompts.unusedAnswers(), 0u);
}

TEST_F(LanguageWindowsTest, TheCardsOwnTextsStayAsTheCardHoldsThem) {
  const InstalledLanguage english(Language::kEnglish);
  JobViewer viewer(session, prompts);
  viewer.job = job;
  viewer.show();
  ASSERT_EQ(viewer.recordList->count(), 2);
  const std::vector<std::string> lines = session.recordLines(job);
  for (int row = 0; row < 2; ++row) {
    EXPECT_EQ(viewer.recordList->item(row)->text(), ansiToQString(lines[row]));
  }
  EXPECT_TRUE(viewer.windowTitle().contains(QStringLiteral("JOB1")));
}

}  // namespace
}  // namespace vel::test
