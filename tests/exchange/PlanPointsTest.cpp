// The points records carry, and how the plan draws them.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "exchange/PlanPoints.h"
#include "exchange/SurveyPoint.h"
#include "records/SurveyRecord.h"

namespace vel {
namespace {

using Record = std::array<uint8_t, kRecordSize>;

Record pointRecord(const ImageByteOrder& order, const char* name, FixedValue n, FixedValue e,
                   FixedValue z) {
  Record r{};
  buildPointRecord(order, name, n, e, z, r);
  return r;
}

// CRD, STN and BS share one layout.
Record surveyed(const ImageByteOrder& order, uint8_t kind, std::string_view name,
                std::string_view code, FixedValue n, FixedValue e, FixedValue z) {
  Record r{};
  r[0] = kind;
  std::copy(name.begin(), name.end(), r.begin() + record_layout::kName);
  std::copy(code.begin(), code.end(), r.begin() + record_layout::kCode);
  order.fixedToImage(n, r.data() + record_layout::kSurveyN);
  order.fixedToImage(e, r.data() + record_layout::kSurveyE);
  order.fixedToImage(z, r.data() + record_layout::kSurveyZ);
  return r;
}

class RecordPoints : public testing::TestWithParam<bool> {
 protected:
  std::vector<SurveyPoint> pointsOf(const std::vector<Record>& records, bool known = false) {
    std::vector<SurveyPoint> points;
    for (const Record& r : records) {
      if (auto point = surveyPointOf(order, r, known, known ? "" : "JOB1"))
        points.push_back(*point);
    }
    return points;
  }
  const ImageByteOrder order{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(ByteOrders, RecordPoints, testing::Values(false, true),
                         [](const auto& info) {
                           return info.param ? "LittleEndian" : "BigEndian";
                         });

void expectPoint(const SurveyPoint& p, const std::string& name, const std::string& code,
                 PointKind kind, const std::string& n, const std::string& e, const std::string& z) {
  EXPECT_EQ(p.name, name);
  EXPECT_EQ(p.code, code);
  EXPECT_EQ(p.kind, kind) << name;
  EXPECT_EQ(p.n, n) << name;
  EXPECT_EQ(p.e, e) << name;
  EXPECT_EQ(p.z, z) << name;
}

TEST_P(RecordPoints, EveryRecordWithCoordinatesGivesAPointOfItsKindWithItsExactValues) {
  Record angles{};
  angles[0] = kANG;
  angles[1] = 'A';
  Record unknown = surveyed(order, kCRD, "U1", "", {1, 0}, {1, 0}, {1, 0});
  unknown[0] = 9;
  Record pointWithCodeBytes = pointRecord(order, "P2", {1, 0}, {2, 0}, {3, 0});
  pointWithCodeBytes[record_layout::kCode] = 'X';  // a PT record has no code
  const std::vector<SurveyPoint> points = pointsOf(
      {surveyed(order, kSTN, "S1", "", {5000, 0}, {3000, 0}, {40, 120}),
       surveyed(order, kBS, "B1", "BK", {5100, 250}, {3000, 0}, {41, 0}), angles,
       surveyed(order, kCRD, "C1", "TREE", {1234, 567}, {-12, -345}, {0, -5}),
       pointRecord(order, "P1", {39512345, 678}, {200, 0}, {5, 0}), unknown, pointWithCodeBytes,
       // Nine bytes of name and of code without a NUL: both end after nine bytes.
       surveyed(order, kCRD, "ABCDEFGHI", "\xB5\xE7\xCF\xDF\xB8\xCB\x41\x42\x43", {7, 0}, {8, 0},
                {9, 0})});
  ASSERT_EQ(points.size(), 6u);
  expectPoint(points[0], "S1", "", PointKind::kSTN, "5000.000", "3000.000", "40.120");
  expectPoint(points[1], "B1", "BK", PointKind::kBS, "5100.250", "3000.000", "41.000");
  expectPoint(points[2], "C1", "TREE", PointKind::kCRD, "1234.567", "-12.345", "-0.005");
  expectPoint(points[3], "P1", "", PointKind::kPT, "39512345.678", "200.000", "5.000");
  expectPoint(points[4], "P2", "", PointKind::kPT, "1.000", "2.000", "3.000");
  expectPoint(points[5], "ABCDEFGHI", "\xB5\xE7\xCF\xDF\xB8\xCB\x41\x42\x43", PointKind::kCRD,
              "7.000", "8.000", "9.000");
  EXPECT_EQ(points[0].job, "JOB1");

  const std::vector<SurveyPoint> known =
      pointsOf({pointRecord(order, "K1", {2000, 100}, {1000, 0}, {10, 0}),
                surveyed(order, kCRD, "K2", "C", {1, 0}, {2, 0}, {3, 0})},
               true);
  ASSERT_EQ(known.size(), 2u);
  EXPECT_EQ(known[0].kind, PointKind::kKnown);
  EXPECT_EQ(known[1].kind, PointKind::kKnown);
  EXPECT_EQ(known[0].job, "");
}

TEST(PlanPoints, DrawEachKindAndTheValuesOfTheTexts) {
  const std::vector<PlanPoint> plan = planPoints({
      {"S1", "", PointKind::kSTN, "J", "5000.000", "3000.000", "40.120"},
      {"B1", "BK", PointKind::kBS, "J", "5100.250", "3000", "41"},
      {"C1", "TREE", PointKind::kCRD, "J", "1234.567", "-12.345", "-0.005"},
      {"P1", "", PointKind::kPT, "J", "100", "200", "5"},
      {"K1", "", PointKind::kKnown, "", "-5.500", "6", "0"},
  });
  ASSERT_EQ(plan.size(), 5u);
  const PlanPointKind kinds[] = {PlanPointKind::kStation, PlanPointKind::kBacksight,
                                 PlanPointKind::kMeasured, PlanPointKind::kMeasured,
                                 PlanPointKind::kKnown};
  for (size_t i = 0; i < plan.size(); ++i) EXPECT_EQ(plan[i].kind, kinds[i]) << i;
  EXPECT_DOUBLE_EQ(plan[2].n, 1234.567);
  EXPECT_DOUBLE_EQ(plan[2].e, -12.345);
  EXPECT_DOUBLE_EQ(plan[2].z, -0.005);
  EXPECT_EQ(plan[1].code, "BK");
  EXPECT_DOUBLE_EQ(plan[4].n, -5.5);
}

}  // namespace
}  // namespace vel
