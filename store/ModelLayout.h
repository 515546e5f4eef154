// The four instrument models and where each keeps its record area's parts:
// the header fields, the tables of page 0, the blocks of records, and the
// format word that tells the models apart.
#pragma once

#include <cstdint>
#include <optional>

#include "store/ImageByteOrder.h"
#include "store/ImageFile.h"

namespace vel {

enum Model : int { kRX3_8 = 0, kRX2_8 = 1, kRX3_32 = 2, kRX9_32 = 3 };

// "RX3-8", "RX2-8", "RX3-32" or "RX9-32"; "" for an index outside 0 to 3.
const char* modelName(int model);

// Sector count of a model; RX3-8 also exists with kRX3_8LongSectors.
constexpr int kStandardSectors = 8320;
constexpr int kRX3_8LongSectors = 8704;
constexpr int kLayout1Sectors = 8312;
int defaultSectors(int model);
constexpr long long kSectorSize = 256;

// Image sizes that tell which model an unrecognised image was made for.
constexpr long long kSizeRX3Long = kRX3_8LongSectors * kSectorSize;  // 2228224
constexpr long long kSizeLayout0 = kStandardSectors * kSectorSize;   // 2129920
constexpr long long kSizeLayout1 = kLayout1Sectors * kSectorSize;    // 2127872

constexpr int kRecordSize = 42;
constexpr int kMaxJobRecords = 3072;
constexpr int kMaxFeatureCodes = 64;
constexpr int kNameLength = 8;  // job names, point names and feature codes
constexpr size_t kNameField = 9;  // 8 characters and their NUL

// The small header fields, whose places differ between the two layouts.
struct HeaderFields {
  uint16_t currentJob, freeRecords, knownPointCount, formatWord, codeOrder;
};
constexpr HeaderFields kLayout0Fields{0x0100, 0x0101, 0x0103, 0x0105, 0x0110};
constexpr HeaderFields kLayout1Fields{0x0120, 0x0122, 0x0126, 0x0100, 0x0140};

// Fixed places in page 0 shared by both layouts.
constexpr uint16_t kJobOrderTable = 0x0180;
constexpr uint16_t kCodeTable = 0x0200;
constexpr uint16_t kJobDirectory = 0x0400;
constexpr uint16_t kAllocationTable = 0x0C00;
constexpr uint16_t kBlockBitmaps = 0x1500;

constexpr int kJobOrderBytes = 128;  // always moved whole, whatever the job limit
constexpr int kCodeBytes = 8;        // a code of 8 characters has no NUL
constexpr int kHeaderSectors = 64;   // 16 KiB before the first data block
constexpr int kSectorsPerBlock = 8;
constexpr int kSlotsPerSector = 6;
constexpr int kRecordsPerBlock = kSectorsPerBlock * kSlotsPerSector;  // 48
constexpr int kMaxBlocks = 1080;
constexpr int kBitmapBytes = 8;      // one byte per sector of a block
constexpr uint8_t kSlotBits = 0x3F;  // bits 0 to 5: slots of a sector, 1 = free
constexpr uint8_t kEndMark = 0xFF;   // order tables; also free owner and no current job

// Format words, as the host reads them in the image's own byte order.
constexpr uint16_t kWordRX3 = 0xCC88;      // RX3-8 (8320 sectors) and RX3-32
constexpr uint16_t kWordRX3Long = 0xCC77;  // RX3-8 with 8704 sectors
constexpr uint16_t kWordRX2 = 0xDD88;
constexpr uint16_t kWordRX9 = 0xDD99;

constexpr ImageAddress page0(uint16_t offset) {
  return ImageAddress{0, offset};
}

// One model with its geometry: everything that follows from the model and
// its sector count.
struct ModelLayout {
  int model = kRX3_8;
  int sectors = kStandardSectors;
  int blocks = kStandardSectors / kSectorsPerBlock - kSectorsPerBlock;
  int layout = 0;      // 0: RX3-8 and RX2-8; 1: RX3-32 and RX9-32
  int entrySize = 16;  // bytes of a job directory entry
  uint8_t jobLimit = 128;
  uint8_t knownPointFile = 128;  // the extra slot after the jobs

  // The model's layout for the given sector count; a sector count the model
  // does not have gives its default.
  static ModelLayout of(int model, int sectors);

  const HeaderFields& header() const { return layout == 1 ? kLayout1Fields : kLayout0Fields; }
  ImageByteOrder byteOrder() const { return ImageByteOrder(layout == 1); }
  uint16_t formatWord() const;
  uint16_t entryOffset(uint8_t slot) const {
    return static_cast<uint16_t>(kJobDirectory + slot * entrySize);
  }
};

// Blocks of a sector count: the first eight blocks' worth of sectors hold the header.
int blocksOf(int sectors);

// The model a format word names, read in layout 1 (little-endian) or layout 0
// (big-endian); nothing for a word no model writes.
std::optional<ModelLayout> modelOfLayout1Word(uint16_t littleWord);
std::optional<ModelLayout> modelOfLayout0Word(uint16_t bigWord);

// Where a record lies: its block, the sector within it and the slot within that.
struct RecordLocation {
  uint16_t block = 0;
  uint8_t sector = 0;  // 0 to 7
  uint8_t slot = 0;    // 0 to 5

  friend bool operator==(const RecordLocation&, const RecordLocation&) = default;
};
ImageAddress recordAddress(RecordLocation location);

}  // namespace vel
