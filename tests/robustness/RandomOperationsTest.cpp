// Long random sequences of the operations a surveyor can do, on every model,
// checked after each step against the image's invariants and a plain model of
// what the card should hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "tests/robustness/ImageInvariants.h"
#include "tests/store/TestImage.h"

namespace vel::test {
namespace {

using Record = std::string;  // 42 bytes

struct Job {
  uint8_t slot;
  std::string name;
  std::multiset<Record> records;
};

// What the card should hold, kept without any knowledge of blocks.
struct Expected {
  std::vector<Job> jobs;  // in list order
  std::multiset<Record> known;
  std::vector<std::string> codes;
};

class RandomCard {
 public:
  RandomCard(int model, int sectors, unsigned seed) : card_(model, sectors), random_(seed) {}

  void run(int steps) {
    for (int step = 0; step < steps; ++step) {
      SCOPED_TRACE("step " + std::to_string(step) + " after " + last_);
      const int choice = pick(100);
      if (choice < 8) {
        last_ = createJob();
      } else if (choice < 12) {
        last_ = deleteJob();
      } else if (choice < 15) {
        last_ = renameJob();
      } else if (choice < 55) {
        last_ = appendRecord();
      } else if (choice < 70) {
        last_ = deleteRecord();
      } else if (choice < 78) {
        last_ = addCode();
      } else if (choice < 83) {
        last_ = deleteCode();
      } else if (choice < 84) {
        last_ = clearCodes();
      } else if (choice < 85) {
        last_ = clearKnown();
      } else if (choice < 87) {
        last_ = fillJob();
      } else {
        last_ = reload();
      }
      checkStep(step % 64 == 0);
      if (::testing::Test::HasFailure()) return;
    }
  }

 private:
  RecordAreaStore& store() { return card_.store; }
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  uint8_t lowestFreeSlot() const {
    for (int slot = 0;; ++slot) {
      if (std::none_of(expected_.jobs.begin(), expected_.jobs.end(),
                       [&](const Job& j) { return j.slot == slot; })) {
        return static_cast<uint8_t>(slot);
      }
    }
  }

  std::string uniqueName() { return "J" + std::to_string(serial_++ % 10000000); }

  Record newRecord() {
    Record r(kRecordSize, '\0');
    r[0] = 4;
    const std::string name = "P" + std::to_string(serial_++ % 10000000);
    std::copy(name.begin(), name.end(), r.begin() + 1);
    for (int i = 10; i < kRecordSize; ++i) r[i] = static_cast<char>(pick(256));
    return r;
  }

  std::string createJob() {
    const std::string name = uniqueName();
    const uint8_t want = expected_.jobs.size() < store().jobLimit() ? lowestFreeSlot() : kRefused;
    EXPECT_EQ(store().createJob(name), want);
    if (want != kRefused) expected_.jobs.push_back(Job{want, name, {}});
    return "create " + name;
  }

  std::string deleteJob() {
    // One past the last job is refused, unless it is the known-point file's number.
    const int position =
        std::min(pick(static_cast<int>(expected_.jobs.size()) + 1), store().knownPointFile() - 1);
    const bool exists = position < static_cast<int>(expected_.jobs.size());
    EXPECT_EQ(store().deleteJob(position), exists ? kDone : kRefused);
    if (exists) expected_.jobs.erase(expected_.jobs.begin() + position);
    return "delete job at " + std::to_string(position);
  }

  std::string renameJob() {
    if (expected_.jobs.empty()) return "no rename";
    Job& job = expected_.jobs[pick(static_cast<int>(expected_.jobs.size()))];
    job.name = uniqueName();
    EXPECT_EQ(store().renameJob(job.slot, job.name), kDone);
    return "rename slot " + std::to_string(job.slot);
  }

  // A random job, or the known-point file when there is none or by chance.
  std::pair<uint8_t, std::multiset<Record>*> target() {
    if (expected_.jobs.empty() || pick(4) == 0) return {store().knownPointFile(), &expected_.known};
    Job& job = expected_.jobs[pick(static_cast<int>(expected_.jobs.size()))];
    return {job.slot, &job.records};
  }

  // True when the job has no block with room and no block is free.
  bool areaFullFor(uint8_t slot) {
    for (int b = 0; b < store().blockCount(); ++b) {
      const AllocationEntry e = store().allocationEntry(b);
      if (e.owner == 0xFF || (e.owner == slot + 1 && e.count < 48)) return false;
    }
    return true;
  }

  // False when the store refused the record.
  bool appendTo(uint8_t slot, std::multiset<Record>& records) {
    const Record r = newRecord();
    const uint8_t result =
        store().appendRecord(slot, kRecordSize, reinterpret_cast<const uint8_t*>(r.data()));
    if (records.size() >= kMaxJobRecords) {
      EXPECT_EQ(result, kJobFull);
      return false;
    }
    if (result == kRefused) {
      EXPECT_TRUE(areaFullFor(slot)) << "refused with room in the area";
      return false;
    }
    EXPECT_EQ(result, kDone);
    records.insert(r);
    return result == kDone;
  }

  std::string appendRecord() {
    auto [slot, records] = target();
    appendTo(slot, *records);
    return "append to slot " + std::to_string(slot);
  }

  // Appends until the job or the record area is full, so that sequences reach both refusals.
  std::string fillJob() {
    auto [slot, records] = target();
    while (appendTo(slot, *records) && !::testing::Test::HasFailure()) {
    }
    return "fill slot " + std::to_string(slot);
  }

  std::string deleteRecord() {
    auto [slot, records] = target();
    const int number = pick(static_cast<int>(records->size()) + 1);
    Record r(kRecordSize, '\0');
    const bool exists = number < static_cast<int>(records->size());
    EXPECT_EQ(store().readRecord(slot, number, kRecordSize, reinterpret_cast<uint8_t*>(r.data())),
              exists ? kDone : kRefused);
    EXPECT_EQ(store().deleteRecord(slot, number), exists ? kDone : kRefused);
    if (exists) {
      const auto it = records->find(r);
      EXPECT_NE(it, records->end()) << "record read back is not one that was stored";
      if (it != records->end()) records->erase(it);
    }
    return "delete record " + std::to_string(number) + " of slot " + std::to_string(slot);
  }

  std::string addCode() {
    const std::string code = "C" + std::to_string(serial_++ % 1000000);
    const uint8_t result = store().addFeatureCode(code);
    if (expected_.codes.size() >= kMaxFeatureCodes) {
      EXPECT_EQ(result, kRefused);
    } else {
      EXPECT_LT(result, kMaxFeatureCodes);
      expected_.codes.push_back(code);
    }
    return "add code " + code;
  }

  std::string deleteCode() {
    const int position = pick(static_cast<int>(expected_.codes.size()) + 1);
    EXPECT_EQ(store().deleteFeatureCode(position), kDone);
    if (position < static_cast<int>(expected_.codes.size())) {
      expected_.codes.erase(expected_.codes.begin() + position);
    }
    return "delete code at " + std::to_string(position);
  }

  std::string clearCodes() {
    EXPECT_EQ(store().clearFeatureCodes(), kDone);
    expected_.codes.clear();
    return "clear codes";
  }

  std::string clearKnown() {
    EXPECT_EQ(store().deleteJob(store().knownPointFile()), kDone);
    expected_.known.clear();
    return "clear known points";
  }

  std::string reload() {
    EXPECT_EQ(store().detectModel(), kModelRecognised);
    store().loadTables();
    return "reload";
  }

  std::multiset<Record> storedRecords(uint8_t slot) {
    std::multiset<Record> records;
    const int count = store().recordCount(slot);
    for (int i = 0; i < count; ++i) {
      Record r(kRecordSize, '\0');
      EXPECT_EQ(store().readRecord(slot, i, kRecordSize, reinterpret_cast<uint8_t*>(r.data())),
                kDone);
      records.insert(r);
    }
    return records;
  }

  void checkStep(bool withRecords) {
    for (const std::string& violation : imageInvariantViolations(store()))
      ADD_FAILURE() << violation;

    ASSERT_EQ(store().jobCount(), static_cast<int>(expected_.jobs.size()));
    for (size_t p = 0; p < expected_.jobs.size(); ++p) {
      const Job& job = expected_.jobs[p];
      ASSERT_EQ(store().jobSlotAt(static_cast<int>(p)), job.slot);
      EXPECT_EQ(store().jobName(job.slot), job.name);
      EXPECT_EQ(store().recordCount(job.slot), job.records.size());
      if (withRecords) {
        EXPECT_EQ(storedRecords(job.slot), job.records);
      }
    }
    EXPECT_EQ(store().recordCount(store().knownPointFile()), expected_.known.size());
    if (withRecords) {
      EXPECT_EQ(storedRecords(store().knownPointFile()), expected_.known);
    }

    ASSERT_EQ(store().featureCodeCount(), static_cast<int>(expected_.codes.size()));
    for (size_t p = 0; p < expected_.codes.size(); ++p) {
      EXPECT_EQ(store().featureCodeAt(static_cast<int>(p)), expected_.codes[p]);
    }
  }

  Card card_;
  std::mt19937 random_;
  Expected expected_;
  int serial_ = 0;
  std::string last_ = "start";
};

struct Geometry {
  int model;
  int sectors;
};

class RandomOperations : public ::testing::TestWithParam<Geometry> {};

TEST_P(RandomOperations, KeepTheImageConsistentWithWhatWasDone) {
  for (unsigned seed : {1u, 2u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    RandomCard card(GetParam().model, GetParam().sectors, seed);
    card.run(1500);
    if (HasFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryModel, RandomOperations,
                         ::testing::Values(Geometry{kRX3_8, 8320}, Geometry{kRX3_8, 8704},
                                           Geometry{kRX2_8, 8320}, Geometry{kRX3_32, 8312},
                                           Geometry{kRX9_32, 8312}),
                         [](const auto& info) {
                           return std::string(modelName(info.param.model)).replace(3, 1, "_") +
                                  "_" + std::to_string(info.param.sectors);
                         });

}  // namespace
}  // namespace vel::test
