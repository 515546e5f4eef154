// Texts of the card and of exchange files are bytes in code page 936 (GBK);
// the terminal speaks UTF-8. These are the only two crossings.
#pragma once

#include <string>
#include <string_view>

namespace vel {

// ASCII passes unchanged. A byte that does not start a valid GBK character
// becomes U+FFFD and the conversion goes on with the next byte, so a damaged
// name still prints with its readable part.
std::string gbkToUtf8(std::string_view gbk);

// For names typed by the user that must match names on the card.
// Characters GBK cannot hold become '?', which matches no stored name.
std::string utf8ToGbk(std::string_view utf8);

}  // namespace vel
