// The grid of the import and output windows: what typing puts into a cell,
// and the check of a cell when the selection leaves it.
#include <QHeaderView>

#include "tests/support/WindowFixture.h"

namespace vel::test {
namespace {

using Column = CoordinateGrid::Column;

class CoordinateGridTest : public ::testing::Test {
 protected:
  CoordinateGridTest() {
    grid.setRangeNotice([this] { ++notices; });
    grid.resize(600, 400);
    grid.show();
  }
  // Types into a cell and leaves it downwards.
  void typeAndLeave(int row, int column, const QString& text) {
    selectCell(&grid, row, column);
    typeIntoGrid(&grid, text);
    pressKey(&grid, Qt::Key_Down);
  }
  QModelIndex current() const { return grid.currentIndex(); }
  QModelIndex at(int row, int column) const { return grid.cells()->index(row, column); }

  ScopedScreenScale designScale{1.0};
  CoordinateGrid grid{{Column::kText, Column::kCoordinate, Column::kCoordinate, Column::kText},
                      {"name", "N", "E", "code"},
                      20,
                      Scaler(1.0)};
  int notices = 0;
};

TEST_F(CoordinateGridTest, TypedCharactersPassTheColumnsFilter) {
  const struct {
    int column;
    const char* typed;
    const char* cell;
  } cases[] = {
      {0, "p1", "P1"},       {0, "a b,c;d", "ABCD"}, {0, ".-#$%!&@+*/", ".-#$%!&@+*/"},
      {3, "k1=x", "K1X"},    {1, "12.5", "12.5"},    {1, "1a2 ,3e-4", "123-4"},
      {2, "-0.25", "-0.25"},
  };
  int row = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    selectCell(&grid, row, c.column);
    typeIntoGrid(&grid, c.typed);
    grid.commitOpenEditor();
    EXPECT_EQ(cellOf(&grid, row, c.column), QString::fromLatin1(c.cell));
    ++row;
  }
}

TEST_F(CoordinateGridTest, ADiscardedFirstKeyDoesNotTouchTheCell) {
  grid.cells()->setCell(0, 1, "5");
  selectCell(&grid, 0, 1);
  QTest::keyClick(&grid, 'x');
  EXPECT_EQ(grid.cellEditor(), nullptr) << "no editor opens for it";
  EXPECT_EQ(cellOf(&grid, 0, 1), QStringLiteral("5"));
  EXPECT_TRUE(grid.edited()) << "yet it was a key";
}

TEST_F(CoordinateGridTest, ALeftCoordinateIsWrittenBackInGeneralNotation) {
  const struct {
    const char* typed;
    const char* cell;
  } cases[] = {
      {"12.50", "12.5"}, {"10000000", "10000000"}, {"0.000001", "0"},  // never an exponent
  };
  int row = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    typeAndLeave(row, 1, c.typed);
    EXPECT_EQ(cellOf(&grid, row, 1), QString::fromLatin1(c.cell));
    EXPECT_EQ(current(), at(row + 1, 1));
    ++row;
  }
  EXPECT_EQ(notices, 0);
}

TEST_F(CoordinateGridTest, AnOutOfRangeCoordinateRefusesTheMove) {
  for (const char* typed : {"20000000", "-1000000.5"}) {
    SCOPED_TRACE(typed);
    notices = 0;
    typeAndLeave(0, 2, typed);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(current(), at(0, 2)) << "the selection stays";
    EXPECT_EQ(grid.selectionModel()->selectedIndexes(), QModelIndexList{at(0, 2)});
    EXPECT_EQ(cellOf(&grid, 0, 2), QString::fromLatin1(typed)) << "the text is kept";

    // The editor still holds the refused text; the user types it anew.
    if (auto* editor = qobject_cast<QLineEdit*>(grid.cellEditor())) editor->clear();
    typeIntoGrid(&grid, "10000000");
    pressKey(&grid, Qt::Key_Down);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(current(), at(1, 2));
    EXPECT_EQ(cellOf(&grid, 0, 2), QStringLiteral("10000000"));
  }
}

TEST_F(CoordinateGridTest, AMouseClickIsRefusedLikeAKey) {
  selectCell(&grid, 0, 1);
  typeIntoGrid(&grid, "20000000");
  const QRect target = grid.visualRect(at(3, 2));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, target.center());
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(current(), at(0, 1));
  EXPECT_FALSE(grid.selectionModel()->isSelected(at(3, 2)));
  EXPECT_EQ(cellOf(&grid, 0, 1), QStringLiteral("20000000"));

  // A double click elsewhere does not open an editor there either.
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, target.center());
  EXPECT_EQ(current(), at(0, 1));
  EXPECT_TRUE(grid.cellEditor() == nullptr || grid.editorColumn() == 1);
}

TEST_F(CoordinateGridTest, ALeftNameIsCutToEightCharacters) {
  typeAndLeave(0, 0, "abcdefghij");
  EXPECT_EQ(cellOf(&grid, 0, 0), QStringLiteral("ABCDEFGH"));
  typeAndLeave(1, 3, "  ");  // blanks are not typed at all
  EXPECT_EQ(cellOf(&grid, 1, 3), QString());
}

TEST_F(CoordinateGridTest, OnlyACellLeftAfterAKeyIsChecked) {
  grid.cells()->setCell(0, 1, "20000000");
  grid.cells()->setCell(1, 1, "12.50");
  selectCell(&grid, 0, 1);
  selectCell(&grid, 1, 1);  // no key pressed: no check
  EXPECT_EQ(current(), at(1, 1));
  EXPECT_EQ(notices, 0);

  pressKey(&grid, Qt::Key_Right);  // a navigation key counts as a key
  EXPECT_EQ(cellOf(&grid, 1, 1), QStringLiteral("12.5"));
  EXPECT_EQ(current(), at(1, 2));
  EXPECT_FALSE(grid.edited());

  selectCell(&grid, 0, 1);
  pressKey(&grid, Qt::Key_Up);  // at the top: nowhere to go
  pressKey(&grid, Qt::Key_Down);
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(current(), at(0, 1));
}

}  // namespace
}  // namespace vel::test
