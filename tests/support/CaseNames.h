// Test names for cases given by a text: stable from build to build, so that
// `ctest -R` picks one. Letters and digits stay; every other byte is named:
// "-12.345" is "Minus12_345", "A,B" is "ACommaB", a byte with no name xHH.
#pragma once

#include <string>
#include <string_view>

namespace vel::test {

inline std::string caseNameOf(std::string_view text) {
  if (text.empty()) return "Empty";
  std::string name;
  for (const char c : text) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      name += c;
      continue;
    }
    switch (c) {
      case '-':
        name += "Minus";
        break;
      case '+':
        name += "Plus";
        break;
      case '.':
        name += '_';
        break;
      case ',':
        name += "Comma";
        break;
      case '"':
        name += "Quote";
        break;
      case ' ':
        name += "Space";
        break;
      case '\t':
        name += "Tab";
        break;
      case '\r':
        name += "CR";
        break;
      case '\n':
        name += "LF";
        break;
      case '\0':
        name += "NUL";
        break;
      default: {
        constexpr char kHex[] = "0123456789ABCDEF";
        const auto byte = static_cast<unsigned char>(c);
        name += {'x', kHex[byte >> 4], kHex[byte & 15]};
      }
    }
  }
  return name;
}

}  // namespace vel::test
