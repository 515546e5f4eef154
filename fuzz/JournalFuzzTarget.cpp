#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "card/CardSession.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/MemoryFiles.h"
#include "records/ListLines.h"

namespace vel::fuzz {
namespace {

const std::string kImage = "/card/VEL/CARD.VEL";

uint64_t little(const uint8_t* bytes, int count) {
  uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

// The card a journal is found beside: an RX3-8 image with a job of a few
// points, a known point and a code, no longer than what was written to it
// (the model is told by its format word, not by its size).
std::vector<uint8_t> makeCard(MemoryFiles& files) {
  files.clear();
  files.put(kImage, nullptr, 0, 0);
  setFileSystemCalls(&files);
  {
    RecordAreaStore store([] { return JobTime{2024, 1, 2, 3, 4}; });
    CardSession session(store);
    session.open(kImage, [] { return true; });
    session.createJob("JOB1");
    for (int i = 0; i < 60; ++i)
      session.addPoint(0, "P" + std::to_string(i), {i, 5}, {1, 0}, {2, 0});
    session.addPoint(store.knownPointFile(), "K1", {1, 0}, {2, 0}, {3, 0});
    session.addFeatureCode("TREE");
    session.finish();
  }
  setFileSystemCalls(nullptr);
  return files.contents(kImage);
}

// What the journal does to the card when it is whole and valid, read
// without the store's own decoder; nothing when it is not.
std::optional<std::vector<uint8_t>> restoredCard(const std::vector<uint8_t>& card,
                                                 const std::vector<uint8_t>& journal) {
  const size_t header = 40;
  const size_t entry = 260;
  if (journal.size() < header || std::memcmp(journal.data(), "VELJRNL\n", 8) != 0) return {};
  const uint8_t* bytes = journal.data();
  const uint64_t imageSize = little(bytes + 16, 8);
  const uint64_t count = little(bytes + 24, 4);
  if (little(bytes + 8, 4) != 1 || little(bytes + 12, 4) != 256 || little(bytes + 28, 4) != 0 ||
      imageSize > card.size() || journal.size() != header + count * entry) {
    return {};
  }
  std::vector<uint8_t> copy = journal;
  std::memset(copy.data() + 32, 0, 8);
  if (fnv1a64(copy.data(), copy.size()) != little(bytes + 32, 8)) return {};
  std::vector<uint8_t> restored = card;
  int64_t previous = -1;
  for (uint64_t i = 0; i < count; ++i) {
    const uint8_t* at = bytes + header + i * entry;
    const uint64_t sector = little(at, 4);
    if (static_cast<int64_t>(sector) <= previous || sector * 256 >= imageSize) return {};
    previous = static_cast<int64_t>(sector);
    std::memcpy(restored.data() + sector * 256, at + 4,
                std::min<uint64_t>(256, imageSize - sector * 256));
  }
  restored.resize(imageSize);
  return restored;
}

}  // namespace

void runJournalInput(const uint8_t* data, size_t size) {
  if (size < 1) return;
  static MemoryFiles files;
  static const std::vector<uint8_t> card = makeCard(files);

  std::vector<uint8_t> journal(data + 1, data + size);
  // Give the fuzzer's journal its right checksum, to reach what lies behind it.
  if ((data[0] & 1) && journal.size() >= 40) {
    std::memset(journal.data() + 32, 0, 8);
    const uint64_t hash = fnv1a64(journal.data(), journal.size());
    for (int i = 0; i < 8; ++i) journal[32 + i] = static_cast<uint8_t>(hash >> (8 * i));
  }
  const std::optional<std::vector<uint8_t>> expected = restoredCard(card, journal);

  files.clear();
  files.put(kImage, card.data(), card.size(), 0);
  files.put(journalPathFor(kImage), journal.data(), journal.size(), 0);
  setFileSystemCalls(&files);
  {
    RecordAreaStore store([] { return JobTime{2024, 1, 2, 3, 4}; });
    CardSession session(store);
    const OpenStatus opened = session.open(kImage);
    // Applied exactly when whole and valid, and gone either way.
    if (session.restoredFromJournal() != expected.has_value()) __builtin_trap();
    if (files.exists(journalPathFor(kImage))) __builtin_trap();
    if (files.contents(kImage) != (expected ? *expected : card)) __builtin_trap();
    if (opened == OpenStatus::kLoaded) {
      for (int p = 0; p < store.jobCount(); ++p) jobListLine(store, p);
      session.recordLines(store.jobSlotAt(0));
    }
  }
  setFileSystemCalls(nullptr);
  files.clear();
}

}  // namespace vel::fuzz
