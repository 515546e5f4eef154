#include "exchange/ExchangeFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "exchange/ExchangeFormats.h"

namespace vel {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kDxfHeader = "0\r\nSECTION\r\n2\r\nENTITIES\r\n";
constexpr std::string_view kDxfTrailer = "0\r\nENDSEC\r\n0\r\nEOF";

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::vector<std::string> splitTextLines(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(bytes.substr(start));
      break;
    }
    lines.emplace_back(bytes.substr(start, end - start));
    start = end + 1;
    if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
  }
  return lines;
}

std::optional<std::vector<std::string>> readTextLines(const std::string& path, int* error) {
  const auto fail = [error] {
    if (error) *error = errno;
    return std::nullopt;
  };
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return fail();
  struct stat info {};
  if (::fstat(::fileno(file.get()), &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<unsigned long long>(info.st_size) > kMaxTextFileBytes) {
    errno = EFBIG;
    return fail();
  }
  std::string bytes;
  char chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    if (bytes.size() + got > kMaxTextFileBytes) {
      errno = EFBIG;
      return fail();
    }
    bytes.append(chunk, got);
  }
  if (std::ferror(file.get())) return fail();  // a folder, or a read error
  return splitTextLines(bytes);
}

std::string exchangeFileText(int format, const std::vector<std::string>& pointLines) {
  if (!isExchangeFormat(format)) throw std::invalid_argument("no such exchange format");

  std::string text;
  const std::size_t n = pointLines.size();
  if (format == kDxfFormat) text += kDxfHeader;
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& line = pointLines[i];
    switch (format) {
      case kQplFormat:
        text += line;
        text += kCrLf;
        break;
      case kPtsFormat:
        text += formatPtsLine(line);
        text += kCrLf;
        break;
      case kScs2002Format: {
        if (i == 0) {
          text += std::to_string(n);
          text += kCrLf;
        }
        std::string point = formatScs2002Point(line);
        // The end line follows the last point's final CR LF. Only that CR LF
        // ends the point: an empty Z must keep its line, or the file would no
        // longer read back.
        if (i == n - 1) point += 'E';
        text += point;
        break;
      }
      case kSv300Format:
        text += std::to_string(i + 1);
        text += ',';
        text += formatSv300Line(line);
        text += kCrLf;
        break;
      case kCassFormat:
        text += formatCassLine(line);
        text += kCrLf;
        break;
      case kCsvFormat:
        text += formatCsvLine(line);
        text += kCrLf;
        break;
      case kDxfFormat:
        text += formatDxfPoint(line);
        text += kCrLf;
        break;
    }
  }
  if (format == kDxfFormat) text += kDxfTrailer;
  return text;
}

bool writeExchangeFile(const std::string& path, int format,
                       const std::vector<std::string>& pointLines) {
  if (!isExchangeFormat(format)) return false;
  const std::string text = exchangeFileText(format, pointLines);

  // The file is made anew. Only a file (or a link) is deleted first: a folder or
  // a device of that name must fail below, not be removed.
  std::error_code error;
  const auto type = std::filesystem::symlink_status(path, error).type();
  if (type == std::filesystem::file_type::directory) return false;
  if (type == std::filesystem::file_type::regular || type == std::filesystem::file_type::symlink) {
    std::filesystem::remove(path, error);  // one that stays is truncated by the open below
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

}  // namespace vel
