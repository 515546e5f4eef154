#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "card/CardSession.h"
#include "fuzz/FuzzTargets.h"
#include "records/ListLines.h"
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

void listEverything(RecordAreaStore& store) {
  for (int p = 0; p <= store.jobLimit(); ++p) {
    const uint8_t slot = store.jobSlotAt(p);
    jobListLine(store, p);
    store.jobName(slot);
    const int count = std::min<int>(store.recordCount(slot), 64);
    for (int i = 0; i < count; ++i) store.recordPointName(slot, i);
  }
  const int known = std::min<int>(store.recordCount(store.knownPointFile()), 64);
  for (int i = 0; i <= known; ++i) knownPointLine(store, i);
  for (int p = 0; p <= kMaxFeatureCodes; ++p) store.featureCodeAt(p);
  store.capacity();
  store.freeRecords();
  store.hasCurrentJob();
  store.jobPositionOf(store.currentJob());
}

void runOperations(RecordAreaStore& store, Script& script) {
  uint8_t record[kRecordSize];
  for (int steps = 0; steps < 200 && !script.done(); ++steps) {
    const int jobs = store.jobCount();
    // Slots a little beyond the valid ones, to reach the refusals too.
    const uint8_t slot = static_cast<uint8_t>(script.number(store.knownPointFile() + 3));
    switch (script.byte() % 12) {
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

  const int fd = ::memfd_create("vel-fuzz-image", 0);
  if (fd < 0) return;
  if (::write(fd, image, imageBytes) != static_cast<ssize_t>(imageBytes) ||
      (imageSize > 0 && ::ftruncate(fd, imageSize) != 0)) {
    ::close(fd);
    return;
  }

  RecordAreaStore store([] { return JobTime{2024, 1, 2, 3, 4}; });
  CardSession session(store);
  // An image the store does not recognise is formatted, as a user answering Yes would.
  const OpenStatus opened = session.open("/proc/self/fd/" + std::to_string(fd), [] { return true; });
  if (opened == OpenStatus::kLoaded || opened == OpenStatus::kWriteFailed) {
    if (opened == OpenStatus::kWriteFailed) store.loadTables();
    listEverything(store);
    Script script(image + imageBytes, size - 2 - imageBytes);
    runOperations(store, script);
    listEverything(store);
    store.closeImage();
  }
  ::close(fd);
}

}  // namespace vel::fuzz
