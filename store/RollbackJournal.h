// The rollback journal kept beside an image while a change is being written
// to it: every sector the change touches, as it was before, and a checksum of
// what the change writes there. It is forced to the card before the image
// changes and deleted once the image holds the whole change, so a journal
// found beside an image means a change was cut short; putting its sectors
// back undoes it. The checksums tell whether anyone else (the instrument)
// wrote those sectors since: then the journal must not be put back.
//
//   bytes 0-7    magic "VELJRNL\n"
//   bytes 8-11   version (2), little-endian like every number here
//   bytes 12-15  sector size (256)
//   bytes 16-23  image size before the change
//   bytes 24-27  entry count
//   bytes 28-31  zero
//   bytes 32-39  FNV-1a 64 of the header (these 8 bytes taken as zero) and the entries
//   then per entry: the sector number (4 bytes), its 256 bytes before the
//   change, and the FNV-1a 64 of its 256 bytes after it (8 bytes)
//
// Version 1 journals, written before the checksums, have entries of the
// sector number and its bytes only; they are still read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vel {

constexpr int kJournalSectorBytes = 256;
constexpr size_t kJournalHeaderBytes = 40;
constexpr size_t kJournalEntryBytes = 4 + kJournalSectorBytes + 8;
constexpr size_t kJournalEntryBytesV1 = 4 + kJournalSectorBytes;
// The store addresses 256 pages of 64 KiB: no change touches more sectors.
constexpr uint32_t kJournalMaxEntries = 65536;

using SectorBytes = std::array<uint8_t, kJournalSectorBytes>;

struct RollbackJournal {
  struct Entry {
    uint32_t sector = 0;
    SectorBytes before{};
    // Checksum of the sector as the change writes it; absent in version 1.
    std::optional<uint64_t> afterHash;
  };

  long long imageSize = 0;
  std::vector<Entry> entries;  // in increasing sector order, each below imageSize

  std::vector<uint8_t> encode() const;
  // Only a whole journal passes: header, sizes, order and checksum all agree.
  static std::optional<RollbackJournal> decode(const uint8_t* bytes, size_t size);
};

// FNV-1a 64 over bytes, continuing from `hash`.
uint64_t fnv1a64(const uint8_t* bytes, size_t size, uint64_t hash = 0xCBF29CE484222325ULL);
inline uint64_t sectorHash(const SectorBytes& sector) {
  return fnv1a64(sector.data(), sector.size());
}

// The journal of an image: the same folder, the image's own name with ".JNL"
// added. On FAT its short name ends in .JNL, so a reader of short names (the
// instrument) never takes it for another image.
std::string journalPathFor(const std::string& imagePath);
// The name earlier versions gave it; a journal there is still recovered.
std::string legacyJournalPathFor(const std::string& imagePath);

}  // namespace vel
