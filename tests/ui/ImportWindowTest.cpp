// The coordinate import: the file dialog and the format choice, the file in
// the grid, and the rows stored on confirmation.
#include <QCoreApplication>
#include <QDir>

#include "tests/support/ModalDriver.h"
#include "tests/support/WindowFixture.h"
#include "ui/ImportWindow.h"
#include "ui/SessionTexts.h"
#include "ui/UiLook.h"

namespace vel::test {
namespace {

namespace fs = std::filesystem;

const QString kJobFullText = QStringLiteral("文件已满，无法存贮全部数据！");

// n QPL point lines P1 .. Pn.
std::string qplLines(int n, int first = 1) {
  std::string text;
  for (int i = first; i < first + n; ++i) {
    char line[80];
    std::snprintf(line, sizeof line, "%-9s%-9s%-12s%-12s%-12s\r\n",
                  ("P" + std::to_string(i)).c_str(), "", std::to_string(i).c_str(), "2.5", "-1");
    text += line;
  }
  return text;
}

class ImportWindowTest : public WindowTest {
 protected:
  // The main window's part: a refusal becomes its popup; every outcome is
  // kept for the test.
  ImportHost host() {
    return {session, prompts,
            [this](const Outcome& outcome) {
              outcomes.push_back(outcome);
              if (outcome.refused()) {
                if (const QString text = refusalMessage(outcome.refusal); !text.isEmpty()) {
                  prompts.showTimedMessage(nullptr, text);
                }
              }
              return outcome.done();
            },
            nullptr};
  }
  std::unique_ptr<ImportWindow> openFile(const fs::path& path, int format) {
    hostKept = std::make_unique<ImportHost>(host());
    auto form = std::make_unique<ImportWindow>(pathToQString(path), format, *hostKept);
    form->target = slot;
    return form;
  }
  QStringList names() { return pointNames(slot); }
  Record storedRecord(int number) const { return WindowTest::storedRecord(slot, number); }
  bool gridIsEmpty(CoordinateGrid* grid) {
    for (int r = 0; r < grid->cells()->rowCount(); ++r) {
      for (int c = 0; c < grid->cells()->columnCount(); ++c) {
        if (!cellOf(grid, r, c).isEmpty()) return false;
      }
    }
    return true;
  }

  JobSlot slot;
  std::vector<Outcome> outcomes;
  std::unique_ptr<ImportHost> hostKept;
};

TEST_F(ImportWindowTest, TheDialogOffersSixFormatsAndACancelKeepsTheChoice) {
  programSettings().remove("folders");
  int format = 4;
  EXPECT_EQ(importCoordinates(slot, format, host()), 0);
  EXPECT_EQ(format, 4);

  const auto dialogs = prompts.shownOf(Kind::kOpenFile);
  ASSERT_EQ(dialogs.size(), 1u);
  const FileDialogSettings& shown = dialogs[0].dialog;
  EXPECT_EQ(
      shown.filter,
      QStringLiteral("全站坐标记录文件(*.QPL)|*.QPL|拓普康 GTS700/600/800 Points(*.pts)|*.pts|"
                     "SCS2002 坐标文件(*.dat)|*.dat|SV300坐标文件(*.dat)|*.dat|"
                     "CASS5.X文件(*.DAT)|*.DAT|文本文件(逗号分隔)(*.CSV)|*.CSV"));
  EXPECT_EQ(shown.filterIndex, 4);
  EXPECT_EQ(shown.defaultExt, QStringLiteral("*.QPL"));
  EXPECT_EQ(shown.initialDir, QDir::toNativeSeparators(QDir::homePath()));

  // The next dialog starts where the last file was taken from.
  const fs::path taken = file("in.dat", "1,A1,,1.5,2.5,3.5\r\n");
  prompts.answerFile(pathToQString(taken), 4);
  whenModalOpens<ImportWindow>([](ImportWindow* form) { form->close(); });
  importCoordinates(slot, format, host());
  prompts.cancelFile();
  importCoordinates(slot, format, host());
  const auto later = prompts.shownOf(Kind::kOpenFile);
  ASSERT_EQ(later.size(), 3u);
  EXPECT_EQ(qStringToPath(later[2].dialog.initialDir), taken.parent_path());
}

TEST_F(ImportWindowTest, TheChosenFormatIsWrittenBackAndTheConfirmedRowsStored) {
  slot = newJob("JOB1");
  const fs::path path = file("a.dat", "1,A1,,1.5,2.5,3.5\r\n2,A2,C,4,5,6\r\n");
  prompts.answerFile(pathToQString(path), 4);
  int format = 1;
  QStringList shownNames;
  whenModalOpens<ImportWindow>([&](ImportWindow* form) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("坐标编辑"));
    EXPECT_EQ(form->target, slot);
    shownNames << cellOf(form->grid, 0, 0) << cellOf(form->grid, 1, 0);
    form->confirmButton->click();
  });
  EXPECT_EQ(importCoordinates(slot, format, host()), 1);
  EXPECT_EQ(format, 4);
  EXPECT_EQ(shownNames, (QStringList{"A1", "A2"}));
  EXPECT_EQ(names(), (QStringList{"A1", "A2"}));

  Record expected{};
  buildPointRecord(order, "A1", {1, 500}, {2, 500}, {3, 500}, expected);
  EXPECT_EQ(storedRecord(0), expected) << "a PT record without a code";

  // The next import offers SV300 first; cancelling the window stores nothing.
  prompts.answerFile(pathToQString(path));
  whenModalOpens<ImportWindow>([](ImportWindow* form) { form->cancelButton->click(); });
  EXPECT_EQ(importCoordinates(slot, format, host()), 0);
  EXPECT_EQ(prompts.shownOf(Kind::kOpenFile).back().dialog.filterIndex, 4);
  EXPECT_EQ(session.recordCount(slot), 2);

  prompts.answerFile(pathToQString(path));
  whenModalOpens<ImportWindow>([](ImportWindow* form) { form->close(); });
  EXPECT_EQ(importCoordinates(slot, format, host()), 0) << "closed by its close box";
}

// A CASS file opened as QPL: the question names both, "Yes" (its default)
// reads it as CASS; "No" as told. A file of no format is said to be so.
TEST_F(ImportWindowTest, AFileOfAnotherTypeIsOfferedThatTypeFirst) {
  slot = newJob("JOB1");
  const fs::path path = file("c.dat", "C1,TREE,30.000,20.000,1.5\r\n");
  QStringList shown;
  const auto keepFirstName = [&](ImportWindow* form) {
    shown << cellOf(form->grid, 0, 0);
    form->cancelButton->click();
  };
  for (const bool yes : {true, false}) {
    prompts.answerFile(pathToQString(path), 1);
    prompts.answerYesNo(yes);
    int format = 1;
    whenModalOpens<ImportWindow>(keepFirstName);
    importCoordinates(slot, format, host());
    EXPECT_EQ(format, yes ? 5 : 1);
  }
  EXPECT_EQ(shown, (QStringList{QStringLiteral("C1"), QStringLiteral("C1,TREE,")}));
  const auto questions = prompts.shownOf(Kind::kYesNo);
  ASSERT_EQ(questions.size(), 2u);
  EXPECT_EQ(questions[0].text, QStringLiteral("这个文件看起来是 CASS 格式，按 CASS 格式读入吗？\r\n"
                                              "（选择的是 QPL 格式，选“否”则按 QPL 格式读入。）"));
  EXPECT_TRUE(questions[0].yesIsDefault);

  const fs::path words = file("w.dat", "just words\r\n");
  prompts.answerFile(pathToQString(words), 5);
  int format = 5;
  whenModalOpens<ImportWindow>(keepFirstName);
  importCoordinates(slot, format, host());
  EXPECT_EQ(prompts.shownOf(Kind::kOk).back().text,
            QStringLiteral("这个文件不像 CASS 格式，第1行不符：\r\njust words"));
  EXPECT_EQ(format, 5);
}

// A name that would break the exchange files is marked in the grid, and the
// confirmation waits until it is mended.
TEST_F(ImportWindowTest, ANameThatBreaksTheFilesIsMarkedAndMendedBeforeItIsStored) {
  slot = newJob("JOB1");
  const fs::path path = file("n.CSV", "\"A,1\",\"1\",\"2\",\"3\"\r\n\"B\",\"4\",\"5\",\"6\"\r\n");
  auto form = openFile(path, 6);
  form->show();
  GridCells* cells = form->grid->cells();
  EXPECT_TRUE(cells->data(cells->index(0, 0), Qt::BackgroundRole).isValid());
  EXPECT_TRUE(
      cells->data(cells->index(0, 0), Qt::ToolTipRole).toString().contains(QStringLiteral("逗号")));
  EXPECT_FALSE(cells->data(cells->index(1, 0), Qt::BackgroundRole).isValid());

  form->confirmButton->click();
  EXPECT_EQ(prompts.shownOf(Kind::kOk).back().text,
            QStringLiteral("第1个点的点号含有逗号、双引号或控制字符，以后导出时会破坏文件。"
                           "请修改后再导入；没有导入任何点。"));
  EXPECT_EQ(session.recordCount(slot), 0);

  selectCell(form->grid, 0, 0);
  typeIntoGrid(form->grid, "a1");
  pressKey(form->grid, Qt::Key_Down);
  EXPECT_FALSE(cells->data(cells->index(0, 0), Qt::BackgroundRole).isValid());
  form->confirmButton->click();
  EXPECT_EQ(names(), (QStringList{"A1", "B"}));
}

TEST_F(ImportWindowTest, ACoordinateCutTo11CharactersIsMarkedAndSaid) {
  slot = newJob("JOB1");
  auto form = openFile(file("z.CSV", "\"P1\",\"3380000.125\",\"39512345.678\",\"1\"\r\n"), 6);
  GridCells* cells = form->grid->cells();
  EXPECT_EQ(cellOf(form->grid, 0, 2), QStringLiteral("39512345.67"));
  EXPECT_TRUE(cells->data(cells->index(0, 2), Qt::BackgroundRole).isValid());
  EXPECT_FALSE(cells->data(cells->index(0, 1), Qt::BackgroundRole).isValid());
  ASSERT_EQ(prompts.shownOf(Kind::kOk).size(), 1u);
  EXPECT_TRUE(prompts.shownOf(Kind::kOk)[0].text.startsWith(
      QStringLiteral("1 个点的坐标超过 11 位，只读入了前 11 位（第一个：P1）")));
}

TEST_F(ImportWindowTest, AFileOfMoreThan3072LinesShowsItsFirst3072) {
  auto form = openFile(file("big.QPL", qplLines(5000)), 1);
  GridCells* cells = form->grid->cells();
  EXPECT_EQ(cells->rowCount(), 3072);
  EXPECT_EQ(cellOf(form->grid, 0, 0), QStringLiteral("P1"));
  EXPECT_EQ(cellOf(form->grid, 3071, 0), QStringLiteral("P3072"));
  EXPECT_EQ(cellOf(form->grid, 3071, 1), QStringLiteral("3072"));
  EXPECT_EQ(cellOf(form->grid, 3071, 2), QStringLiteral("2.5"));
  EXPECT_EQ(cellOf(form->grid, 3071, 3), QStringLiteral("-1"));
  EXPECT_TRUE(prompts.shown.empty());

  QStringList headers;
  for (int c = 0; c < cells->columnCount(); ++c) {
    headers << cells->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
  }
  EXPECT_EQ(headers, (QStringList{"   点    号", "       N", "       E", "       Z"}));
}

TEST_F(ImportWindowTest, AFileThatCannotBeTakenOverLeavesAnEmptyGrid) {
  const struct {
    const char* name;
    const char* bytes;
    int format;
    QStringList texts;
  } cases[] = {
      {"count.dat", "2\r\nA1\r\n\r\n1\r\n2\r\n3\r\nE", 3, {"数据格式不符，无法导入！"}},
      {"gap.dat", "1,A1,,1,2,3\r\n\r\n2,A2,,1,2,3\r\n", 4, {"导入错误！", "第2行没有逗号"}},
      {"missing.QPL", nullptr, 1, {"导入错误！", "无法读取文件：%1\r\n文件不存在"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    prompts.shown.clear();
    outcomes.clear();
    slot = newJob(std::string("J") + c.name[0]);
    const fs::path path = c.bytes ? file(c.name, c.bytes) : scratch.path() / c.name;
    auto form = openFile(path, c.format);

    const auto boxes = prompts.shownOf(Kind::kOk);
    ASSERT_EQ(boxes.size(), static_cast<size_t>(c.texts.size()));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("警告"));
    EXPECT_EQ(boxes[0].text, c.texts[0]);
    EXPECT_EQ(boxes[0].icon, PromptIcon::kExclamation);
    if (boxes.size() > 1) {
      EXPECT_EQ(boxes[1].text, c.texts[1].arg(pathToQString(path))) << "why, in Chinese";
    }
    EXPECT_TRUE(gridIsEmpty(form->grid));

    form->confirmButton->click();
    EXPECT_EQ(form->importResult, 1);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].done());
    EXPECT_EQ(outcomes[0].stored, 0);
    EXPECT_EQ(session.recordCount(slot), 0);
  }
}

TEST_F(ImportWindowTest, ConfirmingStoresRowsWithNameNAndEWhereverTheyStand) {
  slot = newJob("JOB1");
  auto form = openFile(file("few.QPL", qplLines(3)), 1);
  GridCells* cells = form->grid->cells();
  cells->setCell(1, 2, "");                     // P2 without E: skipped
  cells->setCell(2, 3, "");                     // P3 without Z: stored with 0.000
  const QStringList far{"FAR", "7", "8", "9"};  // among empty rows
  for (int c = 0; c < 4; ++c) cells->setCell(2999, c, far[c]);
  cells->setCell(3071, 0, "LONGNAME99");  // no N: skipped

  form->confirmButton->click();
  EXPECT_EQ(form->importResult, 1);
  EXPECT_EQ(names(), (QStringList{"P1", "P3", "FAR"}));
  Record expected{};
  buildPointRecord(order, "P3", {3, 0}, {2, 500}, {0, 0}, expected);
  EXPECT_EQ(storedRecord(1), expected);
}

TEST_F(ImportWindowTest, AFullJobStopsTheLoopWithOnePopup) {
  slot = newJob("JOB1");
  append(slot, pointRecord("F"), 3000);
  auto form = openFile(file("hundred.QPL", qplLines(100)), 1);

  form->confirmButton->click();
  EXPECT_EQ(form->importResult, 1);
  EXPECT_EQ(session.recordCount(slot), 3072);
  EXPECT_EQ(QString::fromStdString(session.pointName(slot, 3071)), QStringLiteral("P72"));
  EXPECT_EQ(prompts.timedMessages(), QStringList{kJobFullText});
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0].refusal, Refusal::kJobFullWhileStoring);
  EXPECT_EQ(outcomes[0].stored, 72);
  EXPECT_FALSE(outcomes[0].firstRowRefused);
}

TEST_F(ImportWindowTest, ATypedOutOfRangeCoordinateShowsTheRangeMessage) {
  auto form = openFile(file("one.QPL", qplLines(1)), 1);
  form->show();
  CoordinateGrid* grid = form->grid;
  selectCell(grid, 0, 1);
  typeIntoGrid(grid, "20000000");
  pressKey(grid, Qt::Key_Down);

  const auto boxes = prompts.shownOf(Kind::kOk);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, QStringLiteral("提示"));
  EXPECT_EQ(
      boxes[0].text,
      QStringLiteral("输入的坐标数据超出最大范围:\r\n(-999999.999m~9999999.999m)\r\n请重新输入!"));
  EXPECT_EQ(boxes[0].icon, PromptIcon::kInformation);
  EXPECT_EQ(grid->currentIndex(), grid->cells()->index(0, 1));
}

TEST_F(ImportWindowTest, ReturnInTheGridNeverConfirmsOnlyTheConfirmButtonStores) {
  slot = newJob("JOB1");
  prompts.answerFile(pathToQString(file("three.QPL", qplLines(3))), 1);
  int format = 1;
  bool openAfterReturns = false;
  int storedAfterReturns = -1;
  ModalDriver driver([&](QDialog& dialog) {
    auto* form = qobject_cast<ImportWindow*>(&dialog);
    ASSERT_NE(form, nullptr);
    CoordinateGrid* grid = form->grid;
    selectCell(grid, 0, 2);
    typeIntoGrid(grid, "7.25");
    pressKey(grid, Qt::Key_Return);  // ends the edit
    QCoreApplication::processEvents();
    pressKey(grid, Qt::Key_Return);  // no editor open
    QTest::keyClick(grid, Qt::Key_Enter, Qt::KeypadModifier);
    QCoreApplication::processEvents();
    openAfterReturns = form->isVisible();
    storedAfterReturns = session.recordCount(slot);
    QTest::mouseClick(form->confirmButton, Qt::LeftButton);
  });
  EXPECT_EQ(importCoordinates(slot, format, host()), 1);
  EXPECT_TRUE(driver.acted());
  EXPECT_TRUE(openAfterReturns);
  EXPECT_EQ(storedAfterReturns, 0);
  EXPECT_EQ(names(), (QStringList{"P1", "P2", "P3"}));
  EXPECT_EQ(storedRecord(0), pointRecord("P1", "1.000", "7.250", "-1.000"));
}

TEST_F(ImportWindowTest, TheConfirmButtonLeavesTheCellBeingTypedByTheCellRules) {
  slot = newJob("JOB1");
  auto form = openFile(file("one.QPL", qplLines(1)), 1);
  form->show();
  CoordinateGrid* grid = form->grid;

  // Still typing, and typed then ended with Return: both are refused alike.
  for (const bool returnFirst : {false, true}) {
    SCOPED_TRACE(returnFirst ? "after Return" : "editor open");
    prompts.shown.clear();
    selectCell(grid, 0, 1);
    typeIntoGrid(grid, "123456789");
    if (returnFirst) {
      pressKey(grid, Qt::Key_Return);
      QCoreApplication::processEvents();
      ASSERT_EQ(grid->cellEditor(), nullptr);
    }
    QTest::mouseClick(form->confirmButton, Qt::LeftButton);
    const auto boxes = prompts.shownOf(Kind::kOk);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(session.recordCount(slot), 0) << "the button did nothing";
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(cellOf(grid, 0, 1), QStringLiteral("123456789"));
    if (auto* editor = qobject_cast<QLineEdit*>(grid->cellEditor())) editor->clear();
  }

  selectCell(grid, 0, 1);
  typeIntoGrid(grid, "0012.50");
  QTest::mouseClick(form->confirmButton, Qt::LeftButton);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->importResult, 1);
  EXPECT_EQ(cellOf(grid, 0, 1), QStringLiteral("12.5")) << "normalised as when it is left";
  EXPECT_EQ(storedRecord(0), pointRecord("P1", "12.500", "2.500", "-1.000"));
}

}  // namespace
}  // namespace vel::test
