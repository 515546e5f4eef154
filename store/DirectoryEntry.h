// One entry of the job directory: the job's name, its record count and, on
// the RX9-32, the time it was created.
//
//   bytes 0-8    name, NUL-padded (8 characters and a NUL)
//   bytes 9-10   record count, image byte order
//   bytes 11-16  RX9-32 only: year (2 bytes, image byte order), month, day, hour, minute
//   bytes 17-63  RX9-32 only: zeros when this program creates the entry
// Bytes 11 to 15 of a 16-byte entry are not ours: they are never written.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "store/ImageByteOrder.h"

namespace vel {

// Creation time of a job on the RX9-32.
struct JobTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
};
using Clock = std::function<JobTime()>;
JobTime localTimeNow();

struct DirectoryEntry {
  static constexpr int kCountOffset = 9;
  static constexpr int kShortBytes = 11;  // name and count
  static constexpr int kTimeEnd = 17;     // end of the RX9-32 creation time
  static constexpr int kLongBytes = 64;   // an RX9-32 entry

  std::array<uint8_t, 9> name{};
  uint16_t recordCount = 0;
  JobTime created;  // RX9-32 only

  // The bytes a new entry is written with: kShortBytes, or kLongBytes with
  // the creation time when entrySize is 64. Returns how many.
  int encodeTo(const ImageByteOrder& order, int entrySize, uint8_t* out) const;
  // From the first kTimeEnd bytes of a stored entry (fewer for a 16-byte one:
  // the time is then left empty).
  static DirectoryEntry decodeFrom(const ImageByteOrder& order, int entrySize,
                                   const uint8_t* bytes);

  // The name as a new entry stores it: its leading printable characters, at most 8.
  static DirectoryEntry named(std::string_view name);
  // The stored name up to its NUL, at most 8 bytes, whatever they are.
  std::string nameBytes() const;
  // The stored name's leading printable characters.
  std::string printableName() const;
  // Stored names compare without regard to letter case up to and including
  // the NUL that ends the stored one.
  bool hasName(std::string_view given) const;
};

}  // namespace vel
