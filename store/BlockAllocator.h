// The blocks of records: the allocation table (an owner and a count per
// block) kept in memory and in page 0, and the block bitmaps (one byte per
// sector, bit set = slot free) read and written as they are needed.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "store/ImageFile.h"
#include "store/ModelLayout.h"
#include "store/StoreCodes.h"

namespace vel {

struct AllocationEntry {
  uint8_t owner = 0xFF;  // 0xFF free, otherwise job slot + 1
  uint8_t count = 0;     // used record slots, 0 to 48
};

class BlockAllocator {
 public:
  // The geometry is the store's, read as it is at each call.
  BlockAllocator(ImageFile& file, const ModelLayout& layout) : file_(file), layout_(layout) {}

  // Every block free.
  void reset() { table_.fill(AllocationEntry{}); }
  // The table as page 0 holds it; false when it could not be read whole.
  bool readTable();
  bool writeTable();
  // Marks every slot of every block free (formatting).
  bool clearBitmaps(int sectors);

  AllocationEntry entry(int block) const { return table_.at(block); }
  // True when the block belongs to the slot; owners and counts out of range
  // (a damaged card) match no slot.
  bool owns(int block, uint8_t slot) const;

  // Claims a slot for one more record of the job: the job's lowest block with
  // room, else the lowest free block; writes the bitmap and the table entry.
  uint8_t claimSlot(uint8_t slot, RecordLocation& location);
  // The first free slot of a block, marked used in its bitmap.
  uint8_t takeFreeSlot(uint16_t block, RecordLocation& location);
  // The record `number` of the slot in physical order (blocks in order, then
  // sectors, then slots); nothing when the table and the bitmaps disagree.
  std::optional<RecordLocation> locate(uint8_t slot, int number);
  // Frees one record's slot: bitmap, then table entry.
  uint8_t releaseSlot(RecordLocation location);
  // Frees every block of the slot (deleting a job): each bitmap, then the table.
  bool releaseBlocksOf(uint8_t slot);

 private:
  bool readBitmap(int block, uint8_t* bitmap);
  bool writeBitmap(int block, const uint8_t* bitmap);
  bool writeEntry(int block);

  ImageFile& file_;
  const ModelLayout& layout_;
  std::array<AllocationEntry, kMaxBlocks> table_{};
};

}  // namespace vel
