// Job files: creating, finding, renaming, listing and deleting them.
#include <gtest/gtest.h>

#include "TestImage.h"

namespace vel {
namespace {

using test::Bytes;
using test::Card;

Bytes text(const std::string& s, bool withNul = true) {
  Bytes bytes(s.begin(), s.end());
  if (withNul) bytes.push_back(0);
  return bytes;
}

// --- Creating ---------------------------------------------------------------

TEST(CreatingAJob, WritesItsOrderEntryNameAndZeroCountOnly) {
  Card card(kRX3_8);
  const Bytes before = card.bytes();
  ASSERT_EQ(card.store.createJob("JOB1"), 0);
  const Bytes after = card.bytes();

  EXPECT_EQ(card.bytes(0x0180, 2), (Bytes{0x00, 0xFF}));
  EXPECT_EQ(card.bytes(0x0400, 5), text("JOB1"));
  EXPECT_EQ(card.bytes(0x0409, 2), (Bytes{0x00, 0x00}));
  EXPECT_TRUE(test::changesOnlyWithin(before, after, {{0x0180, 0x0180}, {0x0400, 0x040A}}))
      << "bytes 11 to 15 of a 16-byte entry are not the store's";

  EXPECT_EQ(card.store.jobCount(), 1);
  EXPECT_EQ(card.store.jobSlotAt(0), 0);
  EXPECT_EQ(card.store.jobPositionOf(0), 0);
  EXPECT_EQ(card.store.jobName(0), "JOB1");
  EXPECT_EQ(card.store.recordCount(0), 0);
}

TEST(CreatingAJob, OnRX9_32WritesTheWholeEntryWithTheCreationTime) {
  Card card(kRX9_32, 0, 0x5A);
  const Bytes before = card.bytes();
  ASSERT_EQ(card.store.createJob("JOB1"), 0);
  const Bytes after = card.bytes();

  const Bytes entry = card.bytes(0x0400, 64);
  EXPECT_EQ(Bytes(entry.begin(), entry.begin() + 5), text("JOB1"));
  EXPECT_EQ(Bytes(entry.begin() + 9, entry.begin() + 17),
            (Bytes{0x00, 0x00, 0xE8, 0x07, 3, 7, 9, 5}))
      << "count 0, year 2024 little-endian, month, day, hour, minute";
  EXPECT_EQ(Bytes(entry.begin() + 17, entry.end()), Bytes(47, 0x00));
  EXPECT_TRUE(test::changesOnlyWithin(before, after, {{0x0180, 0x0180}, {0x0400, 0x043F}}));
  EXPECT_EQ(card.store.jobCreationTime(0).year, 2024);
  EXPECT_EQ(card.store.jobCreationTime(0).minute, 5);
}

TEST(CreatingAJob, AsksTheClockForEachNewJob) {
  int calls = 0;
  Card card(kRX9_32, 0, 0xFF, [&calls] {
    ++calls;
    return calls == 1 ? JobTime{2024, 3, 7, 9, 5} : JobTime{1999, 12, 31, 23, 59};
  });
  ASSERT_EQ(card.store.createJob("A"), 0);
  ASSERT_EQ(card.store.createJob("B"), 1);
  EXPECT_EQ(card.bytes(0x0400 + 11, 6), (Bytes{0xE8, 0x07, 3, 7, 9, 5}));
  EXPECT_EQ(card.bytes(0x0440 + 11, 6), (Bytes{0xCF, 0x07, 12, 31, 23, 59}));
  EXPECT_EQ(card.store.jobCreationTime(1).year, 1999);
}

TEST(CreatingAJob, ReusesTheLowestFreeSlotAtTheEndOfTheList) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  ASSERT_EQ(s.createJob("B"), 1);
  ASSERT_EQ(s.createJob("C"), 2);
  ASSERT_EQ(s.deleteJob(1), kDone);
  EXPECT_EQ(card.bytes(0x0180, 3), (Bytes{0, 2, 0xFF}));

  EXPECT_EQ(s.createJob("D"), 1);
  EXPECT_EQ(card.bytes(0x0180, 4), (Bytes{0, 2, 1, 0xFF}));
  EXPECT_EQ(s.jobPositionOf(1), 2);
  EXPECT_EQ(s.jobName(1), "D");

  // Deleting position 0 moves the others up; the slots stay.
  ASSERT_EQ(s.deleteJob(0), kDone);
  EXPECT_EQ(card.bytes(0x0180, 3), (Bytes{2, 1, 0xFF}));
  EXPECT_EQ(s.jobCount(), 2);
  EXPECT_EQ(s.jobPositionOf(1), 1);
  EXPECT_EQ(s.jobPositionOf(0), 0xFF);
  EXPECT_EQ(s.jobSlotAt(0), 2);
  EXPECT_EQ(s.jobName(2), "C");
}

TEST(CreatingAJob, OverADeletedJobStartsItWithNoRecords) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("OLD"), 0);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(test::appendPoint(s, 0, "P"), kDone);
  ASSERT_EQ(s.deleteJob(0), kDone);
  EXPECT_EQ(card.bytes(0x0400, 4), text("OLD")) << "deleting leaves the entry as it was";
  EXPECT_EQ(card.bytes(0x0409, 2), (Bytes{0, 3}));

  ASSERT_EQ(s.createJob("NEW"), 0);
  EXPECT_EQ(card.bytes(0x0409, 2), (Bytes{0, 0}));
  EXPECT_EQ(s.recordCount(0), 0);
  Bytes record(kRecordSize);
  EXPECT_EQ(s.readRecord(0, 0, kRecordSize, record.data()), kRefused)
      << "no record of the old job shows";
}

struct NameCase {
  const char* given;
  const char* stored;
};

TEST(CreatingAJob, StoresTheLeadingPrintableCharactersUpToEight) {
  const NameCase cases[] = {
      {"ABCDEFGHIJ", "ABCDEFGH"}, {"AB\tCD", "AB"}, {"A B", "A B"}, {"X\x80Y", "X"},
      {"~!#$%", "~!#$%"},         {"", ""}};
  Card card(kRX3_8);
  uint8_t slot = 0;
  for (const NameCase& c : cases) {
    ASSERT_EQ(card.store.createJob(c.given), slot);
    EXPECT_EQ(card.store.jobName(slot), c.stored) << '"' << c.given << '"';
    const std::string stored = c.stored;
    EXPECT_EQ(card.bytes(0x0400 + 16 * slot, stored.size() + 1), text(stored))
        << '"' << c.given << '"';
    ++slot;
  }
}

TEST(CreatingAJob, IsRefusedWhenEverySlotIsTaken) {
  for (int model : {kRX3_8, kRX9_32}) {
    SCOPED_TRACE(modelName(model));
    Card card(model);
    RecordAreaStore& s = card.store;
    const int limit = model == kRX9_32 ? 32 : 128;
    ASSERT_EQ(s.jobLimit(), limit);
    for (int i = 0; i < limit - 1; ++i) ASSERT_EQ(s.createJob("J" + std::to_string(i)), i);

    // The last slot's entry ends right before the allocation table.
    const long long lastEntry = 0x0400 + (limit - 1) * s.entrySize();
    const Bytes before = card.bytes();
    ASSERT_EQ(s.createJob("LASTJOB"), limit - 1);
    const Bytes after = card.bytes();
    EXPECT_TRUE(test::changesOnlyWithin(
        before, after,
        {{0x0180 + limit - 1, 0x0180 + limit - 1}, {lastEntry, lastEntry + s.entrySize() - 1}}));
    EXPECT_EQ(card.bytes(0x0C00, 2), (Bytes{0xFF, 0x00}));
    EXPECT_EQ(s.jobName(limit - 1), "LASTJOB");
    EXPECT_EQ(s.jobCount(), limit);
    EXPECT_EQ(s.jobSlotAt(limit - 1), limit - 1);
    EXPECT_EQ(s.jobSlotAt(limit), 0xFF);

    EXPECT_EQ(s.createJob("ONEMORE"), kRefused);
    EXPECT_TRUE(test::sameImage(card.bytes(), after)) << "a refused job writes nothing";
    EXPECT_EQ(s.jobCount(), limit);
  }
}

// --- Finding ----------------------------------------------------------------------

TEST(FindingAJob, MatchesTheWholeStoredNameIgnoringCase) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("ABC"), 0);
  ASSERT_EQ(s.createJob("XYZ"), 1);
  ASSERT_EQ(s.createJob("Mixed1"), 2);
  EXPECT_EQ(s.findJob("abc"), 0);
  EXPECT_EQ(s.findJob("ABC"), 0);
  EXPECT_EQ(s.findJob("xYz"), 1);
  EXPECT_EQ(s.findJob("MIXED1"), 2);
  EXPECT_EQ(s.findJob("ABCD"), kRefused);
  EXPECT_EQ(s.findJob("AB"), kRefused);
  EXPECT_EQ(s.findJob(""), kRefused);

  ASSERT_EQ(s.createJob("ABCD"), 3);
  EXPECT_EQ(s.findJob("abcd"), 3);
  EXPECT_EQ(s.findJob("abc"), 0);

  // A deleted job's entry is still in the directory, but no longer listed.
  ASSERT_EQ(s.deleteJob(0), kDone);
  EXPECT_EQ(s.findJob("ABC"), kRefused);
  EXPECT_EQ(s.findJob("XYZ"), 0) << "the answer is a list position";
}

TEST(FindingAJob, ComparesAtMostTheEightStoredCharacters) {
  Card card(kRX3_8);
  ASSERT_EQ(card.store.createJob("ABCDEFGHIJ"), 0);
  EXPECT_EQ(card.store.findJob("abcdefgh"), 0);
  EXPECT_EQ(card.store.findJob("ABCDEFGHIJ"), kRefused);
}

// --- Renaming -----------------------------------------------------------------------

TEST(RenamingAJob, WritesTheNameAndItsNulOnly) {
  Card card(kRX9_32);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("LONGNAME"), 0);
  ASSERT_EQ(test::appendPoint(s, 0, "P"), kDone);
  const Bytes before = card.bytes();
  ASSERT_EQ(s.renameJob(0, "NEW"), kDone);
  const Bytes after = card.bytes();
  EXPECT_EQ(card.bytes(0x0400, 9), (Bytes{'N', 'E', 'W', 0, 'N', 'A', 'M', 'E', 0}));
  EXPECT_TRUE(test::changesOnlyWithin(before, after, {{0x0400, 0x0403}}));
  EXPECT_EQ(s.jobName(0), "NEW");
  EXPECT_EQ(s.recordCount(0), 1);
  EXPECT_EQ(s.jobCreationTime(0).year, 2024);

  ASSERT_EQ(s.renameJob(0, "EIGHTCHR"), kDone);
  EXPECT_EQ(card.bytes(0x0400, 11), (Bytes{'E', 'I', 'G', 'H', 'T', 'C', 'H', 'R', 0, 1, 0}));
}

TEST(RenamingAJob, IsRefusedForSlotsBeyondTheDirectory) {
  for (int model : {kRX3_8, kRX9_32}) {
    SCOPED_TRACE(modelName(model));
    Card card(model);
    const Bytes before = card.bytes();
    EXPECT_EQ(card.store.renameJob(card.store.jobLimit(), "X"), kRefused);
    EXPECT_EQ(card.store.renameJob(255, "X"), kRefused);
    EXPECT_TRUE(test::sameImage(card.bytes(), before));
  }
}

// --- Deleting -------------------------------------------------------------------------

TEST(DeletingAJob, WithoutRecordsTouchesOnlyTheJobOrderTable) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  ASSERT_EQ(s.createJob("B"), 1);
  const Bytes before = card.bytes();
  ASSERT_EQ(s.deleteJob(0), kDone);
  EXPECT_TRUE(test::changesOnlyWithin(before, card.bytes(), {{0x0180, 0x01FF}}));
  EXPECT_EQ(card.bytes(0x0180, 2), (Bytes{1, 0xFF}));
}

TEST(DeletingAJob, FreesItsBlocksAndGivesBackItsRecords) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  ASSERT_EQ(s.createJob("B"), 1);
  for (int i = 0; i < 50; ++i) ASSERT_EQ(test::appendPoint(s, 0, "A"), kDone);  // blocks 0, 1
  for (int i = 0; i < 3; ++i) ASSERT_EQ(test::appendPoint(s, 1, "B"), kDone);   // block 2
  ASSERT_EQ(s.freeRecords(), 49536 - 53);

  Bytes expected = card.bytes();
  ASSERT_EQ(s.deleteJob(0), kDone);
  test::put(expected, 0x0180, {1, 0xFF});
  test::put(expected, 0x0C00, {0xFF, 0x00, 0xFF, 0x00});
  test::fill(expected, 0x1500, 0x150F, 0xFF);
  test::put(expected, 0x0101, {0xC1, 0x7D});  // 49533
  EXPECT_TRUE(test::sameImage(card.bytes(), expected));

  EXPECT_EQ(s.freeRecords(), 49536 - 3);
  EXPECT_EQ(s.allocationEntry(0).owner, 0xFF);
  EXPECT_EQ(s.allocationEntry(1).count, 0);
  EXPECT_EQ(s.allocationEntry(2).owner, 2);
  EXPECT_EQ(test::namesOf(s, 1), (std::vector<std::string>{"B", "B", "B"}));

  // The freed blocks are the first a job takes next.
  ASSERT_EQ(test::appendPoint(s, 1, "B"), kDone);
  ASSERT_EQ(s.createJob("C"), 0);
  ASSERT_EQ(test::appendPoint(s, 0, "C"), kDone);
  EXPECT_EQ(s.locateRecord(0, 0), (RecordLocation{0, 0, 0}));
}

TEST(DeletingAJob, ClearsTheCurrentJobOnlyWhenItIsTheOneDeleted) {
  for (int model : {kRX3_8, kRX9_32}) {
    SCOPED_TRACE(modelName(model));
    Card card(model);
    RecordAreaStore& s = card.store;
    const long long currentJob = model == kRX9_32 ? 0x0120 : 0x0100;
    ASSERT_EQ(s.createJob("A"), 0);
    ASSERT_EQ(s.createJob("B"), 1);
    card.patch(currentJob, {1});
    EXPECT_EQ(s.currentJob(), 1);
    EXPECT_TRUE(s.hasCurrentJob());

    ASSERT_EQ(s.deleteJob(0), kDone);
    EXPECT_EQ(card.bytes(currentJob, 1), Bytes{1});
    EXPECT_EQ(s.currentJob(), 1);

    ASSERT_EQ(s.deleteJob(0), kDone);  // B, now at position 0
    EXPECT_EQ(card.bytes(currentJob, 1), Bytes{0xFF});
    EXPECT_EQ(s.currentJob(), 0xFF);
    EXPECT_FALSE(s.hasCurrentJob());
  }
}

TEST(DeletingAJob, IsRefusedBeyondTheKnownPointFile) {
  for (int model : {kRX3_8, kRX9_32}) {
    SCOPED_TRACE(modelName(model));
    Card card(model);
    ASSERT_EQ(card.store.createJob("A"), 0);
    const Bytes before = card.bytes();
    EXPECT_EQ(card.store.deleteJob(card.store.knownPointFile() + 1), kRefused);
    EXPECT_EQ(card.store.deleteJob(255), kRefused);
    EXPECT_TRUE(test::sameImage(card.bytes(), before));
    EXPECT_EQ(card.store.jobCount(), 1);
  }
}

// --- Listing ----------------------------------------------------------------------------

TEST(RecordCounts, ComeFromTheDirectoryOrTheKnownPointWord) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  card.patch(0x0409, {0x01, 0x02});
  card.patch(0x0103, {0x03, 0x04});
  EXPECT_EQ(s.recordCount(0), 0x0102);
  EXPECT_EQ(s.recordCount(128), 0x0304);
  EXPECT_EQ(s.recordCount(129), 0);
  EXPECT_EQ(s.recordCount(255), 0);
}

}  // namespace
}  // namespace vel
