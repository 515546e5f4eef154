#include "store/DirectoryEntry.h"

#include <cstring>
#include <ctime>

namespace vel {
namespace {

constexpr size_t kNameField = 9;
constexpr size_t kNameLength = 8;

bool isPrintable(uint8_t c) {
  return c >= 0x20 && c <= 0x7E;
}

uint8_t upper(uint8_t c) {
  return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c;
}

}  // namespace

JobTime localTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return JobTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                 local.tm_min};
}

int DirectoryEntry::encodeTo(const ImageByteOrder& order, int entrySize, uint8_t* out) const {
  const int length = entrySize == kLongBytes ? kLongBytes : kShortBytes;
  std::memset(out, 0, length);
  std::memcpy(out, name.data(), name.size());
  const uint16_t count = order.swapInt16(recordCount);
  std::memcpy(out + kCountOffset, &count, 2);
  if (length == kLongBytes) {
    const uint16_t year = order.swapInt16(static_cast<uint16_t>(created.year));
    std::memcpy(out + 11, &year, 2);
    out[13] = static_cast<uint8_t>(created.month);
    out[14] = static_cast<uint8_t>(created.day);
    out[15] = static_cast<uint8_t>(created.hour);
    out[16] = static_cast<uint8_t>(created.minute);
  }
  return length;
}

DirectoryEntry DirectoryEntry::decodeFrom(const ImageByteOrder& order, int entrySize,
                                          const uint8_t* bytes) {
  DirectoryEntry e;
  std::memcpy(e.name.data(), bytes, e.name.size());
  e.recordCount = order.swapInt16(static_cast<uint16_t>(bytes[kCountOffset] |
                                                        (bytes[kCountOffset + 1] << 8)));
  if (entrySize == kLongBytes) {
    e.created.year = order.swapInt16(static_cast<uint16_t>(bytes[11] | (bytes[12] << 8)));
    e.created.month = bytes[13];
    e.created.day = bytes[14];
    e.created.hour = bytes[15];
    e.created.minute = bytes[16];
  }
  return e;
}

DirectoryEntry DirectoryEntry::named(std::string_view name) {
  DirectoryEntry e;
  for (size_t i = 0; i < kNameLength && i < name.size() && isPrintable(name[i]); ++i) {
    e.name[i] = static_cast<uint8_t>(name[i]);
  }
  return e;
}

std::string DirectoryEntry::nameBytes() const {
  std::string text;
  for (size_t i = 0; i < kNameLength && name[i] != 0; ++i) text.push_back(static_cast<char>(name[i]));
  return text;
}

std::string DirectoryEntry::printableName() const {
  std::string text;
  for (size_t i = 0; i < kNameLength && isPrintable(name[i]); ++i) {
    text.push_back(static_cast<char>(name[i]));
  }
  return text;
}

bool DirectoryEntry::hasName(std::string_view given) const {
  for (size_t i = 0; i < kNameField; ++i) {
    const uint8_t g = i < given.size() ? static_cast<uint8_t>(given[i]) : 0;
    if (upper(name[i]) != upper(g)) return false;
    if (name[i] == 0) return true;
  }
  return given.size() == kNameField;
}

}  // namespace vel
