// Fixed-point values: their texts and how typed text becomes a value.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "TestImage.h"
#include "tests/support/CaseNames.h"

namespace vel {
namespace {

struct TextCase {
  FixedValue value;
  const char* text;
};

class ShortText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ShortText, IsTheShortestTextWithThreeDecimals) {
  EXPECT_EQ(formatFixed(GetParam().value), GetParam().text)
      << ::testing::PrintToString(GetParam().value);
}

std::string caseName(const std::string& text) {
  return test::caseNameOf(text);
}

INSTANTIATE_TEST_SUITE_P(Values, ShortText,
                         ::testing::Values(TextCase{{12, 345}, "12.345"},
                                           TextCase{{-12, -345}, "-12.345"},
                                           TextCase{{0, -5}, "-0.005"}, TextCase{{0, 0}, "0.000"},
                                           TextCase{{7, 50}, "7.050"}, TextCase{{0, -1}, "-0.001"},
                                           TextCase{{-1, -1}, "-1.001"},
                                           TextCase{{0, -500}, "-0.500"},
                                           TextCase{{0, 999}, "0.999"}, TextCase{{-3, 0}, "-3.000"},
                                           TextCase{{10000000, 0}, "10000000.000"},
                                           TextCase{{INT32_MAX, 999}, "2147483647.999"},
                                           TextCase{{INT32_MIN, -999}, "-2147483648.999"}),
                         [](const auto& info) { return caseName(info.param.text); });

class WideText : public ::testing::TestWithParam<TextCase> {};

TEST_P(WideText, IsRightAlignedInElevenColumns) {
  EXPECT_EQ(formatFixedWide(GetParam().value), GetParam().text)
      << ::testing::PrintToString(GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, WideText,
    ::testing::Values(TextCase{{0, -1}, "     -0.001"}, TextCase{{12, 5}, "     12.005"},
                      TextCase{{0, 0}, "      0.000"}, TextCase{{0, -250}, "     -0.250"},
                      TextCase{{-1, -500}, "     -1.500"}, TextCase{{1234, 500}, "   1234.500"},
                      TextCase{{9999999, 999}, "9999999.999"},
                      TextCase{{-999999, -999}, "-999999.999"},
                      // Wider whole parts are not cut.
                      TextCase{{12345678, 0}, "12345678.000"}),
    [](const auto& info) { return caseName(info.param.text); });

struct ParseCase {
  const char* text;
  FixedValue value;
};

class ParsedText : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParsedText, GivesTheValueCutToThreeDecimals) {
  EXPECT_EQ(parseFixed(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    WithinSevenCharacters, ParsedText,
    ::testing::Values(
        ParseCase{"12.5", {12, 500}}, ParseCase{"-0.25", {0, -250}}, ParseCase{"7", {7, 0}},
        ParseCase{"1.2345", {1, 234}}, ParseCase{"-3.0004", {-3, 0}},
        ParseCase{"-12.345", {-12, -345}}, ParseCase{"", {0, 0}}, ParseCase{"-0", {0, 0}},
        ParseCase{"5.", {5, 0}}, ParseCase{"0.1x2", {0, 120}}, ParseCase{"0.9999", {0, 999}},
        ParseCase{"-0.001", {0, -1}}, ParseCase{".5", {0, 500}}, ParseCase{"-.5", {0, -500}},
        ParseCase{"1.2.3", {1, 230}}, ParseCase{"abc", {0, 0}}, ParseCase{"-5.5", {-5, -500}},
        ParseCase{"1234567", {1234567, 0}}, ParseCase{"1234567.5", {1234567, 500}},
        ParseCase{"-123456.7", {-123456, -700}}, ParseCase{"9999999.999", {9999999, 999}},
        ParseCase{"-999999.999", {-999999, -999}}),
    [](const auto& info) { return caseName(info.param.text); });

// Longer integer parts are read in full rather than spilling their digits into
// the decimals.
INSTANTIATE_TEST_SUITE_P(LongerIntegerParts, ParsedText,
                         ::testing::Values(ParseCase{"10000000", {10000000, 0}},
                                           ParseCase{"12345678.25", {12345678, 250}},
                                           ParseCase{"-1234567.5", {-1234567, -500}},
                                           ParseCase{"-12345678.125", {-12345678, -125}},
                                           ParseCase{"2147483647.5", {INT32_MAX, 500}},
                                           ParseCase{"99999999999", {INT32_MAX, 0}},
                                           ParseCase{"-99999999999.5", {INT32_MIN, -500}},
                                           ParseCase{"123456789012345678901234567890",
                                                     {INT32_MAX, 0}}),
                         [](const auto& info) { return caseName(info.param.text); });

TEST(FixedValueText, ReadsBackWhatItWrites) {
  const FixedValue values[] = {{0, 0},           {0, -1},          {0, 999},       {-7, -70},
                               {1234, 500},      {-999999, -999},  {9999999, 999}, {12345678, 12},
                               {INT32_MAX, 999}, {-2000000000, -1}};
  for (const FixedValue& v : values) {
    EXPECT_EQ(parseFixed(formatFixed(v)), v) << formatFixed(v);
  }
}

}  // namespace
}  // namespace vel
