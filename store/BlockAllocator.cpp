#include "store/BlockAllocator.h"

#include <algorithm>
#include <cstring>

namespace vel {
namespace {

constexpr int kFormatFillBytes = 128;  // bitmap area is cleared in pieces of this size

ImageAddress bitmapAddress(int block) {
  return page0(static_cast<uint16_t>(kBlockBitmaps + kBitmapBytes * block));
}

}  // namespace

bool BlockAllocator::readTable() {
  const int total = layout_.blocks * 2;
  std::array<uint8_t, kMaxBlocks * 2> bytes{};
  for (int done = 0; done < total; done += kTransferBytes) {
    const int piece = std::min(kTransferBytes, total - done);
    if (!file_.read(page0(static_cast<uint16_t>(kAllocationTable + done)),
                    static_cast<uint8_t>(piece % kTransferBytes), bytes.data() + done)) {
      return false;
    }
  }
  for (int b = 0; b < layout_.blocks; ++b) table_[b] = {bytes[2 * b], bytes[2 * b + 1]};
  return true;
}

bool BlockAllocator::writeTable() {
  const int total = layout_.blocks * 2;
  std::array<uint8_t, kMaxBlocks * 2> bytes{};
  for (int b = 0; b < layout_.blocks; ++b) {
    bytes[2 * b] = table_[b].owner;
    bytes[2 * b + 1] = table_[b].count;
  }
  for (int done = 0; done < total; done += kTransferBytes) {
    const int piece = std::min(kTransferBytes, total - done);
    if (!file_.write(page0(static_cast<uint16_t>(kAllocationTable + done)),
                     static_cast<uint8_t>(piece % kTransferBytes), bytes.data() + done)) {
      return false;
    }
  }
  return true;
}

bool BlockAllocator::clearBitmaps(int sectors) {
  std::array<uint8_t, kFormatFillBytes> ones;
  ones.fill(0xFF);
  const int fills = (sectors + kFormatFillBytes - 1) / kFormatFillBytes;
  for (int i = 0; i < fills; ++i) {
    if (!file_.write(page0(static_cast<uint16_t>(kBlockBitmaps + i * kFormatFillBytes)),
                     kFormatFillBytes, ones.data())) {
      return false;
    }
  }
  return true;
}

bool BlockAllocator::writeEntry(int block) {
  const uint8_t bytes[2] = {table_[block].owner, table_[block].count};
  return file_.write(page0(static_cast<uint16_t>(kAllocationTable + 2 * block)), 2, bytes);
}

bool BlockAllocator::readBitmap(int block, uint8_t* bitmap) {
  return file_.read(bitmapAddress(block), kBitmapBytes, bitmap);
}

bool BlockAllocator::writeBitmap(int block, const uint8_t* bitmap) {
  return file_.write(bitmapAddress(block), kBitmapBytes, bitmap);
}

bool BlockAllocator::owns(int block, uint8_t slot) const {
  const AllocationEntry& e = table_[block];
  return slot <= layout_.knownPointFile && e.owner == slot + 1 && e.count <= kRecordsPerBlock;
}

uint8_t BlockAllocator::takeFreeSlot(uint16_t block, RecordLocation& location) {
  if (block >= layout_.blocks) return kRefused;
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

uint8_t BlockAllocator::claimSlot(uint8_t slot, RecordLocation& location) {
  int chosen = -1;
  for (int b = 0; b < layout_.blocks && chosen < 0; ++b) {
    if (owns(b, slot) && table_[b].count < kRecordsPerBlock) chosen = b;
  }
  for (int b = 0; b < layout_.blocks && chosen < 0; ++b) {
    if (table_[b].owner == kEndMark) chosen = b;
  }
  if (chosen < 0) return kRefused;

  const uint8_t taken = takeFreeSlot(static_cast<uint16_t>(chosen), location);
  if (taken != kDone) return taken;
  AllocationEntry& entry = table_[chosen];
  if (entry.owner == kEndMark) entry.count = 0;  // a free block holds nothing
  entry.owner = static_cast<uint8_t>(slot + 1);
  ++entry.count;
  return writeEntry(chosen) ? kDone : kWriteFailed;
}

std::optional<RecordLocation> BlockAllocator::locate(uint8_t slot, int number) {
  if (number < 0) return std::nullopt;
  int total = 0;
  int block = -1;
  for (int b = 0; b < layout_.blocks; ++b) {
    if (!owns(b, slot)) continue;
    const int count = table_[b].count;
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

uint8_t BlockAllocator::releaseSlot(RecordLocation location) {
  const int block = location.block;
  uint8_t bitmap[kBitmapBytes];
  if (!readBitmap(block, bitmap)) return kRefused;
  bitmap[location.sector] = static_cast<uint8_t>(bitmap[location.sector] | (1 << location.slot));
  if (!writeBitmap(block, bitmap)) return kWriteFailed;

  AllocationEntry& entry = table_[block];
  entry.count = static_cast<uint8_t>(entry.count > 0 ? entry.count - 1 : 0);
  if (entry.count == 0) entry.owner = kEndMark;
  return writeEntry(block) ? kDone : kWriteFailed;
}

bool BlockAllocator::releaseBlocksOf(uint8_t slot) {
  uint8_t freeBitmap[kBitmapBytes];
  std::memset(freeBitmap, 0xFF, sizeof freeBitmap);
  for (int b = 0; b < layout_.blocks; ++b) {
    if (table_[b].owner != slot + 1) continue;
    table_[b] = AllocationEntry{};
    if (!writeBitmap(b, freeBitmap)) return false;
  }
  return writeTable();
}

}  // namespace vel
