#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "exchange/ExchangeFile.h"
#include "exchange/ExchangeFormats.h"
#include "exchange/PointOutput.h"
#include "exchange/TextFormats.h"
#include "records/PointLine.h"

namespace vel {
namespace {

SurveyPoint point(const char* name, const char* code, PointKind kind, const char* n, const char* e,
                  const char* z) {
  return {name, code, kind, "JOB1", n, e, z};
}

TEST(OutputPoints, AreThePointsCoordinateAndStationRecordsOfTheJob) {
  const std::vector<SurveyPoint> points =
      outputPoints({point("P1", "", PointKind::kPT, "100.000", "200.000", "5.000"),
                    point("C1", "K1", PointKind::kCRD, "1234.567", "-12.345", "-0.005"),
                    point("B1", "K2", PointKind::kBS, "1.000", "2.000", "3.000"),
                    point("S1", "", PointKind::kSTN, "7.000", "8.000", "9.000")});
  EXPECT_EQ(outputGridCells(points), (std::vector<OutputRow>{
                                         {"P1", "100.000", "200.000", "5.000", ""},
                                         {"C1", "1234.567", "-12.345", "-0.005", "K1"},
                                         {"S1", "7.000", "8.000", "9.000", ""},
                                     }));
}

// --- Collecting the grid ------------------------------------------------------------

TEST(CollectGridPoints, LeavesOutIncompleteRowsClosesUpAndKeepsEachRowsKind) {
  std::vector<OutputRow> rows(kOutputGridRows);
  rows[0] = {"P1", "1.000", "2.000", "3.000", "K1"};
  rows[1] = {"P2", "1.000", "", "3.000", ""};  // no E
  rows[2] = {"P3", "4.5", "5.5", "", ""};      // no Z: 0.000
  rows[3] = {" ", "1", "2", "3", ""};          // blank name
  rows[4] = {"P5", "1", "2", " ", ""};         // a Z of a blank stays as it is
  const std::vector<SurveyPoint> shown = {
      point("P1", "K1", PointKind::kCRD, "1.000", "2.000", "3.000"),
      point("P2", "", PointKind::kPT, "1.000", "2.000", "3.000"),
      point("P3", "", PointKind::kSTN, "4.500", "5.500", "0.000")};
  const std::vector<SurveyPoint> points = collectGridPoints(rows, shown);
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].kind, PointKind::kCRD);
  EXPECT_EQ(points[1].kind, PointKind::kSTN);
  EXPECT_EQ(points[2].kind, PointKind::kPT) << "a row past the job's points";
  EXPECT_EQ(points[2].job, "JOB1");
  const std::vector<std::string> lines = pointLinesOf(points);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       buildPointLine("P1", "K1", "1.000", "2.000", "3.000"),
                       buildPointLine("P3", "", "4.5", "5.5", "0.000"),
                       buildPointLine("P5", "", "1", "2", " "),
                   }));
  // SV300 numbers the written lines, not the grid rows.
  const auto fileLines = splitTextLines(exchangeFileText(kSv300Format, lines));
  EXPECT_EQ(fileLines[1].substr(0, 5), "2,P3,");
}

TEST(CollectGridPoints, CutsCoordinatesToElevenButNeitherNamesNorCodes) {
  const std::vector<std::string> lines = pointLinesOf(
      collectGridPoints({{"P1", "1234.5678901234", "-1000000.000", "123456789012", "K1"},
                         {" ABCDEFGHIJ", " 1", "2", "3", "CODE12345 "}},
                        {}));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(pointLineN(lines[0]), "1234.567890");
  EXPECT_EQ(pointLineE(lines[0]), "-1000000.00");
  EXPECT_EQ(pointLineZ(lines[0]), "12345678901");
  EXPECT_EQ(lines[1], buildPointLine(" ABCDEFGHIJ", "CODE12345 ", " 1", "2", "3"));
  EXPECT_EQ(formatCsvLine(lines[0]),
            "\"P1\",\"1234.567890\",\"-1000000.00\",\"12345678901\",\"K1\"");
}

TEST(CollectGridPoints, RowsBeyondTheGridAreNotLookedAt) {
  std::vector<OutputRow> rows(kOutputGridRows + 1);
  rows.back() = {"P", "1", "2", "3", ""};
  EXPECT_TRUE(collectGridPoints(rows, {}).empty());
}

TEST(OutputGrid, CellsAreWhatThePointLinesColumnsGiveBack) {
  // A twelve-character easting fills its column and shifts what follows,
  // as the text formats have always written it.
  EXPECT_EQ(outputGridCells({point("A1", "K1", PointKind::kCRD, "1.000", "2.000", "3.000"),
                             point("", "", PointKind::kPT, "", "", ""),
                             point("G", "", PointKind::kPT, "1.000", "39512345.678", "3.000")}),
            (std::vector<OutputRow>{{"A1", "1.000", "2.000", "3.000", "K1"},
                                    {"", "", "", "", ""},
                                    {"G", "1.000", "39512345.67", "3.000", ""}}));
}

}  // namespace
}  // namespace vel
