#include "store/RecordAreaStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace vel {

struct HeaderFields {
  uint16_t currentJob, freeRecords, knownPointCount, formatWord, codeOrder;
};

namespace {

constexpr HeaderFields kLayout0Fields{0x0100, 0x0101, 0x0103, 0x0105, 0x0110};
constexpr HeaderFields kLayout1Fields{0x0120, 0x0122, 0x0126, 0x0100, 0x0140};

// Fixed places in page 0 shared by both layouts.
constexpr uint16_t kJobOrderTable = 0x0180;
constexpr uint16_t kCodeTable = 0x0200;
constexpr uint16_t kJobDirectory = 0x0400;
constexpr uint16_t kAllocationTable = 0x0C00;
constexpr uint16_t kBlockBitmaps = 0x1500;

constexpr int kJobOrderBytes = 128;  // always moved whole, whatever the job limit
constexpr int kHeaderSectors = 64;   // 16 KiB before the first data block
constexpr int kSectorsPerBlock = 8;
constexpr int kSlotsPerSector = 6;
constexpr int kBitmapBytes = 8;        // one byte per sector of a block
constexpr uint8_t kSlotBits = 0x3F;    // bits 0 to 5: slots of a sector, 1 = free
constexpr int kCodeBytes = 8;          // a code of 8 characters has no NUL
constexpr size_t kNameField = 9;       // 8 characters and their NUL
constexpr int kEntryCount = 9;         // record count inside a directory entry
constexpr int kShortEntryBytes = 11;   // name and count; bytes 11 to 15 are not ours
constexpr int kEntryTimeEnd = 17;      // RX9-32: year (2), month, day, hour, minute
constexpr int kFormatFillBytes = 128;  // bitmap area is cleared in pieces of this size
constexpr int kTransferBytes = 256;
constexpr uint8_t kEndMark = 0xFF;  // order tables; also free owner and no current job

constexpr uint16_t kWordRX3 = 0xCC88;      // RX3-8 (8320 sectors) and RX3-32
constexpr uint16_t kWordRX3Long = 0xCC77;  // RX3-8 with 8704 sectors
constexpr uint16_t kWordRX2 = 0xDD88;
constexpr uint16_t kWordRX9 = 0xDD99;

// Image sizes that tell which model an unrecognised image was made for.
constexpr long long kSizeRX3Long = kRX3_8LongSectors * kSectorSize;  // 2228224
constexpr long long kSizeLayout0 = kStandardSectors * kSectorSize;   // 2129920
constexpr long long kSizeLayout1 = kLayout1Sectors * kSectorSize;    // 2127872

constexpr ImageAddress page0(uint16_t offset) {
  return ImageAddress{0, offset};
}

bool isPrintable(char c) {
  return c >= 0x20 && c <= 0x7E;
}

uint8_t upper(uint8_t c) {
  return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c;
}

// Leading printable characters, at most max, up to the first NUL or control byte.
std::string printablePrefix(std::string_view bytes, size_t max) {
  std::string text;
  for (size_t i = 0; i < max && i < bytes.size() && isPrintable(bytes[i]); ++i) {
    text.push_back(bytes[i]);
  }
  return text;
}

std::string_view field(const uint8_t* bytes, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(bytes), size);
}

// Stored names compare without regard to letter case up to and including the
// NUL that ends the stored one; a name that fills its field ends with it.
bool sameName(const uint8_t* stored, std::string_view given) {
  for (size_t i = 0; i < kNameField; ++i) {
    const uint8_t g = i < given.size() ? static_cast<uint8_t>(given[i]) : 0;
    if (upper(stored[i]) != upper(g)) return false;
    if (stored[i] == 0) return true;
  }
  return given.size() == kNameField;
}

// Bytes up to the first NUL, at most max.
std::string textUpToNul(const uint8_t* bytes, int max) {
  std::string text;
  for (int i = 0; i < max && bytes[i] != 0; ++i) text.push_back(static_cast<char>(bytes[i]));
  return text;
}

uint16_t addSaturated(uint16_t a, unsigned b) {
  return static_cast<uint16_t>(std::min<unsigned>(a + b, 0xFFFF));
}

uint16_t subtractFloored(uint16_t a, unsigned b) {
  return a > b ? a - b : 0;
}

}  // namespace

const char* modelName(int model) {
  static const char* const kNames[] = {"RX3-8", "RX2-8", "RX3-32", "RX9-32"};
  return model >= 0 && model < 4 ? kNames[model] : "";
}

int defaultSectors(int model) {
  return model >= kRX3_32 ? kLayout1Sectors : kStandardSectors;
}

JobTime localTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return JobTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                 local.tm_min};
}

std::string knownPointText(std::string_view name, FixedValue n, FixedValue e, FixedValue z) {
  char line[128];
  std::snprintf(line, sizeof line, "%-8.*s  %-12s  %-12s  %-12s", static_cast<int>(name.size()),
                name.data(), formatFixedWide(n).c_str(), formatFixedWide(e).c_str(),
                formatFixedWide(z).c_str());
  return line;
}

std::string formatJobDate(const JobTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d-%02d-%02d %2d:%02d", time.year % 100, time.month, time.day,
                time.hour, time.minute);
  return text;
}

RecordAreaStore::RecordAreaStore(Clock clock) : clock_(std::move(clock)) {
  jobOrder_.fill(kEndMark);
  codeOrder_.fill(kEndMark);
}

RecordAreaStore::~RecordAreaStore() {
  closeImage();
}

// --- Image access -------------------------------------------------------------

bool RecordAreaStore::openImage(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void RecordAreaStore::closeImage() {
  if (fd_ < 0) return;
  ::fsync(fd_);
  ::close(fd_);
  fd_ = -1;
}

bool RecordAreaStore::readImage(ImageAddress address, uint8_t count, uint8_t* buffer) {
  if (fd_ < 0) return false;
  const size_t wanted = count == 0 ? kTransferBytes : count;
  size_t got = 0;
  while (got < wanted) {
    const ssize_t n =
        ::pread(fd_, buffer + got, wanted - got, static_cast<off_t>(filePosition(address) + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  std::memset(buffer + got, 0, wanted - got);
  return got == wanted;
}

bool RecordAreaStore::writeImage(ImageAddress address, uint8_t count, const uint8_t* buffer) {
  if (fd_ < 0) return false;
  const size_t wanted = count == 0 ? kTransferBytes : count;
  size_t put = 0;
  while (put < wanted) {
    const ssize_t n =
        ::pwrite(fd_, buffer + put, wanted - put, static_cast<off_t>(filePosition(address) + put));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    put += static_cast<size_t>(n);
  }
  return put == wanted;
}

bool RecordAreaStore::syncImage() {
  return fd_ >= 0 && ::fsync(fd_) == 0;
}

long long RecordAreaStore::imageFileSize() const {
  struct stat info {};
  if (fd_ < 0 || ::fstat(fd_, &info) != 0) return -1;
  return info.st_size;
}

// --- Header fields --------------------------------------------------------------

const HeaderFields& RecordAreaStore::header() const {
  return layout_ == 1 ? kLayout1Fields : kLayout0Fields;
}

bool RecordAreaStore::writeHeaderByte(uint16_t offset, uint8_t value) {
  return writeImage(page0(offset), 1, &value);
}

// Header words are moved as the host's two bytes, turned by swapInt16.
bool RecordAreaStore::writeHeaderWord(uint16_t offset, uint16_t hostValue) {
  const uint16_t stored = swapInt16(hostValue);
  const uint8_t bytes[2] = {static_cast<uint8_t>(stored & 0xFF), static_cast<uint8_t>(stored >> 8)};
  return writeImage(page0(offset), 2, bytes);
}

uint16_t RecordAreaStore::readHeaderWord(uint16_t offset) {
  uint8_t bytes[2] = {};
  readImage(page0(offset), 2, bytes);
  return swapInt16(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}

bool RecordAreaStore::writeJobOrder() {
  return writeImage(page0(kJobOrderTable), kJobOrderBytes, jobOrder_.data());
}

bool RecordAreaStore::writeCodeOrder() {
  return writeImage(page0(header().codeOrder), kMaxFeatureCodes, codeOrder_.data());
}

bool RecordAreaStore::writeFreeRecords(uint16_t count) {
  freeRecords_ = count;
  return writeHeaderWord(header().freeRecords, count);
}

// --- Allocation table and bitmaps --------------------------------------------------

bool RecordAreaStore::readAllocationTable() {
  const int total = blocks_ * 2;
  std::array<uint8_t, kMaxBlocks * 2> bytes{};
  for (int done = 0; done < total; done += kTransferBytes) {
    const int piece = std::min(kTransferBytes, total - done);
    if (!readImage(page0(static_cast<uint16_t>(kAllocationTable + done)),
                   static_cast<uint8_t>(piece % kTransferBytes), bytes.data() + done)) {
      return false;
    }
  }
  for (int b = 0; b < blocks_; ++b) allocation_[b] = {bytes[2 * b], bytes[2 * b + 1]};
  return true;
}

bool RecordAreaStore::writeAllocationTable() {
  const int total = blocks_ * 2;
  std::array<uint8_t, kMaxBlocks * 2> bytes{};
  for (int b = 0; b < blocks_; ++b) {
    bytes[2 * b] = allocation_[b].owner;
    bytes[2 * b + 1] = allocation_[b].count;
  }
  for (int done = 0; done < total; done += kTransferBytes) {
    const int piece = std::min(kTransferBytes, total - done);
    if (!writeImage(page0(static_cast<uint16_t>(kAllocationTable + done)),
                    static_cast<uint8_t>(piece % kTransferBytes), bytes.data() + done)) {
      return false;
    }
  }
  return true;
}

bool RecordAreaStore::writeAllocationEntry(int block) {
  const uint8_t bytes[2] = {allocation_[block].owner, allocation_[block].count};
  return writeImage(page0(static_cast<uint16_t>(kAllocationTable + 2 * block)), 2, bytes);
}

bool RecordAreaStore::readBitmap(int block, uint8_t* bitmap) {
  return readImage(page0(static_cast<uint16_t>(kBlockBitmaps + kBitmapBytes * block)), kBitmapBytes,
                   bitmap);
}

bool RecordAreaStore::writeBitmap(int block, const uint8_t* bitmap) {
  return writeImage(page0(static_cast<uint16_t>(kBlockBitmaps + kBitmapBytes * block)),
                    kBitmapBytes, bitmap);
}

// Owners and counts out of range (a damaged card) match no job.
bool RecordAreaStore::ownsBlock(int block, uint8_t slot) const {
  const AllocationEntry& e = allocation_[block];
  return slot <= knownPointFile_ && e.owner == slot + 1 && e.count <= kRecordsPerBlock;
}

// --- Models, layout and format -----------------------------------------------------

void RecordAreaStore::setGeometry(int sectors) {
  sectors_ = sectors;
  blocks_ = std::clamp(sectors / kSectorsPerBlock - kSectorsPerBlock, 0, kMaxBlocks);
}

void RecordAreaStore::useModel(int model, int sectors) {
  model_ = std::clamp(model, 0, 3);
  if (model_ != kRX3_8 || (sectors != kStandardSectors && sectors != kRX3_8LongSectors)) {
    sectors = defaultSectors(model_);
  }
  setGeometry(sectors);
  layout_ = model_ >= kRX3_32 ? 1 : 0;
  setImageByteOrder(layout_ == 1);
  const bool rx9 = model_ == kRX9_32;
  entrySize_ = rx9 ? 64 : 16;
  jobLimit_ = rx9 ? 32 : 128;
  knownPointFile_ = jobLimit_;
  modelSettled_ = true;
}

uint8_t RecordAreaStore::detectModel() {
  modelSettled_ = false;
  entrySize_ = 16;
  jobLimit_ = 128;
  knownPointFile_ = 128;
  layout_ = 1;
  uint8_t result = kNoImage;

  uint8_t word[2];
  if (readImage(page0(kLayout1Fields.formatWord), 2, word)) {
    result = kModelNotRecognised;
    const uint16_t littleWord = static_cast<uint16_t>(word[0] | (word[1] << 8));
    if (littleWord == kWordRX3) useModel(kRX3_32, kLayout1Sectors);
    if (littleWord == kWordRX9) useModel(kRX9_32, kLayout1Sectors);
  }
  if (!modelSettled_) {
    layout_ = 0;
    setImageByteOrder(false);
    if (readImage(page0(kLayout0Fields.formatWord), 2, word)) {
      result = kModelNotRecognised;
      const uint16_t bigWord = static_cast<uint16_t>((word[0] << 8) | word[1]);
      if (bigWord == kWordRX3) useModel(kRX3_8, kStandardSectors);
      if (bigWord == kWordRX3Long) useModel(kRX3_8, kRX3_8LongSectors);
      if (bigWord == kWordRX2) useModel(kRX2_8, kStandardSectors);
    }
  }

  if (modelSettled_) {
    lastRecognisedModel_ = model_;
    lastRecognisedSectors_ = sectors_;
    return kModelRecognised;
  }
  if (result == kModelNotRecognised && checkJobOrder()) return kModelJobOrderPlausible;
  return result;
}

std::pair<int, int> RecordAreaStore::modelForUnrecognisedImage() const {
  const long long size = imageFileSize();
  if (size == kSizeRX3Long) return {kRX3_8, kRX3_8LongSectors};
  if (size == kSizeLayout0) {
    return {lastRecognisedModel_ == kRX2_8 ? kRX2_8 : kRX3_8, kStandardSectors};
  }
  if (size == kSizeLayout1) {
    return {lastRecognisedModel_ == kRX9_32 ? kRX9_32 : kRX3_32, kLayout1Sectors};
  }
  if (lastRecognisedModel_ >= 0) return {lastRecognisedModel_, lastRecognisedSectors_};
  return {kRX3_8, kStandardSectors};
}

bool RecordAreaStore::checkJobOrder() {
  uint8_t table[kJobOrderBytes];
  if (!readImage(page0(kJobOrderTable), jobLimit_, table)) return false;
  bool seenEmpty = false;
  int listed = 0;
  for (int i = 0; i < jobLimit_; ++i) {
    if (table[i] == kEndMark) {
      seenEmpty = true;
      continue;
    }
    if (seenEmpty || table[i] > jobLimit_) return false;
    ++listed;
  }
  if (listed == 0) return false;
  for (int i = 0; i < listed; ++i) {
    for (int j = i + 1; j < listed; ++j) {
      if (table[i] == table[j]) return false;
    }
  }
  return true;
}

void RecordAreaStore::resetTables() {
  jobOrder_.fill(kEndMark);
  codeOrder_.fill(kEndMark);
  allocation_.fill(AllocationEntry{});
  currentJob_ = kEndMark;
  freeRecords_ = static_cast<uint16_t>(capacity());
}

void RecordAreaStore::loadTables() {
  setGeometry(sectors_);
  resetTables();
  // A field that cannot be read keeps its reset value.
  uint8_t current;
  if (readImage(page0(header().currentJob), 1, &current)) currentJob_ = current;
  uint8_t word[2];
  if (readImage(page0(header().freeRecords), 2, word)) {
    freeRecords_ = swapInt16(static_cast<uint16_t>(word[0] | (word[1] << 8)));
  }
  readAllocationTable();
  std::array<uint8_t, kMaxFeatureCodes> codes;
  if (readImage(page0(header().codeOrder), kMaxFeatureCodes, codes.data())) codeOrder_ = codes;
  std::array<uint8_t, kJobOrderBytes> jobs;
  if (readImage(page0(kJobOrderTable), kJobOrderBytes, jobs.data())) jobOrder_ = jobs;
}

uint8_t RecordAreaStore::formatRecordArea() {
  if (!modelSettled_) {
    const auto [model, sectors] = modelForUnrecognisedImage();
    useModel(model, sectors);
  }
  setGeometry(sectors_);

  const std::array<uint8_t, kFormatFillBytes> ones = [] {
    std::array<uint8_t, kFormatFillBytes> a;
    a.fill(0xFF);
    return a;
  }();
  const int fills = (sectors_ + kFormatFillBytes - 1) / kFormatFillBytes;
  for (int i = 0; i < fills; ++i) {
    if (!writeImage(page0(static_cast<uint16_t>(kBlockBitmaps + i * kFormatFillBytes)),
                    kFormatFillBytes, ones.data())) {
      return kWriteFailed;
    }
  }

  resetTables();
  uint16_t formatWord = kWordRX3;
  if (model_ == kRX3_8 && sectors_ == kRX3_8LongSectors) formatWord = kWordRX3Long;
  if (model_ == kRX2_8) formatWord = kWordRX2;
  if (model_ == kRX9_32) formatWord = kWordRX9;

  const bool written = writeJobOrder() && writeAllocationTable() &&
                       writeHeaderByte(header().currentJob, currentJob_) &&
                       writeHeaderWord(header().knownPointCount, 0) &&
                       writeFreeRecords(freeRecords_) && writeCodeOrder() &&
                       writeHeaderWord(header().formatWord, formatWord);
  return written ? kDone : kWriteFailed;
}

// --- Order tables -----------------------------------------------------------------

uint8_t RecordAreaStore::allocateListEntry(uint8_t* table, int n) {
  int candidate = 0;
  int i = 0;
  while (i < n) {
    if (table[i] >= n) break;
    if (table[i] == candidate) {
      ++candidate;
      i = 0;
      continue;
    }
    ++i;
  }
  if (i == n) return kRefused;
  table[i] = static_cast<uint8_t>(candidate);
  return static_cast<uint8_t>(candidate);
}

void RecordAreaStore::removeListEntry(int position, uint8_t* table, int n) {
  if (position < 0 || position >= n) return;
  int p = position;
  while (p < n - 1 && table[p] < n) {
    table[p] = table[p + 1];
    ++p;
  }
  table[p] = kEndMark;
}

// --- Job directory -------------------------------------------------------------------

int RecordAreaStore::jobCount() const {
  int count = 0;
  while (count < jobLimit_ && jobOrder_[count] < jobLimit_) ++count;
  return count;
}

uint8_t RecordAreaStore::jobSlotAt(int position) const {
  if (position < 0 || position >= jobCount()) return kRefused;
  return jobOrder_[position];
}

uint8_t RecordAreaStore::jobPositionOf(uint8_t slot) const {
  const int count = jobCount();
  for (int p = 0; p < count; ++p) {
    if (jobOrder_[p] == slot) return static_cast<uint8_t>(p);
  }
  return kRefused;
}

uint16_t RecordAreaStore::entryOffset(uint8_t slot) const {
  return static_cast<uint16_t>(kJobDirectory + slot * entrySize_);
}

uint8_t RecordAreaStore::findJob(std::string_view name) {
  const int count = jobCount();
  for (int p = 0; p < count; ++p) {
    uint8_t stored[kNameField] = {};
    readImage(page0(entryOffset(jobOrder_[p])), kNameField, stored);
    if (sameName(stored, name.substr(0, name.find('\0')))) return static_cast<uint8_t>(p);
  }
  return kRefused;
}

uint8_t RecordAreaStore::createJob(std::string_view name) {
  const uint8_t slot = allocateListEntry(jobOrder_.data(), jobLimit_);
  if (slot == kRefused) return kRefused;
  if (!writeJobOrder()) return kWriteFailed;

  std::array<uint8_t, 64> entry{};
  const std::string stored = printablePrefix(name, kNameLength);
  std::memcpy(entry.data(), stored.data(), stored.size());
  const uint16_t zeroCount = swapInt16(0);
  std::memcpy(entry.data() + kEntryCount, &zeroCount, 2);
  int length = kShortEntryBytes;
  if (entrySize_ == 64) {
    const JobTime now = clock_();
    const uint16_t year = swapInt16(static_cast<uint16_t>(now.year));
    std::memcpy(entry.data() + 11, &year, 2);
    entry[13] = static_cast<uint8_t>(now.month);
    entry[14] = static_cast<uint8_t>(now.day);
    entry[15] = static_cast<uint8_t>(now.hour);
    entry[16] = static_cast<uint8_t>(now.minute);
    length = 64;  // bytes 17 to 63 are written as zeros
  }
  if (!writeImage(page0(entryOffset(slot)), static_cast<uint8_t>(length), entry.data())) {
    return kWriteFailed;
  }
  return slot;
}

uint8_t RecordAreaStore::renameJob(uint8_t slot, std::string_view name) {
  if (slot >= jobLimit_) return kRefused;
  uint8_t bytes[kNameField] = {};
  const size_t length = std::min<size_t>(
      name.find('\0') == std::string_view::npos ? name.size() : name.find('\0'), kNameLength);
  std::memcpy(bytes, name.data(), length);
  return writeImage(page0(entryOffset(slot)), static_cast<uint8_t>(length + 1), bytes)
             ? kDone
             : kWriteFailed;
}

uint8_t RecordAreaStore::deleteJob(int positionOrKnownFile) {
  const int a = positionOrKnownFile;
  if (a < 0 || a > jobLimit_) return kRefused;
  const bool knownFile = a == knownPointFile_;
  // A position past the end of the list names no job.
  if (!knownFile && a >= jobCount()) return kRefused;
  const uint8_t slot = knownFile ? knownPointFile_ : jobOrder_[a];

  if (!knownFile) {
    removeListEntry(a, jobOrder_.data(), jobLimit_);
    if (!writeJobOrder()) return kWriteFailed;
  }

  const uint16_t count = recordCount(slot);
  if (count != 0) {
    uint8_t freeBitmap[kBitmapBytes];
    std::memset(freeBitmap, 0xFF, sizeof freeBitmap);
    for (int b = 0; b < blocks_; ++b) {
      if (allocation_[b].owner != slot + 1) continue;
      allocation_[b] = AllocationEntry{};
      if (!writeBitmap(b, freeBitmap)) return kWriteFailed;
    }
    if (!writeAllocationTable()) return kWriteFailed;
    if (!writeFreeRecords(addSaturated(freeRecords_, count))) return kWriteFailed;
    if (knownFile && !writeHeaderWord(header().knownPointCount, 0)) return kWriteFailed;
  }
  if (slot == currentJob_) {
    currentJob_ = kEndMark;
    if (!writeHeaderByte(header().currentJob, currentJob_)) return kWriteFailed;
  }
  return kDone;
}

std::string RecordAreaStore::jobName(uint8_t slot) {
  if (slot >= jobLimit_) return {};
  uint8_t stored[kNameField] = {};
  readImage(page0(entryOffset(slot)), kNameField, stored);
  return printablePrefix(field(stored, kNameField), kNameLength);
}

JobTime RecordAreaStore::jobCreationTime(uint8_t slot) {
  JobTime time;
  if (slot >= jobLimit_ || entrySize_ != 64) return time;
  uint8_t entry[kEntryTimeEnd] = {};
  readImage(page0(entryOffset(slot)), kEntryTimeEnd, entry);
  time.year = swapInt16(static_cast<uint16_t>(entry[11] | (entry[12] << 8)));
  time.month = entry[13];
  time.day = entry[14];
  time.hour = entry[15];
  time.minute = entry[16];
  return time;
}

std::string RecordAreaStore::jobListLine(int position) {
  const uint8_t slot = jobSlotAt(position);
  if (slot >= jobLimit_) return {};
  uint8_t stored[kNameField] = {};
  readImage(page0(entryOffset(slot)), kNameField, stored);
  const std::string name = textUpToNul(stored, kNameLength);
  const unsigned count = recordCount(slot);

  char line[128];
  if (entrySize_ == 64) {
    std::snprintf(line, sizeof line, " %-8s   %5u      %12s", name.c_str(), count,
                  formatJobDate(jobCreationTime(slot)).c_str());
  } else {
    std::snprintf(line, sizeof line, " %-8s         %5u", name.c_str(), count);
  }
  std::string text = line;
  if (slot == currentJob_) text[0] = '*';
  return text;
}

uint16_t RecordAreaStore::recordCount(uint8_t slot) {
  if (slot == knownPointFile_) return readHeaderWord(header().knownPointCount);
  if (slot > jobLimit_) return 0;
  return readHeaderWord(static_cast<uint16_t>(entryOffset(slot) + kEntryCount));
}

bool RecordAreaStore::writeRecordCount(uint8_t slot, uint16_t count) {
  if (slot == knownPointFile_) return writeHeaderWord(header().knownPointCount, count);
  return writeHeaderWord(static_cast<uint16_t>(entryOffset(slot) + kEntryCount), count);
}

// --- Job records --------------------------------------------------------------------

ImageAddress RecordAreaStore::recordAddress(RecordLocation location) {
  const uint16_t sector =
      static_cast<uint16_t>(kHeaderSectors + location.block * kSectorsPerBlock + location.sector);
  return ImageAddress{static_cast<uint8_t>(sector / 256),
                      static_cast<uint16_t>((sector % 256) * 256 + location.slot * kRecordSize)};
}

uint8_t RecordAreaStore::takeFreeSlot(uint16_t block, RecordLocation& location) {
  if (block >= blocks_) return kRefused;
  uint8_t bitmap[kBitmapBytes];
  if (!readBitmap(block, bitmap)) return kRefused;
  for (int sector = 0; sector < kSectorsPerBlock; ++sector) {
    if ((bitmap[sector] & kSlotBits) == 0) continue;
    int slot = 0;
    while (!(bitmap[sector] & (1 << slot))) ++slot;
    bitmap[sector] = static_cast<uint8_t>(bitmap[sector] & ~(1 << slot));
    if (!writeBitmap(block, bitmap)) return kWriteFailed;
    location = RecordLocation{block, static_cast<uint8_t>(sector), static_cast<uint8_t>(slot)};
    return kDone;
  }
  return kRefused;
}

uint8_t RecordAreaStore::findBlockForJob(uint8_t slot, RecordLocation& location) {
  int chosen = -1;
  for (int b = 0; b < blocks_ && chosen < 0; ++b) {
    if (ownsBlock(b, slot) && allocation_[b].count < kRecordsPerBlock) chosen = b;
  }
  for (int b = 0; b < blocks_ && chosen < 0; ++b) {
    if (allocation_[b].owner == kEndMark) chosen = b;
  }
  if (chosen < 0) return kRefused;

  const uint8_t taken = takeFreeSlot(static_cast<uint16_t>(chosen), location);
  if (taken != kDone) return taken;
  AllocationEntry& entry = allocation_[chosen];
  if (entry.owner == kEndMark) entry.count = 0;  // a free block holds nothing
  entry.owner = static_cast<uint8_t>(slot + 1);
  ++entry.count;
  return writeAllocationEntry(chosen) ? kDone : kWriteFailed;
}

uint8_t RecordAreaStore::appendRecord(uint8_t slot, uint8_t length, const uint8_t* record) {
  // A record never spills into the next slot; the known-point file is the last slot.
  if (slot > knownPointFile_ || length == 0 || length > kRecordSize) return kRefused;
  const uint16_t count = recordCount(slot);
  if (count >= kMaxJobRecords) return kJobFull;

  RecordLocation location;
  const uint8_t found = findBlockForJob(slot, location);
  if (found != kDone) return found;
  if (!writeImage(recordAddress(location), length, record)) return kWriteFailed;
  if (!writeRecordCount(slot, static_cast<uint16_t>(count + 1))) return kWriteFailed;
  if (!writeFreeRecords(subtractFloored(freeRecords_, 1))) return kWriteFailed;
  return kDone;
}

std::optional<RecordLocation> RecordAreaStore::locateRecord(uint8_t slot, int number) {
  if (number < 0) return std::nullopt;
  int total = 0;
  int block = -1;
  for (int b = 0; b < blocks_; ++b) {
    if (!ownsBlock(b, slot)) continue;
    const int count = allocation_[b].count;
    if (total + count > number) {
      block = b;
      break;
    }
    total += count;
  }
  if (block < 0) return std::nullopt;

  uint8_t bitmap[kBitmapBytes];
  if (!readBitmap(block, bitmap)) return std::nullopt;
  for (int sector = 0; sector < kSectorsPerBlock; ++sector) {
    if ((bitmap[sector] & kSlotBits) == kSlotBits) continue;
    for (int s = 0; s < kSlotsPerSector; ++s) {
      if (bitmap[sector] & (1 << s)) continue;
      if (total == number) {
        return RecordLocation{static_cast<uint16_t>(block), static_cast<uint8_t>(sector),
                              static_cast<uint8_t>(s)};
      }
      ++total;
    }
  }
  return std::nullopt;  // the bitmap and the count disagree
}

uint8_t RecordAreaStore::readRecord(uint8_t slot, int number, uint8_t length, uint8_t* buffer) {
  if (length == 0 || length > kRecordSize) return kRefused;
  const std::optional<RecordLocation> location = locateRecord(slot, number);
  if (!location) return kRefused;
  return readImage(recordAddress(*location), length, buffer) ? kDone : kRefused;
}

uint8_t RecordAreaStore::deleteRecord(uint8_t slot, int number) {
  const std::optional<RecordLocation> location = locateRecord(slot, number);
  if (!location) return kRefused;
  const int block = location->block;
  uint8_t bitmap[kBitmapBytes];
  if (!readBitmap(block, bitmap)) return kRefused;
  bitmap[location->sector] = static_cast<uint8_t>(bitmap[location->sector] | (1 << location->slot));
  if (!writeBitmap(block, bitmap)) return kWriteFailed;

  AllocationEntry& entry = allocation_[block];
  entry.count = static_cast<uint8_t>(subtractFloored(entry.count, 1));
  if (entry.count == 0) entry.owner = kEndMark;
  if (!writeAllocationEntry(block)) return kWriteFailed;
  if (!writeRecordCount(slot, subtractFloored(recordCount(slot), 1))) return kWriteFailed;
  if (!writeFreeRecords(addSaturated(freeRecords_, 1))) return kWriteFailed;
  return kDone;
}

std::string RecordAreaStore::recordPointName(uint8_t slot, int number) {
  const std::optional<RecordLocation> location = locateRecord(slot, number);
  if (!location) return {};
  uint8_t head[10] = {};
  readImage(recordAddress(*location), sizeof head, head);
  return printablePrefix(field(head + 1, kNameField), kNameLength);
}

// --- Known points ---------------------------------------------------------------------

std::string RecordAreaStore::knownPointLine(int number) {
  uint8_t record[kRecordSize];
  if (readRecord(knownPointFile_, number, kRecordSize, record) != kDone) return {};
  return knownPointText(
      textUpToNul(record + 1, kNameLength), byteOrder_.fixedFromImage(record + 19),
      byteOrder_.fixedFromImage(record + 25), byteOrder_.fixedFromImage(record + 31));
}

// --- Feature codes ----------------------------------------------------------------------

int RecordAreaStore::featureCodeCount() const {
  int count = 0;
  while (count < kMaxFeatureCodes && codeOrder_[count] < kMaxFeatureCodes) ++count;
  return count;
}

std::string RecordAreaStore::featureCodeAt(int position) {
  if (position < 0 || position >= featureCodeCount()) return {};
  uint8_t code[kCodeBytes];
  readImage(page0(static_cast<uint16_t>(kCodeTable + kCodeBytes * codeOrder_[position])),
            kCodeBytes, code);
  return textUpToNul(code, kCodeBytes);
}

uint8_t RecordAreaStore::addFeatureCode(std::string_view code) {
  const uint8_t slot = allocateListEntry(codeOrder_.data(), kMaxFeatureCodes);
  if (slot == kRefused) return kRefused;
  if (!writeCodeOrder()) return kWriteFailed;
  uint8_t bytes[kCodeBytes] = {};
  const size_t end = std::min(code.find('\0'), code.size());
  std::memcpy(bytes, code.data(), std::min<size_t>(end, kCodeBytes));
  if (!writeImage(page0(static_cast<uint16_t>(kCodeTable + kCodeBytes * slot)), kCodeBytes,
                  bytes)) {
    return kWriteFailed;
  }
  return slot;
}

uint8_t RecordAreaStore::deleteFeatureCode(int position) {
  if (position < 0 || position >= kMaxFeatureCodes) return kRefused;
  removeListEntry(position, codeOrder_.data(), kMaxFeatureCodes);
  return writeCodeOrder() ? kDone : kWriteFailed;
}

uint8_t RecordAreaStore::clearFeatureCodes() {
  codeOrder_.fill(kEndMark);
  return writeCodeOrder() ? kDone : kWriteFailed;
}

}  // namespace vel
