// Writes that do not reach the card are reported, never passed off as done; writes
// that do are in the file before the operation returns.
//
// To make writes fail on a real file, the tests lower the process's file size
// limit (RLIMIT_FSIZE): the kernel then refuses every write at or beyond that
// position with EFBIG, even inside an existing file, while writes below it
// still land. That lets one operation fail at a chosen step, e.g. the record
// bytes of an append after its bitmap and allocation entry were written.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <functional>

#include "TestImage.h"

namespace vel {
namespace {

using test::Bytes;
using test::Card;

// Writes at or beyond `limit` fail while the object lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // report EFBIG instead of ending the process
    rlimit lowered = saved_;
    lowered.rlim_cur = limit;
    active_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  bool active() const { return active_; }

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = SIG_DFL;
  bool active_ = false;
};

// A card with a job of two records, a known point and a feature code.
struct UsedCard : Card {
  UsedCard() : Card(kRX3_8) {
    EXPECT_EQ(store.createJob("A"), 0);
    EXPECT_EQ(test::appendPoint(store, 0, "P0"), kDone);
    EXPECT_EQ(test::appendPoint(store, 0, "P1"), kDone);
    EXPECT_EQ(test::appendPoint(store, store.knownPointFile(), "K0"), kDone);
    EXPECT_EQ(store.addFeatureCode("TREE"), 0);
  }
};

struct FailingWrite {
  const char* name;
  rlim_t limit;  // first position that cannot be written
  std::function<uint8_t(RecordAreaStore&)> operation;
};

std::ostream& operator<<(std::ostream& out, const FailingWrite& f) {
  return out << f.name;
}

const FailingWrite kFailingWrites[] = {
    {"AppendRecordBytes", 0x4000, [](RecordAreaStore& s) { return test::appendPoint(s, 0, "P2"); }},
    {"AppendBitmap", 0x1500, [](RecordAreaStore& s) { return test::appendPoint(s, 0, "P2"); }},
    {"AppendKnownPoint", 0x4000,
     [](RecordAreaStore& s) { return test::appendPoint(s, s.knownPointFile(), "K1"); }},
    {"DeleteRecordBitmap", 0x1500, [](RecordAreaStore& s) { return s.deleteRecord(0, 0); }},
    {"CreateJobOrder", 0x0180, [](RecordAreaStore& s) { return s.createJob("B"); }},
    {"CreateJobEntry", 0x0400, [](RecordAreaStore& s) { return s.createJob("B"); }},
    {"RenameJob", 0x0400, [](RecordAreaStore& s) { return s.renameJob(0, "X"); }},
    {"DeleteJobOrder", 0x0180, [](RecordAreaStore& s) { return s.deleteJob(0); }},
    {"DeleteJobBlocks", 0x1500, [](RecordAreaStore& s) { return s.deleteJob(0); }},
    {"DeleteKnownPoints", 0x1500,
     [](RecordAreaStore& s) { return s.deleteJob(s.knownPointFile()); }},
    {"AddCodeText", 0x0200, [](RecordAreaStore& s) { return s.addFeatureCode("ROAD"); }},
    {"AddCodeOrder", 0x0110, [](RecordAreaStore& s) { return s.addFeatureCode("ROAD"); }},
    {"DeleteCode", 0x0110, [](RecordAreaStore& s) { return s.deleteFeatureCode(0); }},
    {"ClearCodes", 0x0110, [](RecordAreaStore& s) { return s.clearFeatureCodes(); }},
    {"FormatBitmaps", 0x1500, [](RecordAreaStore& s) { return s.formatRecordArea(); }},
};

class WriteThatFails : public ::testing::TestWithParam<FailingWrite> {};

TEST_P(WriteThatFails, IsReportedAsAFailedWrite) {
  UsedCard card;
  uint8_t result = kDone;
  {
    FileSizeLimit limit(GetParam().limit);
    ASSERT_TRUE(limit.active());
    result = GetParam().operation(card.store);
  }
  EXPECT_EQ(result, kWriteFailed);
}

INSTANTIATE_TEST_SUITE_P(Operations, WriteThatFails, ::testing::ValuesIn(kFailingWrites),
                         [](const auto& info) { return std::string(info.param.name); });

// The limit itself does not make the store fail: writes below it are done.
TEST(WriteThatLands, BelowTheLimitIsReportedAsDone) {
  UsedCard card;
  RecordAreaStore& s = card.store;
  FileSizeLimit limit(0x4000);
  ASSERT_TRUE(limit.active());
  EXPECT_EQ(s.createJob("B"), 1);
  EXPECT_EQ(s.renameJob(1, "C"), kDone);
  EXPECT_EQ(s.addFeatureCode("ROAD"), 1);
  EXPECT_EQ(s.deleteFeatureCode(0), kDone);
  EXPECT_EQ(s.deleteRecord(0, 1), kDone);
  EXPECT_EQ(s.deleteJob(s.knownPointFile()), kDone);
  EXPECT_EQ(s.formatRecordArea(), kDone);
}

TEST(WriteThatFails, OfTheRecordLeavesTheRecordUnwritten) {
  UsedCard card;
  uint8_t result = kDone;
  {
    FileSizeLimit limit(0x4000);
    ASSERT_TRUE(limit.active());
    result = test::appendPoint(card.store, 0, "P2");
  }
  EXPECT_EQ(result, kWriteFailed);
  EXPECT_EQ(card.bytes(0x4000 + 2 * kRecordSize, kRecordSize), Bytes(kRecordSize, 0xFF));
}

// The counts follow the record: when the record could not be written, the
// job's count and the free count must not claim it.
TEST(WriteThatFails, StopsBeforeTheCountsOfARecordNotWritten) {
  UsedCard card;
  const Bytes counts = card.bytes(0x0409, 2);
  const Bytes freeCount = card.bytes(0x0101, 2);
  {
    FileSizeLimit limit(0x4000);
    ASSERT_TRUE(limit.active());
    ASSERT_EQ(test::appendPoint(card.store, 0, "P2"), kWriteFailed);
  }
  EXPECT_EQ(card.bytes(0x0409, 2), counts);
  EXPECT_EQ(card.bytes(0x0101, 2), freeCount);
}

// The format word goes last, so a format cut short never looks like a
// formatted record area, even where the word lies below every other table.
TEST(WriteThatFails, LeavesAnInterruptedFormatWithoutItsFormatWord) {
  const struct {
    int model;
    long long word;
    rlim_t limit;
  } cases[] = {{kRX3_8, 0x0105, 0x0107}, {kRX3_32, 0x0100, 0x0102}, {kRX9_32, 0x0100, 0x0102}};
  for (const auto& c : cases) {
    SCOPED_TRACE(modelName(c.model));
    test::TempImage blank(static_cast<long long>(test::sectorsOf(c.model)) * 256, 0x00);
    RecordAreaStore s;
    ASSERT_TRUE(s.openImage(blank.path()));
    s.useModel(c.model, test::sectorsOf(c.model));
    uint8_t result = kDone;
    {
      FileSizeLimit limit(c.limit);
      ASSERT_TRUE(limit.active());
      result = s.formatRecordArea();
    }
    EXPECT_EQ(result, kWriteFailed);
    EXPECT_EQ(blank.read(c.word, 2), (Bytes{0x00, 0x00}));
    RecordAreaStore other;
    ASSERT_TRUE(other.openImage(blank.path()));
    EXPECT_NE(other.detectModel(), kModelRecognised);
  }
}

TEST(WriteWithoutAnImage, IsReportedAsAFailedWrite) {
  UsedCard card;
  RecordAreaStore& s = card.store;
  s.closeImage();
  const Bytes before = card.bytes();
  EXPECT_EQ(s.createJob("B"), kWriteFailed);
  EXPECT_EQ(s.renameJob(0, "X"), kWriteFailed);
  EXPECT_EQ(s.addFeatureCode("ROAD"), kWriteFailed);
  EXPECT_EQ(s.deleteFeatureCode(0), kWriteFailed);
  EXPECT_EQ(s.clearFeatureCodes(), kWriteFailed);
  EXPECT_NE(test::appendPoint(s, 0, "P2"), kDone);
  EXPECT_NE(s.deleteRecord(0, 0), kDone);
  EXPECT_EQ(s.deleteJob(0), kWriteFailed);
  EXPECT_EQ(s.formatRecordArea(), kWriteFailed);
  EXPECT_TRUE(test::sameImage(card.bytes(), before));
}

// Another program reading the image right after an operation sees its bytes.
TEST(ChangedBytes, AreInTheFileWhenTheOperationReturns) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  std::ifstream reader(card.image.path(), std::ios::binary);
  ASSERT_TRUE(reader.is_open());
  const auto readNow = [&reader](long long position, size_t count) {
    reader.clear();
    reader.seekg(position);
    Bytes bytes(count);
    reader.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    return bytes;
  };

  ASSERT_EQ(s.createJob("JOB1"), 0);
  EXPECT_EQ(readNow(0x0400, 5), (Bytes{'J', 'O', 'B', '1', 0}));
  const Bytes record = test::pointRecord("P1");
  ASSERT_EQ(s.appendRecord(0, kRecordSize, record.data()), kDone);
  EXPECT_EQ(readNow(0x4000, kRecordSize), record);
  EXPECT_EQ(readNow(0x0101, 2), (Bytes{0xC1, 0x7F}));
  ASSERT_EQ(s.renameJob(0, "NEW"), kDone);
  EXPECT_EQ(readNow(0x0400, 4), (Bytes{'N', 'E', 'W', 0}));
  ASSERT_EQ(s.addFeatureCode("TREE"), 0);
  EXPECT_EQ(readNow(0x0200, 5), (Bytes{'T', 'R', 'E', 'E', 0}));
  ASSERT_EQ(s.deleteRecord(0, 0), kDone);
  EXPECT_EQ(readNow(0x1500, 1), Bytes{0xFF});
  ASSERT_EQ(s.deleteJob(0), kDone);
  EXPECT_EQ(readNow(0x0180, 1), Bytes{0xFF});
  card.image.write(0x0105, {0x00, 0x00});
  ASSERT_EQ(s.formatRecordArea(), kDone);
  EXPECT_EQ(readNow(0x0105, 2), (Bytes{0xCC, 0x88}));
}

}  // namespace
}  // namespace vel
