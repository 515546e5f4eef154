#include "card/Snapshots.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <map>
#include <sstream>
#include <thread>

#include "store/FileSystemCalls.h"
#include "store/ImageFile.h"
#include "store/RollbackJournal.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kIndexName = "index.txt";
constexpr const char* kLockName = "index.lock";
// Lines written before cards were told apart have 9 fields, before actions
// were kept as codes 11; those of this version 14.
constexpr int kOldIndexFields = 9;
constexpr int kCardIndexFields = 11;
constexpr int kIndexFields = 14;
constexpr char kValueSeparator = '\x1F';

// The codes of the actions as the index spells them.
constexpr std::pair<SnapshotAction, const char*> kActionCodes[] = {
    {SnapshotAction::kFormat, "format"},
    {SnapshotAction::kDeleteJob, "delete-job"},
    {SnapshotAction::kRenameJob, "rename-job"},
    {SnapshotAction::kDeleteRecord, "delete-record"},
    {SnapshotAction::kDeleteKnownPoint, "delete-known-point"},
    {SnapshotAction::kClearKnownPoints, "clear-known"},
    {SnapshotAction::kDeleteCode, "delete-code"},
    {SnapshotAction::kClearCodes, "clear-codes"},
    {SnapshotAction::kImportJob, "import-job"},
    {SnapshotAction::kImportKnownPoints, "import-known"},
    {SnapshotAction::kRestore, "restore"},
    {SnapshotAction::kManual, "backup"},
    {SnapshotAction::kDeleteRecords, "delete-records"},
    {SnapshotAction::kDeleteJobs, "delete-jobs"},
    {SnapshotAction::kDeleteCodes, "delete-codes"},
};
// An index of the most snapshots the limits keep is a few hundred KiB.
constexpr long long kMaxIndexBytes = 16LL << 20;
constexpr mode_t kPrivateFile = 0600;
constexpr mode_t kPrivateFolder = 0700;

FileSystemCalls& calls() {
  return fileSystemCalls();
}

// --- Index lines ----------------------------------------------------------------------

// Tabs and line ends separate the index's fields and lines; a field that
// holds them (an image named with a tab) is written with backslash escapes,
// and read back to the very same bytes.
std::string escapedField(std::string_view text) {
  std::string field;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      field += "\\\\";
    } else if (c == '\t') {
      field += "\\t";
    } else if (c == '\n') {
      field += "\\n";
    } else if (c == '\r') {
      field += "\\r";
    } else if (byte < 0x20 || byte == 0x7F) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      field += hex;
    } else {
      field += c;
    }
  }
  return field;
}

std::string unescapedField(std::string_view field) {
  std::string text;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      text += field[i];
      continue;
    }
    const char next = field[++i];
    if (next == 't') {
      text += '\t';
    } else if (next == 'n') {
      text += '\n';
    } else if (next == 'r') {
      text += '\r';
    } else if (next == 'x' && i + 2 < field.size() && std::isxdigit(field[i + 1]) &&
               std::isxdigit(field[i + 2])) {
      text += static_cast<char>(std::stoi(std::string(field.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      text += next;
    }
  }
  return text;
}

std::string joinedValues(const std::vector<std::string>& values) {
  std::string joined;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) joined += kValueSeparator;
    joined += values[i];
  }
  return joined;
}

std::vector<std::string> splitValues(const std::string& joined) {
  std::vector<std::string> values;
  if (joined.empty()) return values;
  size_t start = 0;
  for (size_t at; (at = joined.find(kValueSeparator, start)) != std::string::npos; start = at + 1) {
    values.push_back(joined.substr(start, at - start));
  }
  values.push_back(joined.substr(start));
  return values;
}

std::string actionCode(SnapshotAction action) {
  for (const auto& [known, code] : kActionCodes) {
    if (known == action) return code;
  }
  return {};
}

SnapshotAction actionOf(const std::string& code) {
  for (const auto& [action, known] : kActionCodes) {
    if (code == known) return action;
  }
  return SnapshotAction::kUnknown;
}

// recognised, known points, codes, then each job's name and record count.
std::string contentsField(const SnapshotContents& contents) {
  if (!contents.recorded) return {};
  std::vector<std::string> values = {contents.recognised ? "1" : "0",
                                     std::to_string(contents.knownPoints),
                                     std::to_string(contents.codes)};
  for (const auto& [job, records] : contents.jobs) {
    values.push_back(job);
    values.push_back(std::to_string(records));
  }
  return joinedValues(values);
}

SnapshotContents contentsOf(const std::string& field) {
  SnapshotContents contents;
  const std::vector<std::string> values = splitValues(field);
  if (values.size() < 3 || values.size() % 2 == 0) return contents;
  const auto number = [](const std::string& text) {
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
  };
  contents.recorded = true;
  contents.recognised = values[0] == "1";
  contents.knownPoints = number(values[1]);
  contents.codes = number(values[2]);
  for (size_t i = 3; i + 1 < values.size(); i += 2) {
    contents.jobs.emplace_back(values[i], number(values[i + 1]));
  }
  return contents;
}

std::string indexLine(const Snapshot& s) {
  char checksum[17];
  std::snprintf(checksum, sizeof checksum, "%016llx", static_cast<unsigned long long>(s.checksum));
  std::ostringstream line;
  line << s.time << '\t' << escapedField(s.file) << '\t' << escapedField(s.imageName) << '\t'
       << escapedField(s.model) << '\t' << s.imageSize << '\t' << checksum << '\t' << s.storedSize
       << '\t' << escapedField(s.action) << '\t' << escapedField(s.summary) << '\t'
       << escapedField(s.card) << '\t' << escapedField(s.place) << '\t'
       << escapedField(actionCode(s.label.action)) << '\t'
       << escapedField(joinedValues(s.label.values)) << '\t'
       << escapedField(contentsField(s.contents)) << '\n';
  return line.str();
}

bool parseUnsigned(const std::string& text, unsigned long long& value, int base) {
  if (text.empty() || text.size() > 20) return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long parsed = std::strtoull(text.c_str(), &end, base);
  if (errno != 0 || *end != '\0' || text[0] == '-' || text[0] == '+') return false;
  value = parsed;
  return true;
}

// A time or a size: a value past the signed range would be written back
// negative, and the index would then lose the line.
bool parseNumber(const std::string& text, long long& value) {
  unsigned long long parsed = 0;
  if (!parseUnsigned(text, parsed, 10) || parsed > std::numeric_limits<long long>::max()) {
    return false;
  }
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
  // Later versions may add fields after these.
  if (fields.size() != kOldIndexFields && fields.size() != kCardIndexFields &&
      fields.size() < kIndexFields) {
    return std::nullopt;
  }
  for (std::string& field : fields) field = unescapedField(field);
  Snapshot s;
  long long time = 0;
  unsigned long long checksum = 0;
  if (!parseNumber(fields[0], time) || !parseNumber(fields[4], s.imageSize) ||
      !parseUnsigned(fields[5], checksum, 16) || !parseNumber(fields[6], s.storedSize)) {
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
  if (fields.size() >= kCardIndexFields) {
    s.card = fields[9];
    s.place = fields[10];
  }
  if (fields.size() >= kIndexFields) {
    s.label = {actionOf(fields[11]), splitValues(fields[12])};
    s.contents = contentsOf(fields[13]);
  }
  return s;
}

// The index as read: each line with its snapshot, or as it stands when it
// is not one this version reads, so that rewriting the index keeps it.
struct IndexLine {
  std::string text;
  std::optional<Snapshot> snapshot;
};
using Index = std::vector<IndexLine>;

// --- Files through the calls -----------------------------------------------------------------

bool writeWhole(int fd, const uint8_t* bytes, size_t size) {
  for (size_t put = 0; put < size;) {
    const ssize_t n = calls().pwrite(fd, bytes + put, size - put, static_cast<off_t>(put));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    put += static_cast<size_t>(n);
  }
  return true;
}

// A regular file read whole, never through a link and never blocking on a
// FIFO; nothing (errno set) when it cannot be, or is larger than `limit`.
// A missing file gives nothing with errno ENOENT.
std::optional<std::vector<uint8_t>> readRegularFile(const fs::path& path, long long limit) {
  const int fd = calls().open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  std::optional<std::vector<uint8_t>> bytes;
  int error = 0;
  if (calls().fstat(fd, &info) != 0) {
    error = errno;
  } else if (!S_ISREG(info.st_mode)) {
    error = EINVAL;
  } else if (info.st_size > limit) {
    error = EFBIG;
  } else {
    bytes.emplace(static_cast<size_t>(info.st_size));
    for (size_t got = 0; got < bytes->size();) {
      const ssize_t n =
          calls().pread(fd, bytes->data() + got, bytes->size() - got, static_cast<off_t>(got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error = n < 0 ? errno : EIO;
        bytes.reset();
        break;
      }
      got += static_cast<size_t>(n);
    }
  }
  calls().close(fd);
  if (!bytes) errno = error;
  return bytes;
}

bool syncFolder(const fs::path& folder) {
  const int fd = calls().open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool synced = calls().fsync(fd) == 0 || errno == EINVAL;
  const int error = errno;
  calls().close(fd);
  errno = error;
  return synced;
}

// A new file made whole and forced, with the permission bits `mode`; never
// through a link nor over a name that is taken (EEXIST). Removed again when
// anything fails.
bool writeNewFile(const fs::path& path, std::span<const uint8_t> bytes, mode_t mode) {
  const int fd =
      calls().open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) return false;
  bool written = calls().fchmod(fd, mode) == 0 && writeWhole(fd, bytes.data(), bytes.size()) &&
                 calls().fsync(fd) == 0;
  int error = errno;
  if (calls().close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written) {
    calls().unlink(path.c_str());
    errno = error != 0 ? error : EIO;
  }
  return written;
}

// The folder and any missing folder above it, private, each forced into
// the folder that holds it so that a power cut cannot take the names away.
bool makeFolders(const fs::path& folder) {
  struct stat info {};
  if (calls().stat(folder.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  if (errno != ENOENT) return false;
  const fs::path parent = folder.parent_path();
  if (parent != folder && !parent.empty() && !makeFolders(parent)) return false;
  if (calls().mkdir(folder.c_str(), kPrivateFolder) != 0 && errno != EEXIST) return false;
  return syncFolder(parent.empty() ? fs::path(".") : parent);
}

mode_t currentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

SnapshotFailure failure(const fs::path& folder, int error) {
  SnapshotFailure why;
  why.folder = folder.string();
  why.error = error;
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      why.reason = SnapshotFailure::Reason::kDiskFull;
      break;
    case EACCES:
    case EPERM:
    case EROFS:
      why.reason = SnapshotFailure::Reason::kNoPermission;
      break;
    case EEXIST:
    case ELOOP:
      why.reason = SnapshotFailure::Reason::kNameTaken;
      break;
    case EWOULDBLOCK:
      why.reason = SnapshotFailure::Reason::kFolderInUse;
      break;
    default:
      why.reason = SnapshotFailure::Reason::kSystemError;
  }
  return why;
}

// The index, or nothing (errno set) when it is there but cannot be read:
// taking it for empty would drop every snapshot it lists.
std::optional<Index> readIndex(const fs::path& folder) {
  Index index;
  const std::optional<std::vector<uint8_t>> bytes =
      readRegularFile(folder / kIndexName, kMaxIndexBytes);
  if (!bytes) {
    if (errno == ENOENT) return index;
    return std::nullopt;
  }
  std::string line;
  for (size_t at = 0; at < bytes->size(); ++at) {
    if ((*bytes)[at] != '\n') {
      line += static_cast<char>((*bytes)[at]);
      continue;
    }
    index.push_back({line, parseIndexLine(line)});
    line.clear();
  }
  if (!line.empty()) index.push_back({line, parseIndexLine(line)});
  return index;
}

// The index replaced whole: written beside it, then renamed over it.
bool writeIndex(const fs::path& folder, const Index& index) {
  std::string text;
  for (const IndexLine& line : index) {
    text += line.snapshot ? indexLine(*line.snapshot) : line.text + '\n';
  }
  const fs::path next = folder / (std::string(kIndexName) + ".new");
  calls().unlink(next.c_str());  // a name, or a link, left by a program stopped here
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  if (!writeNewFile(next, bytes, kPrivateFile)) return false;
  if (calls().rename(next.c_str(), (folder / kIndexName).c_str()) != 0) {
    const int error = errno;
    calls().unlink(next.c_str());
    errno = error;
    return false;
  }
  return syncFolder(folder);
}

// Holds the folder's lock: two programs keeping snapshots at once must not
// write the index over each other. Waits at most `wait` for the other.
class FolderLock {
 public:
  FolderLock(const fs::path& folder, std::chrono::milliseconds wait)
      : fd_(calls().open((folder / kLockName).c_str(),
                         O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, kPrivateFile)) {
    if (fd_ < 0) return;
    struct stat info {};
    if (calls().fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
      release(EINVAL);
      return;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
      if (calls().flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
      if (errno == EINTR) continue;
      const auto now = std::chrono::steady_clock::now();
      if (errno != EWOULDBLOCK || now >= deadline) {
        release(errno);
        return;
      }
      std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
          deadline - now, std::chrono::milliseconds(20)));
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) calls().close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  void release(int error) {
    calls().close(fd_);
    fd_ = -1;
    errno = error;
  }
  int fd_;
};

// A file name that tells whose snapshot it is and when, in any file system;
// `attempt` > 1 gives the next one when a name is taken.
std::string snapshotFileName(const Snapshot& s, int attempt) {
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
  return stem + "-" + when + (attempt > 1 ? "-" + std::to_string(attempt) : "") + ".gz";
}

// The snapshots past the limits, oldest first: the newest 100 of each image
// stay, and the newest ones within the byte cap.
std::vector<bool> pastLimits(const Index& index, const SnapshotLimits& limits) {
  std::vector<bool> drop(index.size(), false);
  std::map<std::string, size_t> kept;  // per image name and card, counted newest first
  long long bytes = 0;
  bool newest = true;
  for (size_t i = index.size(); i-- > 0;) {
    if (!index[i].snapshot) continue;
    const Snapshot& s = *index[i].snapshot;
    const bool overCount = ++kept[s.imageName + '\n' + s.card] > limits.perImage;
    // The newest one stays whatever its size: it is the copy just asked for.
    const bool overBytes = !newest && bytes + s.storedSize > limits.totalBytes;
    newest = false;
    if (overCount || overBytes) {
      drop[i] = true;
    } else {
      bytes += s.storedSize;
    }
  }
  return drop;
}

}  // namespace

SnapshotFolder::SnapshotFolder(fs::path folder, SnapshotLimits limits)
    : folder_(std::move(folder)), limits_(limits) {}

SnapshotFailure SnapshotFolder::keep(std::span<const uint8_t> image, Snapshot about, mode_t mode) {
  if (static_cast<long long>(image.size()) > kMaxImageBytes) {
    SnapshotFailure tooLarge = failure(folder_, EFBIG);
    tooLarge.reason = SnapshotFailure::Reason::kImageTooLarge;
    return tooLarge;
  }
  if (!makeFolders(folder_)) return failure(folder_, errno);
  const FolderLock lock(folder_, lockWait_);
  if (!lock.held()) return failure(folder_, errno);

  std::optional<Index> index = readIndex(folder_);
  if (!index) {
    SnapshotFailure unreadable = failure(folder_, errno);
    unreadable.reason = SnapshotFailure::Reason::kIndexUnreadable;
    unreadable.index = (folder_ / kIndexName).string();
    return unreadable;
  }
  about.imageSize = static_cast<long long>(image.size());
  about.checksum = fnv1a64(image.data(), image.size());
  for (auto line = index->rbegin(); line != index->rend(); ++line) {
    if (!line->snapshot) continue;
    const Snapshot& s = *line->snapshot;
    if (s.imageName != about.imageName || s.card != about.card) continue;
    // Stored once: the newest copy of this image holds these very bytes, and
    // gives them back (a file emptied, cut short or garbled is no copy).
    if (s.imageSize == about.imageSize && s.checksum == about.checksum) {
      const std::optional<std::vector<uint8_t>> kept = load(s);
      if (kept && std::equal(kept->begin(), kept->end(), image.begin(), image.end())) return {};
    }
    break;
  }

  const std::vector<uint8_t> gzip = gzipBytes(image);
  if (gzip.empty()) return failure(folder_, ENOMEM);
  about.storedSize = static_cast<long long>(gzip.size());
  // A name that is taken (a snapshot of the same second, a link planted
  // there) is left alone: the next name is tried.
  bool written = false;
  for (int attempt = 1; attempt <= 100 && !written; ++attempt) {
    about.file = snapshotFileName(about, attempt);
    written = writeNewFile(folder_ / about.file, gzip, mode & 0666);
    if (!written && errno != EEXIST && errno != ELOOP) break;
  }
  const fs::path file = folder_ / about.file;
  if (!written) return failure(folder_, errno);

  index->push_back({{}, about});
  const std::vector<bool> drop = pastLimits(*index, limits_);
  Index kept;
  for (size_t i = 0; i < index->size(); ++i) {
    if (!drop[i]) kept.push_back((*index)[i]);
  }
  if (!writeIndex(folder_, kept)) {
    const int error = errno;
    calls().unlink(file.c_str());
    return failure(folder_, error);
  }
  // Only now that the index no longer lists them.
  for (size_t i = 0; i < index->size(); ++i) {
    if (drop[i]) calls().unlink((folder_ / (*index)[i].snapshot->file).c_str());
  }
  return {};
}

std::vector<Snapshot> SnapshotFolder::all() const {
  std::vector<Snapshot> snapshots;
  const std::optional<Index> index = readIndex(folder_);
  if (!index) return snapshots;
  for (const IndexLine& line : *index) {
    struct stat info {};
    if (line.snapshot && calls().lstat((folder_ / line.snapshot->file).c_str(), &info) == 0) {
      snapshots.push_back(*line.snapshot);
    }
  }
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

std::vector<Snapshot> SnapshotFolder::list(const std::string& imageName,
                                           const std::string& card) const {
  std::vector<Snapshot> snapshots = list(imageName);
  std::erase_if(snapshots, [&](const Snapshot& s) { return !fromCard(s, card); });
  return snapshots;
}

std::optional<std::vector<uint8_t>> SnapshotFolder::load(const Snapshot& snapshot) const {
  if (snapshot.imageSize < 0 || snapshot.imageSize > kMaxImageBytes) return std::nullopt;
  // A gzip file is never much larger than what it holds.
  const std::optional<std::vector<uint8_t>> gzip =
      readRegularFile(folder_ / snapshot.file, snapshot.imageSize + (1 << 20));
  if (!gzip) return std::nullopt;
  auto image = gunzipBytes(*gzip, static_cast<size_t>(snapshot.imageSize));
  if (!image || static_cast<long long>(image->size()) != snapshot.imageSize ||
      fnv1a64(image->data(), image->size()) != snapshot.checksum) {
    return std::nullopt;
  }
  return image;
}

int SnapshotFolder::restoreToNewFile(const Snapshot& snapshot, const fs::path& path) const {
  const std::optional<std::vector<uint8_t>> image = load(snapshot);
  if (!image) return EBADMSG;
  // Readable by whoever the user's umask lets read a new file.
  if (!writeNewFile(path, *image, 0666 & ~currentUmask())) return errno;
  if (!syncFolder(path.has_parent_path() ? path.parent_path() : fs::path("."))) {
    const int error = errno;
    calls().unlink(path.c_str());
    return error;
  }
  return 0;
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

// --- Where an image lies ---------------------------------------------------------------

namespace {

// The name under which a folder of /dev/disk (by-uuid, by-label) lists the
// block device `device`, with its \xHH escapes undone; empty when none does.
std::string volumeName(const fs::path& folder, dev_t device) {
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    struct stat info {};
    if (::stat(it->path().c_str(), &info) == 0 && S_ISBLK(info.st_mode) && info.st_rdev == device) {
      return unescapedField(it->path().filename().string());
    }
  }
  return {};
}

}  // namespace

ImageOrigin imageOrigin(const fs::path& image) {
  std::error_code error;
  const fs::path folder = fs::weakly_canonical(fs::absolute(image, error).parent_path(), error);
  struct stat info {};
  if (error || ::stat(folder.c_str(), &info) != 0)
    return {"path:" + folder.string(), folder.string()};
  // The volume's mount point: the highest folder on the same device.
  fs::path mount = folder;
  for (struct stat above{}; mount.has_relative_path(); mount = mount.parent_path()) {
    if (::stat(mount.parent_path().c_str(), &above) != 0 || above.st_dev != info.st_dev) break;
  }
  const std::string within = "/" + folder.lexically_relative(mount).generic_string();
  const std::string inFolder = within == "/." ? "/" : within;
  const std::string uuid = volumeName("/dev/disk/by-uuid", info.st_dev);
  if (uuid.empty()) return {"path:" + folder.string(), folder.string()};
  const std::string label = volumeName("/dev/disk/by-label", info.st_dev);
  return {"uuid:" + uuid + ":" + inFolder,
          (label.empty() ? uuid : label + " (" + uuid + ")") + " " + inFolder};
}

// --- gzip --------------------------------------------------------------------------

namespace {
constexpr int kGzipWindow = 15 + 16;  // zlib's window with a gzip wrapper
}

std::vector<uint8_t> gzipBytes(std::span<const uint8_t> bytes) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindow, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    return {};
  }
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
  if (result != Z_STREAM_END) return {};
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
