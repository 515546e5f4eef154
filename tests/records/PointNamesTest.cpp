// The name proposed for the next point.
#include <gtest/gtest.h>

#include "records/PointNames.h"

namespace vel {
namespace {

TEST(NextPointName, CountsTheTrailingDigitsUpWithinEightCharacters) {
  const struct {
    std::string before, after;
  } cases[] = {
      {"A9", "A10"},
      {"A0009", "A0010"},
      {"P009", "P010"},
      {"P1", "P2"},
      {"A99", "A100"},
      {"99", "100"},
      {"9", "10"},
      {"ABCDEF9", "ABCDEF10"},
      {"ABCDEF99", "ABCDEF00"},
      {"ABCDEFGH", "ABCDEFGH"},
      {"ABCDEFG", "ABCDEFG0"},
      {"PT", "PT0"},
      {"", "0"},
      {"1A", "1A0"},
      {"A1B9", "A1B10"},
      {"9999999", "10000000"},
      {"12345678", "12345679"},
      {"99999999", "00000000"},
  };
  for (const auto& c : cases) {
    std::string name = c.before;
    nextPointName(name);
    EXPECT_EQ(name, c.after) << "from " << c.before;
  }
}

TEST(NextPointName, StopsAtTheNulOfAFixedBuffer) {
  std::string name("K7\0\0\0\0\0\0", 9);
  nextPointName(name);
  EXPECT_EQ(name, "K8");
}

}  // namespace
}  // namespace vel
