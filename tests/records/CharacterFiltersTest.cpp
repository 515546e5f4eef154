#include <gtest/gtest.h>

#include <optional>

#include "records/CharacterFilters.h"

namespace vel {
namespace {

struct FilterCase {
  char32_t typed;
  std::optional<char32_t> name;        // what the name filter inserts
  std::optional<char32_t> coordinate;  // what the coordinate filter inserts
};

class CharacterFilter : public testing::TestWithParam<FilterCase> {};

TEST_P(CharacterFilter, PassesChangesOrDiscards) {
  const FilterCase& c = GetParam();
  EXPECT_EQ(filterNameCharacter(c.typed), c.name) << static_cast<uint32_t>(c.typed);
  EXPECT_EQ(filterCoordinateCharacter(c.typed), c.coordinate) << static_cast<uint32_t>(c.typed);
}

constexpr std::nullopt_t kNone = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Characters, CharacterFilter,
    testing::Values(
        FilterCase{U'7', U'7', U'7'}, FilterCase{U'A', U'A', kNone}, FilterCase{U'Z', U'Z', kNone},
        FilterCase{U'p', U'P', kNone}, FilterCase{U'z', U'Z', kNone}, FilterCase{U'.', U'.', U'.'},
        FilterCase{U'-', U'-', U'-'}, FilterCase{U'#', U'#', kNone}, FilterCase{U' ', kNone, kNone},
        FilterCase{U',', kNone, kNone}, FilterCase{U'_', kNone, kNone},
        FilterCase{U'e', U'E', kNone}, FilterCase{U'"', kNone, kNone},
        FilterCase{U'\b', U'\b', U'\b'}, FilterCase{U'\r', U'\r', U'\r'}, FilterCase{27, 27, 27},
        FilterCase{127, 127, 127}, FilterCase{128, kNone, kNone}, FilterCase{U'é', kNone, kNone},
        FilterCase{U'中', kNone, kNone}, FilterCase{U'Ａ', kNone, kNone}));

TEST(CharacterFilterText, NamesKeepElevenPunctuationCharactersOfPrintableAscii) {
  std::string ascii;
  for (char c = 32; c < 127; ++c) ascii += c;
  EXPECT_EQ(filterNameText(ascii),
            "!#$%&*+-./0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(filterCoordinateText(ascii), "-.0123456789");
}

TEST(CharacterFilterText, FiltersEveryByteOfATypedText) {
  EXPECT_EQ(filterNameText("ab c,1#\xd6\xd0"), "ABC1#");
  EXPECT_EQ(filterCoordinateText(" -12,5e3\xd6\xd0"), "-1253");
}

}  // namespace
}  // namespace vel
