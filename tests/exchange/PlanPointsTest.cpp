#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "TestImage.h"
#include "exchange/PlanPoints.h"
#include "records/SurveyRecord.h"
#include "store/RecordAreaStore.h"

namespace vel {
namespace {

using testing_support::TempFolder;
using Record = std::array<uint8_t, kRecordSize>;

class PlanPointsOnImage : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::makeFormattedImage(store_, folder_.file("CARD.VEL"), GetParam()));
    job_ = store_.createJob("JOB1");
    ASSERT_LT(job_, store_.jobLimit());
  }

  void append(uint8_t slot, const Record& record) {
    ASSERT_EQ(store_.appendRecord(slot, kRecordSize, record.data()), kDone);
  }

  Record point(const char* name, FixedValue n, FixedValue e, FixedValue z) const {
    Record r{};
    buildPointRecord(store_.byteOrder(), name, n, e, z, r);
    return r;
  }

  // CRD, STN and BS share one layout.
  Record surveyed(uint8_t kind, std::string_view name, std::string_view code, FixedValue n,
                  FixedValue e, FixedValue z) const {
    Record r{};
    r[0] = kind;
    std::copy(name.begin(), name.end(), r.begin() + record_layout::kName);
    std::copy(code.begin(), code.end(), r.begin() + record_layout::kCode);
    store_.byteOrder().fixedToImage(n, r.data() + record_layout::kSurveyN);
    store_.byteOrder().fixedToImage(e, r.data() + record_layout::kSurveyE);
    store_.byteOrder().fixedToImage(z, r.data() + record_layout::kSurveyZ);
    return r;
  }

  TempFolder folder_;
  RecordAreaStore store_;
  uint8_t job_ = 0;
};

INSTANTIATE_TEST_SUITE_P(Models, PlanPointsOnImage, testing::Values(kRX3_8, kRX3_32),
                         [](const auto& info) {
                           return info.param == kRX3_8 ? "BigEndian" : "LittleEndian";
                         });

void expectPoint(const PlanPoint& p, const std::string& name, const std::string& code, double n,
                 double e, double z, PlanPointKind kind) {
  EXPECT_EQ(p.name, name);
  EXPECT_EQ(p.code, code);
  EXPECT_DOUBLE_EQ(p.n, n);
  EXPECT_DOUBLE_EQ(p.e, e);
  EXPECT_DOUBLE_EQ(p.z, z);
  EXPECT_EQ(p.kind, kind) << name;
}

TEST_P(PlanPointsOnImage, EveryRecordWithCoordinatesGivesAPointOfItsKind) {
  append(job_, surveyed(kSTN, "S1", "", {5000, 0}, {3000, 0}, {40, 120}));
  append(job_, surveyed(kBS, "B1", "BK", {5100, 250}, {3000, 0}, {41, 0}));
  Record angles{};
  angles[0] = kANG;
  angles[1] = 'A';
  append(job_, angles);
  append(job_, surveyed(kCRD, "C1", "TREE", {1234, 567}, {-12, -345}, {0, -5}));
  append(job_, point("P1", {100, 0}, {200, 0}, {5, 0}));
  Record unknown = surveyed(kCRD, "U1", "", {1, 0}, {1, 0}, {1, 0});
  unknown[0] = 9;
  append(job_, unknown);
  // Nine bytes of name and of code without a NUL: both end after nine bytes.
  append(job_, surveyed(kCRD, "ABCDEFGHI", "\xB5\xE7\xCF\xDF\xB8\xCB\x41\x42\x43", {7, 0}, {8, 0},
                        {9, 0}));

  const std::vector<PlanPoint> points = planPoints(store_, job_);
  ASSERT_EQ(points.size(), 5u);
  expectPoint(points[0], "S1", "", 5000.0, 3000.0, 40.12, PlanPointKind::kStation);
  expectPoint(points[1], "B1", "BK", 5100.25, 3000.0, 41.0, PlanPointKind::kBacksight);
  expectPoint(points[2], "C1", "TREE", 1234.567, -12.345, -0.005, PlanPointKind::kMeasured);
  expectPoint(points[3], "P1", "", 100.0, 200.0, 5.0, PlanPointKind::kMeasured);
  expectPoint(points[4], "ABCDEFGHI", "\xB5\xE7\xCF\xDF\xB8\xCB\x41\x42\x43", 7.0, 8.0, 9.0,
              PlanPointKind::kMeasured);
}

TEST_P(PlanPointsOnImage, APointRecordHasNoCodeWhateverItsCodeBytesHold) {
  Record r = point("P2", {1, 0}, {2, 0}, {3, 0});
  r[record_layout::kCode] = 'X';
  append(job_, r);
  const std::vector<PlanPoint> points = planPoints(store_, job_);
  ASSERT_EQ(points.size(), 1u);
  EXPECT_EQ(points[0].code, "");
}

TEST_P(PlanPointsOnImage, TheKnownPointFileGivesKnownPoints) {
  const uint8_t known = store_.knownPointFile();
  append(known, point("K1", {2000, 100}, {1000, -0}, {10, 0}));
  append(known, point("K2", {-5, -500}, {6, 0}, {0, 0}));
  append(job_, point("P1", {1, 0}, {1, 0}, {1, 0}));

  const std::vector<PlanPoint> points = planPoints(store_, known);
  ASSERT_EQ(points.size(), 2u);
  expectPoint(points[0], "K1", "", 2000.1, 1000.0, 10.0, PlanPointKind::kKnown);
  expectPoint(points[1], "K2", "", -5.5, 6.0, 0.0, PlanPointKind::kKnown);
}

TEST_P(PlanPointsOnImage, AnEmptyJobGivesNoPoints) {
  EXPECT_TRUE(planPoints(store_, job_).empty());
}

}  // namespace
}  // namespace vel
