// What one user action does to a card, as both front ends rely on it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "TestImage.h"
#include "card/CardSession.h"
#include "records/MessageTexts.h"

namespace vel {
namespace {

using test::Bytes;
using test::Card;

// Writes into the image file behind every store's back.
void poke(const std::string& path, long long position, const Bytes& bytes) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(position);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct Session {
  explicit Session(int model = kRX3_8) : card(model), session(card.store) {}
  Card card;
  CardSession session;
};

TEST(Jobs, RefuseADuplicateNameInAnyLetterCaseAndTheJobsOwnNameOnRename) {
  Session s;
  ASSERT_TRUE(s.session.createJob("JOB1").done());
  const CardResult twice = s.session.createJob("job1");
  EXPECT_EQ(twice.status, CardResult::kRefused);
  EXPECT_EQ(twice.message, kDuplicateJobNameText);
  EXPECT_EQ(s.card.store.jobCount(), 1);

  const CardResult own = s.session.renameJob(s.card.store.jobSlotAt(0), "Job1");
  EXPECT_EQ(own.status, CardResult::kRefused);
  EXPECT_EQ(own.message, kRenameTakenText);
  EXPECT_TRUE(s.session.renameJob(s.card.store.jobSlotAt(0), "JOB2").done());
  EXPECT_EQ(s.card.store.jobName(0), "JOB2");
}

TEST(Jobs, WithNoFreeSlotAreRefusedWithTheirText) {
  Session s(kRX9_32);
  for (int i = 0; i < 32; ++i) ASSERT_TRUE(s.session.createJob("J" + std::to_string(i)).done());
  const CardResult full = s.session.createJob("ONEMORE");
  EXPECT_EQ(full.status, CardResult::kRefused);
  EXPECT_EQ(full.message, kNoFreeJobSlotText);
}

TEST(Entries, AreRefusedBeforehandInAFullJobOrKnownPointFile) {
  Session s;
  RecordAreaStore& store = s.card.store;
  ASSERT_TRUE(s.session.createJob("A").done());
  const uint8_t known = store.knownPointFile();
  // Only the count decides, as the pages and velcard read it.
  s.card.patch(0x0400 + 9, {0x0C, 0x00});  // 3072 records, big-endian
  s.card.patch(0x0103, {0x0C, 0x00});
  EXPECT_EQ(s.session.checkRoomForEntry(0).message, kJobFullBeforeText);
  EXPECT_EQ(s.session.checkRoomForEntry(known).message, kKnownFileFullBeforeText);
  s.card.patch(0x0400 + 9, {0x0B, 0xFF});  // 3071
  EXPECT_TRUE(s.session.checkRoomForEntry(0).done());
}

TEST(Entries, TurnTheStoresRefusalsIntoTheirTexts) {
  Session s;
  ASSERT_TRUE(s.session.createJob("A").done());
  ASSERT_TRUE(s.session.addPoint(0, "P1", {1, 0}, {2, 0}, {3, 0}).done());
  EXPECT_EQ(s.card.store.recordPointName(0, 0), "P1");

  s.card.patch(0x0400 + 9, {0x0C, 0x00});
  EXPECT_EQ(s.session.addPoint(0, "P2", {}, {}, {}).message, kJobFullWhileStoringText);

  // Every block taken by another job: the area is full.
  for (int b = 0; b < s.card.store.blockCount(); ++b) s.card.patch(0x0C00 + 2 * b, {9, 48});
  ASSERT_TRUE(s.session.createJob("B").done());
  EXPECT_EQ(s.session.addPoint(1, "P3", {}, {}, {}).message, kRecordAreaFullText);
}

TEST(Import, StoresRowsUntilTheFirstRefusalAndKeepsThoseBefore) {
  Session s;
  ASSERT_TRUE(s.session.createJob("A").done());
  s.card.patch(0x0400 + 9, {0x0B, 0xFE});  // room for two more
  const std::vector<ImportRow> rows = {
      {"P1", "1", "2", "3"}, {"", "1", "2", "3"}, {"P2", "4", "5", ""}, {"P3", "7", "8", "9"}};
  const CardSession::ImportOutcome outcome = s.session.importRows(rows, 0);
  EXPECT_EQ(outcome.confirmed, 1);
  EXPECT_EQ(outcome.stop.message, kJobFullWhileStoringText);
  EXPECT_EQ(s.card.store.recordCount(0), 3072);
  EXPECT_EQ(s.card.store.recordPointName(0, 1), "P2") << "the row without a name is skipped";

  // Row 1 itself refused: nothing was confirmed.
  const CardSession::ImportOutcome first = s.session.importRows(rows, 0);
  EXPECT_EQ(first.confirmed, 0);
  EXPECT_EQ(first.stop.status, CardResult::kRefused);
}

TEST(RecordLines, ShowAnUnreadableRecordAsUnknownSoThatLineIStaysRecordI) {
  Session s;
  ASSERT_TRUE(s.session.createJob("A").done());
  for (int i = 0; i < 3; ++i) ASSERT_EQ(test::appendPoint(s.card.store, 0, "P"), kDone);
  // The bitmap says one record fewer than the count: record 2 cannot be found.
  s.card.patch(0x1500, {0x3F & ~0x03});
  const std::vector<std::string> lines = s.session.recordLines(0);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 2), "PT");
  EXPECT_EQ(lines[2], "Unknown Record");
}

TEST(FeatureCodes, PastTheListOrAnEmptyListChangeNothing) {
  Session s;
  const Bytes before = s.card.bytes();
  EXPECT_EQ(s.session.deleteFeatureCode(0).status, CardResult::kRefused);
  EXPECT_TRUE(s.session.clearFeatureCodes().done());
  EXPECT_TRUE(test::sameImage(s.card.bytes(), before));

  for (int i = 0; i < 64; ++i) ASSERT_TRUE(s.session.addFeatureCode("C" + std::to_string(i)).done());
  EXPECT_EQ(s.session.addFeatureCode("X").message, kCodeLibraryFullText);
  EXPECT_TRUE(s.session.deleteFeatureCode(63).done());
  EXPECT_EQ(s.session.featureCodes().size(), 63u);
}

TEST(Opening, TellsMissingUnrecognisedAndFormatsOnlyWhenAsked) {
  Card card(kRX3_32);
  RecordAreaStore store;
  CardSession session(store);
  EXPECT_EQ(session.open(card.image.path() + ".none"), OpenStatus::kMissing);
  EXPECT_NE(session.openError(), 0);
  EXPECT_EQ(session.open(card.image.path()), OpenStatus::kLoaded);
  EXPECT_EQ(store.instrumentModel(), kRX3_32);

  poke(card.image.path(), 0x0100, {0x12, 0x34});  // no model's format word
  int asked = 0;
  EXPECT_EQ(session.open(card.image.path(), [&] { return ++asked, false; }),
            OpenStatus::kNotRecognised);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(card.bytes(0x0100, 2), (Bytes{0x12, 0x34})) << "declined: nothing written";
  EXPECT_EQ(session.open(card.image.path(), [] { return true; }), OpenStatus::kLoaded);
  EXPECT_EQ(store.jobCount(), 0);
  EXPECT_EQ(card.bytes(0x0100, 2), (Bytes{0x88, 0xCC}));
}

}  // namespace
}  // namespace vel
