// Survey records of a job: where they lie, how they are numbered, appended and
// deleted, and when the store refuses one.
#include <gtest/gtest.h>

#include <chrono>

#include "TestImage.h"

namespace vel {
namespace {

using test::Bytes;
using test::Card;

// --- Where a record slot lies ---------------------------------------------------------

struct AddressCase {
  RecordLocation location;
  uint8_t page;
  uint16_t offset;
};

TEST(RecordSlots, LieSixToA256ByteSectorAfterTheHeader) {
  const AddressCase cases[] = {
      {{0, 0, 0}, 0x00, 0x4000},    {{0, 0, 5}, 0x00, 0x40D2},    {{0, 1, 0}, 0x00, 0x4100},
      {{1, 0, 0}, 0x00, 0x4800},    {{23, 7, 5}, 0x00, 0xFFD2},   {{24, 0, 0}, 0x01, 0x0000},
      {{1031, 7, 5}, 0x20, 0x7FD2}, {{1079, 7, 5}, 0x21, 0xFFD2},
  };
  for (const AddressCase& c : cases) {
    const ImageAddress a = recordAddress(c.location);
    EXPECT_EQ(a.page, c.page) << ::testing::PrintToString(c.location);
    EXPECT_EQ(a.offset, c.offset) << ::testing::PrintToString(c.location);
  }
  // The last slot of each model ends inside its image.
  EXPECT_EQ(filePosition(recordAddress({1031, 7, 5})) + kRecordSize, 0x207FFC);
  EXPECT_LE(filePosition(recordAddress({1079, 7, 5})) + kRecordSize, test::kSize8704);
  EXPECT_LE(filePosition(recordAddress({1030, 7, 5})) + kRecordSize, test::kSize8312);
}

// --- The first record of an empty record area ------------------------------------------

struct FirstAppendCase {
  const char* name;
  int model;
  bool knownPoints;
  Bytes owner;        // allocation entry of block 0 afterwards
  long long countAt;  // record count word of the file
  Bytes count;
  long long freeAt;
  Bytes free;
};

std::ostream& operator<<(std::ostream& out, const FirstAppendCase& c) {
  return out << c.name;
}

const FirstAppendCase kFirstAppends[] = {
    {"RX3_8Job", kRX3_8, false, {0x01, 0x01}, 0x0409, {0x00, 0x01}, 0x0101, {0xC1, 0x7F}},
    {"RX3_8KnownPoints", kRX3_8, true, {0x81, 0x01}, 0x0103, {0x00, 0x01}, 0x0101, {0xC1, 0x7F}},
    {"RX2_8Job", kRX2_8, false, {0x01, 0x01}, 0x0409, {0x00, 0x01}, 0x0101, {0xC1, 0x7F}},
    {"RX3_32Job", kRX3_32, false, {0x01, 0x01}, 0x0409, {0x01, 0x00}, 0x0122, {0x4F, 0xC1}},
    {"RX9_32Job", kRX9_32, false, {0x01, 0x01}, 0x0409, {0x01, 0x00}, 0x0122, {0x4F, 0xC1}},
    {"RX9_32KnownPoints", kRX9_32, true, {0x21, 0x01}, 0x0126, {0x01, 0x00}, 0x0122, {0x4F, 0xC1}},
};

class FirstAppend : public ::testing::TestWithParam<FirstAppendCase> {};

TEST_P(FirstAppend, ChangesExactlyBitmapAllocationRecordAndCounts) {
  const FirstAppendCase& c = GetParam();
  Card card(c.model);
  RecordAreaStore& s = card.store;
  uint8_t slot = s.knownPointFile();
  if (!c.knownPoints) {
    slot = s.createJob("JOB1");
    ASSERT_EQ(slot, 0);
  }
  Bytes expected = card.bytes();
  const Bytes record = test::pointRecord("P1");

  ASSERT_EQ(s.appendRecord(slot, kRecordSize, record.data()), kDone);
  test::put(expected, 0x1500, {0xFE});
  test::put(expected, 0x0C00, c.owner);
  test::put(expected, 0x4000, record);
  test::put(expected, c.countAt, c.count);
  test::put(expected, c.freeAt, c.free);
  EXPECT_TRUE(test::sameImage(card.bytes(), expected));

  EXPECT_EQ(s.locateRecord(slot, 0), (RecordLocation{0, 0, 0}));
  EXPECT_EQ(s.recordCount(slot), 1);
  EXPECT_EQ(s.freeRecords(), s.capacity() - 1);
  EXPECT_EQ(s.allocationEntry(0).owner, c.owner[0]);
  EXPECT_EQ(s.allocationEntry(0).count, 1);
  Bytes back(kRecordSize);
  ASSERT_EQ(s.readRecord(slot, 0, kRecordSize, back.data()), kDone);
  EXPECT_EQ(back, record);
  EXPECT_EQ(s.recordPointName(slot, 0), "P1");
}

INSTANTIATE_TEST_SUITE_P(Models, FirstAppend, ::testing::ValuesIn(kFirstAppends),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Filling a block ---------------------------------------------------------------------

TEST(AppendingRecords, FillsABlockSectorBySectorThenTakesTheNextBlock) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  for (int i = 0; i < 6; ++i) ASSERT_EQ(test::appendPoint(s, 0, "P" + std::to_string(i), i), kDone);
  const Bytes seventh = test::pointRecord("P6", 6);
  ASSERT_EQ(s.appendRecord(0, kRecordSize, seventh.data()), kDone);
  EXPECT_EQ(s.locateRecord(0, 6), (RecordLocation{0, 1, 0}));
  EXPECT_EQ(card.bytes(0x4100, kRecordSize), seventh);
  EXPECT_EQ(card.bytes(0x1500, 3), (Bytes{0xC0, 0xFE, 0xFF}));
  EXPECT_EQ(card.bytes(0x40FC, 4), Bytes(4, 0xFF)) << "the last 4 bytes of a sector stay unused";

  for (int i = 7; i < 48; ++i)
    ASSERT_EQ(test::appendPoint(s, 0, "P" + std::to_string(i), i), kDone);
  EXPECT_EQ(card.bytes(0x1500, 9), (Bytes{0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xFF}));
  EXPECT_EQ(card.bytes(0x0C00, 4), (Bytes{0x01, 48, 0xFF, 0x00}));

  const Bytes next = test::pointRecord("P48", 48);
  ASSERT_EQ(s.appendRecord(0, kRecordSize, next.data()), kDone);
  EXPECT_EQ(s.locateRecord(0, 48), (RecordLocation{1, 0, 0}));
  EXPECT_EQ(card.bytes(0x4800, kRecordSize), next);
  EXPECT_EQ(card.bytes(0x0C02, 2), (Bytes{0x01, 0x01}));
  EXPECT_EQ(s.recordCount(0), 49);
  EXPECT_EQ(card.bytes(0x0409, 2), (Bytes{0x00, 49}));
}

TEST(AppendingRecords, KeepsFillingTheJobsOwnBlocksBeforeALowerFreeOne) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  ASSERT_EQ(s.createJob("B"), 1);
  ASSERT_EQ(s.createJob("C"), 2);
  ASSERT_EQ(test::appendPoint(s, 0, "A0"), kDone);  // block 0
  ASSERT_EQ(test::appendPoint(s, 1, "B0"), kDone);  // block 1
  ASSERT_EQ(test::appendPoint(s, 2, "C0"), kDone);  // block 2
  for (int i = 1; i < 49; ++i) ASSERT_EQ(test::appendPoint(s, 0, "A"), kDone);
  ASSERT_EQ(s.locateRecord(0, 48), (RecordLocation{3, 0, 0}));

  ASSERT_EQ(s.deleteRecord(1, 0), kDone);
  EXPECT_EQ(s.allocationEntry(1).owner, 0xFF) << "its last record gone, block 1 is free";
  EXPECT_EQ(card.bytes(0x0C02, 2), (Bytes{0xFF, 0x00}));

  ASSERT_EQ(test::appendPoint(s, 0, "A49"), kDone);
  EXPECT_EQ(s.locateRecord(0, 49), (RecordLocation{3, 0, 1}));
  ASSERT_EQ(test::appendPoint(s, 2, "C1"), kDone);
  EXPECT_EQ(s.locateRecord(2, 1), (RecordLocation{2, 0, 1}));
  ASSERT_EQ(test::appendPoint(s, 1, "B1"), kDone);
  EXPECT_EQ(s.locateRecord(1, 0), (RecordLocation{1, 0, 0})) << "the freed block serves anyone";
}

// --- Numbering ------------------------------------------------------------------------------

TEST(RecordNumbers, FollowBlocksInAscendingOrderNotArrival) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  for (int job = 0; job < 6; ++job) ASSERT_EQ(s.createJob("J" + std::to_string(job)), job);
  for (int job = 0; job < 5; ++job) {
    for (int i = 0; i < 48; ++i) ASSERT_EQ(test::appendPoint(s, job, "X"), kDone);
  }
  // Job 5 starts in block 5; job 2's block is freed before job 5 needs another.
  for (int i = 0; i < 48; ++i) ASSERT_EQ(test::appendPoint(s, 5, "F" + std::to_string(i)), kDone);
  ASSERT_EQ(s.deleteJob(s.jobPositionOf(2)), kDone);
  ASSERT_EQ(test::appendPoint(s, 5, "LATE"), kDone);

  EXPECT_EQ(s.allocationEntry(2).owner, 6);
  EXPECT_EQ(s.allocationEntry(5).owner, 6);
  EXPECT_EQ(s.locateRecord(5, 0), (RecordLocation{2, 0, 0}));
  EXPECT_EQ(s.locateRecord(5, 1), (RecordLocation{5, 0, 0}));
  EXPECT_EQ(s.locateRecord(5, 48), (RecordLocation{5, 7, 5}));
  EXPECT_FALSE(s.locateRecord(5, 49).has_value());
  EXPECT_EQ(s.recordPointName(5, 0), "LATE");
  EXPECT_EQ(s.recordPointName(5, 1), "F0");
  EXPECT_EQ(s.recordPointName(5, 48), "F47");
}

TEST(RecordNumbers, ADeletedRecordsSlotGoesToTheNextRecordAppended) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  for (int i = 0; i < 10; ++i)
    ASSERT_EQ(test::appendPoint(s, 0, "P" + std::to_string(i), i), kDone);

  Bytes expected = card.bytes();
  ASSERT_EQ(s.deleteRecord(0, 3), kDone);
  test::put(expected, 0x1500, {0xC8});
  test::put(expected, 0x0C00, {0x01, 9});
  test::put(expected, 0x0409, {0x00, 9});
  test::put(expected, 0x0101, {0xC1, 0x77});  // 49527
  EXPECT_TRUE(test::sameImage(card.bytes(), expected)) << "the record's bytes are not erased";
  EXPECT_EQ(test::namesOf(s, 0),
            (std::vector<std::string>{"P0", "P1", "P2", "P4", "P5", "P6", "P7", "P8", "P9"}));

  ASSERT_EQ(test::appendPoint(s, 0, "NEW"), kDone);
  EXPECT_EQ(s.locateRecord(0, 3), (RecordLocation{0, 0, 3}));
  EXPECT_EQ(test::namesOf(s, 0), (std::vector<std::string>{"P0", "P1", "P2", "NEW", "P4", "P5",
                                                           "P6", "P7", "P8", "P9"}));
  EXPECT_EQ(card.bytes(0x1500, 2), (Bytes{0xC0, 0xF0}));
}

TEST(RecordNumbers, BeyondTheCountFindNothingAndChangeNothing) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  ASSERT_EQ(s.createJob("B"), 1);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(test::appendPoint(s, 0, "A"), kDone);
  ASSERT_EQ(test::appendPoint(s, 1, "B"), kDone);
  const Bytes before = card.bytes();
  Bytes buffer(kRecordSize, 0x33);
  for (int n : {3, 4, 100, -1}) {
    EXPECT_EQ(s.readRecord(0, n, kRecordSize, buffer.data()), kRefused) << n;
    EXPECT_EQ(s.deleteRecord(0, n), kRefused) << n;
    EXPECT_EQ(s.recordPointName(0, n), "") << n;
    EXPECT_FALSE(s.locateRecord(0, n).has_value()) << n;
  }
  EXPECT_EQ(s.readRecord(2, 0, kRecordSize, buffer.data()), kRefused) << "a job without records";
  EXPECT_TRUE(test::sameImage(card.bytes(), before));
  EXPECT_EQ(s.recordCount(0), 3);
}

TEST(RecordReading, ReadsTheLengthAskedFor) {
  Card card(kRX3_8);
  ASSERT_EQ(card.store.createJob("A"), 0);
  const Bytes record = test::pointRecord("ABC", 5);
  ASSERT_EQ(card.store.appendRecord(0, kRecordSize, record.data()), kDone);
  Bytes buffer(kRecordSize, 0xEE);
  ASSERT_EQ(card.store.readRecord(0, 0, 10, buffer.data()), kDone);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 10), Bytes(record.begin(), record.begin() + 10));
  EXPECT_EQ(Bytes(buffer.begin() + 10, buffer.end()), Bytes(kRecordSize - 10, 0xEE));
}

TEST(RecordPointNames, AreTheLeadingPrintableCharactersOfBytes1To8) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  const struct {
    Bytes nameBytes;  // bytes 1 to 9
    const char* name;
  } cases[] = {
      {{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I'}, "ABCDEFGH"},
      {{'A', 'B', '\t', 'D', 0, 0, 0, 0, 0}, "AB"},
      {{'P', ' ', '1', 0, 'X', 0, 0, 0, 0}, "P 1"},
      {{0xB5, 0xE3, 0, 0, 0, 0, 0, 0, 0}, ""},
      {{0, 'A', 0, 0, 0, 0, 0, 0, 0}, ""},
  };
  int n = 0;
  for (const auto& c : cases) {
    Bytes record = test::pointRecord("");
    test::put(record, 1, c.nameBytes);
    ASSERT_EQ(s.appendRecord(0, kRecordSize, record.data()), kDone);
    EXPECT_EQ(s.recordPointName(0, n), c.name) << n;
    ++n;
  }
}

// --- Refusals -------------------------------------------------------------------------------

TEST(AppendingRecords, IsRefusedWith254OnceAJobHolds3072) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("FULL"), 0);
  ASSERT_EQ(s.createJob("OTHER"), 1);
  for (int i = 0; i < kMaxJobRecords; ++i) ASSERT_EQ(test::appendPoint(s, 0, "P", i), kDone) << i;
  EXPECT_EQ(s.recordCount(0), 3072);
  EXPECT_EQ(s.allocationEntry(63).owner, 1);
  EXPECT_EQ(s.allocationEntry(63).count, 48);
  EXPECT_EQ(s.allocationEntry(64).owner, 0xFF);

  const Bytes before = card.bytes();
  EXPECT_EQ(test::appendPoint(s, 0, "P"), kJobFull);
  EXPECT_TRUE(test::sameImage(card.bytes(), before)) << "nothing is written";
  EXPECT_EQ(s.freeRecords(), 49536 - 3072);
  EXPECT_EQ(test::appendPoint(s, 1, "Q"), kDone) << "the record area still has room";

  // Room again after a deletion.
  ASSERT_EQ(s.deleteRecord(0, 100), kDone);
  EXPECT_EQ(test::appendPoint(s, 0, "P"), kDone);
  EXPECT_EQ(s.locateRecord(0, 100), (RecordLocation{2, 0, 4}));
}

// Every block but the last is owned and full; the last has one free slot.
void almostFillTheArea(Card& card) {
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  ASSERT_TRUE(s.commitImage());  // before the file is changed behind the store's back
  const int blocks = s.blockCount();
  Bytes allocation;
  Bytes bitmaps;
  for (int b = 0; b < blocks - 1; ++b) {
    allocation.insert(allocation.end(), {uint8_t(2 + b % 100), 48});  // jobs 1 to 100
    bitmaps.insert(bitmaps.end(), 8, 0xC0);
  }
  allocation.insert(allocation.end(), {0x01, 47});
  bitmaps.insert(bitmaps.end(), 7, 0xC0);
  bitmaps.push_back(0xE0);  // slot 5 of sector 7 free
  card.image.write(0x0C00, allocation);
  card.image.write(0x1500, bitmaps);
  card.image.write(0x0101, {0x00, 0x01});
  card.image.write(0x0409, {0x00, 47});
  card.reload();
}

TEST(AppendingRecords, ReachesTheLastSlotOfTheArea) {
  Card card(kRX3_8);
  almostFillTheArea(card);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.freeRecords(), 1);
  const Bytes record = test::pointRecord("LAST", 9);
  ASSERT_EQ(s.appendRecord(0, kRecordSize, record.data()), kDone);
  EXPECT_EQ(s.locateRecord(0, 47), (RecordLocation{1031, 7, 5}));
  EXPECT_EQ(card.bytes(0x207FD2, kRecordSize), record);
  EXPECT_EQ(card.image.size(), test::kSize8320);
  EXPECT_EQ(card.bytes(0x1500 + 1031 * 8 + 7, 1), Bytes{0xC0});
  EXPECT_EQ(card.bytes(0x0C00 + 1031 * 2, 2), (Bytes{0x01, 48}));
  EXPECT_EQ(card.bytes(0x0101, 2), (Bytes{0x00, 0x00}));
  EXPECT_EQ(s.freeRecords(), 0);
}

TEST(AppendingRecords, IsRefusedWith255WhenEveryBlockIsOwnedAndFull) {
  Card card(kRX3_8);
  almostFillTheArea(card);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(test::appendPoint(s, 0, "LAST"), kDone);
  ASSERT_EQ(s.createJob("B"), 1);  // owns full blocks already
  ASSERT_EQ(s.createJob("C"), 2);

  const Bytes before = card.bytes();
  EXPECT_EQ(test::appendPoint(s, 0, "X"), kRefused);
  EXPECT_EQ(test::appendPoint(s, 1, "X"), kRefused);
  EXPECT_EQ(test::appendPoint(s, 2, "X"), kRefused);
  EXPECT_EQ(test::appendPoint(s, s.knownPointFile(), "X"), kRefused);
  EXPECT_TRUE(test::sameImage(card.bytes(), before)) << "nothing is written";
  EXPECT_EQ(s.recordCount(0), 48);

  // A freed slot in a block that stays owned serves its own job only.
  ASSERT_EQ(s.deleteRecord(0, 10), kDone);
  EXPECT_EQ(test::appendPoint(s, 2, "X"), kRefused);
  EXPECT_EQ(test::appendPoint(s, 0, "BACK"), kDone);
  EXPECT_EQ(s.recordPointName(0, 10), "BACK");
}

// Appending every slot of the area through the store itself.
TEST(AppendingRecords, FillsTheWholeAreaAcrossJobs) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  const auto start = std::chrono::steady_clock::now();
  int appended = 0;
  for (int job = 0; job < 17; ++job) {
    ASSERT_EQ(s.createJob("J" + std::to_string(job)), job);
    for (int i = 0; i < kMaxJobRecords && appended < 49536; ++i, ++appended) {
      ASSERT_EQ(test::appendPoint(s, job, "P"), kDone) << "job " << job << " record " << i;
    }
  }
  EXPECT_EQ(s.freeRecords(), 0);
  EXPECT_EQ(card.bytes(0x0101, 2), (Bytes{0x00, 0x00}));
  EXPECT_EQ(s.recordCount(16), 49536 - 16 * 3072);
  EXPECT_EQ(test::appendPoint(s, 16, "P"), kRefused);
  ASSERT_EQ(s.createJob("EMPTY"), 17);
  EXPECT_EQ(test::appendPoint(s, 17, "P"), kRefused);
  EXPECT_EQ(test::appendPoint(s, 0, "P"), kJobFull);
  EXPECT_EQ(s.locateRecord(16, 383), (RecordLocation{1031, 7, 5}));
  EXPECT_EQ(card.image.size(), test::kSize8320);
  RecordProperty("fill_ms", static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 std::chrono::steady_clock::now() - start)
                                                 .count()));
}

}  // namespace
}  // namespace vel
