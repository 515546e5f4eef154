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
#include "records/MessageTexts.h"

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
  uint16_t free = 0;
  bool operator==(const Listing&) const = default;
};

Listing listingOf(CardSession& session) {
  RecordAreaStore& store = session.store();
  return {
      session.jobLines(), session.knownPointLines(), session.featureCodes(),
      store.jobCount() > 0 ? session.recordLines(store.jobSlotAt(0)) : std::vector<std::string>{},
      store.freeRecords()};
}

// A card in use: job A of 50 records (two blocks), job B, two known points
// and three codes.
class TransactionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::Card card(kRX3_8);
    CardSession session(card.store);
    ASSERT_TRUE(session.createJob("A").done());
    ASSERT_TRUE(session.createJob("B").done());
    for (int i = 0; i < 50; ++i) {
      ASSERT_TRUE(
          session.addPoint(0, "P" + std::to_string(i), fixed(i), fixed(1), fixed(2)).done());
    }
    for (int i = 0; i < 2; ++i) {
      ASSERT_TRUE(session
                      .addPoint(card.store.knownPointFile(), "K" + std::to_string(i), fixed(i),
                                fixed(0), fixed(0))
                      .done());
    }
    for (const char* code : {"TREE", "ROAD", "WALL"})
      ASSERT_TRUE(session.addFeatureCode(code).done());
    before_ = card.bytes();
  }

  // The card as before, in a file of its own.
  void resetImage() { image_.write(0, before_); }
  std::string journal() const { return journalPathFor(image_.path()); }

  Bytes before_;
  test::TempImage image_{0};
};

struct Operation {
  const char* name;
  std::function<CardResult(CardSession&)> run;
};

const Operation kOperations[] = {
    {"Format", [](CardSession& s) { return s.format(); }},
    {"CreateJob", [](CardSession& s) { return s.createJob("C"); }},
    {"RenameJob", [](CardSession& s) { return s.renameJob(s.store().jobSlotAt(0), "X"); }},
    {"DeleteJob", [](CardSession& s) { return s.deleteJob(0); }},
    {"ClearKnownPoints", [](CardSession& s) { return s.clearKnownPoints(); }},
    {"AddPoint", [](CardSession& s) { return s.addPoint(0, "NEW", fixed(1), fixed(2), fixed(3)); }},
    {"AddKnownPoint",
     [](CardSession& s) {
       return s.addPoint(s.store().knownPointFile(), "K9", fixed(1), fixed(2), fixed(3));
     }},
    {"DeleteRecord", [](CardSession& s) { return s.deleteRecord(0, 10); }},
    {"ImportRows", [](CardSession& s) { return s.importRows(importedRows(60), 1).stop; }},
    {"AddFeatureCode", [](CardSession& s) { return s.addFeatureCode("PIPE"); }},
    {"DeleteFeatureCode", [](CardSession& s) { return s.deleteFeatureCode(1); }},
    {"ClearFeatureCodes", [](CardSession& s) { return s.clearFeatureCodes(); }},
};

std::ostream& operator<<(std::ostream& out, const Operation& operation) {
  return out << operation.name;
}

// The action and its commit, with the calls armed once the card is open.
CardResult runAction(const Operation& operation, CardSession& session) {
  const CardResult result = operation.run(session);
  const CardResult finished = session.finish();
  return result.done() ? finished : result;
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
    RecordAreaStore store;
    CardSession session(store);
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
      RecordAreaStore store;
      CardSession session(store);
      ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
      calls = FaultyCalls(fault, at);
      const CardResult result = runAction(operation, session);
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
      EXPECT_FALSE(session.hasPendingChanges());
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
    RecordAreaStore store;
    CardSession session(store);
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
      RecordAreaStore store;
      CardSession session(store);
      ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
      calls = FaultyCalls(Fault::kCrash, at);
      EXPECT_THROW(runAction(operation, session), test::SimulatedCrash);
    }
    const bool journalLeft = fs::exists(journal());
    RecordAreaStore store;
    CardSession session(store);
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

TEST_F(TransactionTest, NothingReachesTheCardBeforeFinishAndEachChangedSectorIsWrittenOnce) {
  resetImage();
  FaultyCalls calls;
  InstalledCalls installed(calls);
  RecordAreaStore store;
  CardSession session(store);
  ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
  const int readsToOpen = calls.reads();
  // 100 records into job B: its two new blocks' record sectors (adjacent),
  // their bitmaps and allocation entries, B's count and the free count.
  ASSERT_TRUE(session.importRows(importedRows(100), 1).stop.done());
  EXPECT_TRUE(session.hasPendingChanges());
  EXPECT_EQ(store.recordCount(1), 100) << "the store reads its own writes";
  EXPECT_TRUE(test::sameImage(image_.read(), before_));
  EXPECT_EQ(calls.writes(), 0);

  ASSERT_TRUE(session.finish().done());
  // One journal write, then the record sectors in one write and the page-0
  // sectors (free count; B's entry; allocation table; bitmaps) in one each.
  EXPECT_EQ(calls.writes(), 1 + 1 + 4);
  EXPECT_FALSE(fs::exists(journal()));

  // Nothing is read twice while the card stays open.
  const int reads = calls.reads();
  EXPECT_EQ(session.recordLines(1).size(), 100u);
  ASSERT_TRUE(session.deleteRecord(1, 0).done());
  ASSERT_TRUE(session.finish().done());
  EXPECT_EQ(calls.reads(), reads) << readsToOpen << " reads to open";
}

TEST_F(TransactionTest, ARefusalLeavesNothingPendingAndWhatIsNotFinishedNeverReachesTheCard) {
  resetImage();
  RecordAreaStore store;
  CardSession session(store);
  ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
  EXPECT_EQ(session.createJob("a").message, kDuplicateJobNameText);
  EXPECT_EQ(session.deleteFeatureCode(7).status, CardResult::kRefused);
  EXPECT_EQ(session.addPoint(200, "X", fixed(1), fixed(2), fixed(3)).status, CardResult::kRefused);
  EXPECT_FALSE(session.hasPendingChanges());

  ASSERT_TRUE(session.deleteJob(0).done());
  EXPECT_TRUE(session.hasPendingChanges());
  EXPECT_EQ(store.jobCount(), 1);
  session.close();
  EXPECT_TRUE(test::sameImage(image_.read(), before_));
  ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
  EXPECT_EQ(store.jobCount(), 2);
}

TEST_F(TransactionTest, AnImportStoppedByARefusalKeepsTheRowsBeforeIt) {
  resetImage();
  // Room for three more in job A.
  image_.write(0x0400 + 9, {0x0B, 0xFD});
  RecordAreaStore store;
  CardSession session(store);
  ASSERT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
  const CardSession::ImportOutcome outcome = session.importRows(importedRows(5), 0);
  EXPECT_EQ(outcome.stop.message, kJobFullWhileStoringText);
  ASSERT_TRUE(session.finish().done());
  EXPECT_EQ(image_.read(0x0400 + 9, 2), (Bytes{0x0C, 0x00}));
}

TEST_F(TransactionTest, AnImageWhoseFileIsGoneTakesNoMoreChanges) {
  resetImage();
  const std::string copy = image_.path() + ".gone.VEL";
  fs::copy_file(image_.path(), copy);
  RecordAreaStore store;
  CardSession session(store);
  ASSERT_EQ(session.open(copy), OpenStatus::kLoaded);
  EXPECT_FALSE(session.imageGone());
  // Reading is still possible; a change reports its failure instead of
  // pretending to be stored.
  fs::remove(copy);
  EXPECT_TRUE(session.imageGone());
  EXPECT_EQ(session.jobLines().size(), 2u);
  ASSERT_TRUE(session.deleteJob(0).done());
  EXPECT_TRUE(session.finish().writeFailed());
  EXPECT_FALSE(session.hasPendingChanges());

  // A file put in its place is not the one that was opened.
  fs::copy_file(image_.path(), copy);
  EXPECT_TRUE(session.imageGone());
  session.close();
  fs::remove(copy);
}

TEST_F(TransactionTest, OneProgramAtATime) {
  resetImage();
  RecordAreaStore first;
  CardSession holder(first);
  ASSERT_EQ(holder.open(image_.path()), OpenStatus::kLoaded);

  RecordAreaStore second;
  CardSession other(second);
  const auto started = std::chrono::steady_clock::now();
  other.setLockWait(std::chrono::milliseconds(150));
  EXPECT_EQ(other.open(image_.path()), OpenStatus::kInUse);
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(150));
  EXPECT_FALSE(second.isOpen());
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
    RecordAreaStore store;
    CardSession session(store);
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
    RecordAreaStore store;
    CardSession session(store);
    session.open(image_.path());
    EXPECT_FALSE(session.restoredFromJournal());
    EXPECT_FALSE(fs::exists(journal()));
    EXPECT_TRUE(test::sameImage(image_.read(), damaged));
  }

  image_.write(0, damaged);
  journalWith(whole);
  RecordAreaStore store;
  CardSession session(store);
  EXPECT_EQ(session.open(image_.path()), OpenStatus::kLoaded);
  EXPECT_TRUE(session.restoredFromJournal());
  EXPECT_FALSE(fs::exists(journal()));
  EXPECT_TRUE(test::sameImage(image_.read(), before_));
}

}  // namespace
}  // namespace vel
