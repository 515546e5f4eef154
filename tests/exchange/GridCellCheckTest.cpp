#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "exchange/GridCellCheck.h"
#include "tests/support/CaseNames.h"

namespace vel {
namespace {

struct CellCase {
  std::string typed;
  std::optional<std::string> after;  // nothing: the move is refused
};

class CoordinateCell : public testing::TestWithParam<CellCase> {};

TEST_P(CoordinateCell, WrittenBackInGeneralNotationOrRefused) {
  EXPECT_EQ(checkCoordinateCell(GetParam().typed), GetParam().after) << GetParam().typed;
}

std::string caseName(const std::string& typed) {
  return test::caseNameOf(typed);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CoordinateCell,
    testing::Values(CellCase{"12.50", "12.5"}, CellCase{"007", "7"}, CellCase{"-", "0"},
                    CellCase{"-0", "0"}, CellCase{" 5 ", "5"}, CellCase{"1.2.3", "1.2"},
                    CellCase{"1234.5678901234", "1234.5678901234"}, CellCase{"-12.3450", "-12.345"},
                    CellCase{"0.000001", "0"}, CellCase{"-0.000001", "0"},
                    CellCase{"0.00002", "0.00002"},
                    // The range: both ends are accepted.
                    CellCase{"10000000", "10000000"}, CellCase{"-1000000", "-1000000"},
                    CellCase{"10000000.001", std::nullopt}, CellCase{"20000000", std::nullopt},
                    CellCase{"-1000000.5", std::nullopt},
                    // A cell empty once trimmed is not touched.
                    CellCase{"", ""}, CellCase{"  ", "  "}),
    [](const auto& info) { return caseName(info.param.typed); });

TEST(TextCell, CutToEightOnlyWhenLonger) {
  EXPECT_EQ(checkTextCell("ABCDEFGHIJ"), "ABCDEFGH");
  EXPECT_EQ(checkTextCell("  ABCDEFGHI "), "ABCDEFGH");
  EXPECT_EQ(checkTextCell(" AB "), " AB ");  // left as it is
  EXPECT_EQ(checkTextCell("ABCDEFGH"), "ABCDEFGH");
  EXPECT_EQ(checkTextCell(""), "");
}

}  // namespace
}  // namespace vel
