// The point output window: the job's points in the grid and the files the
// save buttons write.
#include <QCoreApplication>
#include <QHeaderView>
#include <algorithm>

#include "exchange/FormatRegistry.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/WindowFixture.h"
#include "ui/DialogFolders.h"
#include "ui/UiLook.h"
#include "ui/PlanWindow.h"
#include "ui/PointOutputWindow.h"

namespace vel::test {
namespace {

namespace fs = std::filesystem;

std::string fileText(const fs::path& path) {
  const std::vector<uint8_t> bytes = readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class PointOutputWindowTest : public WindowTest {
 protected:
  // A job of a PT, a DIST, a CRD with code K1 and a BS record.
  void fillMixedJob() {
    slot = newJob("MIX");
    append(slot, pointRecord("P1", "100.000", "200.000", "5.000"));
    Record dist{};
    dist[0] = kDIST;
    dist[1] = 'D';
    append(slot, dist);
    append(slot, surveyRecord(kCRD, "C1", "K1", {10, 500}, {20, 0}, {3, 0}));
    append(slot, surveyRecord(kBS, "B1", "", {1, 0}, {2, 0}, {3, 0}));
  }
  void open() {
    form = std::make_unique<PointOutputWindow>(session, prompts);
    form->job = slot;
    form->show();
  }
  CoordinateGrid* grid() const { return form->grid; }

  JobSlot slot;
  std::unique_ptr<PointOutputWindow> form;
};

TEST_F(PointOutputWindowTest, ShowsThePointsOfPtCrdAndStnRecordsUnderTheHeader) {
  fillMixedJob();
  open();

  QStringList headers;
  for (int c = 0; c < grid()->cells()->columnCount(); ++c) {
    headers << grid()->cells()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
  }
  EXPECT_EQ(headers, (QStringList{"   点    号", "      N", "      E", "      Z", "  特  征  码"}));
  EXPECT_EQ(grid()->cells()->rowCount(), 3072);
  EXPECT_EQ(form->windowTitle(), QStringLiteral("输出点坐标"));
  EXPECT_EQ(form->saveButton->text(), QStringLiteral("保  存"));
  EXPECT_EQ(form->saveAsButton->text(), QStringLiteral("另 存 为"));

  EXPECT_EQ(grid()->currentIndex(), grid()->cells()->index(0, 0)) << "grid row 1 is current";

  const QStringList row1{"P1", "100.000", "200.000", "5.000", ""};
  const QStringList row2{"C1", "10.500", "20.000", "3.000", "K1"};
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(cellOf(grid(), 0, c), row1[c]) << "column " << c;
    EXPECT_EQ(cellOf(grid(), 1, c), row2[c]) << "column " << c;
    EXPECT_TRUE(cellOf(grid(), 2, c).isEmpty());
  }
}

TEST_F(PointOutputWindowTest, TheFirstSaveAsksTheSecondWritesTheSameFileInTheSameFormat) {
  programSettings().remove("folders");
  const QString documentsOrHome = startFolder(FileKind::kExport, true);
  fillMixedJob();
  open();
  const fs::path target = file("points.dat");
  prompts.answerFile(pathToQString(target), 4);  // SV300
  form->saveButton->click();

  const auto dialogs = prompts.shownOf(Kind::kSaveFile);
  ASSERT_EQ(dialogs.size(), 1u);
  const FileDialogSettings& shown = dialogs[0].dialog;
  EXPECT_EQ(
      shown.filter,
      QStringLiteral("全站坐标记录文件(*.QPL)|*.QPL|拓普康 GTS700/600/800 Points(*.pts)|*.pts|"
                     "SCS2002 坐标文件(*.dat)|*.dat|SV300坐标文件(*.dat)|*.dat|"
                     "CASS5.X文件(*.DAT)|*.DAT|文本文件(逗号分隔)(*.CSV)|*.CSV|"
                     "AutoCAD DXF 文件(*.DXF)|*.DXF"));
  EXPECT_EQ(shown.filterIndex, 1);
  EXPECT_EQ(shown.defaultExt, QStringLiteral("*.QPL"));
  EXPECT_EQ(shown.initialDir, documentsOrHome);
  EXPECT_TRUE(shown.overwritePrompt);
  EXPECT_TRUE(form->saved());
  EXPECT_EQ(fileText(target), "1,P1,,100.000,200.000,5.000\r\n2,C1,K1,10.500,20.000,3.000\r\n");

  selectCell(grid(), 0, 0);
  typeIntoGrid(grid(), "q9");
  pressKey(grid(), Qt::Key_Down);
  form->saveButton->click();
  EXPECT_EQ(prompts.shownOf(Kind::kSaveFile).size(), 1u) << "no second question";
  EXPECT_EQ(fileText(target), "1,Q9,,100.000,200.000,5.000\r\n2,C1,K1,10.500,20.000,3.000\r\n");

  form->saveAsButton->click();  // unanswered: cancelled
  EXPECT_EQ(prompts.shownOf(Kind::kSaveFile).size(), 2u) << "另 存 为 always asks";
}

TEST_F(PointOutputWindowTest, ACancelledSaveAsKeepsTheEarlierFileAndFormat) {
  fillMixedJob();
  open();
  const fs::path first = file("first.csv");
  prompts.answerFile(pathToQString(first), 6);
  form->saveAsButton->click();
  ASSERT_TRUE(fs::exists(first));
  fs::remove(first);

  prompts.cancelFile();
  form->saveAsButton->click();
  form->saveButton->click();
  EXPECT_EQ(prompts.shownOf(Kind::kSaveFile).size(), 2u);
  EXPECT_EQ(fileText(first),
            "\"P1\",\"100.000\",\"200.000\",\"5.000\"\r\n"
            "\"C1\",\"10.500\",\"20.000\",\"3.000\",\"K1\"\r\n");
}

TEST_F(PointOutputWindowTest, ACancelledFirstSaveWritesNothingAndStillAsksNextTime) {
  fillMixedJob();
  open();
  prompts.cancelFile();
  form->saveButton->click();
  EXPECT_FALSE(form->saved());
  form->saveButton->click();
  EXPECT_EQ(prompts.shownOf(Kind::kSaveFile).size(), 2u);
  EXPECT_TRUE(fs::is_empty(scratch.folder("files")));
}

TEST_F(PointOutputWindowTest, RowsWithoutNameNOrEAreLeftOutAndTheRestCloseUp) {
  slot = newJob("ROWS");
  open();
  GridCells* cells = grid()->cells();
  const QStringList rows[] = {
      {"A1", "1", "2", "3", ""}, {"", "1", "2", "3", ""},   {"A3", "1", "", "3", ""},
      {"A4", "4", "5", "", "K"}, {"A5", " ", "5", "6", ""}, {"A6", "1234.5678901234", "6", "7", ""},
  };
  for (int r = 0; r < 6; ++r) {
    for (int c = 0; c < 5; ++c) cells->setCell(r + 10, c, rows[r][c]);  // anywhere in the grid
  }
  const fs::path target = file("rows.dat");
  prompts.answerFile(pathToQString(target), 4);
  form->saveButton->click();
  EXPECT_EQ(fileText(target),
            "1,A1,,1,2,3\r\n"
            "2,A4,K,4,5,0.000\r\n"
            "3,A6,,1234.567890,6,7\r\n");
}

TEST_F(PointOutputWindowTest, AFileThatCannotBeWrittenIsReportedAndIsNoSave) {
  fillMixedJob();
  open();
  const fs::path missing = scratch.path() / "no-such-folder" / "points.QPL";
  prompts.answerFile(pathToQString(missing), 1);
  form->saveButton->click();

  const auto boxes = prompts.shownOf(Kind::kOk);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, QStringLiteral("警告"));
  EXPECT_EQ(boxes[0].text, QStringLiteral("文件写入失败！"));
  EXPECT_EQ(boxes[0].icon, PromptIcon::kExclamation);
  EXPECT_FALSE(form->saved());

  const fs::path good = file("points.QPL");
  prompts.answerFile(pathToQString(good), 1);
  form->saveButton->click();
  EXPECT_EQ(prompts.shownOf(Kind::kSaveFile).size(), 2u) << "still asks after a failure";
  EXPECT_TRUE(form->saved());
  EXPECT_EQ(fileText(good).size(), 2u * 56);  // two 54-byte point lines with CR LF
}

TEST_F(PointOutputWindowTest, TheCardsOwnImageIsNeverAnOutputByAnyName) {
  fillMixedJob();
  open();
  form->imagePath = pathToQString(image);
  const auto before = fileText(image);
  const fs::path link = file("link.QPL");
  fs::create_symlink(image, link);
  const fs::path hard = file("hard.QPL");
  fs::create_hard_link(image, hard);
  for (const fs::path& name : {image, link, hard}) {
    prompts.answerFile(pathToQString(name), 1);
    QTest::mouseClick(form->saveAsButton, Qt::LeftButton);
  }
  EXPECT_EQ(prompts.shownOf(Kind::kOk).size(), 3u) << "each refused with the write-failure box";
  EXPECT_FALSE(form->saved());
  EXPECT_EQ(fileText(image), before);
}

TEST_F(PointOutputWindowTest, NamesAndCodesTakeAtMostEightCharacters) {
  fillMixedJob();
  open();
  for (const int column : {0, 4}) {
    selectCell(grid(), 0, column);
    typeIntoGrid(grid(), "abcdefghij");
    EXPECT_EQ(qobject_cast<QLineEdit*>(grid()->cellEditor())->text(), QStringLiteral("ABCDEFGH"));
    pressKey(grid(), Qt::Key_Down);
    EXPECT_EQ(cellOf(grid(), 0, column), QStringLiteral("ABCDEFGH"));
  }
  // Saved while the editor is still open: the cell cannot carry more either.
  selectCell(grid(), 1, 0);
  typeIntoGrid(grid(), "xyzxyzxyzxyz");
  const fs::path target = file("names.pts");
  prompts.answerFile(pathToQString(target), 2);
  form->saveButton->click();
  EXPECT_EQ(fileText(target),
            "ABCDEFGH,200.000,100.000,5.000,ABCDEFGH\r\nXYZXYZXY,20.000,10.500,3.000,K1\r\n");
}

TEST_F(PointOutputWindowTest, ReturnInTheGridAfterASaveLeavesTheFileUntouched) {
  fillMixedJob();
  open();
  const fs::path target = file("points.dat");
  prompts.answerFile(pathToQString(target), 4);
  QTest::mouseClick(form->saveButton, Qt::LeftButton);
  const std::string saved = fileText(target);
  ASSERT_FALSE(saved.empty());

  selectCell(grid(), 0, 0);
  typeIntoGrid(grid(), "q9");
  pressKey(grid(), Qt::Key_Return);
  QCoreApplication::processEvents();
  pressKey(grid(), Qt::Key_Return);
  QTest::keyClick(grid(), Qt::Key_Enter, Qt::KeypadModifier);
  QCoreApplication::processEvents();
  EXPECT_EQ(fileText(target), saved);
  EXPECT_EQ(prompts.shownOf(Kind::kSaveFile).size(), 1u);
  EXPECT_TRUE(form->isVisible());

  QTest::mouseClick(form->saveButton, Qt::LeftButton);
  EXPECT_EQ(fileText(target), "1,Q9,,100.000,200.000,5.000\r\n2,C1,K1,10.500,20.000,3.000\r\n");
}

TEST_F(PointOutputWindowTest, ASaveButtonDoesNothingWhileTheCellBeingTypedIsRefused) {
  fillMixedJob();
  open();
  selectCell(grid(), 1, 3);
  typeIntoGrid(grid(), "20000000");
  QTest::mouseClick(form->saveAsButton, Qt::LeftButton);
  EXPECT_EQ(prompts.shownOf(Kind::kOk).size(), 1u) << "the range message";
  EXPECT_TRUE(prompts.shownOf(Kind::kSaveFile).empty()) << "and no dialog";
  EXPECT_NE(grid()->cellEditor(), nullptr) << "the user goes on typing";
}

TEST_F(PointOutputWindowTest, ANameTypedWithoutExtensionGetsTheChosenFiltersOne) {
  fillMixedJob();
  QtPrompts real;
  PointOutputWindow window(session, real);
  window.job = slot;
  const fs::path folder = scratch.folder("out");
  window.saveDialog.initialDir = pathToQString(folder);
  window.show();

  const std::vector<std::string> expected = {"a.QPL", "b.pts", "c.dat", "d.dat",
                                             "e.DAT", "f.CSV", "g.DXF"};
  for (int format = 1; format <= 7; ++format) {
    const QString typed(QChar('a' + format - 1));
    SCOPED_TRACE(typed.toStdString());
    ModalDriver driver([&](QDialog& dialog) { answerFileDialog(dialog, format, typed); });
    QTest::mouseClick(window.saveAsButton, Qt::LeftButton);
    EXPECT_TRUE(driver.acted());
    const fs::path written = folder / expected[format - 1];
    ASSERT_TRUE(fs::exists(written));
    EXPECT_EQ(fileText(written), FormatRegistry::instance().byId(format)->text(window.points()));
  }
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected);
}

TEST_F(PointOutputWindowTest, TheGraphicButtonDrawsThePointsTheJobHolds) {
  fillMixedJob();
  open();
  EXPECT_EQ(form->planButton->text(), QStringLiteral("图形"));
  int points = -1;
  whenModalOpens<PlanWindow>([&](PlanWindow* plan) { points = plan->view->pointCount(); });
  QTest::mouseClick(form->planButton, Qt::LeftButton);
  EXPECT_EQ(points, 3) << "PT, CRD and BS carry coordinates, DIST none";
}

// A file written onto the card does not make the card the next dialog's
// start: the export goes back to Documents (or home); a folder off the card
// is where the next one starts.
TEST_F(PointOutputWindowTest, TheSaveDialogNeverStartsOnTheCard) {
  programSettings().remove("folders");
  fillMixedJob();
  open();
  form->imagePath = pathToQString(image);
  const auto saveTo = [this](const fs::path& target) {
    prompts.answerFile(pathToQString(target), 1);
    form->saveAsButton->click();
    return prompts.shownOf(Kind::kSaveFile).back().dialog.initialDir;
  };
  const QString away = startFolder(FileKind::kExport, true);
  EXPECT_EQ(saveTo(image.parent_path() / "ON.QPL"), away);
  EXPECT_EQ(saveTo(scratch.folder("off") / "OFF.QPL"), away) << "the card was not kept";
  EXPECT_EQ(qStringToPath(saveTo(scratch.folder("off") / "AGAIN.QPL")), scratch.folder("off"));
}

}  // namespace
}  // namespace vel
