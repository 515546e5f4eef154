#include "records/NumberText.h"

#include <locale.h>
#include <stdlib.h>  // strtod_l

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace vel {

namespace {

// The digits of a double's exact value: a double of binary exponent e is a
// multiple of 2^(e-53), so 53-e decimals hold it exactly (1074 at most for the
// smallest subnormals), and 309 integer digits hold the largest.
constexpr int kMaxExactDecimals = 1130;
constexpr int kExactBufferSize = 309 + 1 + kMaxExactDecimals + 8;

locale_t cLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

std::string formatThreeDecimals(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";

  const double magnitude = std::fabs(value);
  int exponent = 0;
  std::frexp(magnitude, &exponent);
  // One decimal beyond the three kept decides the rounding; it and all after it
  // must be exact, or a value just below a half could be printed as the half.
  const int decimals = std::clamp(53 - exponent, 4, kMaxExactDecimals);

  char exact[kExactBufferSize];
  const auto [end, error] =
      std::to_chars(exact, exact + sizeof exact, magnitude, std::chars_format::fixed, decimals);
  if (error != std::errc()) return "nan";  // cannot happen with the buffer sized above

  std::string digits(exact, end);
  const std::size_t point = digits.find('.');
  const bool roundUp = digits[point + 4] >= '5';  // an exact half goes away from zero
  digits.resize(point + 4);
  if (roundUp) {
    std::size_t i = digits.size();
    while (i > 0) {
      --i;
      if (digits[i] == '.') continue;
      if (digits[i] != '9') {
        ++digits[i];
        break;
      }
      digits[i] = '0';
      if (i == 0) digits.insert(digits.begin(), '1');
    }
  }

  const bool zero = digits.find_first_not_of("0.") == std::string::npos;
  if (value < 0 && !zero) digits.insert(digits.begin(), '-');
  return digits;
}

double leadingNumberValue(std::string_view text) {
  const std::string terminated(text);
  return strtod_l(terminated.c_str(), nullptr, cLocale());
}

std::string generalNumberText(double value) {
  if (!std::isfinite(value) || std::fabs(value) < 0.00001) return "0";

  // 15 significant digits, then laid out in fixed notation by hand so that no
  // exponent form can come out, whatever the magnitude.
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  if (error != std::errc()) return "0";
  const std::string_view text(buffer, end - buffer);

  const bool negative = text.front() == '-';
  const std::size_t e = text.find('e');
  std::string digits;
  for (char c : text.substr(0, e)) {
    if (c >= '0' && c <= '9') digits += c;
  }
  int power = 0;
  std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                  power);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string result = negative ? "-" : "";
  if (power < 0) {
    result += "0.";
    result.append(static_cast<std::size_t>(-power - 1), '0');
    result += digits;
  } else {
    const std::size_t integerDigits = static_cast<std::size_t>(power) + 1;
    if (digits.size() <= integerDigits) {
      result += digits;
      result.append(integerDigits - digits.size(), '0');
    } else {
      result += digits.substr(0, integerDigits);
      result += '.';
      result += digits.substr(integerDigits);
    }
  }
  return result;
}

}  // namespace vel
