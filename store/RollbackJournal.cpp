#include "store/RollbackJournal.h"

#include <cstring>

namespace vel {
namespace {

constexpr char kMagic[8] = {'V', 'E', 'L', 'J', 'R', 'N', 'L', '\n'};
constexpr uint32_t kVersion = 2;
constexpr uint32_t kVersion1 = 1;
constexpr size_t kChecksumOffset = 32;

void putLittle(uint8_t* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t getLittle(const uint8_t* in, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | in[i];
  return value;
}

uint64_t checksumOf(const uint8_t* bytes, size_t size) {
  uint8_t header[kJournalHeaderBytes];
  std::memcpy(header, bytes, kJournalHeaderBytes);
  std::memset(header + kChecksumOffset, 0, 8);
  const uint64_t hash = fnv1a64(header, kJournalHeaderBytes);
  return fnv1a64(bytes + kJournalHeaderBytes, size - kJournalHeaderBytes, hash);
}

}  // namespace

uint64_t fnv1a64(const uint8_t* bytes, size_t size, uint64_t hash) {
  for (size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 0x100000001B3ULL;
  }
  return hash;
}

std::string journalPathFor(const std::string& imagePath) {
  return imagePath + ".JNL";
}

std::string legacyJournalPathFor(const std::string& imagePath) {
  return imagePath + "-journal";
}

std::vector<uint8_t> RollbackJournal::encode() const {
  std::vector<uint8_t> bytes(kJournalHeaderBytes + entries.size() * kJournalEntryBytes, 0);
  std::memcpy(bytes.data(), kMagic, sizeof kMagic);
  putLittle(&bytes[8], kVersion, 4);
  putLittle(&bytes[12], kJournalSectorBytes, 4);
  putLittle(&bytes[16], static_cast<uint64_t>(imageSize), 8);
  putLittle(&bytes[24], entries.size(), 4);
  uint8_t* at = bytes.data() + kJournalHeaderBytes;
  for (const Entry& entry : entries) {
    putLittle(at, entry.sector, 4);
    std::memcpy(at + 4, entry.before.data(), kJournalSectorBytes);
    putLittle(at + 4 + kJournalSectorBytes, entry.afterHash.value_or(0), 8);
    at += kJournalEntryBytes;
  }
  putLittle(&bytes[kChecksumOffset], checksumOf(bytes.data(), bytes.size()), 8);
  return bytes;
}

std::optional<RollbackJournal> RollbackJournal::decode(const uint8_t* bytes, size_t size) {
  if (size < kJournalHeaderBytes || std::memcmp(bytes, kMagic, sizeof kMagic) != 0) return {};
  const uint64_t version = getLittle(bytes + 8, 4);
  if ((version != kVersion && version != kVersion1) ||
      getLittle(bytes + 12, 4) != kJournalSectorBytes || getLittle(bytes + 28, 4) != 0) {
    return {};
  }
  const bool hashed = version == kVersion;
  const size_t entryBytes = hashed ? kJournalEntryBytes : kJournalEntryBytesV1;
  const uint64_t imageSize = getLittle(bytes + 16, 8);
  const uint64_t count = getLittle(bytes + 24, 4);
  // A journal cut short, or one with bytes after its last entry, is not whole.
  if (imageSize > (1ULL << 40) || count > kJournalMaxEntries ||
      size != kJournalHeaderBytes + count * entryBytes) {
    return {};
  }
  if (getLittle(bytes + kChecksumOffset, 8) != checksumOf(bytes, size)) return {};

  RollbackJournal journal;
  journal.imageSize = static_cast<long long>(imageSize);
  journal.entries.resize(count);
  const uint8_t* at = bytes + kJournalHeaderBytes;
  for (uint64_t i = 0; i < count; ++i, at += entryBytes) {
    Entry& entry = journal.entries[i];
    entry.sector = static_cast<uint32_t>(getLittle(at, 4));
    if (uint64_t{entry.sector} * kJournalSectorBytes >= imageSize) return {};
    if (i > 0 && entry.sector <= journal.entries[i - 1].sector) return {};
    std::memcpy(entry.before.data(), at + 4, kJournalSectorBytes);
    if (hashed) entry.afterHash = getLittle(at + 4 + kJournalSectorBytes, 8);
  }
  return journal;
}

}  // namespace vel
