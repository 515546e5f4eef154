#include "store/Gbk.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>

namespace vel {
namespace {

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Length of the input character iconv refused at `in`: one byte for GBK (a
// bad lead byte must not swallow the ASCII after it), the whole sequence for UTF-8.
size_t refusedLength(const char* in, size_t left, bool utf8Input) {
  size_t n = 1;
  if (utf8Input) {
    while (n < left && (static_cast<unsigned char>(in[n]) & 0xC0) == 0x80) ++n;
  }
  return n;
}

// One iconv pass over the whole text; a character iconv refuses is replaced
// by `substitute` and skipped, so the rest of the text still converts.
std::string convert(const char* to, const char* from, std::string_view text,
                    std::string_view substitute, bool utf8Input) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    // Without the converter keep what is certainly readable.
    std::string out;
    for (char c : text) {
      if (static_cast<unsigned char>(c) < 0x80) {
        out += c;
      } else {
        out += substitute;
      }
    }
    return out;
  }

  std::string out;
  std::string input(text);
  char* in = input.data();
  size_t inLeft = input.size();
  char buffer[1024];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, outPtr - buffer);
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ, or EINVAL for a character cut off at the end: skip it.
    out += substitute;
    size_t skip = refusedLength(in, inLeft, utf8Input);
    in += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string gbkToUtf8(std::string_view gbk) {
  if (isAscii(gbk)) return std::string(gbk);
  return convert("UTF-8", "CP936", gbk, "\xEF\xBF\xBD", false);
}

std::string utf8ToGbk(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);
  return convert("CP936", "UTF-8", utf8, "?", true);
}

}  // namespace vel
