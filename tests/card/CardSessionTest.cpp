// What one user action does to a card, as both front ends rely on it: the
// session is the one door, and every action answers with its code.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "TestImage.h"
#include "card/CardSession.h"

namespace vel {
namespace {

using test::Bytes;

// A card image in a file of its own, opened by a session as the front ends
// open it.
struct Door {
  explicit Door(int model = kRX3_8) : card(model) {
    card.store.closeImage();
    reopen();
  }
  void reopen() { ASSERT_EQ(session.open(card.image.path()), OpenStatus::kLoaded); }
  // Changes the file behind the session's back, then opens it again.
  void patch(long long position, const Bytes& bytes) {
    session.close();
    card.image.write(position, bytes);
    reopen();
  }
  Bytes bytes() const { return card.image.read(); }

  test::Card card;
  CardSession session{test::fixedClock()};
};

Outcome::Kind kindOf(const Outcome& outcome) {
  return outcome.kind;
}

TEST(Actions, AnswerWithTheCodeOfEachRuleAndChangeNothingWhenRefused) {
  Door door;
  CardSession& s = door.session;
  const JobSlot first{0};
  struct Step {
    const char* what;
    Action action;
    Refusal refusal;  // kNone: done
  };
  const Step steps[] = {
      {"a new job", CreateJob{"JOB1"}, Refusal::kNone},
      {"its name in another case", CreateJob{"job1"}, Refusal::kDuplicateJobName},
      {"its own name again", RenameJob{first, "Job1"}, Refusal::kRenameTaken},
      {"a new name", RenameJob{first, "JOB2"}, Refusal::kNone},
      {"a point", AddPoint{first, "P1", {1, 0}, {2, 0}, {3, 0}}, Refusal::kNone},
      {"a record past the job's", DeleteRecord{first, 5}, Refusal::kNothingThere},
      {"a job past the list", DeleteJob{JobPosition{3}}, Refusal::kNothingThere},
      {"a code past the list", DeleteFeatureCode{0}, Refusal::kNothingThere},
      {"no codes to clear", ClearFeatureCodes{}, Refusal::kNone},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const Bytes before = door.bytes();
    const Outcome outcome = s.run(step.action);
    if (step.refusal == Refusal::kNone) {
      EXPECT_TRUE(outcome.done());
    } else {
      EXPECT_EQ(kindOf(outcome), Outcome::Kind::kRefused);
      EXPECT_EQ(outcome.refusal, step.refusal);
      EXPECT_TRUE(test::sameImage(door.bytes(), before));
    }
  }
  EXPECT_EQ(s.jobName(first), "JOB2");
  EXPECT_EQ(s.pointName(first, 0), "P1");
  EXPECT_EQ(s.jobLines().size(), 1u);
}

TEST(Actions, WithNoFreeJobSlotOrCodeAreRefused) {
  Door door(kRX9_32);
  for (int i = 0; i < 32; ++i) {
    ASSERT_TRUE(door.session.run(CreateJob{"J" + std::to_string(i)}).done());
  }
  EXPECT_EQ(door.session.run(CreateJob{"ONEMORE"}).refusal, Refusal::kNoFreeJobSlot);
  for (int i = 0; i < 64; ++i) {
    ASSERT_TRUE(door.session.run(AddFeatureCode{"C" + std::to_string(i)}).done());
  }
  EXPECT_EQ(door.session.run(AddFeatureCode{"X"}).refusal, Refusal::kCodeLibraryFull);
  EXPECT_TRUE(door.session.run(DeleteFeatureCode{63}).done());
  EXPECT_EQ(door.session.featureCodes().size(), 63u);
}

TEST(Entries, AreRefusedBeforehandInAFullJobOrKnownPointFileAndWhileStoring) {
  Door door;
  ASSERT_TRUE(door.session.run(CreateJob{"A"}).done());
  const JobSlot known = door.session.knownPointFile();
  // Only the count decides, as the pages and velcard read it.
  door.patch(0x0400 + 9, {0x0C, 0x00});  // 3072 records, big-endian
  door.patch(0x0103, {0x0C, 0x00});
  EXPECT_EQ(door.session.roomForEntry(JobSlot{0}), Refusal::kJobFullBefore);
  EXPECT_EQ(door.session.roomForEntry(known), Refusal::kKnownFileFullBefore);
  EXPECT_EQ(door.session.run(AddPoint{JobSlot{0}, "P2", {}, {}, {}}).refusal,
            Refusal::kJobFullWhileStoring);
  door.patch(0x0400 + 9, {0x0B, 0xFF});  // 3071
  EXPECT_EQ(door.session.roomForEntry(JobSlot{0}), Refusal::kNone);

  // Every block taken by another job: the area is full.
  Bytes owned;
  for (int b = 0; b < door.session.summary().capacity / 48; ++b) owned.insert(owned.end(), {9, 48});
  door.patch(0x0C00, owned);
  ASSERT_TRUE(door.session.run(CreateJob{"B"}).done());
  EXPECT_EQ(door.session.run(AddPoint{JobSlot{1}, "P3", {}, {}, {}}).refusal,
            Refusal::kRecordAreaFull);
}

TEST(Import, StoresRowsUntilTheFirstRefusalAndCommitsThoseBefore) {
  Door door;
  ASSERT_TRUE(door.session.run(CreateJob{"A"}).done());
  door.patch(0x0400 + 9, {0x0B, 0xFE});  // room for two more
  const std::vector<ImportRow> rows = {
      {"P1", "1", "2", "3"}, {"", "1", "2", "3"}, {"P2", "4", "5", ""}, {"P3", "7", "8", "9"}};
  const Outcome outcome = door.session.run(ImportRows{JobSlot{0}, rows});
  EXPECT_EQ(outcome.refusal, Refusal::kJobFullWhileStoring);
  EXPECT_EQ(outcome.stored, 2);
  EXPECT_FALSE(outcome.firstRowRefused);
  door.reopen();  // on the card, not only in the session
  EXPECT_EQ(door.session.recordCount(JobSlot{0}), 3072);
  EXPECT_EQ(door.session.pointName(JobSlot{0}, 1), "P2") << "the row without a name is skipped";

  const Outcome first = door.session.run(ImportRows{JobSlot{0}, rows});
  EXPECT_TRUE(first.refused());
  EXPECT_TRUE(first.firstRowRefused);
}

TEST(Queries, ShowAnUnreadableRecordAsUnknownAndEveryPointWithItsJob) {
  Door door;
  ASSERT_TRUE(door.session.run(CreateJob{"A"}).done());
  for (const char* name : {"P1", "P2", "P3"}) {
    ASSERT_TRUE(
        door.session.run(AddPoint{JobSlot{0}, name, {39512345, 678}, {2, 0}, {3, 0}}).done());
  }
  const std::vector<SurveyPoint> points = door.session.points(JobSlot{0});
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].job, "A");
  EXPECT_EQ(points[0].n, "39512345.678");
  // The bitmap says one record fewer than the count: record 2 cannot be found.
  door.patch(0x1500, {0x3F & ~0x03});
  const std::vector<std::string> lines = door.session.recordLines(JobSlot{0});
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 2), "PT");
  EXPECT_EQ(lines[2], "Unknown Record");
  EXPECT_EQ(door.session.points(JobSlot{0}).size(), 2u);
}

TEST(Opening, TellsMissingUnrecognisedAndFormatsOnlyWhenAsked) {
  Door door(kRX3_32);
  CardSession& session = door.session;
  const std::string path = door.card.image.path();
  EXPECT_EQ(session.open(path + ".none"), OpenStatus::kMissing);
  EXPECT_NE(session.openError(), 0);
  EXPECT_EQ(session.open(path), OpenStatus::kLoaded);
  EXPECT_EQ(session.summary().model, kRX3_32);
  session.close();

  door.card.image.write(0x0100, {0x12, 0x34});  // no model's format word
  int asked = 0;
  EXPECT_EQ(session.open(path, [&] { return ++asked, false; }), OpenStatus::kNotRecognised);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(door.card.image.read(0x0100, 2), (Bytes{0x12, 0x34})) << "declined: nothing written";
  EXPECT_EQ(session.open(path, [] { return true; }), OpenStatus::kLoaded);
  EXPECT_EQ(session.jobCount(), 0);
  EXPECT_EQ(door.card.image.read(0x0100, 2), (Bytes{0x88, 0xCC}));
}

}  // namespace
}  // namespace vel
