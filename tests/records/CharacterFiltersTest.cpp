#include <gtest/gtest.h>

#include <optional>
#include <string>

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

// A test name for a typed character: "Digit7", "UpperA", "LowerP", "Minus",
// "Escape", and "U00E9" beyond printable ASCII.
std::string caseName(char32_t c) {
  if (c >= U'0' && c <= U'9') return "Digit" + std::string(1, static_cast<char>(c));
  if (c >= U'A' && c <= U'Z') return "Upper" + std::string(1, static_cast<char>(c));
  if (c >= U'a' && c <= U'z') return "Lower" + std::string(1, static_cast<char>(c));
  switch (c) {
    case U'.':
      return "Point";
    case U'-':
      return "Minus";
    case U'#':
      return "Hash";
    case U' ':
      return "Space";
    case U',':
      return "Comma";
    case U'_':
      return "Underscore";
    case U'"':
      return "Quote";
    case U'\b':
      return "Backspace";
    case U'\r':
      return "Return";
    case 27:
      return "Escape";
    case 127:
      return "Delete";
    default:
      break;
  }
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string name = "U";
  for (int shift = c > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4) name += kHex[(c >> shift) & 15];
  return name;
}

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
        FilterCase{U'中', kNone, kNone}, FilterCase{U'Ａ', kNone, kNone}),
    [](const auto& info) { return caseName(info.param.typed); });

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
