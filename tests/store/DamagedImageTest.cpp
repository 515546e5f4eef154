// Damaged cards: whatever the header tables hold, the store stays inside its
// tables and the image, and answers as if the damaged entries were not there.
#include <gtest/gtest.h>

#include <random>

#include "TestImage.h"

namespace vel {
namespace {

using test::Bytes;
using test::Card;

// --- Order tables ---------------------------------------------------------------

TEST(DamagedJobOrder, EndsAtTheFirstEntryThatIsNoJobSlot) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  ASSERT_EQ(s.createJob("B"), 1);
  ASSERT_EQ(s.createJob("C"), 2);
  card.patch(0x0181, {200});
  EXPECT_EQ(s.jobCount(), 1);
  EXPECT_EQ(s.jobSlotAt(0), 0);
  EXPECT_EQ(s.jobSlotAt(1), 0xFF);
  EXPECT_EQ(s.jobSlotAt(2), 0xFF) << "entries after the end are not listed";
  EXPECT_EQ(s.findJob("C"), kRefused);
  EXPECT_EQ(s.findJob("A"), 0);
}

TEST(DamagedJobOrder, OnRX9_32EndsAtSlot32OrAbove) {
  Card card(kRX9_32);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  ASSERT_EQ(s.createJob("B"), 1);
  card.patch(0x0181, {40, 1});
  EXPECT_EQ(s.jobCount(), 1);
  EXPECT_EQ(s.jobSlotAt(1), 0xFF);

  // All 32 entries listed and garbage beyond them: 32 jobs, not more.
  Bytes table(128, 0x05);
  for (int i = 0; i < 32; ++i) table[i] = static_cast<uint8_t>(31 - i);
  card.patch(0x0180, table);
  EXPECT_EQ(s.jobCount(), 32);
  EXPECT_EQ(s.jobSlotAt(31), 0);
  EXPECT_EQ(s.jobSlotAt(32), 0xFF);
  EXPECT_EQ(s.createJob("X"), kRefused);
}

TEST(DamagedCodeOrder, EndsAtTheFirstEntryThatIsNoCodeSlot) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.addFeatureCode("A"), 0);
  ASSERT_EQ(s.addFeatureCode("B"), 1);
  ASSERT_EQ(s.addFeatureCode("C"), 2);
  card.patch(0x0111, {64});
  EXPECT_EQ(s.featureCodeCount(), 1);
  EXPECT_EQ(s.featureCodeAt(0), "A");
  EXPECT_EQ(s.featureCodeAt(1), "");
  EXPECT_EQ(s.featureCodeAt(2), "");
  EXPECT_EQ(s.featureCodeAt(64), "");
  EXPECT_EQ(s.featureCodeAt(1000), "");
}

TEST(DamagedCurrentJob, AboveTheJobSlotsIsNoCurrentJob) {
  Card card(kRX9_32);
  card.patch(0x0120, {40});
  EXPECT_FALSE(card.store.hasCurrentJob());
  ASSERT_EQ(card.store.createJob("A"), 0);
  EXPECT_NE(card.store.currentJob(), card.store.jobSlotAt(0));
}

// --- Allocation table and bitmaps ----------------------------------------------

struct AllocationDamage {
  const char* name;
  int model;
  Bytes entry;  // allocation entry of block 0
};

std::ostream& operator<<(std::ostream& out, const AllocationDamage& d) {
  return out << d.name;
}

const AllocationDamage kAllocationDamages[] = {
    {"CountAbove48", kRX3_8, {0x01, 60}},
    {"CountAbove48KnownPoints", kRX3_8, {0x81, 200}},
    {"OwnerZero", kRX3_8, {0x00, 5}},
    {"OwnerBeyondKnownPoints", kRX3_8, {130, 5}},
    {"OwnerBeyondRX9_32KnownPoints", kRX9_32, {34, 5}},
    {"OwnerOfAnRX3_8JobOnRX9_32", kRX9_32, {100, 5}},
};

class DamagedAllocation : public ::testing::TestWithParam<AllocationDamage> {};

TEST_P(DamagedAllocation, BlockBelongsToNoJobAndIsNeverTaken) {
  const AllocationDamage& d = GetParam();
  Card card(d.model);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  card.image.write(0x1500, Bytes(8, 0xC0));  // block 0 looks full
  card.patch(0x0C00, d.entry);

  for (uint8_t slot : {uint8_t(0), s.knownPointFile()}) {
    EXPECT_FALSE(s.locateRecord(slot, 0).has_value()) << int(slot);
    ASSERT_EQ(test::appendPoint(s, slot, "NEW"), kDone) << int(slot);
    const auto where = s.locateRecord(slot, 0);
    ASSERT_TRUE(where.has_value());
    EXPECT_NE(where->block, 0) << int(slot);
    EXPECT_EQ(s.recordPointName(slot, 0), "NEW");
  }
  EXPECT_EQ(card.bytes(0x0C00, 2), d.entry) << "the damaged entry is left alone";
  EXPECT_EQ(s.deleteJob(s.knownPointFile()), kDone);
  EXPECT_EQ(s.deleteJob(0), kDone);
  EXPECT_EQ(s.jobCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedAllocation, ::testing::ValuesIn(kAllocationDamages),
                         [](const auto& info) { return std::string(info.param.name); });

// An owner byte beyond the known-point file names no slot, not even when a
// caller passes the matching out-of-range slot number: that slot has no record
// count, and writing one would land inside the allocation table.
TEST(DamagedAllocation, OwnerBeyondTheKnownPointFileIsNoOnesRecord) {
  for (int model : {kRX3_8, kRX9_32}) {
    SCOPED_TRACE(modelName(model));
    Card card(model);
    RecordAreaStore& s = card.store;
    card.image.write(0x1500, {0xFE});
    card.patch(0x0C00, {201, 1});
    const Bytes before = card.bytes();
    Bytes buffer(kRecordSize);
    EXPECT_FALSE(s.locateRecord(200, 0).has_value());
    EXPECT_EQ(s.readRecord(200, 0, kRecordSize, buffer.data()), kRefused);
    EXPECT_EQ(s.recordPointName(200, 0), "");
    EXPECT_EQ(s.deleteRecord(200, 0), kRefused);
    EXPECT_TRUE(test::sameImage(card.bytes(), before));
  }
}

TEST(DamagedBitmap, RecordsTheBitmapDoesNotHoldDoNotExist) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(test::appendPoint(s, 0, "P" + std::to_string(i)), kDone);

  card.patch(0x1500, {0xFC});  // the count says 3, the bitmap holds 2
  EXPECT_EQ(s.recordPointName(0, 1), "P1");
  const Bytes before = card.bytes();
  Bytes buffer(kRecordSize);
  EXPECT_EQ(s.readRecord(0, 2, kRecordSize, buffer.data()), kRefused);
  EXPECT_EQ(s.deleteRecord(0, 2), kRefused);
  EXPECT_EQ(s.recordPointName(0, 2), "");

  card.patch(0x1500, {0xFF});  // and now none
  EXPECT_EQ(s.readRecord(0, 0, kRecordSize, buffer.data()), kRefused);
  EXPECT_EQ(s.deleteRecord(0, 0), kRefused);
  Bytes expected = before;
  expected[0x1500] = 0xFF;
  EXPECT_TRUE(test::sameImage(card.bytes(), expected)) << "refusals write nothing";
}

TEST(DamagedBitmap, WithBits6And7ClearHoldsNoExtraRecords) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("A"), 0);
  ASSERT_EQ(test::appendPoint(s, 0, "P0"), kDone);
  card.patch(0x1500, {0x3E});  // slot 0 used, bits 6 and 7 clear
  EXPECT_EQ(s.recordPointName(0, 0), "P0");
  EXPECT_FALSE(s.locateRecord(0, 1).has_value());
  ASSERT_EQ(test::appendPoint(s, 0, "P1"), kDone);
  EXPECT_EQ(s.locateRecord(0, 1), (RecordLocation{0, 0, 1}));
}

// --- Operations on slots that are neither a job nor the known-point file --------

TEST(SlotArguments, BeyondTheKnownPointFileAreRefusedWithoutWriting) {
  for (int model : {kRX3_8, kRX9_32}) {
    SCOPED_TRACE(modelName(model));
    Card card(model);
    RecordAreaStore& s = card.store;
    ASSERT_EQ(s.createJob("A"), 0);
    ASSERT_EQ(test::appendPoint(s, 0, "P"), kDone);
    const Bytes before = card.bytes();
    for (int slot : {s.knownPointFile() + 1, 200, 254, 255}) {
      EXPECT_EQ(test::appendPoint(s, static_cast<uint8_t>(slot), "X"), kRefused) << slot;
      EXPECT_EQ(s.deleteRecord(static_cast<uint8_t>(slot), 0), kRefused) << slot;
      EXPECT_EQ(s.recordCount(static_cast<uint8_t>(slot)), 0) << slot;
      EXPECT_EQ(s.jobName(static_cast<uint8_t>(slot)), "") << slot;
    }
    EXPECT_TRUE(test::sameImage(card.bytes(), before));
  }
}

// --- Random damage -----------------------------------------------------------------

struct FormatWord {
  int model;
  long long offset;
  Bytes bytes;
};

const FormatWord kFormatWords[] = {{kRX3_8, 0x0105, {0xCC, 0x88}},
                                   {kRX3_8, 0x0105, {0xCC, 0x77}},
                                   {kRX2_8, 0x0105, {0xDD, 0x88}},
                                   {kRX3_32, 0x0100, {0x88, 0xCC}},
                                   {kRX9_32, 0x0100, {0x99, 0xDD}}};

// Header bytes that hit the interesting ranges often: end marks, job and code
// slots, block counts, and anything at all.
Bytes damagedHeader(std::mt19937& random) {
  Bytes header(0x4000);
  for (uint8_t& b : header) {
    switch (random() % 5) {
      case 0:
        b = 0xFF;
        break;
      case 1:
        b = static_cast<uint8_t>(random() % 131);
        break;
      case 2:
        b = static_cast<uint8_t>(random() % 50);
        break;
      case 3:
        b = static_cast<uint8_t>(random() % 64);
        break;
      default:
        b = static_cast<uint8_t>(random());
        break;
    }
  }
  if (random() % 2) {  // a plausible job list, so that listed jobs meet damaged blocks
    for (int i = 0; i < 128; ++i) header[0x0180 + i] = i < 20 ? static_cast<uint8_t>(i) : 0xFF;
  }
  return header;
}

bool printable(const std::string& text) {
  for (char c : text) {
    if (c < ' ' || c > '~') return false;
  }
  return true;
}

// Every listing and every changing operation, with checks that hold on any image.
void exerciseEverything(RecordAreaStore& s) {
  const int limit = s.jobLimit();
  const int jobs = s.jobCount();
  ASSERT_GE(jobs, 0);
  ASSERT_LE(jobs, limit);
  for (int p = 0; p < 132; ++p) {
    const uint8_t slot = s.jobSlotAt(p);
    if (p < jobs) {
      EXPECT_LT(slot, limit) << p;
    } else {
      EXPECT_EQ(slot, 0xFF) << p;
      EXPECT_EQ(s.jobEntry(slot).nameBytes(), "") << p;
    }
    s.jobEntry(slot);
  }
  for (int slot = 0; slot < 256; ++slot) {
    const std::string name = s.jobName(static_cast<uint8_t>(slot));
    EXPECT_LE(name.size(), 8u);
    EXPECT_TRUE(printable(name)) << slot;
    if (slot >= limit) {
      EXPECT_EQ(name, "");
    }
    const uint16_t count = s.recordCount(static_cast<uint8_t>(slot));
    if (slot > limit) {
      EXPECT_EQ(count, 0);
    }
    s.jobPositionOf(static_cast<uint8_t>(slot));
  }
  s.findJob("A");
  const int codes = s.featureCodeCount();
  EXPECT_LE(codes, 64);
  for (int p = 0; p < 70; ++p) {
    const std::string code = s.featureCodeAt(p);
    EXPECT_LE(code.size(), 8u);
    if (p >= codes) {
      EXPECT_EQ(code, "");
    }
  }

  std::vector<uint8_t> slots;
  for (int p = 0; p < jobs; ++p) slots.push_back(s.jobSlotAt(p));
  slots.push_back(s.knownPointFile());
  Bytes buffer(kRecordSize);
  for (uint8_t slot : slots) {
    const int count = s.recordCount(slot);
    for (int n = 0; n < std::min(count, 60) + 2; ++n) {
      const auto where = s.locateRecord(slot, n);
      if (where) {
        EXPECT_LT(where->block, s.blockCount());
        EXPECT_LT(where->sector, 8);
        EXPECT_LT(where->slot, 6);
        EXPECT_EQ(s.allocationEntry(where->block).owner, slot + 1);
        EXPECT_LE(s.allocationEntry(where->block).count, 48);
      }
      const uint8_t read = s.readRecord(slot, n, kRecordSize, buffer.data());
      EXPECT_EQ(read == kDone, where.has_value());
      EXPECT_LE(s.recordPointName(slot, n).size(), 8u);
    }
  }

  for (uint8_t slot : slots) {
    const uint8_t appended = test::appendPoint(s, slot, "NEW");
    EXPECT_TRUE(appended == kDone || appended == kJobFull || appended == kRefused) << int(appended);
    const uint8_t deleted = s.deleteRecord(slot, 0);
    EXPECT_TRUE(deleted == kDone || deleted == kRefused) << int(deleted);
  }
  const uint8_t created = s.createJob("NEWJOB");
  EXPECT_TRUE(created < limit || created == kRefused) << int(created);
  for (int slot = 0; slot <= limit; ++slot) {
    EXPECT_EQ(s.renameJob(static_cast<uint8_t>(slot), "R"), slot < limit ? kDone : kRefused);
  }
  const uint8_t code = s.addFeatureCode("CODE");
  EXPECT_TRUE(code < 64 || code == kRefused) << int(code);
  s.deleteFeatureCode(0);
  EXPECT_EQ(s.deleteFeatureCode(64), kRefused);
  EXPECT_NE(s.deleteJob(0), kWriteFailed);
  EXPECT_EQ(s.deleteJob(s.knownPointFile()), kDone);
  EXPECT_EQ(s.deleteJob(limit + 1), kRefused);
  EXPECT_EQ(s.clearFeatureCodes(), kDone);
  EXPECT_EQ(s.featureCodeCount(), 0);
}

TEST(RandomDamage, NeverLeadsOutsideTheTablesOrTheImage) {
  for (const FormatWord& word : kFormatWords) {
    const int sectors = word.bytes == Bytes{0xCC, 0x77} ? 8704 : test::sectorsOf(word.model);
    Card card(word.model, sectors);
    const long long size = card.image.size();
    for (unsigned seed = 1; seed <= 12; ++seed) {
      SCOPED_TRACE(std::string(modelName(word.model)) + " seed " + std::to_string(seed));
      std::mt19937 random(seed * 7919 + static_cast<unsigned>(word.bytes[1]));
      Bytes header = damagedHeader(random);
      if (word.offset == 0x0105) {
        header[0x0100] = 0x12;  // no layout 1 format word
      }
      test::put(header, word.offset, word.bytes);
      card.image.write(0, header);

      RecordAreaStore s(test::fixedClock());
      ASSERT_TRUE(s.openImage(card.image.path()));
      ASSERT_EQ(s.detectModel(), kModelRecognised);
      ASSERT_EQ(s.instrumentModel(), word.model);
      s.loadTables();
      exerciseEverything(s);
      if (HasFatalFailure()) return;
      EXPECT_EQ(card.image.size(), size) << "nothing written past the end of the image";

      // What the operations left behind loads again.
      RecordAreaStore again(test::fixedClock());
      ASSERT_TRUE(again.openImage(card.image.path()));
      ASSERT_EQ(again.detectModel(), kModelRecognised);
      again.loadTables();
      exerciseEverything(again);
      if (HasFatalFailure()) return;
      EXPECT_EQ(card.image.size(), size);
    }
  }
}

TEST(RandomDamage, WithoutAFormatWordIsFormattedClean) {
  for (unsigned seed = 100; seed < 110; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    test::TempImage image(test::kSize8320);
    std::mt19937 random(seed);
    Bytes header = damagedHeader(random);
    header[0x0100] = 0x12;
    header[0x0105] = 0x34;
    image.write(0, header);
    RecordAreaStore s(test::fixedClock());
    ASSERT_TRUE(s.openImage(image.path()));
    const uint8_t detected = s.detectModel();
    EXPECT_TRUE(detected == kModelNotRecognised || detected == kModelJobOrderPlausible);
    ASSERT_EQ(s.formatRecordArea(), kDone);
    s.loadTables();
    EXPECT_EQ(s.jobCount(), 0);
    EXPECT_EQ(s.featureCodeCount(), 0);
    EXPECT_EQ(s.freeRecords(), s.capacity());
    exerciseEverything(s);
  }
}

}  // namespace
}  // namespace vel
