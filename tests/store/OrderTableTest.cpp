// The order tables that list jobs and feature codes: lowest free slot to the end,
// removal closes the gap.
#include <gtest/gtest.h>

#include <vector>

#include "store/OrderTable.h"
#include "store/RecordAreaStore.h"

namespace vel {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint8_t E = 0xFF;

struct AllocateCase {
  const char* name;
  int n;
  Bytes before;
  uint8_t slot;
  Bytes after;
};

std::ostream& operator<<(std::ostream& out, const AllocateCase& c) {
  return out << c.name;
}

Bytes counting(int count, int size, uint8_t rest = E) {
  Bytes table(static_cast<size_t>(size), rest);
  for (int i = 0; i < count; ++i) table[i] = static_cast<uint8_t>(i);
  return table;
}

Bytes withTail(Bytes table, uint8_t last) {
  table.back() = last;
  return table;
}

const AllocateCase kAllocateCases[] = {
    {"EmptyListGivesSlot0", 4, {E, E, E, E}, 0, {0, E, E, E}},
    {"GapIsFilledAndAppended", 4, {0, 2, E, E}, 1, {0, 2, 1, E}},
    {"LowestUnlistedWhateverTheOrder", 4, {2, 1, 0, E}, 3, {2, 1, 0, 3}},
    {"FullListRefuses", 4, {3, 2, 1, 0}, E, {3, 2, 1, 0}},
    // Any entry of n or more ends the list, whatever follows it.
    {"EntryAboveNEndsTheList", 4, {0, 9, 1, E}, 1, {0, 1, 1, E}},
    {"EntriesAfterTheEndDoNotCount", 4, {1, E, 0, E}, 0, {1, 0, 0, E}},
    // A damaged list: a slot listed twice is one slot, and a list without an end is full.
    {"TwiceListedCountsOnce", 4, {1, 1, E, E}, 0, {1, 1, 0, E}},
    {"TwiceListedWithoutAnEndRefuses", 4, {0, 0, 1, 1}, E, {0, 0, 1, 1}},
    {"SixtyFourCodes", 64, counting(63, 64), 63, counting(64, 64)},
    {"SixtyFourCodesFull", 64, counting(64, 64), E, counting(64, 64)},
    // The RX9-32 uses the first 32 of the 128-byte job order table.
    {"ThirtyTwoJobsFullIn128ByteTable", 32, counting(32, 128), E, counting(32, 128)},
    {"ThirtyTwoJobsLastSlot", 32, withTail(counting(31, 128), 0x77), 31,
     withTail(counting(32, 128), 0x77)},
};

class AllocatingAListEntry : public ::testing::TestWithParam<AllocateCase> {};

TEST_P(AllocatingAListEntry, TakesTheLowestUnlistedSlotAndAppendsIt) {
  const AllocateCase& c = GetParam();
  Bytes table = c.before;
  EXPECT_EQ(allocateListEntry(table.data(), c.n), c.slot);
  EXPECT_EQ(table, c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, AllocatingAListEntry, ::testing::ValuesIn(kAllocateCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct RemoveCase {
  const char* name;
  int position;
  int n;
  Bytes before;
  Bytes after;
};

std::ostream& operator<<(std::ostream& out, const RemoveCase& c) {
  return out << c.name;
}

const RemoveCase kRemoveCases[] = {
    {"FirstMovesTheRestUp", 0, 4, {0, 2, 1, E}, {2, 1, E, E}},
    {"MiddleOfAFullList", 1, 4, {0, 1, 2, 3}, {0, 2, 3, E}},
    {"LastOfAFullList", 3, 4, {0, 1, 2, 3}, {0, 1, 2, E}},
    {"OnlyEntry", 0, 4, {3, E, E, E}, {E, E, E, E}},
    {"PastTheEndChangesNothingListed", 2, 4, {0, 1, E, E}, {0, 1, E, E}},
    // The shift stops at the end mark and leaves what lies beyond it.
    {"StopsAtTheEndMark", 0, 4, {0, 1, E, 3}, {1, E, E, 3}},
    {"ThirtyTwoJobsLeaveTheRestOfTheTable", 0, 32, withTail(counting(32, 128), 0x77),
     [] {
       Bytes t(128, E);
       for (int i = 0; i < 31; ++i) t[i] = static_cast<uint8_t>(i + 1);
       t.back() = 0x77;
       return t;
     }()},
};

class RemovingAListEntry : public ::testing::TestWithParam<RemoveCase> {};

TEST_P(RemovingAListEntry, ClosesTheGap) {
  const RemoveCase& c = GetParam();
  Bytes table = c.before;
  removeListEntry(c.position, table.data(), c.n);
  EXPECT_EQ(table, c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, RemovingAListEntry, ::testing::ValuesIn(kRemoveCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vel
