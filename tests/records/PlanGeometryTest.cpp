#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "records/PlanGeometry.h"

namespace vel {
namespace {

struct BearingCase {
  double dn;
  double de;
  double degrees;
  const char* dms;
};

constexpr double kOddAngle = 25.0 + 14.0 / 60 + 36.0 / 3600;

class Bearing : public testing::TestWithParam<BearingCase> {};

// From a point far from the origin, as a survey's coordinates are.
TEST_P(Bearing, IsTheAzimuthFromNorthClockwise) {
  const GroundPoint from{3512345.678, 512345.678};
  const GroundPoint to{from.n + GetParam().dn, from.e + GetParam().de};
  EXPECT_NEAR(bearingDegrees(from, to), GetParam().degrees, 1e-7);
  EXPECT_EQ(bearingDmsText(bearingDegrees(from, to)), GetParam().dms);
}

// A test name for a bearing's text: "25°14′36″" is "To25d14m36s".
std::string caseName(const std::string& dms) {
  std::string name = "To";
  const char* units = "dms";
  bool inDigits = false;
  for (const char c : dms) {
    if (c >= '0' && c <= '9') {
      name += c;
      inDigits = true;
    } else if (inDigits && *units) {
      name += *units++;
      inDigits = false;
    }
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(
    AxesAndQuadrants, Bearing,
    testing::Values(BearingCase{10, 0, 0.0, "0°00′00″"}, BearingCase{0, 10, 90.0, "90°00′00″"},
                    BearingCase{-10, 0, 180.0, "180°00′00″"},
                    BearingCase{0, -10, 270.0, "270°00′00″"},
                    BearingCase{10, 10, 45.0, "45°00′00″"},
                    // 30° from south towards east, west of south, north of west.
                    BearingCase{-10 * std::sqrt(3.0), 10, 150.0, "150°00′00″"},
                    BearingCase{-10, -10 * std::sqrt(3.0), 240.0, "240°00′00″"},
                    BearingCase{10, -10 / std::sqrt(3.0), 330.0, "330°00′00″"},
                    BearingCase{100, 100 * std::tan(kOddAngle* std::numbers::pi / 180), kOddAngle,
                                "25°14′36″"}),
    [](const auto& info) { return caseName(info.param.dms); });

TEST(BearingTexts, RoundToWholeSecondsAndMillionthsWithoutReaching360) {
  EXPECT_EQ(bearingDmsText(123.0 + 4.0 / 60 + 5.0 / 3600), "123°04′05″");
  EXPECT_EQ(bearingDecimalText(123.0 + 4.0 / 60 + 5.0 / 3600), "123.068056°");
  EXPECT_EQ(bearingDmsText(12.0 + 59.0 / 60 + 59.6 / 3600), "13°00′00″");
  EXPECT_EQ(bearingDmsText(359.99999), "0°00′00″");
  EXPECT_EQ(bearingDecimalText(359.9999999), "0.000000°");
  EXPECT_EQ(bearingDecimalText(0.5), "0.500000°");
}

TEST(InverseCalculation, DistanceAndHeightDifferenceBetweenTwoPoints) {
  const GroundPoint a{1000.0, 2000.0};
  const GroundPoint b{1003.0, 1996.0};
  EXPECT_DOUBLE_EQ(horizontalDistance(a, b), 5.0);
  EXPECT_DOUBLE_EQ(horizontalDistance(b, a), 5.0);
  EXPECT_DOUBLE_EQ(heightDifference(12.5, 10.25), -2.25);
  // The same point: no distance, and north rather than a direction out of nowhere.
  EXPECT_EQ(horizontalDistance(a, a), 0.0);
  EXPECT_EQ(bearingDegrees(a, a), 0.0);
}

TEST(PlanTransform, PutsEastRightNorthUpAndComesBack) {
  const PlanTransform t({500.0, 300.0}, {100.0, 200.0}, 2.0);
  const ViewPoint v = t.toView(510.0, 320.0);  // 10 m north, 20 m east
  EXPECT_DOUBLE_EQ(v.x, 140.0);
  EXPECT_DOUBLE_EQ(v.y, 180.0);
  const GroundPoint g = t.toGround({37.0, 251.0});
  const ViewPoint back = t.toView(g);
  EXPECT_NEAR(back.x, 37.0, 1e-9);
  EXPECT_NEAR(back.y, 251.0, 1e-9);
}

TEST(PlanTransform, ZoomKeepsTheGroundUnderTheMouseAndPanMovesEverything) {
  PlanTransform t({3500000.0, 500000.0}, {400.0, 300.0}, 0.5);
  const ViewPoint mouse{123.0, 456.0};
  const GroundPoint under = t.toGround(mouse);
  t.zoomAbout(mouse, 8.0);
  EXPECT_DOUBLE_EQ(t.pixelsPerMetre(), 4.0);
  EXPECT_NEAR(t.toView(under).x, mouse.x, 1e-6);
  EXPECT_NEAR(t.toView(under).y, mouse.y, 1e-6);

  const ViewPoint before = t.toView(3500010.0, 500010.0);
  t.pan(15.0, -7.0);
  EXPECT_NEAR(t.toView(3500010.0, 500010.0).x, before.x + 15.0, 1e-6);
  EXPECT_NEAR(t.toView(3500010.0, 500010.0).y, before.y - 7.0, 1e-6);

  // However long the wheel turns, the scale stays a number.
  for (int i = 0; i < 200; ++i) t.zoomAbout(mouse, 10.0);
  EXPECT_EQ(t.pixelsPerMetre(), PlanTransform::kMaximumScale);
  for (int i = 0; i < 400; ++i) t.zoomAbout(mouse, 0.1);
  EXPECT_EQ(t.pixelsPerMetre(), PlanTransform::kMinimumScale);
}

TEST(FitPoints, ShowsTheSetCentredAtTheLargestScaleThatFits) {
  // 200 m east-west, 50 m north-south into 400 x 300 less 20 on each side.
  const std::vector<GroundPoint> points{{1000, 5000}, {1050, 5200}, {1020, 5100}};
  const auto t = fitPoints(points, {10, 20, 400, 300}, 20);
  ASSERT_TRUE(t);
  EXPECT_DOUBLE_EQ(t->pixelsPerMetre(), 360.0 / 200.0);
  const ViewPoint west = t->toView(1000, 5000);
  const ViewPoint east = t->toView(1050, 5200);
  EXPECT_NEAR(west.x, 10 + 20, 1e-9);
  EXPECT_NEAR(east.x, 10 + 400 - 20, 1e-9);
  // Centred the other way: the north-south extent sits in the middle.
  EXPECT_NEAR((west.y + east.y) / 2, 20 + 150, 1e-9);
  EXPECT_GT(west.y, east.y);  // north is up

  // The taller set is bound by the height.
  const auto tall = fitPoints({{0, 0}, {1000, 10}}, {0, 0, 400, 300}, 20);
  ASSERT_TRUE(tall);
  EXPECT_DOUBLE_EQ(tall->pixelsPerMetre(), 260.0 / 1000.0);
}

TEST(FitPoints, OnePointOrIdenticalPointsAreCentredAtALonePointScale) {
  const ViewRect area{0, 0, 600, 400};
  for (const std::vector<GroundPoint>& points :
       {std::vector<GroundPoint>{{2500.5, 730.25}},
        std::vector<GroundPoint>(5, GroundPoint{2500.5, 730.25})}) {
    const auto t = fitPoints(points, area, 50);
    ASSERT_TRUE(t);
    EXPECT_DOUBLE_EQ(t->pixelsPerMetre(), 300.0 / kLonePointSpan);
    EXPECT_DOUBLE_EQ(t->toView(2500.5, 730.25).x, 300.0);
    EXPECT_DOUBLE_EQ(t->toView(2500.5, 730.25).y, 200.0);
  }
  // Points on one north-south line are fitted along it, not at infinite scale.
  const auto line = fitPoints({{0, 7}, {100, 7}}, area, 50);
  ASSERT_TRUE(line);
  EXPECT_DOUBLE_EQ(line->pixelsPerMetre(), 3.0);
}

TEST(FitPoints, NoPointsGiveNoTransform) {
  EXPECT_FALSE(fitPoints({}, {0, 0, 600, 400}, 50));
}

TEST(ScaleBar, TakesTheLongestOneTwoFiveLengthThatFits) {
  EXPECT_DOUBLE_EQ(scaleBarMetres(1.0, 150.0), 100.0);
  EXPECT_DOUBLE_EQ(scaleBarMetres(1.0, 250.0), 200.0);
  EXPECT_DOUBLE_EQ(scaleBarMetres(1.0, 499.0), 200.0);
  EXPECT_DOUBLE_EQ(scaleBarMetres(1.0, 500.0), 500.0);
  EXPECT_DOUBLE_EQ(scaleBarMetres(1.0, 1000.0), 1000.0);
  EXPECT_NEAR(scaleBarMetres(1500.0, 150.0), 0.1, 1e-12);
  EXPECT_EQ(scaleBarText(500.0), "500 m");
  EXPECT_EQ(scaleBarText(0.05), "0.05 m");
  EXPECT_EQ(scaleBarText(2000.0), "2 km");
}

TEST(ThinLabels, KeepsEachLabelThatMissesTheOnesKeptBefore) {
  const std::vector<ViewRect> labels{
      {0, 0, 40, 12},    // kept
      {30, 5, 40, 12},   // overlaps the first
      {40, 0, 40, 12},   // only touches the first: kept
      {75, 10, 10, 10},  // overlaps the third
      {0, 0, 0, 12},     // empty: nothing to draw
      {200, 200, 5, 5},  // alone: kept
  };
  EXPECT_EQ(thinLabels(labels), (std::vector<bool>{true, false, true, false, false, true}));
}

TEST(ThinLabels, NoLabelMayCoverAFixedRectangle) {
  // Two markers on top of each other, drawn anyway.
  const std::vector<ViewRect> markers{{100, 100, 6, 6}, {103, 103, 6, 6}};
  const std::vector<ViewRect> labels{
      {107, 104, 30, 12},  // over the second marker only
      {110, 120, 30, 12},  // clear of both
  };
  EXPECT_EQ(thinLabels(labels, markers), (std::vector<bool>{false, true}));
}

TEST(ThinLabels, RectanglesFarApartOrHugeAreStillComparedExactly) {
  const std::vector<ViewRect> labels{
      {-1e308, 0, 1e308, 10},  // reaches from the far left to the origin
      {-5, 5, 10, 10},         // overlaps it
      {1e308, 0, 1e300, 10},   // far right, alone
      {1e308, 5, 1e300, 10},   // overlaps the one before
      {0, 1e6, 10, 10},        // alone
  };
  EXPECT_EQ(thinLabels(labels), (std::vector<bool>{true, false, true, false, true}));
}

TEST(PlaceLabels, EachLabelTakesItsFirstFreePlace) {
  const std::vector<ViewRect> marker{{0, 0, 4, 4}};
  const std::vector<ViewRect> places{
      // The first label: its right place is free.
      {10, 0, 20, 10},
      {-30, 0, 20, 10},
      // The second: right taken by the first, left free.
      {12, 2, 20, 10},
      {-20, 20, 20, 10},
      // The third: right over the marker, left over the second.
      {2, 2, 20, 10},
      {-25, 25, 20, 10},
  };
  EXPECT_EQ(placeLabels(places, 2, marker), (std::vector<int>{0, 1, -1}));
}

TEST(ThinLabels, ThousandsOfLabelsAgreeWithThePlainPairwiseCheck) {
  // 3072 labels of mixed widths on a crowded area, some far outside it.
  std::vector<ViewRect> labels;
  unsigned seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % 1000;
  };
  for (int i = 0; i < 3072; ++i) {
    labels.push_back(
        {next() * 0.8 - (i % 97 == 0 ? 1e7 : 0.0), next() * 0.6, 20.0 + next() % 50, 12.0});
  }
  const std::vector<bool> kept = thinLabels(labels);

  std::vector<int> plain;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    bool free = true;
    for (const int k : plain) free = free && !labels[i].overlaps(labels[k]);
    EXPECT_EQ(kept[i], free) << "label " << i;
    if (free) plain.push_back(static_cast<int>(i));
  }
  EXPECT_GT(plain.size(), 100u);
  EXPECT_LT(plain.size(), 3072u);
}

TEST(StackLeaders, PointsWithinTheRadiusOfALeaderJoinIt) {
  const std::vector<ViewPoint> pixels{
      {100, 100},        // 0 leads
      {100, 100},        // identical: joins 0
      {102.5, 97.5},     // within 3 on both axes: joins 0
      {104, 100},        // 4 from 0, though 1.5 from 2: leads a stack of its own
      {106, 101},        // within 3 of 3 and not of 0: joins 3
      {103, 103},        // within 3 of both 0 and 3: the earlier leader takes it
      {-2.9, -1},        // across a cell edge from the next one
      {0.05, 0.05},      // joins 6
      {std::nan(""), 0}, // no place: alone
      {1e300, 1e300},    // far beyond any view: alone
      {1e300, 1e300},
  };
  EXPECT_EQ(stackLeaders(pixels, 3.0),
            (std::vector<int>{0, 0, 0, 3, 3, 0, 6, 6, 8, 9, 10}));
  EXPECT_TRUE(stackLeaders({}, 3.0).empty());
}

TEST(StackLeaders, ARowOfPointsAPixelApartMakesStacksNoWiderThanTheRadius) {
  std::vector<ViewPoint> row;
  for (int i = 0; i < 3000; ++i) row.push_back({i * 1.0, 50.0});
  const std::vector<int> leaders = stackLeaders(row, 3.0);
  for (int i = 0; i < 3000; ++i) {
    EXPECT_EQ(leaders[i], i / 4 * 4) << "point " << i;
  }
}

TEST(FindPlanPoint, MatchesTheNameAsTypedAmongTheFirstPoints) {
  const std::vector<PlanPoint> points{
      {"P1", "", 0, 0, 0, PlanPointKind::kMeasured},
      {"ab-1  ", "", 0, 0, 0, PlanPointKind::kMeasured},
      // A GBK double byte whose second half reads as a small letter alone:
      // its case is not folded.
      {"\xBD\x61", "", 0, 0, 0, PlanPointKind::kMeasured},
      {"P1", "", 0, 0, 0, PlanPointKind::kStation},
      {"K9", "", 0, 0, 0, PlanPointKind::kKnown},
  };
  struct Case {
    const char* typed;
    int count;
    int found;
  };
  for (const Case& c : {Case{"P1", 5, 0}, Case{"p1", 5, 0}, Case{" AB-1", 5, 1},
                        Case{"AB-1X", 5, -1}, Case{"\xBD\x41", 5, -1}, Case{"\xBD\x61", 5, 2},
                        Case{"K9", 5, 4}, Case{"K9", 4, -1}, Case{"", 5, -1}, Case{"  ", 5, -1},
                        Case{"P1", 0, -1}, Case{"P1", 99, 0}}) {
    EXPECT_EQ(findPlanPoint(points, c.count, c.typed), c.found) << c.typed << " in " << c.count;
  }
}

}  // namespace
}  // namespace vel
