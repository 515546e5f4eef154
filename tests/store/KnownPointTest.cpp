// The known-point file: a job slot of its own that the job list never shows.
#include <gtest/gtest.h>

#include "TestImage.h"

namespace vel {
namespace {

using test::Bytes;
using test::Card;

TEST(KnownPoints, LiveInTheSlotAfterTheLastJob) {
  const struct {
    int model;
    uint8_t slot;
    uint8_t owner;
    long long countAt;
    Bytes one;
  } cases[] = {{kRX3_8, 128, 129, 0x0103, {0x00, 0x01}},
               {kRX2_8, 128, 129, 0x0103, {0x00, 0x01}},
               {kRX3_32, 128, 129, 0x0126, {0x01, 0x00}},
               {kRX9_32, 32, 33, 0x0126, {0x01, 0x00}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(modelName(c.model));
    Card card(c.model);
    RecordAreaStore& s = card.store;
    EXPECT_EQ(s.knownPointFile(), c.slot);
    EXPECT_EQ(s.recordCount(c.slot), 0);
    ASSERT_EQ(test::addKnownPoint(s, "K1", {1, 0}, {2, 0}, {3, 0}), kDone);
    EXPECT_EQ(card.bytes(0x0C00, 2), (Bytes{c.owner, 1}));
    EXPECT_EQ(card.bytes(c.countAt, 2), c.one);
    EXPECT_EQ(s.recordCount(c.slot), 1);
    EXPECT_EQ(s.jobCount(), 0) << "never listed as a job";
    EXPECT_EQ(card.bytes(0x0180, 1), Bytes{0xFF});
  }
}

TEST(KnownPoints, AreNumberedInPhysicalOrder) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  for (int i = 0; i < 5; ++i)
    ASSERT_EQ(test::addKnownPoint(s, "K" + std::to_string(i), {i, 0}, {0, 0}, {0, 0}), kDone);
  ASSERT_EQ(s.deleteRecord(128, 2), kDone);
  EXPECT_EQ(s.recordCount(128), 4);
  EXPECT_EQ(card.bytes(0x0103, 2), (Bytes{0x00, 0x04}));
  EXPECT_EQ(s.recordPointName(128, 2), "K3");

  ASSERT_EQ(test::addKnownPoint(s, "NEW", {9, 0}, {0, 0}, {0, 0}), kDone);
  EXPECT_EQ(test::namesOf(s, 128), (std::vector<std::string>{"K0", "K1", "NEW", "K3", "K4"}));
  EXPECT_EQ(s.recordPointName(128, 2), "NEW");
  EXPECT_EQ(s.deleteRecord(128, 5), kRefused);
  EXPECT_EQ(s.recordPointName(128, 5), "");
}

TEST(KnownPoints, DeletingAllFreesTheirBlocksAndLeavesTheJobs) {
  for (int model : {kRX3_8, kRX9_32}) {
    SCOPED_TRACE(modelName(model));
    Card card(model);
    RecordAreaStore& s = card.store;
    const uint8_t kp = s.knownPointFile();
    const long long currentJob = model == kRX9_32 ? 0x0120 : 0x0100;
    const long long countAt = model == kRX9_32 ? 0x0126 : 0x0103;
    ASSERT_EQ(s.createJob("A"), 0);
    ASSERT_EQ(s.createJob("B"), 1);
    card.patch(currentJob, {1});
    ASSERT_EQ(test::appendPoint(s, 0, "A0"), kDone);                               // block 0
    for (int i = 0; i < 60; ++i) ASSERT_EQ(test::appendPoint(s, kp, "K"), kDone);  // blocks 1, 2
    ASSERT_EQ(test::appendPoint(s, 1, "B0"), kDone);                               // block 3

    Bytes expected = card.bytes();
    ASSERT_EQ(s.deleteJob(kp), kDone);
    test::put(expected, 0x0C02, {0xFF, 0x00, 0xFF, 0x00});
    test::fill(expected, 0x1508, 0x1517, 0xFF);
    test::put(expected, countAt, {0x00, 0x00});
    const int freeCount = s.capacity() - 2;
    if (model == kRX9_32) {
      test::put(expected, 0x0122, {uint8_t(freeCount & 0xFF), uint8_t(freeCount >> 8)});
    } else {
      test::put(expected, 0x0101, {uint8_t(freeCount >> 8), uint8_t(freeCount & 0xFF)});
    }
    EXPECT_TRUE(test::sameImage(card.bytes(), expected));
    EXPECT_EQ(s.recordCount(kp), 0);
    EXPECT_EQ(s.freeRecords(), freeCount);
    EXPECT_EQ(s.jobCount(), 2);
    EXPECT_EQ(s.currentJob(), 1);
    EXPECT_EQ(s.recordPointName(kp, 0), "");

    // Deleting an empty known-point file is fine too.
    const Bytes emptied = card.bytes();
    EXPECT_EQ(s.deleteJob(kp), kDone);
    EXPECT_TRUE(test::sameImage(card.bytes(), emptied));
  }
}

TEST(KnownPoints, StopAt3072) {
  Card card(kRX9_32);
  RecordAreaStore& s = card.store;
  for (int i = 0; i < kMaxJobRecords; ++i) ASSERT_EQ(test::appendPoint(s, 32, "K", i), kDone) << i;
  EXPECT_EQ(card.bytes(0x0126, 2), (Bytes{0x00, 0x0C}));
  const Bytes before = card.bytes();
  EXPECT_EQ(test::appendPoint(s, 32, "K"), kJobFull);
  EXPECT_TRUE(test::sameImage(card.bytes(), before));
  EXPECT_EQ(s.recordCount(32), 3072);
}

}  // namespace
}  // namespace vel
