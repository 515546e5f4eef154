#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "card/CardSession.h"
#include "fuzz/FuzzTargets.h"
#include "records/ListLines.h"
#include "store/MemoryFileSystem.h"

namespace vel::fuzz {
namespace {

const std::string kImage = "/card/VEL/CARD.VEL";

uint64_t little(const uint8_t* bytes, int count) {
  uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

// The card a journal is found beside: an RX3-8 image with a job of a few
// points, a known point and a code.
std::vector<uint8_t> makeCard(MemoryFileSystem& files) {
  files = MemoryFileSystem();
  files.putFile(kImage, {}, kSizeLayout0);
  setFileSystemCalls(&files);
  {
    CardSession session([] { return JobTime{2024, 1, 2, 3, 4}; });
    session.open(kImage, [] { return true; });
    session.run(CreateJob{"JOB1"});
    for (int i = 0; i < 60; ++i) {
      session.run(AddPoint{JobSlot{0}, "P" + std::to_string(i), {i, 5}, {1, 0}, {2, 0}});
    }
    session.run(AddPoint{session.knownPointFile(), "K1", {1, 0}, {2, 0}, {3, 0}});
    session.run(AddFeatureCode{"TREE"});
  }
  setFileSystemCalls(nullptr);
  return *files.contents(kImage);
}

// What a journal found beside the card comes to, read without the store's
// own decoder.
enum class Outcome { kDiscarded, kRestored, kSetAside };

Outcome expectedOutcome(const std::vector<uint8_t>& card, const std::vector<uint8_t>& journal,
                        std::vector<uint8_t>& restored) {
  const size_t header = 40;
  if (journal.size() < header || std::memcmp(journal.data(), "VELJRNL\n", 8) != 0) {
    return Outcome::kDiscarded;
  }
  const uint8_t* bytes = journal.data();
  const uint64_t version = little(bytes + 8, 4);
  // Version 1: sector and its bytes before; version 2 adds the checksum after.
  const size_t entry = version == 2 ? 268 : 260;
  const uint64_t imageSize = little(bytes + 16, 8);
  const uint64_t count = little(bytes + 24, 4);
  if ((version != 1 && version != 2) || little(bytes + 12, 4) != 256 ||
      little(bytes + 28, 4) != 0 || imageSize > card.size() ||
      journal.size() != header + count * entry) {
    return Outcome::kDiscarded;
  }
  std::vector<uint8_t> copy = journal;
  std::memset(copy.data() + 32, 0, 8);
  if (fnv1a64(copy.data(), copy.size()) != little(bytes + 32, 8)) return Outcome::kDiscarded;
  int64_t previous = -1;
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t sector = little(bytes + header + i * entry, 4);
    if (static_cast<int64_t>(sector) <= previous || sector * 256 >= imageSize) {
      return Outcome::kDiscarded;
    }
    previous = static_cast<int64_t>(sector);
  }
  // Every sector must hold what the change found or what it wrote.
  restored = card;
  for (uint64_t i = 0; i < count; ++i) {
    const uint8_t* at = bytes + header + i * entry;
    const uint64_t sector = little(at, 4);
    uint8_t now[256] = {};
    std::memcpy(now, card.data() + sector * 256,
                std::min<uint64_t>(256, card.size() - sector * 256));
    if (version == 2 && std::memcmp(now, at + 4, 256) != 0 &&
        fnv1a64(now, 256) != little(at + 260, 8)) {
      return Outcome::kSetAside;
    }
    std::memcpy(restored.data() + sector * 256, at + 4,
                std::min<uint64_t>(256, imageSize - sector * 256));
  }
  restored.resize(imageSize);
  return Outcome::kRestored;
}
}  // namespace

void runJournalInput(const uint8_t* data, size_t size) {
  if (size < 1) return;
  static MemoryFileSystem files;
  static const std::vector<uint8_t> card = makeCard(files);

  std::vector<uint8_t> journal(data + 1, data + size);
  // Give the fuzzer's journal its right checksum, to reach what lies behind it.
  if ((data[0] & 1) && journal.size() >= 40) {
    std::memset(journal.data() + 32, 0, 8);
    const uint64_t hash = fnv1a64(journal.data(), journal.size());
    for (int i = 0; i < 8; ++i) journal[32 + i] = static_cast<uint8_t>(hash >> (8 * i));
  }
  std::vector<uint8_t> restored;
  const Outcome expected = expectedOutcome(card, journal, restored);
  // Bit 1: the journal lies under the name earlier versions gave it.
  const std::string journalPath =
      (data[0] & 2) ? legacyJournalPathFor(kImage) : journalPathFor(kImage);

  files = MemoryFileSystem();
  files.setTrackDurability(false);
  files.putFile(kImage, card);
  files.putFile(journalPath, journal);
  setFileSystemCalls(&files);
  {
    CardSession session([] { return JobTime{2024, 1, 2, 3, 4}; });
    const OpenStatus opened = session.open(kImage);
    // Applied exactly when whole, valid and not overtaken; gone from its name either way.
    if (session.restoredFromJournal() != (expected == Outcome::kRestored)) __builtin_trap();
    if ((session.journalFinding() == JournalFinding::kSetAside) !=
        (expected == Outcome::kSetAside)) {
      __builtin_trap();
    }
    if (files.exists(journalPath)) __builtin_trap();
    if (expected == Outcome::kSetAside && !files.exists(session.journalSetAsidePath())) {
      __builtin_trap();
    }
    if (*files.contents(kImage) != (expected == Outcome::kRestored ? restored : card)) {
      __builtin_trap();
    }
    if (opened == OpenStatus::kLoaded) {
      session.jobLines();
      session.recordLines(session.jobAt(JobPosition{0}));
    }
  }
  setFileSystemCalls(nullptr);
  files = MemoryFileSystem();
}

}  // namespace vel::fuzz
