#include "records/PointLine.h"

namespace vel {

namespace {

// 0-based start of each field's reading columns.
constexpr std::size_t kNameStart = 0;
constexpr std::size_t kCodeStart = kNameStart + kPointNameWidth;
constexpr std::size_t kNStart = kCodeStart + kPointCodeWidth;
constexpr std::size_t kEStart = kNStart + kPointCoordinateWidth;
constexpr std::size_t kZStart = kEStart + kPointCoordinateWidth;

bool isBlankByte(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

void appendPadded(std::string& line, std::string_view text, std::size_t width) {
  line.append(text);
  if (text.size() < width) line.append(width - text.size(), ' ');
}

std::string readField(std::string_view line, std::size_t start, std::size_t width) {
  if (line.size() <= start) return {};
  return std::string(trimText(line.substr(start, width)));
}

}  // namespace

std::string_view trimText(std::string_view text) {
  while (!text.empty() && isBlankByte(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlankByte(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view cutText(std::string_view text, std::size_t limit) {
  return text.substr(0, limit);
}

std::string buildPointLine(std::string_view name, std::string_view code, std::string_view n,
                           std::string_view e, std::string_view z) {
  std::string line;
  line.reserve(kPointLineLength);
  appendPadded(line, name, kPointNameWidth);
  appendPadded(line, code, kPointCodeWidth);
  appendPadded(line, n, kPointCoordinateWidth);
  appendPadded(line, e, kPointCoordinateWidth);
  appendPadded(line, z, kPointCoordinateWidth);
  return line;
}

std::string pointLineName(std::string_view line) {
  return readField(line, kNameStart, kPointTextLimit);
}
std::string pointLineCode(std::string_view line) {
  return readField(line, kCodeStart, kPointTextLimit);
}
std::string pointLineN(std::string_view line) {
  return readField(line, kNStart, kPointCoordinateLimit);
}
std::string pointLineE(std::string_view line) {
  return readField(line, kEStart, kPointCoordinateLimit);
}
std::string pointLineZ(std::string_view line) {
  return readField(line, kZStart, kPointCoordinateLimit);
}

}  // namespace vel
