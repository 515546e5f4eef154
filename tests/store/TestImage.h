// Scratch record-area images for the store's tests: files in the temp folder,
// a formatted card of any model, and byte comparisons that name the offsets.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "store/RecordAreaStore.h"

namespace vel {

// How failing checks show the store's values.
inline void PrintTo(const FixedValue& v, std::ostream* out) {
  *out << '{' << v.whole << ", " << v.thousandths << '}';
}
inline void PrintTo(const RecordLocation& l, std::ostream* out) {
  *out << "{block " << l.block << ", sector " << int(l.sector) << ", slot " << int(l.slot) << '}';
}

}  // namespace vel

namespace vel::test {

using Bytes = std::vector<uint8_t>;

// Image file sizes of the models (sectors * 256).
constexpr long long kSize8320 = 2129920;
constexpr long long kSize8704 = 2228224;
constexpr long long kSize8312 = 2127872;

// A file of the given size in the temp folder, filled with one byte value and
// removed when the object goes.
class TempImage {
 public:
  explicit TempImage(long long size, uint8_t fill = 0xFF);
  ~TempImage();
  TempImage(const TempImage&) = delete;
  TempImage& operator=(const TempImage&) = delete;

  const std::string& path() const { return path_; }
  long long size() const;
  // The whole file, or count bytes from position (fewer at the end of the file).
  Bytes read() const;
  Bytes read(long long position, size_t count) const;
  void write(long long position, const Bytes& bytes) const;
  void write(long long position, std::initializer_list<uint8_t> bytes) const {
    write(position, Bytes(bytes));
  }
  void resize(long long size) const;

 private:
  std::string path_;
};

// The creation time every test card's clock reports.
inline JobTime fixedTime() {
  return JobTime{2024, 3, 7, 9, 5};
}
inline Clock fixedClock() {
  return [] { return fixedTime(); };
}

int sectorsOf(int model);  // the standard sector count of a model

// A freshly formatted and loaded record area of one model in a scratch file.
// The file starts filled with `fill` so that a test can see every byte the
// formatting wrote.
struct Card {
  explicit Card(int model, int sectors = 0, uint8_t fill = 0xFF, Clock clock = fixedClock());

  TempImage image;
  // Mutable: reading the card's bytes commits what the store wrote first.
  mutable RecordAreaStore store;

  // The file's bytes, once what the store wrote is committed to it.
  Bytes bytes() const;
  Bytes bytes(long long position, size_t count) const;
  // Patches the file behind the store's back (what it wrote committed first)
  // and reloads its tables.
  void patch(long long position, const Bytes& bytes);
  void reload();
};

// A 42-byte PT record named `name` whose other bytes are distinct and never 0xFF.
Bytes pointRecord(const std::string& name, int salt = 0);
// A PT record as the main window builds it: zeros, kind 4, name, N, E, Z.
Bytes pointRecord(const std::string& name, FixedValue n, FixedValue e, FixedValue z,
                  const ImageByteOrder& order);

uint8_t appendPoint(RecordAreaStore& store, uint8_t slot, const std::string& name, int salt = 0);
// A typed known point, as the known points page stores it.
uint8_t addKnownPoint(RecordAreaStore& store, const std::string& name, FixedValue n, FixedValue e,
                      FixedValue z);
// The point name stored in record `number` of a job, "" when there is none.
std::string nameOfRecord(RecordAreaStore& store, uint8_t slot, int number);
// All point names of a job in record order.
std::vector<std::string> namesOf(RecordAreaStore& store, uint8_t slot);

// Compares two whole images and names the first differing offsets.
::testing::AssertionResult sameImage(const Bytes& actual, const Bytes& expected);
// Passes when every byte that differs between the images lies in one of the
// inclusive ranges; names the first offsets outside them.
::testing::AssertionResult changesOnlyWithin(const Bytes& before, const Bytes& after,
                                             std::vector<std::pair<long long, long long>> ranges);
// Offsets at which two equally long images differ.
std::vector<long long> changedOffsets(const Bytes& before, const Bytes& after);
// The offsets first..last inclusive, for listing expected changes.
std::vector<long long> offsetRange(long long first, long long last);

void put(Bytes& image, long long position, std::initializer_list<uint8_t> bytes);
void put(Bytes& image, long long position, const Bytes& bytes);
void fill(Bytes& image, long long first, long long last, uint8_t value);

std::string hex(const Bytes& bytes);

}  // namespace vel::test
