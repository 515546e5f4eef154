#include "exchange/ExchangeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "exchange/ExchangeFormats.h"

namespace vel {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kDxfHeader = "0\r\nSECTION\r\n2\r\nENTITIES\r\n";
constexpr std::string_view kDxfTrailer = "0\r\nENDSEC\r\n0\r\nEOF";

struct Descriptor {
  int fd;
  ~Descriptor() { ::close(fd); }
};

mode_t currentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

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

namespace {

// The line (from 1) that holds byte `at`, lines ending as splitTextLines ends them.
std::size_t lineOf(std::string_view bytes, std::size_t at) {
  std::size_t line = 1;
  for (std::size_t i = 0; i < at; ++i) {
    if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= at || bytes[i + 1] != '\n'))) ++line;
  }
  return line;
}

}  // namespace

std::optional<std::vector<std::string>> readTextLines(const std::string& path,
                                                      TextReadFailure* failure) {
  const auto fail = [failure](int error, std::size_t line = 0) {
    if (failure) *failure = {error, line};
    return std::nullopt;
  };
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(errno);
  const Descriptor closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0) return fail(errno);
  if (S_ISDIR(info.st_mode)) return fail(EISDIR);
  if (!S_ISREG(info.st_mode)) return fail(kNotRegularFile);
  if (static_cast<unsigned long long>(info.st_size) > kMaxTextFileBytes) return fail(EFBIG);
  std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(errno);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                            (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
    return fail(kUtf16Text, 1);
  }
  if (const std::size_t nul = bytes.find('\0'); nul != std::string::npos) {
    return fail(kNotText, lineOf(bytes, nul));
  }
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
  return replaceFileWhole(path, exchangeFileText(format, pointLines));
}

bool replaceFileWhole(const std::string& path, std::string_view bytes) {
  namespace fs = std::filesystem;
  std::error_code error;
  // Only a file (or a link) is replaced: a folder or a device of that name
  // must fail, not be removed.
  const fs::file_status status = fs::symlink_status(path, error);
  if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_symlink(status)) return false;
  // A file that is there keeps its permission bits; a new one takes the umask's.
  mode_t mode = 0666 & ~currentUmask();
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) mode = info.st_mode & 07777;

  const fs::path target(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  bool written = ::fchmod(fd, mode) == 0;
  for (std::size_t put = 0; written && put < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + put, bytes.size() - put);
    if (n < 0 && errno == EINTR) continue;
    written = n > 0;
    if (written) put += static_cast<std::size_t>(n);
  }
  written = written && ::fsync(fd) == 0;
  written = ::close(fd) == 0 && written;
  if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  // The new name on the disk too; the file is written whatever this answers.
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace vel
