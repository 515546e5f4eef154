// The main window: start-up, selecting and formatting a record area, the
// summary and the lists.
#include <fcntl.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include <QTest>

#include "app/CardWatcher.h"
#include "card/CardSession.h"
#include "store/Gbk.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/ModalDriver.h"
#include "ui/Controls.h"

namespace vel::test {
namespace {

namespace fs = std::filesystem;

const QString kFormatQuestion = QStringLiteral(
    "选取的记录区未格式化或存在错误,需格式化后才能正常存储数据。\r\n\r\n现在格式化该记录区吗?");
const QString kFormatWarning =
    QStringLiteral("格式化将删除全站记录区内全部数据,并且不能恢复。\r\n\r\n你确定要执行此操作吗？");

// An image with two jobs (three points in the first), two known points and
// two feature codes.
void fillSample(RecordAreaStore& s) {
  const uint8_t job1 = s.createJob("JOB1");
  s.createJob("ROAD2");
  for (const char* name : {"P1", "P2", "P3"})
    s.appendRecord(job1, kRecordSize, pointRecord(name).data());
  for (const char* name : {"K1", "K2"}) {
    s.appendRecord(s.knownPointFile(), kRecordSize, pointRecord(name).data());
  }
  s.addFeatureCode("TREE");
  s.addFeatureCode("WALL");
}

TEST_F(MainWindowTest, CancellingAtStartShowsTheInitialSummary) {
  prompts.cancelFile();
  start();

  const auto dialogs = prompts.shownOf(Kind::kOpenFile);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].dialog.title, QStringLiteral("打开全站记录区文件"));
  EXPECT_EQ(dialogs[0].dialog.filter, QStringLiteral("全站记录区文件(*.VEL)|*.VEL"));
  EXPECT_EQ(dialogs[0].dialog.defaultExt, QStringLiteral("vel"));
  EXPECT_TRUE(dialogs[0].dialog.initialDir.isEmpty());
  EXPECT_TRUE(dialogs[0].dialog.fileName.isEmpty());

  EXPECT_EQ(form->modelLabel->text(), QStringLiteral("不确定"));
  EXPECT_EQ(form->imageNameLabel->text(), QStringLiteral("未选取记录区"));
  EXPECT_EQ(form->jobCountLabel->text(), QStringLiteral("0"));
  EXPECT_EQ(form->knownPointCountLabel->text(), QStringLiteral("0"));
  EXPECT_EQ(form->usageGauge->progress(), 0);
  EXPECT_FALSE(pagesShown());
  EXPECT_FALSE(pagesEnabled());
  EXPECT_EQ(form->pages->currentIndex(), 0);
  EXPECT_FALSE(session.isOpen());
  EXPECT_EQ(prompts.shown.size(), 1u);

  form->refreshSummary();  // no image: nothing changes
  EXPECT_EQ(form->imageNameLabel->text(), QStringLiteral("未选取记录区"));
}

TEST_F(MainWindowTest, TheCardOnTheMediaPresetsTheOpenDialog) {
  mediaFolders = {scratch.folder("media/E"), scratch.folder("media/F")};
  const fs::path vel = scratch.folder("media/F/VEL");
  writeFormattedImage(vel / "SAMPLE.VEL", kRX2_8);
  writeBytes(vel / "VELSET.CFG", cardConfig("SAMPLE"));
  prompts.answerFile(QString());  // takes the preset
  start();

  const auto dialogs = prompts.shownOf(Kind::kOpenFile);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].dialog.initialDir, pathToQString(vel));
  EXPECT_EQ(dialogs[0].dialog.fileName, pathToQString(vel / "SAMPLE.VEL"));
  EXPECT_TRUE(form->pagesUsable());
  EXPECT_EQ(form->imageNameLabel->text(), QStringLiteral("SAMPLE.VEL"));
  EXPECT_EQ(form->modelLabel->text(), QStringLiteral("RX2-8"));
}

TEST_F(MainWindowTest, AnImageNamedAtStartIsLoadedWithoutAskingAndTheDialogStartsBesideIt) {
  mediaFolders = {scratch.folder("media/F")};
  writeFormattedImage(scratch.folder("media/F/VEL") / "SAMPLE.VEL", kRX2_8);
  writeBytes(scratch.folder("media/F/VEL") / "VELSET.CFG", cardConfig("SAMPLE"));
  const fs::path image = makeImage("CARD.VEL");
  edit(image, fillSample);
  media = std::make_unique<ListedMedia>(mediaFolders);
  form = std::make_unique<MainWindow>(session, prompts, *media, image);

  EXPECT_TRUE(prompts.shown.empty());
  EXPECT_TRUE(form->pagesUsable());
  EXPECT_EQ(form->imageNameLabel->text(), QStringLiteral("CARD.VEL"));
  EXPECT_EQ(form->jobPage->list->count(), 2);

  prompts.cancelFile();
  form->selectImageButton->click();
  const auto dialogs = prompts.shownOf(Kind::kOpenFile);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].dialog.initialDir, pathToQString(image.parent_path()));
  EXPECT_TRUE(form->pagesUsable());
}

// The card goes in while the first dialog is up; it is offered once that
// dialog has been cancelled, and the next dialog starts on it.
TEST_F(MainWindowTest, ACardPutInDuringTheFirstDialogIsOfferedWhenItCloses) {
  mediaFolders = {scratch.folder("media/F")};
  const fs::path vel = scratch.path() / "media/F/VEL";
  prompts.whileNextOpenDialog = [&] {
    scratch.folder("media/F/VEL");
    writeFormattedImage(vel / "SAMPLE.VEL", kRX2_8);
    writeBytes(vel / "VELSET.CFG", cardConfig("SAMPLE"));
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* window = qobject_cast<MainWindow*>(widget)) window->cardWatcher().look();
    }
    EXPECT_TRUE(prompts.shownOf(Kind::kYesNo).empty()) << "not asked over the open dialog";
  };
  prompts.cancelFile();
  prompts.answerYesNo(false);
  start();

  const auto questions = prompts.shownOf(Kind::kYesNo);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_TRUE(questions[0].text.contains(pathToQString(vel))) << questions[0].text.toStdString();
  EXPECT_FALSE(form->pagesUsable());
  form->cardWatcher().look();
  EXPECT_EQ(prompts.shownOf(Kind::kYesNo).size(), 1u) << "offered once";

  prompts.cancelFile();
  form->selectImageButton->click();
  const auto dialogs = prompts.shownOf(Kind::kOpenFile);
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(qStringToPath(dialogs[1].dialog.initialDir), vel);
}

TEST_F(MainWindowTest, ACardPutInAfterTheStartIsOfferedOnceAndOpened) {
  mediaFolders = {scratch.folder("media/F")};
  prompts.cancelFile();
  start();
  ASSERT_FALSE(form->pagesUsable());
  form->cardWatcher().look();
  EXPECT_TRUE(prompts.shownOf(Kind::kYesNo).empty());

  const fs::path vel = scratch.folder("media/F/VEL");
  writeFormattedImage(vel / "SAMPLE.VEL", kRX2_8);
  writeBytes(vel / "VELSET.CFG", cardConfig("SAMPLE"));
  prompts.answerYesNo(true);
  form->cardWatcher().look();
  form->cardWatcher().look();
  const auto questions = prompts.shownOf(Kind::kYesNo);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_TRUE(questions[0].text.contains(pathToQString(vel))) << questions[0].text.toStdString();
  EXPECT_TRUE(form->pagesUsable());
  EXPECT_EQ(form->imageNameLabel->text(), QStringLiteral("SAMPLE.VEL"));
  EXPECT_EQ(prompts.shownOf(Kind::kOpenFile).size(), 1u) << "only the one at the start";
}

TEST_F(MainWindowTest, AnImageWhoseCardWasPulledOutIsLetGoAndANewOneOffered) {
  const fs::path image = makeImage("CARD.VEL");
  edit(image, fillSample);
  startWith(image);
  fs::remove(image);
  prompts.answerYesNo(true);   // delete the job
  prompts.answerYesNo(false);  // select another image: not now
  form->jobPage->list->setCurrentRow(0);
  QTest::keyClick(form->jobPage->list, Qt::Key_Delete);
  const auto boxes = prompts.shownOf(Kind::kOk);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, QStringLiteral("记录区写入失败，请检查存储卡！"));
  EXPECT_FALSE(session.isOpen());
  EXPECT_FALSE(pagesEnabled());
  EXPECT_EQ(form->jobPage->list->count(), 0);
  EXPECT_EQ(form->imageNameLabel->text(), QStringLiteral("未选取记录区"));
  QCoreApplication::processEvents();
  const auto questions = prompts.shownOf(Kind::kYesNo);
  ASSERT_EQ(questions.size(), 2u);
  EXPECT_TRUE(questions[1].text.startsWith(QStringLiteral("记录区文件已不存在")));
  EXPECT_FALSE(fs::exists(image)) << "nothing wrote a new file in its place";
  EXPECT_EQ(prompts.unusedAnswers(), 0u);
}

TEST_F(MainWindowTest, LoadingShowsTheSummaryAndTheLists) {
  const fs::path image = makeImage("CARD.VEL");
  edit(image, fillSample);
  startWith(image);

  EXPECT_TRUE(pagesShown());
  EXPECT_TRUE(pagesEnabled());
  EXPECT_TRUE(form->pagesUsable());
  EXPECT_EQ(form->imageNameLabel->text(), QStringLiteral("CARD.VEL"));
  EXPECT_EQ(form->modelLabel->text(), QStringLiteral("RX3-8"));
  EXPECT_EQ(form->jobCountLabel->text(), QStringLiteral("2"));
  EXPECT_EQ(form->knownPointCountLabel->text(), QStringLiteral("2"));
  EXPECT_EQ(form->usageGauge->progress(), 0);  // 5 of 49536 records

  const QStringList jobs = rowsOf(form->jobPage->list);
  ASSERT_EQ(jobs.size(), 2);
  EXPECT_TRUE(jobs[0].contains(QStringLiteral("JOB1")) && jobs[0].trimmed().endsWith('3'))
      << jobs[0].toStdString();
  EXPECT_TRUE(jobs[1].contains(QStringLiteral("ROAD2")) && jobs[1].trimmed().endsWith('0'));
  EXPECT_EQ(form->jobPage->list->currentRow(), 0);  // no current job: the first

  const QStringList known = rowsOf(form->knownPointPage->list);
  ASSERT_EQ(known.size(), 2);
  EXPECT_TRUE(known[0].startsWith(QStringLiteral("K1 ")));
  EXPECT_TRUE(known[1].startsWith(QStringLiteral("K2 ")));
  EXPECT_EQ(form->knownPointPage->list->currentRow(), 0);

  EXPECT_EQ(rowsOf(form->codePage->list), (QStringList{"TREE", "WALL"}));
  EXPECT_EQ(form->codePage->list->currentRow(), 0);
  EXPECT_EQ(prompts.unusedAnswers(), 0u);
}

TEST_F(MainWindowTest, TheSummaryNamesEachModelAndCountsItsKnownPoints) {
  const struct {
    int model;
    const char* name;
  } models[] = {{kRX3_8, "RX3-8"}, {kRX2_8, "RX2-8"}, {kRX3_32, "RX3-32"}, {kRX9_32, "RX9-32"}};
  for (const auto& m : models) {
    const fs::path image = makeImage(std::string(m.name) + ".VEL", m.model);
    edit(image, [](RecordAreaStore& s) {
      s.createJob("A");
      for (int i = 0; i < 3; ++i) {
        s.appendRecord(s.knownPointFile(), kRecordSize, pointRecord("K").data());
      }
    });
    prompts.answerFile(pathToQString(image));
    if (!form) {
      start();
    } else {
      form->selectImageButton->click();
    }
    EXPECT_EQ(form->modelLabel->text(), QString::fromLatin1(m.name));
    EXPECT_EQ(form->jobCountLabel->text(), QStringLiteral("1")) << m.name;
    EXPECT_EQ(form->knownPointCountLabel->text(), QStringLiteral("3")) << m.name;
    EXPECT_EQ(form->knownPointPage->list->count(), 3) << m.name;
  }
}

TEST_F(MainWindowTest, TheInstrumentsCurrentJobIsTheSelectedRow) {
  const struct {
    const char* what;
    int jobs;
    int currentPosition;  // -1: no current job
    int selectedRow;
  } cases[] = {
      {"current job third", 3, 2, 2},
      {"current job first", 3, 0, 0},
      {"no current job", 3, -1, 0},
      {"no jobs", 0, -1, -1},
  };
  for (const auto& c : cases) {
    const fs::path image = makeImage(std::string(c.what) + ".VEL");
    edit(image, [&](RecordAreaStore& s) {
      for (int i = 0; i < c.jobs; ++i) s.createJob("J" + std::to_string(i));
      // The instrument marks its current job in the header byte at 0x100.
      const uint8_t current = c.currentPosition < 0 ? 0xFF : s.jobSlotAt(c.currentPosition);
      ASSERT_TRUE(s.writeImage({0, 0x0100}, 1, &current));
    });
    prompts.answerFile(pathToQString(image));
    if (!form) {
      start();
    } else {
      form->selectImageButton->click();
    }
    EXPECT_EQ(form->jobPage->list->currentRow(), c.selectedRow) << c.what;
    if (c.currentPosition >= 0) {
      EXPECT_TRUE(form->jobPage->list->item(c.selectedRow)->text().startsWith('*')) << c.what;
    }
  }
}

TEST_F(MainWindowTest, AnUnformattedImageAnsweredNoKeepsThePagesHiddenUntilLoaded) {
  const fs::path blank = scratch.folder("images") / "BLANK.VEL";
  writeBlankImage(blank);
  prompts.answerFile(pathToQString(blank));
  prompts.answerYesNo(false);
  start();

  const auto questions = prompts.shownOf(Kind::kYesNo);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].caption, QStringLiteral("选取记录区"));
  EXPECT_EQ(questions[0].text, kFormatQuestion);
  EXPECT_EQ(questions[0].icon, PromptIcon::kQuestion);
  EXPECT_TRUE(session.isOpen());
  EXPECT_FALSE(pagesShown());
  EXPECT_FALSE(form->pagesUsable());
  EXPECT_EQ(form->imageNameLabel->text(), QStringLiteral("未选取记录区"));
  EXPECT_EQ(readBytes(blank), std::vector<uint8_t>(kStandardSectors * kSectorSize, 0xFF));

  // The format button formats the open image but leaves the pages as they are.
  prompts.answerYesNo(true);
  form->formatButton->click();
  const auto warnings = prompts.shownOf(Kind::kYesNo);
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[1].caption, QStringLiteral("警告"));
  EXPECT_EQ(warnings[1].text, kFormatWarning);
  EXPECT_EQ(warnings[1].icon, PromptIcon::kExclamation);
  EXPECT_FALSE(pagesShown());
  EXPECT_EQ(form->modelLabel->text(), QStringLiteral("RX3-8"));
  EXPECT_EQ(form->imageNameLabel->text(), QStringLiteral("BLANK.VEL"));
  {
    RecordAreaStore other;
    ASSERT_TRUE(other.openImage(blank.string()));
    EXPECT_EQ(other.detectModel(), kModelRecognised);
  }

  // Selecting it again loads it, without a question.
  select(blank);
  EXPECT_EQ(prompts.shownOf(Kind::kYesNo).size(), 2u);
  EXPECT_TRUE(pagesShown());
  EXPECT_TRUE(pagesEnabled());
}

TEST_F(MainWindowTest, AnUnformattedImageAnsweredYesIsFormattedAndLoaded) {
  const fs::path blank = scratch.folder("images") / "BLANK.VEL";
  writeBlankImage(blank);
  prompts.answerFile(pathToQString(blank));
  prompts.answerYesNo(true);
  start();

  EXPECT_TRUE(pagesShown());
  EXPECT_TRUE(form->pagesUsable());
  EXPECT_EQ(form->modelLabel->text(), QStringLiteral("RX3-8"));
  EXPECT_EQ(form->jobCountLabel->text(), QStringLiteral("0"));
  EXPECT_EQ(form->jobPage->list->count(), 0);
  EXPECT_EQ(form->jobPage->list->currentRow(), -1);
}

// The second image is open but not loaded: what the window still shows
// belongs to the first, so the pages must not act on the second.
TEST_F(MainWindowTest, ADeclinedSecondImageDisablesThePagesUntilTheNextLoad) {
  const fs::path first = makeImage("FIRST.VEL");
  edit(first, fillSample);
  startWith(first);
  const fs::path blank = scratch.folder("images") / "BLANK.VEL";
  writeBlankImage(blank);

  prompts.answerFile(pathToQString(blank));
  prompts.answerYesNo(false);
  form->selectImageButton->click();

  EXPECT_TRUE(pagesShown());
  EXPECT_FALSE(pagesEnabled());
  EXPECT_FALSE(form->pagesUsable());
  EXPECT_EQ(form->imageNameLabel->text(), QStringLiteral("FIRST.VEL"));
  EXPECT_EQ(form->jobPage->list->count(), 2);

  // A point typed into the job still shown goes nowhere: no dialog, nothing written.
  form->jobPage->list->setCurrentRow(0);
  entries.answerPoint("X", {1, 0}, {2, 0}, {3, 0});
  emit form->jobPage->enterPointsButton->clicked();
  EXPECT_TRUE(entries.opened.empty());
  EXPECT_TRUE(prompts.timedMessages().isEmpty());
  EXPECT_EQ(readBytes(blank), std::vector<uint8_t>(kStandardSectors * kSectorSize, 0xFF));

  select(first);
  EXPECT_TRUE(pagesEnabled());
  EXPECT_TRUE(form->pagesUsable());
}

TEST_F(MainWindowTest, AFileThatCannotBeOpenedClosesTheOldImageWithoutAMessage) {
  const fs::path first = makeImage("FIRST.VEL");
  edit(first, fillSample);
  startWith(first);
  const fs::path missing = scratch.path() / "MISSING.VEL";

  select(missing);
  EXPECT_FALSE(session.isOpen());
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_EQ(prompts.shown.size(), 2u);  // the two open dialogs, nothing else
  EXPECT_FALSE(pagesEnabled());
  EXPECT_EQ(form->imageNameLabel->text(), QStringLiteral("FIRST.VEL"));

  // With no image open the format button does nothing.
  prompts.answerYesNo(true);
  form->formatButton->click();
  EXPECT_EQ(prompts.shown.size(), 2u);
}

// The superuser writes to a file whatever its mode says; with the file
// system user id of an ordinary user this thread meets the mode like any
// user does. Elsewhere the mode alone suffices.
class ScopedOrdinaryFileUser {
 public:
  ScopedOrdinaryFileUser() {
    if (geteuid() == 0) previous_ = setfsuid(kNobody);
  }
  ~ScopedOrdinaryFileUser() {
    if (previous_ >= 0) setfsuid(static_cast<uid_t>(previous_));
  }
  ScopedOrdinaryFileUser(const ScopedOrdinaryFileUser&) = delete;
  ScopedOrdinaryFileUser& operator=(const ScopedOrdinaryFileUser&) = delete;

 private:
  static constexpr uid_t kNobody = 65534;
  int previous_ = -1;
};

bool opensForWriting(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_RDWR);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

TEST_F(MainWindowTest, AWriteProtectedImageIsReadAndEveryChangeRefusedBeforeAnythingIsAsked) {
  const fs::path locked = makeImage("LOCKED.VEL");
  edit(locked, fillSample);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  // The folders on the way must let the ordinary user through.
  fs::permissions(scratch.path(), fs::perms::owner_all | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read |
                                      fs::perms::others_exec);
  const std::vector<uint8_t> before = readBytes(locked);

  ScopedOrdinaryFileUser user;
  if (opensForWriting(locked)) GTEST_SKIP() << "this system lets the test write a read-only file";
  const QString refusal =
      QStringLiteral("存储卡处于写保护状态（或文件只读），记录区只能读取，不能修改！");
  startWith(locked);
  // Said once, on opening; the lists are there to read.
  auto notices = prompts.shownOf(Kind::kOk);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].caption, QStringLiteral("提示"));
  EXPECT_EQ(notices[0].text, refusal);
  EXPECT_EQ(notices[0].icon, PromptIcon::kInformation);
  EXPECT_TRUE(form->pagesUsable());
  EXPECT_EQ(form->jobPage->list->count(), 2);
  EXPECT_EQ(form->codePage->list->count(), 2);

  // Each change says why it cannot be made, before it asks anything.
  form->jobPage->list->setCurrentRow(0);
  for (QPushButton* button : {form->jobPage->deleteJobButton, form->jobPage->newJobButton, form->jobPage->enterPointsButton,
                              form->codePage->clearCodesButton}) {
    QTest::mouseClick(button, Qt::LeftButton);
  }
  QTest::keyClick(form->jobPage->list, Qt::Key_Delete);
  notices = prompts.shownOf(Kind::kOk);
  EXPECT_EQ(notices.size(), 6u);
  EXPECT_EQ(notices.back().text, refusal);
  EXPECT_TRUE(prompts.shownOf(Kind::kYesNo).empty());
  EXPECT_EQ(readBytes(locked), before);
}

TEST_F(MainWindowTest, AnImageAnotherProgramHasOpenIsRefusedWithABox) {
  const fs::path image = makeImage("CARD.VEL");
  startWith(image);
  ASSERT_TRUE(form->pagesUsable());
  // Another program (velcard, a second window) cannot have it meanwhile.
  CardSession otherSession;
  EXPECT_EQ(otherSession.open(image.string()), OpenStatus::kInUse);

  session.close();
  ASSERT_EQ(otherSession.open(image.string()), OpenStatus::kLoaded);
  select(image);
  const auto notices = prompts.shownOf(Kind::kOk);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].text, QStringLiteral("记录区文件正被其他程序使用！"));
  EXPECT_EQ(notices[0].icon, PromptIcon::kExclamation);
  EXPECT_FALSE(form->pagesUsable());
}

TEST_F(MainWindowTest, CancellingALaterSelectionKeepsTheImageLoaded) {
  const fs::path first = makeImage("FIRST.VEL");
  edit(first, fillSample);
  startWith(first);
  prompts.cancelFile();
  form->selectImageButton->click();
  EXPECT_TRUE(session.isOpen());
  EXPECT_TRUE(form->pagesUsable());
  EXPECT_EQ(form->jobPage->list->count(), 2);
}

TEST_F(MainWindowTest, ANameTypedWithoutExtensionOpensTheImageInEitherLetterCase) {
  mediaFolders = {scratch.folder("media/E")};
  const fs::path vel = scratch.folder("media/E/VEL");
  writeFormattedImage(vel / "TEST.VEL", kRX3_8);
  writeFormattedImage(vel / "card.Vel", kRX2_8);
  writeBytes(vel / "VELSET.CFG", cardConfig("SAMPLE"));
  media = std::make_unique<ListedMedia>(mediaFolders);
  QtPrompts real;

  ModalDriver typeTest(
      [](QDialog& dialog) { answerFileDialog(dialog, 1, QStringLiteral("TEST")); });
  form = std::make_unique<MainWindow>(session, real, *media);
  EXPECT_TRUE(typeTest.acted());
  EXPECT_TRUE(form->pagesUsable());
  EXPECT_EQ(form->imageNameLabel->text(), QStringLiteral("TEST.VEL"));

  ModalDriver typeCard(
      [](QDialog& dialog) { answerFileDialog(dialog, 1, QStringLiteral("card")); });
  QTest::mouseClick(form->selectImageButton, Qt::LeftButton);
  EXPECT_TRUE(typeCard.acted());
  EXPECT_EQ(form->imageNameLabel->text(), QStringLiteral("card.Vel"));
  EXPECT_EQ(form->modelLabel->text(), QStringLiteral("RX2-8"));
}

TEST_F(MainWindowTest, TheFormatButtonAsksFirstAndEmptiesTheLists) {
  const fs::path image = makeImage("CARD.VEL");
  edit(image, fillSample);
  startWith(image);
  const std::vector<uint8_t> before = readBytes(image);

  prompts.answerYesNo(false);
  form->formatButton->click();
  EXPECT_EQ(readBytes(image), before);
  EXPECT_EQ(form->jobPage->list->count(), 2);

  prompts.answerYesNo(true);
  form->formatButton->click();
  EXPECT_EQ(form->jobCountLabel->text(), QStringLiteral("0"));
  EXPECT_EQ(form->knownPointCountLabel->text(), QStringLiteral("0"));
  EXPECT_EQ(form->jobPage->list->count(), 0);
  EXPECT_EQ(form->knownPointPage->list->count(), 0);
  EXPECT_EQ(form->codePage->list->count(), 0);
  EXPECT_TRUE(form->pagesUsable());
  EXPECT_TRUE(prompts.shownOf(Kind::kOk).empty());
  edit(image, [](RecordAreaStore& s) {
    EXPECT_EQ(s.jobCount(), 0);
    EXPECT_EQ(s.featureCodeCount(), 0);
  });
}

TEST_F(MainWindowTest, AFormatTheCardDoesNotTakeIsReported) {
  const fs::path image = makeImage("CARD.VEL");
  edit(image, fillSample);
  startWith(image);
  form->setKeepSnapshots(false);  // the card's failure alone, not the snapshot's
  const std::vector<uint8_t> before = readBytes(image);

  prompts.answerYesNo(true);
  {
    FileSizeLimit limit(16);
    form->formatButton->click();
  }
  const auto notices = prompts.shownOf(Kind::kOk);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].caption, QStringLiteral("警告"));
  EXPECT_EQ(notices[0].text, QStringLiteral("记录区写入失败，请检查存储卡！"));
  EXPECT_EQ(notices[0].icon, PromptIcon::kExclamation);
  // Nothing of the format reached the card: the window shows the area it holds.
  EXPECT_EQ(readBytes(image), before);
  EXPECT_TRUE(form->pagesUsable());
  EXPECT_TRUE(pagesEnabled());
  EXPECT_EQ(form->jobPage->list->count(), 2);
  EXPECT_EQ(form->codePage->list->count(), 2);
  EXPECT_EQ(form->jobCountLabel->text(), QStringLiteral("2"));

  // Selecting it again loads the same.
  select(image);
  EXPECT_TRUE(form->pagesUsable());
  EXPECT_EQ(form->jobPage->list->count(), 2);
}

TEST_F(MainWindowTest, TheGaugeShowsTheTruncatedUsedShare) {
  const fs::path image = makeImage("CARD.VEL");
  startWith(image);
  ASSERT_EQ(session.summary().capacity, 49536);
  const struct {
    uint16_t free;
    int percent;
  } cases[] = {{24769, 49}, {0, 100}, {49536, 0}, {24768, 50}};
  for (const auto& c : cases) {
    // The free record count: a big-endian word at 0x101 on the RX3-8.
    const uint8_t word[2] = {static_cast<uint8_t>(c.free >> 8), static_cast<uint8_t>(c.free)};
    edit(image, [&](RecordAreaStore& s) { ASSERT_TRUE(s.writeImage({0, 0x0101}, 2, word)); });
    select(image);
    EXPECT_EQ(form->usageGauge->progress(), c.percent) << c.free << " free";
  }
}

TEST_F(MainWindowTest, RefreshingTheJobListKeepsTheSelectedRow) {
  const fs::path image = makeImage("CARD.VEL");
  edit(image, [](RecordAreaStore& s) {
    for (const char* name : {"A", "B", "C"}) s.createJob(name);
  });
  startWith(image);
  form->jobPage->list->setCurrentRow(1);
  const QString before = form->jobPage->list->item(1)->text();

  // Changed through the session, as the job viewer or an import changes it.
  ASSERT_TRUE(session.run(AddPoint{session.jobAt(JobPosition{1}), "P", {}, {}, {}}).done());
  form->jobPage->refresh();
  EXPECT_EQ(form->jobPage->list->currentRow(), 1);
  EXPECT_NE(form->jobPage->list->item(1)->text(), before);
  EXPECT_TRUE(form->jobPage->list->item(1)->text().trimmed().endsWith('1'));

  // A selected row that no longer exists leaves no row selected.
  form->jobPage->list->setCurrentRow(2);
  ASSERT_TRUE(session.run(DeleteJob{JobPosition{2}}).done());
  form->jobPage->refresh();
  EXPECT_EQ(form->jobPage->list->count(), 2);
  EXPECT_EQ(form->jobPage->list->currentRow(), -1);
  EXPECT_TRUE(form->jobPage->list->selectedItems().isEmpty());
}

TEST_F(MainWindowTest, AnEmptyCodeListHasNoSelectedRow) {
  startWith(makeImage("CARD.VEL"));
  form->codePage->refresh();
  EXPECT_EQ(form->codePage->list->count(), 0);
  EXPECT_EQ(form->codePage->list->currentRow(), -1);
  form->knownPointPage->refresh();
  EXPECT_EQ(form->knownPointPage->list->currentRow(), -1);
}

TEST_F(MainWindowTest, NumberedRowsStartWithTheirNumberAndTwoBlanks) {
  EXPECT_EQ(NumberedRowDelegate::numberText(0), QStringLiteral("1.  "));
  EXPECT_EQ(NumberedRowDelegate::numberText(9), QStringLiteral("10.  "));
}

TEST_F(MainWindowTest, APointTheCardHasNoRoomForIsRefusedWithItsPopup) {
  const fs::path image = makeImage("CARD.VEL");
  edit(image, [](RecordAreaStore& s) { s.createJob("JOB1"); });
  startWith(image);
  form->jobPage->list->setCurrentRow(0);
  entries.answerPoint("P1", {1, 0}, {2, 0}, {3, 0});
  entries.cancelPoint();
  form->jobPage->enterPointsButton->click();
  EXPECT_EQ(session.recordCount(session.jobAt(JobPosition{0})), 1);
  EXPECT_TRUE(prompts.timedMessages().isEmpty());

  // Every block taken by another job (slot 5, 48 records each): the record
  // area is full while the job still has room.
  edit(image, [](RecordAreaStore& s) {
    const int blocks = s.capacity() / 48;
    std::vector<uint8_t> owned;
    for (int b = 0; b < blocks; ++b) owned.insert(owned.end(), {5, 48});
    for (size_t at = 0; at < owned.size(); at += 128) {
      const auto count = static_cast<uint8_t>(std::min<size_t>(128, owned.size() - at));
      ASSERT_TRUE(s.writeImage({0, static_cast<uint16_t>(0x0C00 + at)}, count, owned.data() + at));
    }
    const uint8_t none[2] = {0, 0};
    ASSERT_TRUE(s.writeImage({0, 0x0101}, 2, none));
  });
  select(image);
  const std::vector<uint8_t> before = readBytes(image);
  form->jobPage->list->setCurrentRow(0);
  entries.answerPoint("P2", {1, 0}, {2, 0}, {3, 0});
  entries.answerPoint("P3", {1, 0}, {2, 0}, {3, 0});
  form->jobPage->enterPointsButton->click();
  EXPECT_EQ(prompts.timedMessages(), QStringList{QStringLiteral("记录区已满，无法再存贮数据！")});
  EXPECT_EQ(entries.unusedAnswers(), 1u) << "the loop ended at the refusal";
  EXPECT_EQ(session.recordCount(session.jobAt(JobPosition{0})), 1);
  EXPECT_EQ(readBytes(image), before);
}

TEST_F(MainWindowTest, CardTextsAreShownFromTheirCodePage) {
  const fs::path image = makeImage("CARD.VEL");
  edit(image, [](RecordAreaStore& s) {
    s.appendRecord(s.knownPointFile(), kRecordSize, pointRecord(utf8ToGbk("测试")).data());
    s.addFeatureCode(utf8ToGbk("树木"));
  });
  startWith(image);
  EXPECT_TRUE(form->knownPointPage->list->item(0)->text().startsWith(QStringLiteral("测试 ")));
  EXPECT_EQ(form->codePage->list->item(0)->text(), QStringLiteral("树木"));
}

TEST_F(MainWindowTest, ClosingTheWindowClosesTheImage) {
  startWith(makeImage("CARD.VEL"));
  ASSERT_TRUE(session.isOpen());
  form->close();
  EXPECT_FALSE(session.isOpen());
}

}  // namespace
}  // namespace vel::test
