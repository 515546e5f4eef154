#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "TestImage.h"
#include "exchange/CoordinateImport.h"
#include "exchange/ExchangeFormats.h"
#include "exchange/ExchangeFile.h"
#include "exchange/PointOutput.h"
#include "records/PointLine.h"
#include "records/SurveyRecord.h"
#include "store/RecordAreaStore.h"

namespace vel {
namespace {

using testing_support::TempFolder;

// A prefix and a number, e.g. P17.
std::string numbered(std::string_view prefix, int i) {
  std::string text(prefix);
  text += std::to_string(i);
  return text;
}

// A job on a freshly formatted image of each byte order.
class JobOnImage : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::makeFormattedImage(store_, folder_.file("CARD.VEL"), GetParam()));
    job_ = store_.createJob("JOB1");
    ASSERT_LT(job_, store_.jobLimit());
  }

  void append(const std::array<uint8_t, 42>& record) {
    ASSERT_EQ(store_.appendRecord(job_, kRecordSize, record.data()), kDone);
  }

  std::array<uint8_t, 42> point(const char* name, FixedValue n, FixedValue e, FixedValue z) {
    std::array<uint8_t, 42> r{};
    buildPointRecord(store_.byteOrder(), name, n, e, z, r);
    return r;
  }

  // CRD, STN and BS share one layout.
  std::array<uint8_t, 42> surveyed(uint8_t kind, const char* name, const char* code, FixedValue n,
                                   FixedValue e, FixedValue z) {
    std::array<uint8_t, 42> r{};
    r[0] = kind;
    std::copy(name, name + std::string_view(name).size(), r.begin() + 1);
    std::copy(code, code + std::string_view(code).size(), r.begin() + 10);
    store_.byteOrder().fixedToImage(n, r.data() + 23);
    store_.byteOrder().fixedToImage(e, r.data() + 29);
    store_.byteOrder().fixedToImage(z, r.data() + 35);
    return r;
  }

  TempFolder folder_;
  RecordAreaStore store_;
  uint8_t job_ = 0;
};

INSTANTIATE_TEST_SUITE_P(Models, JobOnImage, testing::Values(kRX3_8, kRX3_32),
                         [](const auto& info) {
                           return info.param == kRX3_8 ? "BigEndian" : "LittleEndian";
                         });

TEST_P(JobOnImage, OnlyPointCoordinateAndStationRecordsGivePoints) {
  append(point("P1", {100, 0}, {200, 0}, {5, 0}));
  std::array<uint8_t, 42> dist{};
  dist[0] = kDIST;
  dist[1] = 'D';
  append(dist);
  append(surveyed(kCRD, "C1", "K1", {1234, 567}, {-12, -345}, {0, -5}));
  append(surveyed(kBS, "B1", "K2", {1, 0}, {2, 0}, {3, 0}));
  append(surveyed(kSTN, "S1", "", {7, 0}, {8, 0}, {9, 0}));
  std::array<uint8_t, 42> unknown{};
  unknown[0] = 9;
  append(unknown);

  const std::vector<OutputRow> rows = outputGridCells(jobPointLines(store_, job_));
  EXPECT_EQ(rows, (std::vector<OutputRow>{
                      {"P1", "100.000", "200.000", "5.000", ""},
                      {"C1", "1234.567", "-12.345", "-0.005", "K1"},
                      {"S1", "7.000", "8.000", "9.000", ""},
                  }));
}

TEST_P(JobOnImage, AnEmptyJobOrNoJobGivesNoPoints) {
  EXPECT_TRUE(jobPointLines(store_, job_).empty());
  EXPECT_TRUE(jobPointLines(store_, 200).empty());
}

// What the output writes of a job, read back by the import into another job,
// stores the same points.
TEST_P(JobOnImage, ExportedJobImportsBackToTheSameRecords) {
  append(point("P1", {100, 0}, {200, 0}, {5, 0}));
  append(surveyed(kCRD, "C1", "K1", {1234, 567}, {-12, -345}, {0, -5}));
  append(point("ABCDEFGH", {-999999, -999}, {9999999, 999}, {0, 1}));
  const std::vector<std::string> lines =
      collectGridLines(outputGridCells(jobPointLines(store_, job_)));
  ASSERT_EQ(lines.size(), 3u);

  for (int format = kQplFormat; format <= kCsvFormat; ++format) {
    const std::string path = folder_.file("out" + std::to_string(format));
    ASSERT_TRUE(writeExchangeFile(path, format, lines));
    const uint8_t target = store_.createJob(numbered("F", format));
    ASSERT_LT(target, store_.jobLimit());

    const ImportedFile read = readImportFile(path, format);
    ASSERT_EQ(read.status, ImportStatus::kRead) << format;
    const uint8_t result =
        storeImportRows(importGridCells(read.pointLines), target, store_.byteOrder(),
                        [this](uint8_t slot, const uint8_t* record) {
                          return store_.appendRecord(slot, kRecordSize, record) == kDone;
                        });
    EXPECT_EQ(result, 1);

    ASSERT_EQ(store_.recordCount(target), 3) << format;
    std::array<uint8_t, 42> back{};
    ASSERT_EQ(store_.readRecord(target, 0, kRecordSize, back.data()), kDone);
    EXPECT_EQ(back, point("P1", {100, 0}, {200, 0}, {5, 0})) << format;
    ASSERT_EQ(store_.readRecord(target, 1, kRecordSize, back.data()), kDone);
    EXPECT_EQ(back, point("C1", {1234, 567}, {-12, -345}, {0, -5}))
        << format;  // the code stays behind
    ASSERT_EQ(store_.readRecord(target, 2, kRecordSize, back.data()), kDone);
    EXPECT_EQ(back, point("ABCDEFGH", {-999999, -999}, {9999999, 999}, {0, 1})) << format;
  }
}

// --- Collecting the grid ------------------------------------------------------------

TEST(CollectGridLines, LeavesOutIncompleteRowsAndClosesUp) {
  std::vector<OutputRow> rows(kOutputGridRows);
  rows[0] = {"P1", "1.000", "2.000", "3.000", "K1"};
  rows[1] = {"P2", "1.000", "", "3.000", ""};  // no E
  rows[2] = {"P3", "4.5", "5.5", "", ""};      // no Z: 0.000
  rows[3] = {" ", "1", "2", "3", ""};          // blank name
  rows[4] = {"P5", "1", "2", " ", ""};         // a Z of a blank stays as it is
  const std::vector<std::string> lines = collectGridLines(rows);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       buildPointLine("P1", "K1", "1.000", "2.000", "3.000"),
                       buildPointLine("P3", "", "4.5", "5.5", "0.000"),
                       buildPointLine("P5", "", "1", "2", " "),
                   }));
  // SV300 numbers the written lines, not the grid rows.
  const auto fileLines = splitTextLines(exchangeFileText(kSv300Format, lines));
  EXPECT_EQ(fileLines[1].substr(0, 5), "2,P3,");
}

TEST(CollectGridLines, CutsCoordinatesToElevenButNeitherNamesNorCodes) {
  const std::vector<std::string> lines =
      collectGridLines({{"P1", "1234.5678901234", "-1000000.000", "123456789012", "K1"},
                        {" ABCDEFGHIJ", " 1", "2", "3", "CODE12345 "}});
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(pointLineN(lines[0]), "1234.567890");
  EXPECT_EQ(pointLineE(lines[0]), "-1000000.00");
  EXPECT_EQ(pointLineZ(lines[0]), "12345678901");
  EXPECT_EQ(lines[1], buildPointLine(" ABCDEFGHIJ", "CODE12345 ", " 1", "2", "3"));
  EXPECT_EQ(formatCsvLine(lines[0]),
            "\"P1\",\"1234.567890\",\"-1000000.00\",\"12345678901\",\"K1\"");
}

TEST(CollectGridLines, RowsBeyondTheGridAreNotLookedAt) {
  std::vector<OutputRow> rows(kOutputGridRows + 1);
  rows.back() = {"P", "1", "2", "3", ""};
  EXPECT_TRUE(collectGridLines(rows).empty());
}

TEST(OutputGrid, CellsComeFromTheExtractors) {
  EXPECT_EQ(
      outputGridCells({buildPointLine("A1", "K1", "1.000", "2.000", "3.000"), ""}),
      (std::vector<OutputRow>{{"A1", "1.000", "2.000", "3.000", "K1"}, {"", "", "", "", ""}}));
}

}  // namespace
}  // namespace vel
