#include "TestImage.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

namespace vel::test {

namespace fs = std::filesystem;

namespace {

std::string uniqueImagePath() {
  static std::atomic<int> counter{0};
  std::random_device random;
  std::ostringstream name;
  name << "velstore-test-" << ::getpid() << '-' << counter++ << '-' << std::hex << random()
       << ".VEL";
  return (fs::temp_directory_path() / name.str()).string();
}

}  // namespace

TempImage::TempImage(long long size, uint8_t fill) : path_(uniqueImagePath()) {
  std::ofstream out(path_, std::ios::binary | std::ios::trunc);
  const std::string chunk(65536, static_cast<char>(fill));
  for (long long left = size; left > 0; left -= static_cast<long long>(chunk.size())) {
    out.write(chunk.data(), std::min<long long>(left, static_cast<long long>(chunk.size())));
  }
  if (!out) ADD_FAILURE() << "cannot create scratch image " << path_;
}

TempImage::~TempImage() {
  std::error_code ignored;
  fs::remove(path_, ignored);
}

long long TempImage::size() const {
  std::error_code error;
  const auto size = fs::file_size(path_, error);
  return error ? -1 : static_cast<long long>(size);
}

Bytes TempImage::read() const {
  return read(0, static_cast<size_t>(size()));
}

Bytes TempImage::read(long long position, size_t count) const {
  // A stream of its own, as another program would read the card.
  std::ifstream in(path_, std::ios::binary);
  Bytes bytes(count);
  in.seekg(position);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

void TempImage::write(long long position, const Bytes& bytes) const {
  std::fstream io(path_, std::ios::binary | std::ios::in | std::ios::out);
  io.seekp(position);
  io.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!io) ADD_FAILURE() << "cannot patch scratch image at " << position;
}

void TempImage::resize(long long size) const {
  fs::resize_file(path_, static_cast<uintmax_t>(size));
}

int sectorsOf(int model) {
  return model == kRX3_32 || model == kRX9_32 ? 8312 : 8320;
}

Card::Card(int model, int sectors, uint8_t fill, Clock clock)
    : image(static_cast<long long>(sectors ? sectors : sectorsOf(model)) * 256, fill),
      store(std::move(clock)) {
  EXPECT_TRUE(store.openImage(image.path()));
  store.useModel(model, sectors ? sectors : sectorsOf(model));
  EXPECT_EQ(store.formatRecordArea(), kDone);
  EXPECT_TRUE(store.commitImage());
  store.loadTables();
}

Bytes Card::bytes() const {
  EXPECT_TRUE(store.commitImage());
  return image.read();
}

Bytes Card::bytes(long long position, size_t count) const {
  EXPECT_TRUE(store.commitImage());
  return image.read(position, count);
}

void Card::patch(long long position, const Bytes& bytes) {
  EXPECT_TRUE(store.commitImage());
  image.write(position, bytes);
  reload();
}

void Card::reload() {
  store.imageFile().rollback();  // sectors read before the file was changed behind its back
  EXPECT_EQ(store.detectModel(), kModelRecognised);
  store.loadTables();
}

Bytes pointRecord(const std::string& name, int salt) {
  Bytes record(kRecordSize);
  for (int i = 0; i < kRecordSize; ++i)
    record[i] = static_cast<uint8_t>((i * 7 + salt * 13) % 200 + 1);
  record[0] = 4;
  for (int i = 1; i <= 9; ++i) record[i] = 0;
  for (size_t i = 0; i < name.size() && i < 8; ++i) record[1 + i] = static_cast<uint8_t>(name[i]);
  return record;
}

Bytes pointRecord(const std::string& name, FixedValue n, FixedValue e, FixedValue z,
                  const ImageByteOrder& order) {
  Bytes record(kRecordSize, 0);
  record[0] = 4;
  for (size_t i = 0; i < name.size() && i < 8; ++i) record[1 + i] = static_cast<uint8_t>(name[i]);
  order.fixedToImage(n, &record[19]);
  order.fixedToImage(e, &record[25]);
  order.fixedToImage(z, &record[31]);
  return record;
}

uint8_t addKnownPoint(RecordAreaStore& store, const std::string& name, FixedValue n, FixedValue e,
                      FixedValue z) {
  const Bytes record = pointRecord(name, n, e, z, store.byteOrder());
  return store.appendRecord(store.knownPointFile(), kRecordSize, record.data());
}

uint8_t appendPoint(RecordAreaStore& store, uint8_t slot, const std::string& name, int salt) {
  const Bytes record = pointRecord(name, salt);
  return store.appendRecord(slot, kRecordSize, record.data());
}

std::string nameOfRecord(RecordAreaStore& store, uint8_t slot, int number) {
  Bytes record(kRecordSize, 0);
  if (store.readRecord(slot, number, kRecordSize, record.data()) != kDone) return "";
  return std::string(reinterpret_cast<const char*>(&record[1]));
}

std::vector<std::string> namesOf(RecordAreaStore& store, uint8_t slot) {
  std::vector<std::string> names;
  const int count = store.recordCount(slot);
  for (int n = 0; n < count; ++n) names.push_back(nameOfRecord(store, slot, n));
  return names;
}

::testing::AssertionResult sameImage(const Bytes& actual, const Bytes& expected) {
  if (actual.size() != expected.size()) {
    return ::testing::AssertionFailure()
           << "image is " << actual.size() << " bytes, expected " << expected.size();
  }
  std::ostringstream report;
  int shown = 0;
  size_t differing = 0;
  for (size_t i = 0; i < actual.size(); ++i) {
    if (actual[i] == expected[i]) continue;
    ++differing;
    if (shown++ < 12) {
      char line[64];
      std::snprintf(line, sizeof line, "\n  0x%06zX: %02X, expected %02X", i, actual[i],
                    expected[i]);
      report << line;
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " bytes differ:" << report.str();
}

::testing::AssertionResult changesOnlyWithin(const Bytes& before, const Bytes& after,
                                             std::vector<std::pair<long long, long long>> ranges) {
  std::ostringstream report;
  int outside = 0;
  for (long long offset : changedOffsets(before, after)) {
    bool allowed = false;
    for (const auto& [first, last] : ranges)
      allowed = allowed || (offset >= first && offset <= last);
    if (allowed) continue;
    if (outside++ < 12) {
      char line[64];
      std::snprintf(line, sizeof line, "\n  0x%06llX", offset);
      report << line;
    }
  }
  if (outside == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << outside << " bytes changed outside the expected ranges:" << report.str();
}

std::vector<long long> changedOffsets(const Bytes& before, const Bytes& after) {
  std::vector<long long> offsets;
  const size_t n = std::min(before.size(), after.size());
  for (size_t i = 0; i < n; ++i) {
    if (before[i] != after[i]) offsets.push_back(static_cast<long long>(i));
  }
  for (size_t i = n; i < std::max(before.size(), after.size()); ++i) {
    offsets.push_back(static_cast<long long>(i));
  }
  return offsets;
}

std::vector<long long> offsetRange(long long first, long long last) {
  std::vector<long long> offsets;
  for (long long i = first; i <= last; ++i) offsets.push_back(i);
  return offsets;
}

void put(Bytes& image, long long position, std::initializer_list<uint8_t> bytes) {
  put(image, position, Bytes(bytes));
}

void put(Bytes& image, long long position, const Bytes& bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) image.at(static_cast<size_t>(position) + i) = bytes[i];
}

void fill(Bytes& image, long long first, long long last, uint8_t value) {
  for (long long i = first; i <= last; ++i) image.at(static_cast<size_t>(i)) = value;
}

std::string hex(const Bytes& bytes) {
  std::string text;
  char byte[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", bytes[i]);
    text += byte;
  }
  return text;
}

}  // namespace vel::test
