// Number texts that do not depend on the user's locale: "." is always the
// decimal point, whatever setlocale says.
#pragma once

#include <string>
#include <string_view>

namespace vel {

// The pattern "0.000": at least one integer digit, exactly three decimals, no
// grouping, '-' for negative values. Rounds the exact binary value to the
// nearest thousandth, an exact half away from zero (1.0625 gives 1.063). A
// value that rounds to zero is "0.000", never "-0.000". Infinities and NaN,
// which a record may hold but no number text can, give "inf", "-inf", "nan".
std::string formatThreeDecimals(double value);

// The value of the leading decimal number of a text, read as the C library's
// strtod reads it in the "C" locale: leading white space skipped, a sign,
// digits, fraction and exponent accepted, reading stops at the first byte that
// does not fit; 0 when the text holds no number.
double leadingNumberValue(std::string_view text);

// General notation with up to 15 significant digits and no trailing zeros, as
// a typed coordinate is written back into its cell (12.50 gives 12.5). Never an
// exponent form: a non-zero value of magnitude below 0.00001 gives "0", as does
// -0; such a value is 0 at three decimals anyway.
std::string generalNumberText(double value);

}  // namespace vel
