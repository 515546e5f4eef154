#include <gtest/gtest.h>

#include <string>

#include "records/PointLine.h"

namespace vel {
namespace {

TEST(PointLine, FieldsArePaddedToTheirColumnsAndReadBack) {
  const std::string line = buildPointLine("A1", "", "100.000", "200.000", "5.000");
  EXPECT_EQ(line,
            "A1       "
            "         "
            "100.000     "
            "200.000     "
            "5.000       ");
  EXPECT_EQ(line.size(), 54u);
  EXPECT_EQ(pointLineName(line), "A1");
  EXPECT_EQ(pointLineCode(line), "");
  EXPECT_EQ(pointLineN(line), "100.000");
  EXPECT_EQ(pointLineE(line), "200.000");
  EXPECT_EQ(pointLineZ(line), "5.000");
}

TEST(PointLine, FullColumnsReadBackOneShorter) {
  const std::string line = buildPointLine("ABCDEFGHI", "K1", "-1000000.000", "1", "2");
  EXPECT_EQ(line.size(), 54u);
  EXPECT_EQ(pointLineName(line), "ABCDEFGH");
  EXPECT_EQ(pointLineCode(line), "K1");
  EXPECT_EQ(pointLineN(line), "-1000000.00");
  EXPECT_EQ(pointLineE(line), "1");
}

TEST(PointLine, AnOverlongFieldShiftsTheRestAndIsNeverCut) {
  const std::string line = buildPointLine("ABCDEFGHIJ", "", "12345678.901", "2", "3");
  EXPECT_EQ(line.size(), 55u);
  EXPECT_EQ(line.substr(0, 10), "ABCDEFGHIJ");
  // Columns 19 to 29 now hold the code's last space and ten characters of N.
  EXPECT_EQ(pointLineN(line), "12345678.9");
  EXPECT_EQ(line.substr(18, 12), " 12345678.90");
}

TEST(PointLine, ArgumentsGoInUnchanged) {
  const std::string line = buildPointLine(" A", "\xb5\xe3", " 1 ", "2", "3");
  EXPECT_EQ(line.substr(0, 9), " A       ");
  EXPECT_EQ(pointLineName(line), "A");
  EXPECT_EQ(pointLineCode(line), "\xb5\xe3");  // two bytes of code page 936, one character
  EXPECT_EQ(line.substr(18, 12), " 1          ");
}

TEST(PointLine, ShortAndEmptyLinesGiveEmptyFields) {
  EXPECT_EQ(pointLineName(" P1  "), "P1");
  for (auto field : {pointLineCode, pointLineN, pointLineE, pointLineZ}) {
    EXPECT_EQ(field(" P1  "), "");
    EXPECT_EQ(field(""), "");
  }
  EXPECT_EQ(pointLineName(""), "");
  // A line ending inside a field gives what is there.
  EXPECT_EQ(pointLineN(std::string(18, ' ') + "12.5"), "12.5");
}

TEST(PointLine, TrimmingTakesControlCharactersButNotHighBytes) {
  EXPECT_EQ(trimText("\t\x01 A B\r\n"), "A B");
  EXPECT_EQ(trimText("\xa1\xa1"), "\xa1\xa1");
  EXPECT_EQ(trimText(std::string("\0A\0", 3)), "A");
}

}  // namespace
}  // namespace vel
