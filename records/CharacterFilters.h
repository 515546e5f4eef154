// What may be typed into a name or code field and into a coordinate field.
// The name dialog, the coordinate dialog, both grids and the command line use
// these same rules.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vel {

// Control characters (0 to 31 and 127) pass; so do digits, capitals and the
// 11 characters ".-#$%!&@+*/". Small letters become capitals. Anything else,
// every non-ASCII character included, gives nothing: the key is discarded.
std::optional<char32_t> filterNameCharacter(char32_t c);

// Control characters, digits, "." and "-" pass; anything else gives nothing.
std::optional<char32_t> filterCoordinateCharacter(char32_t c);

// The filters applied byte by byte to a whole text, as if it had been typed.
std::string filterNameText(std::string_view text);
std::string filterCoordinateText(std::string_view text);

}  // namespace vel
