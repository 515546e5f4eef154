#include "gis/module/CadDxf.h"

#include <cpl_conv.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "exchange/ExchangeFile.h"
#include "store/Gbk.h"

namespace vel {
namespace {

void appendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string readWhole(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return in ? bytes.str() : std::string();
}

}  // namespace

bool writeCadDxfHeader(const std::filesystem::path& file) {
  const char* found = CPLFindFile("GDAL", "header.dxf");
  if (found == nullptr) return false;
  std::string header = readWhole(found);
  const std::size_t variable = header.find("$DWGCODEPAGE");
  const std::size_t value = header.find("ANSI_", variable);
  if (variable == std::string::npos || value == std::string::npos) return false;
  header.replace(value, header.find_first_of("\r\n", value) - value, "ANSI_936");
  return replaceFileWhole(file.string(), header);
}

std::string decodeDxfUnicode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 2) == "\\\\") {  // an escaped backslash stays escaped
      out += "\\\\";
      ++i;
      continue;
    }
    if (text.substr(i, 3) == "\\U+" && i + 7 <= text.size()) {
      unsigned code = 0;
      bool hex = true;
      for (std::size_t k = i + 3; k < i + 7; ++k) {
        const int digit = hexDigit(text[k]);
        hex = hex && digit >= 0;
        code = code * 16 + static_cast<unsigned>(digit);
      }
      if (hex) {
        appendUtf8(out, code);
        i += 6;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string dxfTextAsUtf8(std::string_view escaped) {
  std::string utf8;
  utf8.reserve(escaped.size());
  // Each byte a character up to U+00FF.
  for (char c : escaped) appendUtf8(utf8, static_cast<unsigned char>(c));
  return decodeDxfUnicode(utf8);
}

std::string cadDxfTextsAsGbk(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  // Lines come in pairs: a group code, then its value.
  bool codeLine = true;
  bool isText = false;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line(bytes.data() + at, end - at);
    const bool crlf = line.ends_with('\r');
    if (crlf) line.remove_suffix(1);
    if (codeLine) {
      const std::size_t digits = line.find_first_not_of(' ');
      isText = digits != std::string_view::npos && line.substr(digits) == "1";
      out += line;
    } else {
      const bool ascii = std::all_of(line.begin(), line.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
      if (isText) {
        out += utf8ToGbk(dxfTextAsUtf8(line));
      } else if (!ascii) {
        out += utf8ToGbk(line);  // a layer's name
      } else {
        out += line;
      }
    }
    codeLine = !codeLine;
    if (crlf) out += '\r';
    if (end < bytes.size()) out += '\n';
    at = end + 1;
  }
  return out;
}

}  // namespace vel
