#include "records/CharacterFilters.h"

namespace vel {

namespace {

constexpr std::string_view kNamePunctuation = ".-#$%!&@+*/";

bool isControl(char32_t c) {
  return c < 32 || c == 127;
}
bool isDigit(char32_t c) {
  return c >= '0' && c <= '9';
}

template <typename Filter>
std::string filterText(std::string_view text, Filter filter) {
  std::string result;
  for (char c : text) {
    if (auto passed = filter(static_cast<unsigned char>(c))) {
      result += static_cast<char>(*passed);
    }
  }
  return result;
}

}  // namespace

std::optional<char32_t> filterNameCharacter(char32_t c) {
  if (isControl(c) || isDigit(c) || (c >= 'A' && c <= 'Z')) return c;
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if (c < 128 && kNamePunctuation.find(static_cast<char>(c)) != std::string_view::npos) return c;
  return std::nullopt;
}

std::optional<char32_t> filterCoordinateCharacter(char32_t c) {
  if (isControl(c) || isDigit(c) || c == '.' || c == '-') return c;
  return std::nullopt;
}

std::string filterNameText(std::string_view text) {
  return filterText(text, filterNameCharacter);
}

std::string filterCoordinateText(std::string_view text) {
  return filterText(text, filterCoordinateCharacter);
}

}  // namespace vel
