#include <algorithm>
#include <string>
#include <vector>

#include "card/CardSession.h"
#include "fuzz/FuzzTargets.h"
#include "records/ListLines.h"
#include "store/MemoryFileSystem.h"
#include "store/RecordAreaStore.h"

namespace vel::fuzz {

namespace {

// Reads the operation script byte by byte; past its end every read is 0.
class Script {
 public:
  Script(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool done() const { return at_ >= size_; }
  uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  int number(int below) { return below > 0 ? (byte() | (byte() << 8)) % below : 0; }
  std::string text() {
    std::string s;
    for (int n = byte() % 12; n > 0; --n) s.push_back(static_cast<char>(byte()));
    return s;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Image sizes the fuzzer can pick: every model's, or just the bytes given.
constexpr long long kSizes[] = {0, 2129920, 2228224, 2127872};

// Every list, with the first and last records of the first jobs and of the
// known-point file: each record costs a walk over the allocation table, and
// these reach every path of it.
void listEverything(RecordAreaStore& store) {
  const auto firstAndLast = [&store](uint8_t slot, const auto& show) {
    const int count = store.recordCount(slot);
    if (count > 0) show(0);
    if (count > 1) show(count - 1);
  };
  // Every position past the end of the list is refused alike: one of them will do.
  for (int p = 0, end = std::min<int>(store.jobCount() + 1, store.jobLimit()); p <= end; ++p) {
    const uint8_t slot = store.jobSlotAt(p);
    if (slot < store.jobLimit()) {
      jobListLine(store.jobEntry(slot), store.entrySize() == DirectoryEntry::kLongBytes, false);
    }
    store.jobName(slot);
    if (p < 4) firstAndLast(slot, [&](int i) { store.recordPointName(slot, i); });
  }
  firstAndLast(store.knownPointFile(), [&](int i) {
    std::array<uint8_t, kRecordSize> record{};
    if (store.readRecord(store.knownPointFile(), i, kRecordSize, record.data()) == kDone) {
      knownPointLine(store.byteOrder(), record);
    }
  });
  for (int p = 0; p <= kMaxFeatureCodes; ++p) store.featureCodeAt(p);
  store.capacity();
  store.freeRecords();
  store.hasCurrentJob();
  store.jobPositionOf(store.currentJob());
}

// Reloads the tables from what the image holds, as a rolled-back action does.
void reload(RecordAreaStore& store) {
  if (store.detectModel() == kModelRecognised) store.loadTables();
}

void runOperations(RecordAreaStore& store, Script& script) {
  uint8_t record[kRecordSize];
  for (int steps = 0; steps < 120 && !script.done(); ++steps) {
    const int jobs = store.jobCount();
    // Slots a little beyond the valid ones, to reach the refusals too.
    const uint8_t slot = static_cast<uint8_t>(script.number(store.knownPointFile() + 3));
    switch (script.byte() % 14) {
      case 0:
        store.createJob(script.text());
        break;
      case 1:
        store.deleteJob(script.number(jobs + 2));
        break;
      case 2:
        store.renameJob(slot, script.text());
        break;
      case 3:
        for (uint8_t& b : record) b = script.byte();
        store.appendRecord(slot, static_cast<uint8_t>(script.number(kRecordSize + 2)), record);
        break;
      case 4:
        store.deleteRecord(slot, script.number(3100));
        break;
      case 5:
        store.readRecord(slot, script.number(3100), kRecordSize, record);
        break;
      case 6:
        store.addFeatureCode(script.text());
        break;
      case 7:
        store.deleteFeatureCode(script.number(70));
        break;
      case 8:
        store.clearFeatureCodes();
        break;
      case 9:
        store.deleteJob(store.knownPointFile());
        break;
      case 10:
        store.findJob(script.text());
        break;
      case 11:
        if (store.detectModel() == kModelRecognised) store.loadTables();
        break;
      case 12:
        if (!store.commitImage()) reload(store);
        break;
      case 13:
        store.imageFile().rollback();
        reload(store);
        break;
    }
  }
}

}  // namespace

void runStoreInput(const uint8_t* data, size_t size) {
  if (size < 2) return;
  // First byte: image size choice and how many bytes form the image header.
  const long long imageSize = kSizes[data[0] % 4];
  const size_t headerBytes = std::min<size_t>(size - 1, static_cast<size_t>(data[1]) * 128);
  const uint8_t* image = data + 2;
  const size_t imageBytes = std::min(headerBytes, size - 2);

  // The image lives in memory: a model-sized image costs only the pages written.
  static MemoryFileSystem files;
  files = MemoryFileSystem();
  files.setTrackDurability(false);
  const std::string path = "/card/VEL/FUZZ.VEL";
  files.putFile(path, {image, imageBytes}, imageSize);
  setFileSystemCalls(&files);
  {
    RecordAreaStore store([] { return JobTime{2024, 1, 2, 3, 4}; });
    // An image the store does not recognise is formatted, as a user answering Yes would.
    bool usable = store.openImage(path);
    if (usable && store.detectModel() != kModelRecognised) {
      usable = store.formatRecordArea() == kDone && store.commitImage();
    }
    if (usable) {
      store.loadTables();
      Script script(image + imageBytes, size - 2 - imageBytes);
      runOperations(store, script);
      if (store.commitImage()) {
        // Committed: what the store reads of page 0's header is what the file holds.
        std::vector<uint8_t> file = *files.contents(path);
        if (static_cast<long long>(file.size()) != store.imageFileSize()) __builtin_trap();
        file.resize(std::min<size_t>(file.size(), 0x4000));
        uint8_t sector[kTransferBytes];
        for (size_t at = 0; at + kTransferBytes <= file.size(); at += kTransferBytes) {
          store.readImage({0, static_cast<uint16_t>(at)}, 0, sector);
          if (!std::equal(sector, sector + kTransferBytes, file.begin() + at)) __builtin_trap();
        }
      }
      listEverything(store);
    }
  }
  setFileSystemCalls(nullptr);
  // Nothing outlives the input: libFuzzer then has no leak to look for.
  files = MemoryFileSystem();
}

}  // namespace vel::fuzz
