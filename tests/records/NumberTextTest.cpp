#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "records/NumberText.h"
#include "tests/support/CaseNames.h"

namespace vel {
namespace {

std::string caseName(std::string_view text) {
  return test::caseNameOf(text);
}

// A double by its shortest exact text, so that a float constant shows the
// binary value it stands for (1.7f is "1_7000000476837158"); without an
// exponent unless the value is very large or very small.
std::string caseName(double value) {
  char text[64];
  const double size = std::fabs(value);
  const bool fixed = size == 0 || (size >= 1e-6 && size < 1e21);
  const auto end = std::to_chars(text, text + sizeof text, value,
                                 fixed ? std::chars_format::fixed : std::chars_format::general)
                       .ptr;
  return caseName(std::string_view(text, end - text));
}

struct ThreeDecimalsCase {
  double value;
  const char* text;
};

class ThreeDecimals : public testing::TestWithParam<ThreeDecimalsCase> {};

TEST_P(ThreeDecimals, RoundsTheExactValueToThousandths) {
  EXPECT_EQ(formatThreeDecimals(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ThreeDecimals,
    testing::Values(ThreeDecimalsCase{1.5, "1.500"}, ThreeDecimalsCase{25.4321f, "25.432"},
                    ThreeDecimalsCase{1.7f, "1.700"}, ThreeDecimalsCase{0.0, "0.000"},
                    ThreeDecimalsCase{-2.25, "-2.250"}, ThreeDecimalsCase{12.3456, "12.346"},
                    // Exact halves (only sixteenths can be) go away from zero,
                    // where printf would round them to even.
                    ThreeDecimalsCase{1.0625, "1.063"}, ThreeDecimalsCase{-1.0625, "-1.063"},
                    ThreeDecimalsCase{0.3125, "0.313"}, ThreeDecimalsCase{2.4375, "2.438"},
                    // Decided on the binary value: these decimal texts lie just
                    // below or above a half once stored.
                    ThreeDecimalsCase{1.0005, "1.000"}, ThreeDecimalsCase{2.0005f, "2.000"},
                    ThreeDecimalsCase{0.0005, "0.001"}, ThreeDecimalsCase{1.2345f, "1.235"},
                    ThreeDecimalsCase{1.2345, "1.234"},
                    // Carries through every digit.
                    ThreeDecimalsCase{9.9996, "10.000"}, ThreeDecimalsCase{999.99951, "1000.000"},
                    ThreeDecimalsCase{-999.9996, "-1000.000"},
                    // Nothing is left of the sign when the value rounds to zero.
                    ThreeDecimalsCase{-0.0, "0.000"}, ThreeDecimalsCase{-0.0004, "0.000"},
                    ThreeDecimalsCase{-0.0005, "-0.001"},
                    ThreeDecimalsCase{-std::numeric_limits<double>::denorm_min(), "0.000"},
                    ThreeDecimalsCase{1e30f, "1000000015047466219876688855040.000"},
                    ThreeDecimalsCase{-16777217.0f, "-16777216.000"}),
    [](const auto& info) { return caseName(info.param.value); });

TEST(ThreeDecimalsEdges, LargestDoubleIsWrittenInFull) {
  const std::string text = formatThreeDecimals(-DBL_MAX);
  EXPECT_EQ(text.size(), 1u + 309u + 4u);
  EXPECT_EQ(text.substr(0, 6), "-17976");
  EXPECT_EQ(text.substr(text.size() - 4), ".000");
}

TEST(ThreeDecimalsEdges, InfinitiesAndNanHaveTexts) {
  EXPECT_EQ(formatThreeDecimals(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(formatThreeDecimals(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(formatThreeDecimals(std::nan("")), "nan");
  EXPECT_EQ(formatThreeDecimals(-std::nan("")), "nan");
}

struct NumberValueCase {
  const char* text;
  double value;
};

class LeadingNumber : public testing::TestWithParam<NumberValueCase> {};

TEST_P(LeadingNumber, ReadsAsStrtodInTheCLocale) {
  EXPECT_EQ(leadingNumberValue(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingNumber,
    testing::Values(NumberValueCase{"12.5", 12.5}, NumberValueCase{"  -3e2x", -300},
                    NumberValueCase{"+7", 7}, NumberValueCase{"\t42", 42},
                    NumberValueCase{".5", 0.5}, NumberValueCase{"1,5", 1},
                    NumberValueCase{"1.2.3", 1.2}, NumberValueCase{"5.", 5},
                    NumberValueCase{"abc", 0}, NumberValueCase{"", 0}, NumberValueCase{"-", 0},
                    NumberValueCase{"0x10", 16}, NumberValueCase{"1e-400", 0},
                    NumberValueCase{"1e999", std::numeric_limits<double>::infinity()},
                    NumberValueCase{"-1000000.000", -1000000}),
    [](const auto& info) { return caseName(info.param.text); });

TEST(LeadingNumberValue, StopsAtAnEmbeddedNul) {
  EXPECT_EQ(leadingNumberValue(std::string("12\0"
                                           "34",
                                           5)),
            12);
}

TEST(LeadingNumberValue, IgnoresTheProcessLocale) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  bool switched = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name)) {
      switched = true;
      break;
    }
  }
  if (!switched) GTEST_SKIP() << "no locale with a decimal comma installed";
  const double value = leadingNumberValue("12.5");
  const std::string text = formatThreeDecimals(12.5);
  const std::string general = generalNumberText(12.5);
  std::setlocale(LC_NUMERIC, previous.c_str());
  EXPECT_EQ(value, 12.5);
  EXPECT_EQ(text, "12.500");
  EXPECT_EQ(general, "12.5");
}

struct GeneralCase {
  double value;
  const char* text;
};

class GeneralNotation : public testing::TestWithParam<GeneralCase> {};

TEST_P(GeneralNotation, FifteenDigitsWithoutTrailingZerosOrExponent) {
  EXPECT_EQ(generalNumberText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, GeneralNotation,
    testing::Values(GeneralCase{12.5, "12.5"}, GeneralCase{7, "7"}, GeneralCase{0, "0"},
                    GeneralCase{-0.0, "0"}, GeneralCase{-12.345, "-12.345"},
                    GeneralCase{0.1, "0.1"}, GeneralCase{1.0 / 3.0, "0.333333333333333"},
                    GeneralCase{1234.5678901234, "1234.5678901234"},
                    GeneralCase{9999999.999, "9999999.999"}, GeneralCase{10000000, "10000000"},
                    GeneralCase{-1000000, "-1000000"},
                    GeneralCase{123456789012.345678, "123456789012.346"},
                    GeneralCase{0.00012345, "0.00012345"},
                    // From 0.00001 on the fixed form holds; below it would be an
                    // exponent form, which the cell does not keep.
                    GeneralCase{0.00005, "0.00005"}, GeneralCase{0.00001, "0.00001"},
                    GeneralCase{0.000009, "0"}, GeneralCase{-0.000009, "0"},
                    GeneralCase{1e20, "100000000000000000000"}),
    [](const auto& info) { return caseName(info.param.value); });

}  // namespace
}  // namespace vel
