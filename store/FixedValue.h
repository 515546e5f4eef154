// Fixed-point values with three decimals, the instrument's form for
// coordinates and distances, and their texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vel {

// Both parts carry the sign of the value: -12.345 is {-12, -345}, -0.5 is {0, -500}.
struct FixedValue {
  int32_t whole = 0;
  int16_t thousandths = 0;  // -999 to 999

  friend bool operator==(const FixedValue&, const FixedValue&) = default;
};

// Shortest text: "%ld.%03d", or "-0.%03d" for values between -1 and 0.
std::string formatFixed(FixedValue value);

// 11 characters, right-aligned, for list columns that must line up.
std::string formatFixedWide(FixedValue value);

// Reads a decimal number with up to three decimals; further decimals are cut.
// Never fails: text without digits gives {0, 0}. An integer part longer than
// seven characters is read in full and saturates at the 32-bit range.
FixedValue parseFixed(std::string_view text);

}  // namespace vel
