// The used share of the record area the summary's gauge shows.
#include <gtest/gtest.h>

#include "card/UsedCapacity.h"

namespace vel {
namespace {

TEST(UsedCapacity, IsTheTruncatedPercentOfUsedRecords) {
  const struct {
    int capacity, free, percent;
  } cases[] = {
      {49536, 24769, 49},  // 24767 used: 49.998 per cent
      {49536, 0, 100},    {49536, 49536, 0}, {49536, 49535, 0},
      {49536, 495, 99},   {49536, 60000, 0},  // a damaged count above the capacity
      {0, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(usedCapacityPercent(c.capacity, c.free), c.percent)
        << c.capacity << " capacity, " << c.free << " free";
  }
}

// --- The card configuration --------------------------------------------------

}  // namespace
}  // namespace vel
