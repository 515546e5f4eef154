// Conversions between the host's numbers and the image's byte order.
#pragma once

#include <cstdint>

#include "store/FixedValue.h"

namespace vel {

// Reverses n bytes in place.
void reverseBytes(uint8_t* bytes, int n);

// The byte order of one image. The reading conversions decode from a copy and
// leave the caller's field as it is, so a buffer may be decoded any number of times.
class ImageByteOrder {
 public:
  explicit ImageByteOrder(bool littleEndian = false) : littleEndian_(littleEndian) {}

  bool littleEndian() const { return littleEndian_; }

  // Exchanges the two bytes of a word when the image is big-endian; the same call
  // converts host to image and image to host.
  uint16_t swapInt16(uint16_t value) const;

  int32_t int32FromImage(const uint8_t* field) const;
  float float32FromImage(const uint8_t* field) const;
  // Whole part (4 bytes) followed directly by the thousandths (2 bytes).
  FixedValue fixedFromImage(const uint8_t* field) const;

  void int32ToImage(int32_t value, uint8_t* field) const;
  void int16ToImage(int16_t value, uint8_t* field) const;
  void fixedToImage(FixedValue value, uint8_t* field) const;

 private:
  bool littleEndian_;
};

}  // namespace vel
