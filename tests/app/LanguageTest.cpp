// The interface's language: which one the program speaks, and that every word
// the windows show is in it, while the card's own texts stay as they are.
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <cerrno>
#include <functional>

#include "exchange/GridCellCheck.h"
#include "messages/MessageTexts.h"
#include "messages/Messages.h"
#include "tests/app/PagesFixture.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/ShownTexts.h"
#include "ui/JobViewer.h"
#include "ui/Language.h"
#include "ui/RestoreWindow.h"

namespace vel::test {
namespace {

constexpr Language kEnglish = Language::kEnglish;
constexpr Language kChinese = Language::kChinese;

// The lists are those QLocale::system().uiLanguages() gives for LANG and LANGUAGE.
TEST(LanguageChoice, TheFirstOfTheUsersLanguagesThatTheProgramSpeaksDecides) {
  const struct {
    QStringList languages;
    Language expected;
  } cases[] = {
      {{"en-US", "en-Latn-US", "en"}, kEnglish},        // LANG=en_US.UTF-8
      {{"en_GB.UTF-8"}, kEnglish},                      // as a locale name
      {{"zh-CN", "zh-Hans-CN", "zh"}, kChinese},        // LANG=zh_CN.UTF-8
      {{"zh-TW"}, kChinese},                            //
      {{"C"}, kChinese},                                // LANG=C, LANG=POSIX, LC_ALL=C
      {{"POSIX"}, kChinese},                            //
      {{}, kChinese},                                   //
      {{"de-DE", "de-Latn-DE", "de"}, kChinese},        // no translation
      {{"de", "de-DE", "en", "en-US"}, kEnglish},       // LANGUAGE=de:en
      {{"fr-FR", "zh-CN", "en-US"}, kChinese},          //
      {{"zh-CN", "zh-Hans-CN", "zh", "en"}, kChinese},  // LANGUAGE=zh_CN over English
  };
  for (const auto& c : cases) {
    EXPECT_EQ(chooseLanguage(c.languages, std::nullopt), c.expected)
        << c.languages.join(QLatin1Char(',')).toStdString();
  }
}

TEST(LanguageChoice, LangOnTheCommandLineWinsOverTheSystem) {
  EXPECT_EQ(languageNamed(QStringLiteral("en")), kEnglish);
  EXPECT_EQ(languageNamed(QStringLiteral("zh")), kChinese);
  for (const char* other : {"", "fr", "english", "zh_CN"}) {
    EXPECT_EQ(languageNamed(QString::fromLatin1(other)), std::nullopt) << other;
  }
  EXPECT_EQ(chooseLanguage({QStringLiteral("C")}, kEnglish), kEnglish);
  EXPECT_EQ(chooseLanguage({QStringLiteral("en-US")}, kChinese), kChinese);
}

TEST(LanguageChoice, TheEnglishTranslationIsPartOfTheProgram) {
  const InstalledLanguage english(kEnglish);
  ASSERT_TRUE(english.loaded());
  EXPECT_EQ(QCoreApplication::translate("vel::MainWindow", "选取记录区"),
            QStringLiteral("Select record area"));
}

// The marked refusal and failure texts of MessageTexts.h, read from the
// header itself so that a text added there without its English is caught.
QStringList markedMessageTexts() {
  QFile header(QStringLiteral(VEL_SOURCE_DIR "/messages/MessageTexts.h"));
  EXPECT_TRUE(header.open(QIODevice::ReadOnly));
  const QString source = QString::fromUtf8(header.readAll());
  static const QRegularExpression marked(
      QStringLiteral(R"re(QT_TRANSLATE_NOOP\("MessageTexts",\s*"((?:[^"\\]|\\.)*)"\))re"));
  QStringList texts;
  for (auto it = marked.globalMatch(source); it.hasNext();) {
    QString text = it.next().captured(1);
    text.replace(QStringLiteral("\\r"), QStringLiteral("\r"));
    text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    texts << text;
  }
  return texts;
}

TEST(MessageTexts, EachRefusalAndFailureTextHasItsEnglishAndStaysChineseWithoutIt) {
  const QStringList texts = markedMessageTexts();
  ASSERT_GT(texts.size(), 20);
  QStringList all = texts;
  all << QString::fromUtf8(kCoordinateRangeText);  // marked in ui/, defined in exchange/
  {
    const InstalledLanguage english(kEnglish);
    for (const QString& text : all) {
      const QString shown = messageText(text.toUtf8().constData());
      EXPECT_FALSE(hasChinese(shown)) << text.toStdString() << " -> " << shown.toStdString();
      EXPECT_EQ(shown.count(QStringLiteral("%1")), text.count(QStringLiteral("%1")));
      EXPECT_EQ(shown.count(QStringLiteral("%2")), text.count(QStringLiteral("%2")));
    }
  }
  const InstalledLanguage c(chooseLanguage({QStringLiteral("C")}, std::nullopt));
  for (const QString& text : all) EXPECT_EQ(messageText(text.toUtf8().constData()), text);
}

// Texts made from a code and its values: the words in the interface's
// language, the values (a path, a line number, a folder, a job) as they are.
TEST(MessageTexts, TextsMadeFromCodesAreInTheInterfacesLanguageAroundTheirValues) {
  ReadProblem missing;
  missing.kind = ReadProblem::Kind::kUnreadable;
  missing.path = "/in/点.pts";
  missing.error = ENOENT;
  ReadProblem systemError = missing;
  systemError.path = "/in/a.csv";
  systemError.error = ENOSPC;  // no words of its own: the number and the system's text
  ReadProblem noComma;
  noComma.kind = ReadProblem::Kind::kNoComma;
  noComma.line = 12;
  SnapshotFailure diskFull;
  diskFull.reason = SnapshotFailure::Reason::kDiskFull;
  diskFull.folder = "/backups";
  Snapshot deletedJob;
  deletedJob.label = {SnapshotAction::kDeleteJob, {"路基1"}};
  const struct {
    const char* what;
    std::function<std::string(const Translate&)> make;
    QStringList values;
  } cases[] = {
      {"missing file",
       [&](const Translate& tr) { return readProblemText(missing, tr); },
       {"/in/点.pts"}},
      {"system error",
       [&](const Translate& tr) { return readProblemText(systemError, tr); },
       {"/in/a.csv", "28"}},
      {"no comma", [&](const Translate& tr) { return readProblemText(noComma, tr); }, {"12"}},
      {"not backed up",
       [&](const Translate& tr) { return notBackedUpText(diskFull, tr); },
       {"/backups\r\n"}},
      {"snapshot label",
       [&](const Translate& tr) { return snapshotActionText(deletedJob, tr); },
       {"路基1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    {
      const InstalledLanguage english(kEnglish);
      const QString shown = messageText(c.make(interfaceLanguage()));
      QString words = shown;
      for (const QString& value : c.values) {
        EXPECT_TRUE(shown.contains(value)) << shown.toStdString();
        words.remove(value);
      }
      EXPECT_FALSE(hasChinese(words)) << shown.toStdString();
    }
    const InstalledLanguage chinese(chooseLanguage({QStringLiteral("C")}, std::nullopt));
    EXPECT_EQ(messageText(c.make(interfaceLanguage())), QString::fromStdString(c.make(asWritten)));
  }
  const InstalledLanguage english(kEnglish);
  EXPECT_TRUE(messageText(notBackedUpText(diskFull, interfaceLanguage()))
                  .endsWith(messageText(kDiskFullText)));
}

void sample(RecordAreaStore& s) {
  const uint8_t job = s.createJob("JOB1");
  s.createJob("ROAD2");
  s.appendRecord(job, kRecordSize, pointRecord("P1").data());
  s.appendRecord(s.knownPointFile(), kRecordSize, pointRecord("K1").data());
  s.addFeatureCode("TREE");
}

// The main window and the windows it opens, with a card loaded, in each language.
class LanguageTest : public PagesTest {
 protected:
  // The main window's words, the drawn tab captions among them.
  QStringList mainWindowTexts() {
    QStringList texts =
        shownTexts(form.get(), {form->jobPage->list, form->knownPointPage->list, form->codePage->list});
    texts << shownTexts(form->jobPage->planMenu);
    const DrawnTexts tabs(
        [this](QPainter& painter) { form->drawPageTab(painter, 0, QRect(0, 0, 133, 26), true); });
    for (const QString& caption : tabs.texts()) texts << QStringLiteral("drawn tab: ") + caption;
    return texts;
  }

  // The restore window's and the job viewer's words, each opened by its button.
  QStringList openedWindowTexts() {
    QStringList texts;
    ModalDriver restore([&](QDialog& dialog) {
      auto* window = qobject_cast<RestoreWindow*>(&dialog);
      texts << shownTexts(&dialog, {window->snapshotList, window->previewList});
      dialog.reject();
    });
    form->restoreButton->click();
    EXPECT_TRUE(restore.acted());
    form->jobPage->list->setCurrentRow(0);
    ModalDriver viewer([&](QDialog& dialog) {
      auto* window = qobject_cast<JobViewer*>(&dialog);
      texts << shownTexts(&dialog, {window->recordList});
      dialog.reject();
    });
    form->jobPage->viewJobButton->click();
    EXPECT_TRUE(viewer.acted());
    return texts;
  }

  // Questions and refusals of the pages, each answered "No" or refused.
  void askEverything() {
    form->jobPage->list->setCurrentRow(0);
    form->jobPage->deleteJobButton->click();
    form->knownPointPage->list->setCurrentRow(0);
    form->knownPointPage->deleteKnownPointButton->click();
    form->knownPointPage->clearKnownPointsButton->click();
    form->codePage->clearCodesButton->click();
    form->formatButton->click();
    entries.answerName("JOB1");  // a name taken: refused with the popup
    form->jobPage->newJobButton->click();
    entries.cancelPoint();
    form->knownPointPage->enterKnownPointsButton->click();
  }

  QStringList everythingAsked() const {
    QStringList texts;
    for (const ShownPrompt& shown : prompts.shown) texts << shown.caption << shown.text;
    for (const OpenedEntry& entry : entries.opened) texts << entry.caption << entry.prompt;
    texts.removeAll(QString());
    return texts;
  }
};

TEST_F(LanguageTest, InEnglishNoWordOfTheWindowsOrOfWhatTheyAskIsChinese) {
  const InstalledLanguage english(kEnglish);
  ASSERT_TRUE(english.loaded());
  load(sample);
  QStringList texts = mainWindowTexts() + openedWindowTexts();
  askEverything();
  const QStringList asked = everythingAsked();
  ASSERT_GE(asked.size(), 12);
  for (const QString& text : texts + asked) EXPECT_FALSE(hasChinese(text)) << text.toStdString();
  EXPECT_TRUE(texts.contains(QStringLiteral("drawn tab: Jobs"))) << texts.join('\n').toStdString();
  // The card's own rows stay what the card holds.
  EXPECT_TRUE(form->jobPage->list->item(0)->text().contains(QStringLiteral("JOB1")));
  EXPECT_EQ(form->codePage->list->item(0)->text(), QStringLiteral("TREE"));
  EXPECT_EQ(entries.opened.size(), 2u);
}

TEST_F(LanguageTest, WithTheCLocaleEveryWordIsTheChineseTheProgramIsWrittenIn) {
  // Chinese as written: no translator of the program's at all.
  load(sample);
  const QStringList written = mainWindowTexts() + openedWindowTexts();
  askEverything();
  const QStringList writtenAsked = everythingAsked();
  ASSERT_TRUE(std::any_of(written.begin(), written.end(), hasChinese));
  form.reset();
  prompts.shown.clear();
  entries.opened.clear();

  for (const Language language : {chooseLanguage({QStringLiteral("C")}, std::nullopt), kChinese}) {
    const InstalledLanguage installed(language);
    startWith(image);
    EXPECT_EQ(mainWindowTexts() + openedWindowTexts(), written);
    askEverything();
    EXPECT_EQ(everythingAsked(), writtenAsked);
    form.reset();
    prompts.shown.clear();
    entries.opened.clear();
  }
}

}  // namespace
}  // namespace vel::test
