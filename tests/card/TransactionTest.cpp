// Every change a user makes is one transaction: on the card whole or not at
// all, whatever write, positioning or fsync fails and wherever the program is
// stopped; and only one program has a card at a time.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "FaultyCalls.h"
#include "TestImage.h"
#include "card/CardSession.h"
#include "messages/MessageTexts.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::Fault;
using test::FaultyCalls;
using test::InstalledCalls;

FixedValue fixed(int whole) {
  return FixedValue{whole, 0};
}

std::vector<ImportRow> importedRows(int count) {
  std::vector<ImportRow> rows;
  for (int i = 0; i < count; ++i) rows.push_back({"I" + std::to_string(i), "1", "2", "3"});
  return rows;
}

// What a session shows of a card, to compare the tables with the image.
struct Listing {
  std::vector<std::string> jobs, known, codes, records;
  int free = 0;
  bool operator==(const Listing&) const = default;
};

Listing listingOf(CardSession& session) {
  return {session.jobLines(), session.knownPointLines(), session.featureCodes(),
          session.jobCount() > 0 ? session.recordLines(session.jobAt(JobPosition{0}))
                                 : std::vector<std::string>{},
          session.summary().freeRecords};
}

// A card in use: job A of 50 records (two blocks), job B, two known points
// and three codes.
class TransactionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::Card card(kRX3_8);
    card.store.closeImage();
    CardSession session;
    ASSERT_EQ(session.open(card.image.path()), OpenStatus::kLoaded);
    ASSERT_TRUE(session.run(CreateJob{"A"}).done());
    ASSERT_TRUE(session.run(CreateJob{"B"}).done());
    for (int i = 0; i < 50; ++i) {
      ASSERT_TRUE(
          session.run(AddPoint{JobSlot{0}, "P" + std::to_string(i), fixed(i), fixed(1), fixed(2)})
              .done());
    }
    for (int i = 0; i < 2; ++i) {
      ASSERT_TRUE(session
                      .run(AddPoint{session.knownPointFile(), "K" + std::to_string(i), fixed(i),
                                    fixed(0), fixed(0)})
                      .done());
    }
    for (const char* code : {"TREE", "ROAD", "WALL"}) {
      ASSERT_TRUE(session.run(AddFeatureCode{code}).done());
    }
    session.close();
    before_ = card.image.read();
  }

  // The card as before, in a file of its own.
  void resetImage() { image_.write(0, before_); }
  std::string journal() const { return journalPathFor(image_.path()); }

  Bytes before_;
  test::TempImage image_{0};
};

struct Operation {
  const char* name;
  Action action;
};

const Operation kOperations[] = {
    {"Format", FormatArea{}},
    {"CreateJob", CreateJob{"C"}},
    {"RenameJob", RenameJob{JobSlot{0}, "X"}},
    {"DeleteJob", DeleteJob{JobPosition{0}}},
    {"DeleteJobs", DeleteJobs{{JobPosition{1}, JobPosition{0}}}},
    {"ClearKnownPoints", ClearKnownPoints{}},
    {"AddPoint", AddPoint{JobSlot{0}, "NEW", fixed(1), fixed(2), fixed(3)}},
    {"AddKnownPoint", AddPoint{JobSlot{128}, "K9", fixed(1), fixed(2), fixed(3)}},
    {"DeleteRecord", DeleteRecord{JobSlot{0}, 10}},
    {"DeleteRecords", DeleteRecords{JobSlot{0}, {10, 3, 40}}},
    {"ImportRows", ImportRows{JobSlot{1}, importedRows(60)}},
    {"AddFeatureCode", AddFeatureCode{"PIPE"}},
    {"DeleteFeatureCode", DeleteFeatureCode{1}},
    {"DeleteFeatureCodes", DeleteFeatureCodes{{2, 0}}},
    {"ClearFeatureCodes", ClearFeatureCodes{}},
};

std::ostream& operator<<(std::ostream& out, const Operation& operation) {
  return out << operation.name;
}

// The action, with the calls armed once the card is open.
Outcome runAction(const Operation& operation, CardSession& session) {
  return session.run(operation.action);
}

class EveryOperation : public TransactionTest, public ::testing::WithParamInterface<Operation> {};

TEST_P(EveryOperation, ThatFailsAtAnyCallLeavesTheImageAsBeforeAndTheTablesTrueToIt) {
  const Operation& operation = GetParam();
  // A run without faults: how many calls, and the image after.
  FaultyCalls counted;
  Bytes after;
  Listing listed;
  {
    InstalledCalls installed(counted);
    resetImage();
    CardSession session;
    ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
    listed = listingOf(session);
    counted = FaultyCalls();
    ASSERT_TRUE(runAction(operation, session).done());
    after = image_.read();
  }
  ASSERT_FALSE(test::sameImage(after, before_)) << "the operation must change the card";

  for (Fault fault : {Fault::kWrite, Fault::kPositioning, Fault::kFsync}) {
    for (int at = 1; at <= counted.countOf(fault); ++at) {
      SCOPED_TRACE(std::string(test::faultName(fault)) + " " + std::to_string(at));
      resetImage();
      FaultyCalls calls;
      InstalledCalls installed(calls);
      CardSession session;
      ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
      calls = FaultyCalls(fault, at);
      const Outcome result = runAction(operation, session);
      EXPECT_TRUE(calls.fired());
      if (fault == Fault::kFsync && at == counted.syncs()) {
        // The folder forced after the journal is gone: the change is on the
        // card already, done, with a warning.
        EXPECT_TRUE(result.done());
        EXPECT_TRUE(result.unconfirmed);
        EXPECT_TRUE(test::sameImage(image_.read(), after));
        EXPECT_FALSE(fs::exists(journal()));
        continue;
      }
      EXPECT_FALSE(result.done());
      if (fault != Fault::kPositioning) {
        EXPECT_TRUE(result.writeFailed());
      }
      EXPECT_TRUE(test::sameImage(image_.read(), before_));
      EXPECT_FALSE(fs::exists(journal()));
      // The tables were read again: the session shows what the card holds.
      EXPECT_TRUE(listingOf(session) == listed);
    }
  }
}

TEST_P(EveryOperation, StoppedAtAnyWriteIsPutBackWhenTheCardIsOpenedAgain) {
  const Operation& operation = GetParam();
  FaultyCalls counted;
  Bytes after;
  {
    InstalledCalls installed(counted);
    resetImage();
    CardSession session;
    ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
    counted = FaultyCalls();
    ASSERT_TRUE(runAction(operation, session).done());
    after = image_.read();
  }
  ASSERT_GT(counted.writes(), 1) << "a journal and at least one image write";

  for (int at = 1; at <= counted.writes(); ++at) {
    SCOPED_TRACE("crash at write " + std::to_string(at));
    resetImage();
    {
      FaultyCalls calls;
      InstalledCalls installed(calls);
      CardSession session;
      ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
      calls = FaultyCalls(Fault::kCrash, at);
      EXPECT_THROW(runAction(operation, session), test::SimulatedCrash);
    }
    const bool journalLeft = fs::exists(journal());
    CardSession session;
    ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
    EXPECT_EQ(session.restoredFromJournal(), journalLeft && at > 1)
        << "a journal cut short is removed, not applied";
    EXPECT_FALSE(fs::exists(journal()));
    const Bytes now = image_.read();
    EXPECT_TRUE(test::sameImage(now, before_) || test::sameImage(now, after));
    session.close();
    ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
    EXPECT_FALSE(session.restoredFromJournal()) << "said once";
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, EveryOperation, ::testing::ValuesIn(kOperations),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransactionTest, EachChangedSectorIsWrittenOnceAndNothingIsReadTwice) {
  resetImage();
  FaultyCalls calls;
  InstalledCalls installed(calls);
  CardSession session;
  ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
  const int readsToOpen = calls.reads();
  // 100 records into job B: its two new blocks' record sectors (adjacent),
  // their bitmaps and allocation entries, B's count and the free count.
  ASSERT_TRUE(session.run(ImportRows{JobSlot{1}, importedRows(100)}).done());
  // One journal write, then the record sectors in one write and the page-0
  // sectors (free count; B's entry; allocation table; bitmaps) in one each.
  EXPECT_EQ(calls.writes(), 1 + 1 + 4);
  EXPECT_FALSE(fs::exists(journal()));

  // Nothing is read twice while the card stays open.
  const int reads = calls.reads();
  EXPECT_EQ(session.recordLines(JobSlot{1}).size(), 100u);
  ASSERT_TRUE(session.run(DeleteRecord{JobSlot{1}, 0}).done());
  EXPECT_EQ(calls.reads(), reads) << readsToOpen << " reads to open";
}

TEST_F(TransactionTest, ARefusalWritesNothingAndADoneActionIsOnTheCardAtOnce) {
  resetImage();
  CardSession session;
  ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
  EXPECT_EQ(session.run(CreateJob{"a"}).refusal, Refusal::kDuplicateJobName);
  EXPECT_TRUE(session.run(DeleteFeatureCode{7}).refused());
  EXPECT_TRUE(session.run(AddPoint{JobSlot{200}, "X", fixed(1), fixed(2), fixed(3)}).refused());
  EXPECT_TRUE(test::sameImage(image_.read(), before_));

  ASSERT_TRUE(session.run(DeleteJob{JobPosition{0}}).done());
  EXPECT_EQ(session.jobCount(), 1);
  EXPECT_FALSE(test::sameImage(image_.read(), before_));
  session.close();
  ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
  EXPECT_EQ(session.jobCount(), 1);
}

TEST_F(TransactionTest, AnImportStoppedByARefusalKeepsTheRowsBeforeIt) {
  resetImage();
  // Room for three more in job A.
  image_.write(0x0400 + 9, {0x0B, 0xFD});
  CardSession session;
  ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
  const Outcome outcome = session.run(ImportRows{JobSlot{0}, importedRows(5)});
  EXPECT_EQ(outcome.refusal, Refusal::kJobFullWhileStoring);
  EXPECT_EQ(outcome.stored, 3);
  EXPECT_EQ(image_.read(0x0400 + 9, 2), (Bytes{0x0C, 0x00}));
}

TEST_F(TransactionTest, AnImageWhoseFileIsGoneTakesNoMoreChanges) {
  resetImage();
  const std::string copy = image_.path() + ".gone.VEL";
  fs::copy_file(image_.path(), copy);
  CardSession session;
  ASSERT_EQ(session.open(copy), OpenStatus::kLoaded);
  EXPECT_FALSE(session.imageGone());
  // Reading is still possible; a change reports its failure instead of
  // pretending to be stored, and the session shows the card as it is.
  fs::remove(copy);
  EXPECT_TRUE(session.imageGone());
  EXPECT_EQ(session.jobLines().size(), 2u);
  EXPECT_TRUE(session.run(DeleteJob{JobPosition{0}}).writeFailed());
  EXPECT_EQ(session.jobLines().size(), 2u);

  // A file put in its place is not the one that was opened.
  fs::copy_file(image_.path(), copy);
  EXPECT_TRUE(session.imageGone());
  session.close();
  fs::remove(copy);
}

TEST_F(TransactionTest, OneProgramAtATime) {
  resetImage();
  CardSession holder;
  ASSERT_EQ(holder.open(image_.path()), OpenStatus::kLoaded);

  CardSession other;
  const auto started = std::chrono::steady_clock::now();
  other.setLockWait(std::chrono::milliseconds(150));
  EXPECT_EQ(other.open(image_.path()), OpenStatus::kInUse);
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(150));
  EXPECT_FALSE(other.isOpen());
  // Through a symlink it is the same card.
  const std::string link = image_.path() + ".link";
  fs::create_symlink(image_.path(), link);
  EXPECT_EQ(other.open(link), OpenStatus::kInUse);
  holder.close();
  EXPECT_EQ(other.open(link), OpenStatus::kLoaded);
  other.close();
  fs::remove(link);
}

TEST_F(TransactionTest, AJournalBesideTheImageIsAppliedOnlyWhenWholeAndValid) {
  // The journal a commit leaves when it is stopped right after its first image write.
  resetImage();
  {
    FaultyCalls calls;
    InstalledCalls installed(calls);
    CardSession session;
    ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
    calls = FaultyCalls(Fault::kCrash, 3);
    EXPECT_THROW(runAction(kOperations[0], session), test::SimulatedCrash);
  }
  std::ifstream in(journal(), std::ios::binary);
  const std::string whole{std::istreambuf_iterator<char>(in), {}};
  ASSERT_GT(whole.size(), kJournalHeaderBytes);
  const Bytes damaged = image_.read();
  ASSERT_FALSE(test::sameImage(damaged, before_));

  const auto journalWith = [&](std::string bytes) {
    std::ofstream(journal(), std::ios::binary).write(bytes.data(), bytes.size());
  };
  std::string flipped = whole;
  flipped[kJournalHeaderBytes + 10] ^= 1;
  std::string longer = whole + '\0';
  // Whole and valid, but of an image larger than this one.
  auto journalOfLarger =
      RollbackJournal::decode(reinterpret_cast<const uint8_t*>(whole.data()), whole.size());
  ASSERT_TRUE(journalOfLarger);
  journalOfLarger->imageSize = static_cast<long long>(damaged.size()) + 256;
  const std::vector<uint8_t> encoded = journalOfLarger->encode();
  const std::string larger(encoded.begin(), encoded.end());
  for (const std::string& bad :
       {whole.substr(0, whole.size() - 1), whole.substr(0, 20), flipped, longer, larger}) {
    image_.write(0, damaged);
    journalWith(bad);
    CardSession session;
    session.open(image_.path());
    EXPECT_FALSE(session.restoredFromJournal());
    EXPECT_FALSE(fs::exists(journal()));
    EXPECT_TRUE(test::sameImage(image_.read(), damaged));
  }

  image_.write(0, damaged);
  journalWith(whole);
  CardSession session;
  EXPECT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
  EXPECT_TRUE(session.restoredFromJournal());
  EXPECT_FALSE(fs::exists(journal()));
  EXPECT_TRUE(test::sameImage(image_.read(), before_));
}

}  // namespace
}  // namespace vel
