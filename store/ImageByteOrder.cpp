#include "store/ImageByteOrder.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "the conversions below copy host values as little-endian bytes");

namespace vel {

void reverseBytes(uint8_t* bytes, int n) {
  for (int i = 0; i < n / 2; ++i) {
    const uint8_t t = bytes[i];
    bytes[i] = bytes[n - 1 - i];
    bytes[n - 1 - i] = t;
  }
}

namespace {

// Copies a field into host order (the host is little-endian).
template <typename T>
T fromImage(const uint8_t* field, bool littleEndian) {
  uint8_t copy[sizeof(T)];
  std::memcpy(copy, field, sizeof(T));
  if (!littleEndian) reverseBytes(copy, sizeof(T));
  T value;
  std::memcpy(&value, copy, sizeof(T));
  return value;
}

template <typename T>
void toImage(T value, uint8_t* field, bool littleEndian) {
  std::memcpy(field, &value, sizeof(T));
  if (!littleEndian) reverseBytes(field, sizeof(T));
}

}  // namespace

uint16_t ImageByteOrder::swapInt16(uint16_t value) const {
  if (littleEndian_) return value;
  return static_cast<uint16_t>((value >> 8) | (value << 8));
}

int32_t ImageByteOrder::int32FromImage(const uint8_t* field) const {
  return fromImage<int32_t>(field, littleEndian_);
}

float ImageByteOrder::float32FromImage(const uint8_t* field) const {
  return fromImage<float>(field, littleEndian_);
}

FixedValue ImageByteOrder::fixedFromImage(const uint8_t* field) const {
  return FixedValue{fromImage<int32_t>(field, littleEndian_),
                    fromImage<int16_t>(field + 4, littleEndian_)};
}

void ImageByteOrder::int32ToImage(int32_t value, uint8_t* field) const {
  toImage(value, field, littleEndian_);
}

void ImageByteOrder::int16ToImage(int16_t value, uint8_t* field) const {
  toImage(value, field, littleEndian_);
}

void ImageByteOrder::fixedToImage(FixedValue value, uint8_t* field) const {
  int32ToImage(value.whole, field);
  int16ToImage(value.thousandths, field + 4);
}

}  // namespace vel
