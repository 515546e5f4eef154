#include "tests/robustness/ImageInvariants.h"

#include <bit>
#include <map>
#include <set>

namespace vel::test {

namespace {

constexpr uint16_t kHeaderBytes = 0x4000;

// Header offsets the checks need; the store keeps its own copy of the map and
// these must agree with it for the checks to pass at all.
struct Fields {
  uint16_t currentJob, freeRecords, knownPointCount, codeOrder;
};
constexpr Fields kLayouts[2] = {{0x0100, 0x0101, 0x0103, 0x0110}, {0x0120, 0x0122, 0x0126, 0x0140}};

std::vector<uint8_t> readHeader(RecordAreaStore& store) {
  std::vector<uint8_t> header(kHeaderBytes);
  for (int offset = 0; offset < kHeaderBytes; offset += 256) {
    store.readImage(ImageAddress{0, static_cast<uint16_t>(offset)}, 0, header.data() + offset);
  }
  return header;
}

uint16_t word(const RecordAreaStore& store, const std::vector<uint8_t>& header, int offset) {
  return store.byteOrder().swapInt16(static_cast<uint16_t>(header[offset] | (header[offset + 1] << 8)));
}

}  // namespace

std::vector<std::string> imageInvariantViolations(RecordAreaStore& store) {
  std::vector<std::string> errors;
  auto fail = [&](std::string text) { errors.push_back(std::move(text)); };
  const std::vector<uint8_t> header = readHeader(store);
  const Fields& fields = kLayouts[store.layout()];
  const int blocks = store.blockCount();
  const int knownFile = store.knownPointFile();

  std::set<int> listedJobs;
  for (int p = 0; p < store.jobCount(); ++p) {
    const int slot = header[0x0180 + p];
    if (!listedJobs.insert(slot).second) fail("job slot " + std::to_string(slot) + " listed twice");
  }
  std::set<int> listedCodes;
  for (int p = 0; p < 64 && header[fields.codeOrder + p] < 64; ++p) {
    if (!listedCodes.insert(header[fields.codeOrder + p]).second) fail("code slot listed twice");
  }

  std::map<int, int> recordsOfOwner;
  long used = 0;
  for (int b = 0; b < blocks; ++b) {
    const int owner = header[0x0C00 + 2 * b];
    const int count = header[0x0C00 + 2 * b + 1];
    int usedBits = 0;
    for (int s = 0; s < 8; ++s)
      usedBits += 6 - std::popcount<unsigned>(header[0x1500 + 8 * b + s] & 0x3F);
    const std::string where = "block " + std::to_string(b);
    if (usedBits != count)
      fail(where + ": count " + std::to_string(count) + ", bitmap " + std::to_string(usedBits));
    if (owner == 0xFF) {
      if (count != 0) fail(where + ": free with count " + std::to_string(count));
      continue;
    }
    if (count < 1 || count > 48) fail(where + ": owned with count " + std::to_string(count));
    const int slot = owner - 1;
    if (slot != knownFile && !listedJobs.count(slot))
      fail(where + ": owner " + std::to_string(owner) + " is no job");
    recordsOfOwner[slot] += count;
    used += count;
  }

  if (word(store, header, fields.freeRecords) != store.capacity() - used) {
    fail("free record count " + std::to_string(word(store, header, fields.freeRecords)) +
         ", capacity minus counts " + std::to_string(store.capacity() - used));
  }
  for (int slot : listedJobs) {
    const int count = word(store, header, 0x0400 + slot * store.entrySize() + 9);
    if (count != recordsOfOwner[slot]) {
      fail("job slot " + std::to_string(slot) + ": count " + std::to_string(count) +
           ", blocks hold " + std::to_string(recordsOfOwner[slot]));
    }
  }
  if (word(store, header, fields.knownPointCount) != recordsOfOwner[knownFile]) {
    fail("known-point count differs from its blocks");
  }

  // The store's copies.
  if (store.freeRecords() != word(store, header, fields.freeRecords))
    fail("free count copy differs");
  if (store.currentJob() != header[fields.currentJob]) fail("current job copy differs");
  for (int i = 0; i < 128; ++i) {
    if (store.jobOrderTable()[i] != header[0x0180 + i])
      fail("job order copy differs at " + std::to_string(i));
  }
  for (int i = 0; i < 64; ++i) {
    if (store.codeOrderTable()[i] != header[fields.codeOrder + i]) fail("code order copy differs");
  }
  for (int b = 0; b < blocks; ++b) {
    const AllocationEntry e = store.allocationEntry(b);
    if (e.owner != header[0x0C00 + 2 * b] || e.count != header[0x0C01 + 2 * b]) {
      fail("allocation copy differs at block " + std::to_string(b));
    }
  }
  return errors;
}

}  // namespace vel::test
