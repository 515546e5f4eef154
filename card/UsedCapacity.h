// The used share of the record area that the summary's gauge shows.
#pragma once

namespace vel {

// used x 100 / capacity, truncated toward zero (49.998 shows 49). A damaged
// card that reports more free records than it has, or no capacity at all,
// shows 0 rather than a number outside the gauge.
int usedCapacityPercent(int capacity, int freeRecords);

}  // namespace vel
