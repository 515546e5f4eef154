#include "store/ModelLayout.h"

#include <algorithm>

namespace vel {

const char* modelName(int model) {
  static const char* const kNames[] = {"RX3-8", "RX2-8", "RX3-32", "RX9-32"};
  return model >= 0 && model < 4 ? kNames[model] : "";
}

int defaultSectors(int model) {
  return model >= kRX3_32 ? kLayout1Sectors : kStandardSectors;
}

int blocksOf(int sectors) {
  return std::clamp(sectors / kSectorsPerBlock - kSectorsPerBlock, 0, kMaxBlocks);
}

ModelLayout ModelLayout::of(int model, int sectors) {
  ModelLayout l;
  l.model = std::clamp(model, 0, 3);
  if (l.model != kRX3_8 || (sectors != kStandardSectors && sectors != kRX3_8LongSectors)) {
    sectors = defaultSectors(l.model);
  }
  l.sectors = sectors;
  l.blocks = blocksOf(sectors);
  l.layout = l.model >= kRX3_32 ? 1 : 0;
  const bool rx9 = l.model == kRX9_32;
  l.entrySize = rx9 ? 64 : 16;
  l.jobLimit = rx9 ? 32 : 128;
  l.knownPointFile = l.jobLimit;
  return l;
}

uint16_t ModelLayout::formatWord() const {
  if (model == kRX3_8 && sectors == kRX3_8LongSectors) return kWordRX3Long;
  if (model == kRX2_8) return kWordRX2;
  if (model == kRX9_32) return kWordRX9;
  return kWordRX3;
}

std::optional<ModelLayout> modelOfLayout1Word(uint16_t littleWord) {
  if (littleWord == kWordRX3) return ModelLayout::of(kRX3_32, kLayout1Sectors);
  if (littleWord == kWordRX9) return ModelLayout::of(kRX9_32, kLayout1Sectors);
  return std::nullopt;
}

std::optional<ModelLayout> modelOfLayout0Word(uint16_t bigWord) {
  if (bigWord == kWordRX3) return ModelLayout::of(kRX3_8, kStandardSectors);
  if (bigWord == kWordRX3Long) return ModelLayout::of(kRX3_8, kRX3_8LongSectors);
  if (bigWord == kWordRX2) return ModelLayout::of(kRX2_8, kStandardSectors);
  return std::nullopt;
}

ImageAddress recordAddress(RecordLocation location) {
  const uint16_t sector =
      static_cast<uint16_t>(kHeaderSectors + location.block * kSectorsPerBlock + location.sector);
  return ImageAddress{static_cast<uint8_t>(sector / 256),
                      static_cast<uint16_t>((sector % 256) * 256 + location.slot * kRecordSize)};
}

}  // namespace vel
