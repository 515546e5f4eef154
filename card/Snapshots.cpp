#include "card/Snapshots.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>

#include "records/MessageTexts.h"
#include "store/RollbackJournal.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kIndexName = "index.txt";
constexpr const char* kLockName = "index.lock";
constexpr int kIndexFields = 9;

// The largest image a snapshot is taken of: record areas are a few MB.
constexpr long long kMaxImageBytes = 64LL << 20;

// Tabs and line ends separate the index's fields and lines; nothing read from
// a card or a file name may bring its own.
std::string indexField(std::string_view text) {
  std::string field(text);
  for (char& c : field) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return field;
}

std::string indexLine(const Snapshot& s) {
  char checksum[17];
  std::snprintf(checksum, sizeof checksum, "%016llx", static_cast<unsigned long long>(s.checksum));
  std::ostringstream line;
  line << s.time << '\t' << indexField(s.file) << '\t' << indexField(s.imageName) << '\t'
       << indexField(s.model) << '\t' << s.imageSize << '\t' << checksum << '\t' << s.storedSize
       << '\t' << indexField(s.action) << '\t' << indexField(s.summary) << '\n';
  return line.str();
}

bool parseNumber(const std::string& text, long long& value, int base = 10) {
  if (text.empty() || text.size() > 20) return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long parsed = std::strtoull(text.c_str(), &end, base);
  if (errno != 0 || *end != '\0' || text[0] == '-' || text[0] == '+') return false;
  value = static_cast<long long>(parsed);
  return true;
}

std::optional<Snapshot> parseIndexLine(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  if (fields.size() != kIndexFields) return std::nullopt;
  Snapshot s;
  long long time = 0, checksum = 0;
  if (!parseNumber(fields[0], time) || !parseNumber(fields[4], s.imageSize) ||
      !parseNumber(fields[5], checksum, 16) || !parseNumber(fields[6], s.storedSize)) {
    return std::nullopt;
  }
  s.time = time;
  s.checksum = static_cast<uint64_t>(checksum);
  s.file = fields[1];
  // The file must lie in the folder: a damaged index names nothing else.
  if (s.file.empty() || s.file.find('/') != std::string::npos || s.file[0] == '.') {
    return std::nullopt;
  }
  s.imageName = fields[2];
  s.model = fields[3];
  s.action = fields[7];
  s.summary = fields[8];
  return s;
}

std::vector<Snapshot> readIndex(const fs::path& folder) {
  std::vector<Snapshot> snapshots;
  std::ifstream in(folder / kIndexName, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (auto parsed = parseIndexLine(line)) snapshots.push_back(std::move(*parsed));
  }
  return snapshots;
}

// The reason a write failed, in the user's words.
std::string writeFailureText(const fs::path& folder, int error) {
  std::string reason;
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      reason = kDiskFullText;
      break;
    case EACCES:
    case EPERM:
    case EROFS:
      reason = kNoWritePermissionText;
      break;
    default:
      reason = std::to_string(error) + " " + std::strerror(error);
  }
  return std::string(kSnapshotFailedText) + folder.string() + "\r\n" + reason;
}

bool writeWhole(int fd, const uint8_t* bytes, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// A new file written whole and forced; removed again when that fails.
bool writeNewFile(const fs::path& path, std::span<const uint8_t> bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool written = writeWhole(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
  const int error = errno;
  if (::close(fd) != 0 && written) written = false;
  if (!written) {
    ::unlink(path.c_str());
    errno = error != 0 ? error : EIO;
  }
  return written;
}

bool syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return synced;
}

// The index replaced whole: written beside it, then renamed over it.
bool writeIndex(const fs::path& folder, const std::vector<Snapshot>& snapshots) {
  std::string text;
  for (const Snapshot& s : snapshots) text += indexLine(s);
  const fs::path next = folder / (std::string(kIndexName) + ".new");
  ::unlink(next.c_str());
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  if (!writeNewFile(next, bytes)) return false;
  if (::rename(next.c_str(), (folder / kIndexName).c_str()) != 0) {
    const int error = errno;
    ::unlink(next.c_str());
    errno = error;
    return false;
  }
  return syncFolder(folder);
}

// Holds the folder's lock: two programs keeping snapshots at once must not
// write the index over each other.
class FolderLock {
 public:
  explicit FolderLock(const fs::path& folder)
      : fd_(::open((folder / kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_ >= 0) {
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_;
};

// A file name that tells whose snapshot it is and when, in any file system.
std::string snapshotFileName(const fs::path& folder, const Snapshot& s) {
  std::string stem;
  for (const char c : s.imageName) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.';
    stem += plain ? c : '_';
  }
  if (stem.empty() || stem[0] == '.') stem.insert(stem.begin(), 'x');
  const std::time_t time = static_cast<std::time_t>(s.time);
  std::tm utc{};
  gmtime_r(&time, &utc);
  char when[32];
  std::strftime(when, sizeof when, "%Y%m%d-%H%M%S", &utc);
  std::string name = stem + "-" + when + ".gz";
  for (int n = 2; fs::exists(folder / name); ++n) {
    name = stem + "-" + when + "-" + std::to_string(n) + ".gz";
  }
  return name;
}

// Drops the oldest snapshots past the limits, and their files.
void prune(const fs::path& folder, std::vector<Snapshot>& snapshots,
           const SnapshotLimits& limits) {
  std::vector<bool> drop(snapshots.size(), false);
  std::map<std::string, size_t> kept;  // per image name, counted newest first
  long long bytes = 0;
  for (size_t i = snapshots.size(); i-- > 0;) {
    const Snapshot& s = snapshots[i];
    const bool overCount = ++kept[s.imageName] > limits.perImage;
    // The newest one stays whatever its size: it is the copy just asked for.
    const bool overBytes = i + 1 < snapshots.size() && bytes + s.storedSize > limits.totalBytes;
    if (overCount || overBytes) {
      drop[i] = true;
    } else {
      bytes += s.storedSize;
    }
  }
  std::vector<Snapshot> left;
  for (size_t i = 0; i < snapshots.size(); ++i) {
    if (drop[i]) {
      ::unlink((folder / snapshots[i].file).c_str());
    } else {
      left.push_back(std::move(snapshots[i]));
    }
  }
  snapshots = std::move(left);
}

}  // namespace

SnapshotFolder::SnapshotFolder(fs::path folder, SnapshotLimits limits)
    : folder_(std::move(folder)), limits_(limits) {}

std::string SnapshotFolder::keep(std::span<const uint8_t> image, Snapshot about) {
  if (static_cast<long long>(image.size()) > kMaxImageBytes) {
    return std::string(kSnapshotFailedText) + folder_.string() + "\r\n" + kImageTooLargeText;
  }
  std::error_code error;
  fs::create_directories(folder_, error);
  if (error) return writeFailureText(folder_, error.value());
  const FolderLock lock(folder_);
  if (!lock.held()) return writeFailureText(folder_, errno);

  std::vector<Snapshot> snapshots = readIndex(folder_);
  about.imageSize = static_cast<long long>(image.size());
  about.checksum = fnv1a64(image.data(), image.size());
  for (auto s = snapshots.rbegin(); s != snapshots.rend(); ++s) {
    if (s->imageName != about.imageName) continue;
    // Stored once: the newest copy of this name holds these very bytes.
    if (s->imageSize == about.imageSize && s->checksum == about.checksum &&
        fs::exists(folder_ / s->file)) {
      return {};
    }
    break;
  }

  const std::vector<uint8_t> gzip = gzipBytes(image);
  about.file = snapshotFileName(folder_, about);
  about.storedSize = static_cast<long long>(gzip.size());
  const fs::path file = folder_ / about.file;
  if (!writeNewFile(file, gzip)) return writeFailureText(folder_, errno);
  snapshots.push_back(about);
  std::vector<Snapshot> kept = snapshots;
  prune(folder_, kept, limits_);
  if (!writeIndex(folder_, kept)) {
    const int failure = errno;
    ::unlink(file.c_str());
    return writeFailureText(folder_, failure);
  }
  return {};
}

std::vector<Snapshot> SnapshotFolder::all() const {
  std::vector<Snapshot> snapshots = readIndex(folder_);
  std::erase_if(snapshots, [this](const Snapshot& s) { return !fs::exists(folder_ / s.file); });
  return snapshots;
}

std::vector<Snapshot> SnapshotFolder::list(const std::string& imageName) const {
  std::vector<Snapshot> snapshots;
  const std::vector<Snapshot> every = all();
  for (auto s = every.rbegin(); s != every.rend(); ++s) {
    if (s->imageName == imageName) snapshots.push_back(*s);
  }
  return snapshots;
}

std::optional<std::vector<uint8_t>> SnapshotFolder::load(const Snapshot& snapshot) const {
  if (snapshot.imageSize < 0 || snapshot.imageSize > kMaxImageBytes) return std::nullopt;
  std::ifstream in(folder_ / snapshot.file, std::ios::binary);
  if (!in) return std::nullopt;
  // A gzip file is never much larger than what it holds.
  const size_t limit = static_cast<size_t>(snapshot.imageSize) + (1 << 20);
  std::vector<uint8_t> gzip;
  char chunk[65536];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    gzip.insert(gzip.end(), chunk, chunk + in.gcount());
    if (gzip.size() > limit) return std::nullopt;
  }
  if (in.bad()) return std::nullopt;
  auto image = gunzipBytes(gzip, static_cast<size_t>(snapshot.imageSize));
  if (!image || static_cast<long long>(image->size()) != snapshot.imageSize ||
      fnv1a64(image->data(), image->size()) != snapshot.checksum) {
    return std::nullopt;
  }
  return image;
}

fs::path defaultSnapshotFolder() {
  if (const char* folder = std::getenv("VEL_BACKUP_DIR"); folder != nullptr && *folder != '\0') {
    return folder;
  }
  fs::path data;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
    data = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    data = fs::path(home) / ".local" / "share";
  } else {
    data = fs::temp_directory_path();
  }
  return data / "vel-reader" / "backups";
}

std::string snapshotTimeText(int64_t time) {
  const std::time_t at = static_cast<std::time_t>(time);
  std::tm local{};
  localtime_r(&at, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

// --- gzip --------------------------------------------------------------------------

namespace {
constexpr int kGzipWindow = 15 + 16;  // zlib's window with a gzip wrapper
}

std::vector<uint8_t> gzipBytes(std::span<const uint8_t> bytes) {
  z_stream stream{};
  deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindow, 8, Z_DEFAULT_STRATEGY);
  stream.next_in = const_cast<Bytef*>(bytes.data());
  stream.avail_in = static_cast<uInt>(bytes.size());
  // Packed a piece at a time: a record area packs to a small fraction of its
  // size, and a buffer of its whole size would only be paged in for nothing.
  std::vector<uint8_t> out;
  uint8_t piece[64 * 1024];
  int result = Z_OK;
  while (result == Z_OK) {
    stream.next_out = piece;
    stream.avail_out = sizeof piece;
    result = deflate(&stream, Z_FINISH);
    out.insert(out.end(), piece, piece + (sizeof piece - stream.avail_out));
  }
  deflateEnd(&stream);
  return out;
}

std::optional<std::vector<uint8_t>> gunzipBytes(std::span<const uint8_t> gzip, size_t limit) {
  z_stream stream{};
  if (inflateInit2(&stream, kGzipWindow) != Z_OK) return std::nullopt;
  std::vector<uint8_t> out(limit + 1);  // one byte more tells a stream that holds more
  stream.next_in = const_cast<Bytef*>(gzip.data());
  stream.avail_in = static_cast<uInt>(gzip.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&stream, Z_FINISH);
  const size_t produced = stream.total_out;
  const bool whole = result == Z_STREAM_END && stream.avail_in == 0;
  inflateEnd(&stream);
  if (!whole || produced > limit) return std::nullopt;
  out.resize(produced);
  return out;
}

}  // namespace vel
