#include "store/OrderTable.h"

namespace vel {
namespace {
constexpr uint8_t kEndMark = 0xFF;
}

uint8_t allocateListEntry(uint8_t* table, int n) {
  int candidate = 0;
  int i = 0;
  while (i < n) {
    if (table[i] >= n) break;
    if (table[i] == candidate) {
      ++candidate;
      i = 0;
      continue;
    }
    ++i;
  }
  if (i == n) return 255;
  table[i] = static_cast<uint8_t>(candidate);
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
