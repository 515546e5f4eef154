#include "store/OrderTable.h"

#include <array>

namespace vel {
namespace {
constexpr uint8_t kEndMark = 0xFF;
}

uint8_t allocateListEntry(uint8_t* table, int n) {
  // The list ends at the first entry of n or more; a table without one is full.
  int end = 0;
  while (end < n && table[end] < n) ++end;
  if (end == n) return 255;
  // The lowest slot number the list does not hold, found in one pass (a full
  // card's lists are walked for every new job and code).
  std::array<bool, 256> listed{};
  for (int i = 0; i < end; ++i) listed[table[i]] = true;
  int candidate = 0;
  while (listed[candidate]) ++candidate;
  table[end] = static_cast<uint8_t>(candidate);
  return static_cast<uint8_t>(candidate);
}

void removeListEntry(int position, uint8_t* table, int n) {
  if (position < 0 || position >= n) return;
  int p = position;
  while (p < n - 1 && table[p] < n) {
    table[p] = table[p + 1];
    ++p;
  }
  table[p] = kEndMark;
}

}  // namespace vel
