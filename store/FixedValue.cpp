#include "store/FixedValue.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

namespace vel {

std::string formatFixed(FixedValue value) {
  char text[32];
  if (value.whole == 0 && value.thousandths < 0) {
    std::snprintf(text, sizeof text, "-0.%03d", -value.thousandths);
  } else {
    std::snprintf(text, sizeof text, "%ld.%03d", static_cast<long>(value.whole),
                  std::abs(static_cast<int>(value.thousandths)));
  }
  return text;
}

std::string formatFixedWide(FixedValue value) {
  char text[32];
  if (value.whole == 0 && value.thousandths < 0) {
    std::snprintf(text, sizeof text, "%5c-0.%03d", ' ', -value.thousandths);
  } else {
    std::snprintf(text, sizeof text, "%7ld.%03d", static_cast<long>(value.whole),
                  std::abs(static_cast<int>(value.thousandths)));
  }
  return text;
}

namespace {

// The integer part runs to the '.' or the end of the text. The instrument's
// reading stops after seven characters; a longer run is read in full here so
// that eight-digit numbers keep their value instead of spilling into the decimals.
size_t integerPartEnd(std::string_view text) {
  const size_t point = text.find('.');
  return point == std::string_view::npos ? text.size() : point;
}

int32_t saturatedWholePart(std::string_view digits) {
  const std::string copy(digits);
  const long long value = std::strtoll(copy.c_str(), nullptr, 10);
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

}  // namespace

FixedValue parseFixed(std::string_view text) {
  const size_t stop = integerPartEnd(text);
  FixedValue value;
  value.whole = saturatedWholePart(text.substr(0, stop));

  int thousandths = 0;
  int digits = 0;
  for (size_t i = stop; i < text.size() && digits < 3; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      thousandths = thousandths * 10 + (c - '0');
      ++digits;
    }
  }
  for (; digits < 3; ++digits) thousandths *= 10;

  const bool negative = !text.empty() && text.front() == '-';
  value.thousandths = static_cast<int16_t>(negative ? -thousandths : thousandths);
  return value;
}

}  // namespace vel
