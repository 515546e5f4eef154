#include "store/RecordAreaStore.h"

#include <algorithm>
#include <cstring>

#include "store/OrderTable.h"

namespace vel {
namespace {

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

RecordAreaStore::RecordAreaStore(Clock clock) : clock_(std::move(clock)) {
  jobOrder_.fill(kEndMark);
  codeOrder_.fill(kEndMark);
}

RecordAreaStore::~RecordAreaStore() {
  closeImage();
}

// --- Header fields --------------------------------------------------------------

bool RecordAreaStore::writeHeaderByte(uint16_t offset, uint8_t value) {
  return writeImage(page0(offset), 1, &value);
}

// Header words are moved as the host's two bytes, turned by swapInt16.
bool RecordAreaStore::writeHeaderWord(uint16_t offset, uint16_t hostValue) {
  const uint16_t stored = byteOrder_.swapInt16(hostValue);
  const uint8_t bytes[2] = {static_cast<uint8_t>(stored & 0xFF), static_cast<uint8_t>(stored >> 8)};
  return writeImage(page0(offset), 2, bytes);
}

uint16_t RecordAreaStore::readHeaderWord(uint16_t offset) {
  uint8_t bytes[2] = {};
  readImage(page0(offset), 2, bytes);
  return byteOrder_.swapInt16(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
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

// --- Models, layout and format -----------------------------------------------------

void RecordAreaStore::setLayout(const ModelLayout& layout) {
  layout_ = layout;
  byteOrder_ = layout.byteOrder();
  modelSettled_ = true;
}

void RecordAreaStore::useModel(int model, int sectors) {
  setLayout(ModelLayout::of(model, sectors));
}

uint8_t RecordAreaStore::detectModel() {
  modelSettled_ = false;
  // Until a format word settles it, the directory is read as the larger one.
  layout_.entrySize = 16;
  layout_.jobLimit = 128;
  layout_.knownPointFile = 128;
  layout_.layout = 1;
  uint8_t result = kNoImage;

  uint8_t word[2];
  if (readImage(page0(kLayout1Fields.formatWord), 2, word)) {
    result = kModelNotRecognised;
    const auto found = modelOfLayout1Word(static_cast<uint16_t>(word[0] | (word[1] << 8)));
    if (found) setLayout(*found);
  }
  if (!modelSettled_) {
    layout_.layout = 0;
    byteOrder_ = ImageByteOrder(false);
    if (readImage(page0(kLayout0Fields.formatWord), 2, word)) {
      result = kModelNotRecognised;
      const auto found = modelOfLayout0Word(static_cast<uint16_t>((word[0] << 8) | word[1]));
      if (found) setLayout(*found);
    }
  }

  if (modelSettled_) {
    lastRecognisedModel_ = layout_.model;
    lastRecognisedSectors_ = layout_.sectors;
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
  const uint8_t limit = layout_.jobLimit;
  if (!readImage(page0(kJobOrderTable), limit, table)) return false;
  bool seenEmpty = false;
  int listed = 0;
  for (int i = 0; i < limit; ++i) {
    if (table[i] == kEndMark) {
      seenEmpty = true;
      continue;
    }
    if (seenEmpty || table[i] > limit) return false;
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
  allocator_.reset();
  currentJob_ = kEndMark;
  freeRecords_ = static_cast<uint16_t>(capacity());
}

void RecordAreaStore::loadTables() {
  layout_.blocks = blocksOf(layout_.sectors);
  resetTables();
  // A field that cannot be read keeps its reset value.
  uint8_t current;
  if (readImage(page0(header().currentJob), 1, &current)) currentJob_ = current;
  uint8_t word[2];
  if (readImage(page0(header().freeRecords), 2, word)) {
    freeRecords_ = byteOrder_.swapInt16(static_cast<uint16_t>(word[0] | (word[1] << 8)));
  }
  allocator_.readTable();
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
  layout_.blocks = blocksOf(layout_.sectors);
  if (!allocator_.clearBitmaps(layout_.sectors)) return kWriteFailed;

  resetTables();
  const bool written = writeJobOrder() && allocator_.writeTable() &&
                       writeHeaderByte(header().currentJob, currentJob_) &&
                       writeHeaderWord(header().knownPointCount, 0) &&
                       writeFreeRecords(freeRecords_) && writeCodeOrder() &&
                       writeHeaderWord(header().formatWord, layout_.formatWord());
  return written ? kDone : kWriteFailed;
}

// --- Job directory -------------------------------------------------------------------

int RecordAreaStore::jobCount() const {
  int count = 0;
  while (count < layout_.jobLimit && jobOrder_[count] < layout_.jobLimit) ++count;
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

uint8_t RecordAreaStore::findJob(std::string_view name) {
  const int count = jobCount();
  for (int p = 0; p < count; ++p) {
    DirectoryEntry stored;
    readImage(page0(layout_.entryOffset(jobOrder_[p])), kNameField, stored.name.data());
    if (stored.hasName(name.substr(0, name.find('\0')))) return static_cast<uint8_t>(p);
  }
  return kRefused;
}

uint8_t RecordAreaStore::createJob(std::string_view name) {
  const uint8_t slot = allocateListEntry(jobOrder_.data(), layout_.jobLimit);
  if (slot == kRefused) return kRefused;
  if (!writeJobOrder()) return kWriteFailed;

  DirectoryEntry entry = DirectoryEntry::named(name);
  if (layout_.entrySize == DirectoryEntry::kLongBytes) entry.created = clock_();
  uint8_t bytes[DirectoryEntry::kLongBytes];
  const int length = entry.encodeTo(byteOrder_, layout_.entrySize, bytes);
  if (!writeImage(page0(layout_.entryOffset(slot)), static_cast<uint8_t>(length), bytes)) {
    return kWriteFailed;
  }
  return slot;
}

uint8_t RecordAreaStore::renameJob(uint8_t slot, std::string_view name) {
  if (slot >= layout_.jobLimit) return kRefused;
  uint8_t bytes[kNameField] = {};
  const size_t length = std::min<size_t>(
      name.find('\0') == std::string_view::npos ? name.size() : name.find('\0'), kNameLength);
  std::memcpy(bytes, name.data(), length);
  return writeImage(page0(layout_.entryOffset(slot)), static_cast<uint8_t>(length + 1), bytes)
             ? kDone
             : kWriteFailed;
}

uint8_t RecordAreaStore::deleteJob(int positionOrKnownFile) {
  const int a = positionOrKnownFile;
  if (a < 0 || a > layout_.jobLimit) return kRefused;
  const bool knownFile = a == layout_.knownPointFile;
  // A position past the end of the list names no job.
  if (!knownFile && a >= jobCount()) return kRefused;
  const uint8_t slot = knownFile ? layout_.knownPointFile : jobOrder_[a];

  if (!knownFile) {
    removeListEntry(a, jobOrder_.data(), layout_.jobLimit);
    if (!writeJobOrder()) return kWriteFailed;
  }

  const uint16_t count = recordCount(slot);
  if (count != 0) {
    if (!allocator_.releaseBlocksOf(slot)) return kWriteFailed;
    if (!writeFreeRecords(addSaturated(freeRecords_, count))) return kWriteFailed;
    if (knownFile && !writeHeaderWord(header().knownPointCount, 0)) return kWriteFailed;
  }
  if (slot == currentJob_) {
    currentJob_ = kEndMark;
    if (!writeHeaderByte(header().currentJob, currentJob_)) return kWriteFailed;
  }
  return kDone;
}

DirectoryEntry RecordAreaStore::jobEntry(uint8_t slot) {
  if (slot >= layout_.jobLimit) return {};
  uint8_t bytes[DirectoryEntry::kTimeEnd] = {};
  const int length = layout_.entrySize == DirectoryEntry::kLongBytes ? DirectoryEntry::kTimeEnd
                                                                     : DirectoryEntry::kShortBytes;
  readImage(page0(layout_.entryOffset(slot)), static_cast<uint8_t>(length), bytes);
  return DirectoryEntry::decodeFrom(byteOrder_, layout_.entrySize, bytes);
}

std::string RecordAreaStore::jobName(uint8_t slot) {
  return jobEntry(slot).printableName();
}

JobTime RecordAreaStore::jobCreationTime(uint8_t slot) {
  return jobEntry(slot).created;
}

uint16_t RecordAreaStore::recordCount(uint8_t slot) {
  if (slot == layout_.knownPointFile) return readHeaderWord(header().knownPointCount);
  if (slot > layout_.jobLimit) return 0;
  return readHeaderWord(
      static_cast<uint16_t>(layout_.entryOffset(slot) + DirectoryEntry::kCountOffset));
}

bool RecordAreaStore::writeRecordCount(uint8_t slot, uint16_t count) {
  if (slot == layout_.knownPointFile) return writeHeaderWord(header().knownPointCount, count);
  return writeHeaderWord(
      static_cast<uint16_t>(layout_.entryOffset(slot) + DirectoryEntry::kCountOffset), count);
}

// --- Job records --------------------------------------------------------------------

uint8_t RecordAreaStore::appendRecord(uint8_t slot, uint8_t length, const uint8_t* record) {
  // A record never spills into the next slot; the known-point file is the last slot.
  if (slot > layout_.knownPointFile || length == 0 || length > kRecordSize) return kRefused;
  const uint16_t count = recordCount(slot);
  if (count >= kMaxJobRecords) return kJobFull;

  RecordLocation location;
  const uint8_t claimed = allocator_.claimSlot(slot, location);
  if (claimed != kDone) return claimed;
  if (!writeImage(recordAddress(location), length, record)) return kWriteFailed;
  if (!writeRecordCount(slot, static_cast<uint16_t>(count + 1))) return kWriteFailed;
  if (!writeFreeRecords(subtractFloored(freeRecords_, 1))) return kWriteFailed;
  return kDone;
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
  const uint8_t released = allocator_.releaseSlot(*location);
  if (released != kDone) return released;
  if (!writeRecordCount(slot, subtractFloored(recordCount(slot), 1))) return kWriteFailed;
  if (!writeFreeRecords(addSaturated(freeRecords_, 1))) return kWriteFailed;
  return kDone;
}

std::string RecordAreaStore::recordPointName(uint8_t slot, int number) {
  const std::optional<RecordLocation> location = locateRecord(slot, number);
  if (!location) return {};
  uint8_t head[10] = {};
  readImage(recordAddress(*location), sizeof head, head);
  DirectoryEntry name;  // a point name is stored as a job name is
  std::memcpy(name.name.data(), head + 1, kNameField);
  return name.printableName();
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
