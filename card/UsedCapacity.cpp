#include "card/UsedCapacity.h"

namespace vel {

int usedCapacityPercent(int capacity, int freeRecords) {
  if (capacity <= 0 || freeRecords >= capacity) return 0;
  const int used = capacity - (freeRecords < 0 ? 0 : freeRecords);
  return static_cast<int>(used * 100.0 / capacity);
}

}  // namespace vel
