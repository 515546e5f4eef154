#include "store/ImageFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <thread>
#include <vector>

namespace vel {
namespace {

constexpr long long kSector = kJournalSectorBytes;

// The journal must sit beside the file itself, not beside a symlink to it,
// so that every path to the image finds it.
std::string resolvedPath(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

ImageFile::~ImageFile() {
  close();
}

bool ImageFile::open(const std::string& path, FileSystemCalls& calls) {
  close();
  calls_ = &calls;
  writable_ = true;
  readOnlyError_ = 0;
  // Never blocks: a FIFO or a device under the image's name is refused below.
  constexpr int kFlags = O_CLOEXEC | O_NONBLOCK;
  int fd = calls_->open(path.c_str(), O_RDWR | kFlags, 0);
  if (fd < 0 && (errno == EROFS || errno == EACCES || errno == EPERM || errno == ETXTBSY)) {
    // A write-protected card is still read.
    const int refused = errno;
    fd = calls_->open(path.c_str(), O_RDONLY | kFlags, 0);
    if (fd < 0) {
      errno = refused;
      return false;
    }
    writable_ = false;
    readOnlyError_ = refused;
  }
  if (fd < 0) return false;
  struct stat info {};
  if (calls_->fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int error = errno;
    calls_->close(fd);
    errno = error;
    return false;
  }
  fd_ = fd;
  fileSize_ = size_ = info.st_size;
  mode_ = info.st_mode & 0666;
  imagePath_ = resolvedPath(path);
  journalPath_ = journalPathFor(imagePath_);
  return true;
}

int ImageFile::linkCount() {
  struct stat info {};
  if (fd_ < 0 || calls_->fstat(fd_, &info) != 0) return 0;
  return static_cast<int>(info.st_nlink);
}

void ImageFile::close() {
  if (fd_ < 0) return;
  rollback();
  shownBefore_.clear();
  calls_->close(fd_);
  fd_ = -1;
}

bool ImageFile::readAll(int fd, uint8_t* buffer, size_t count, long long position, size_t& got) {
  got = 0;
  while (got < count) {
    const ssize_t n =
        calls_->pread(fd, buffer + got, count - got, static_cast<off_t>(position + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return true;
}

bool ImageFile::writeAll(int fd, const uint8_t* bytes, size_t count, long long position) {
  size_t put = 0;
  while (put < count) {
    const ssize_t n =
        calls_->pwrite(fd, bytes + put, count - put, static_cast<off_t>(position + put));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    put += static_cast<size_t>(n);
  }
  return true;
}

// --- Transfers ---------------------------------------------------------------------

ImageFile::Sector* ImageFile::cachedSector(uint32_t index) {
  const auto found = cache_.find(index);
  if (found != cache_.end()) return &found->second;
  if (const auto shown = shownBefore_.find(index); shown != shownBefore_.end()) {
    return &cache_.emplace(index, shown->second).first->second;
  }
  Sector sector{};
  const long long start = index * kSector;
  // Past the end of the file there is nothing to read: a hole reads as zeros.
  if (start < fileSize_) {
    size_t got = 0;
    if (!readAll(fd_, sector.data(), static_cast<size_t>(std::min(kSector, fileSize_ - start)),
                 start, got)) {
      failed_ = true;
      return nullptr;
    }
  }
  return &cache_.emplace(index, sector).first->second;
}

bool ImageFile::read(ImageAddress address, uint8_t count, uint8_t* buffer) {
  if (fd_ < 0) return false;
  const size_t wanted = count == 0 ? kTransferBytes : count;
  const long long position = filePosition(address);
  // As a file read: what lies past the end reads as missing.
  const size_t available = static_cast<size_t>(
      std::clamp<long long>(size_ - position, 0, static_cast<long long>(wanted)));
  size_t got = 0;
  while (got < available) {
    const long long at = position + static_cast<long long>(got);
    const Sector* sector = cachedSector(static_cast<uint32_t>(at / kSector));
    if (sector == nullptr) break;
    const size_t within = static_cast<size_t>(at % kSector);
    const size_t n = std::min(available - got, static_cast<size_t>(kSector) - within);
    std::memcpy(buffer + got, sector->data() + within, n);
    got += n;
  }
  std::memset(buffer + got, 0, wanted - got);
  return got == wanted;
}

bool ImageFile::write(ImageAddress address, uint8_t count, const uint8_t* buffer) {
  if (fd_ < 0) return false;
  const size_t wanted = count == 0 ? kTransferBytes : count;
  const long long position = filePosition(address);

  const auto first = static_cast<uint32_t>(position / kSector);
  const auto last =
      static_cast<uint32_t>((position + static_cast<long long>(wanted) - 1) / kSector);
  // Every sector is at hand before any of them changes: a write is whole or none.
  for (uint32_t index = first; index <= last; ++index) {
    if (cachedSector(index) == nullptr) return false;
  }
  size_t put = 0;
  for (uint32_t index = first; index <= last; ++index) {
    Sector& sector = cache_.at(index);
    originals_.try_emplace(index, sector);
    const long long at = position + static_cast<long long>(put);
    const size_t within = static_cast<size_t>(at % kSector);
    const size_t n = std::min(wanted - put, static_cast<size_t>(kSector) - within);
    std::memcpy(sector.data() + within, buffer + put, n);
    put += n;
  }
  size_ = std::max(size_, position + static_cast<long long>(wanted));
  return true;
}

long long ImageFile::size() const {
  return fd_ < 0 ? -1 : size_;
}

bool ImageFile::readWhole(std::vector<uint8_t>& bytes) {
  const long long total = size();
  if (total < 0 || total > kMaxImageBytes) return false;
  bytes.assign(static_cast<size_t>(total), 0);
  const size_t onFile = static_cast<size_t>(std::min(fileSize_, total));
  size_t got = 0;
  if (!readAll(fd_, bytes.data(), onFile, 0, got) || got != onFile) return false;
  // The sectors at hand are what the transaction sees, written ones included.
  for (const auto& [index, sector] : shownBefore_) {
    const long long start = index * kSector;
    if (start >= total) continue;
    std::memcpy(bytes.data() + start, sector.data(),
                static_cast<size_t>(std::min(kSector, total - start)));
  }
  for (const auto& [index, sector] : cache_) {
    const long long start = index * kSector;
    if (start >= total) continue;
    std::memcpy(bytes.data() + start, sector.data(),
                static_cast<size_t>(std::min(kSector, total - start)));
  }
  return true;
}

// --- Exclusive use ---------------------------------------------------------------------

bool ImageFile::lockExclusive(std::chrono::milliseconds wait) {
  if (fd_ < 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (calls_->flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return errno == EINVAL || errno == ENOLCK || errno == EOPNOTSUPP;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        deadline - now, std::chrono::milliseconds(20)));
  }
}

// --- Transactions ----------------------------------------------------------------------

void ImageFile::rollback() {
  cache_.clear();
  originals_.clear();
  size_ = fileSize_;
  failed_ = false;
}

bool ImageFile::commit() {
  if (fd_ < 0) return false;
  unconfirmed_ = false;
  if (failed_) {
    rollback();
    return false;
  }
  // A sector written back as it was is no change (one the file does not yet
  // hold whole is: the file grows).
  for (auto at = originals_.begin(); at != originals_.end();) {
    const bool whole = (at->first + 1) * kSector <= fileSize_;
    at = whole && at->second == cache_.at(at->first) ? originals_.erase(at) : std::next(at);
  }
  if (originals_.empty()) return true;
  // A file removed from its folder (a card's files deleted, the image
  // replaced) takes no more changes: they would be lost, not stored. Nor
  // does a file of two names: the journal beside the other name would
  // never be found.
  if (!writable_ || linkCount() != 1) {
    rollback();
    return false;
  }

  RollbackJournal journal;
  journal.imageSize = fileSize_;
  for (const auto& [index, before] : originals_) {
    // Sectors wholly past the old end go when the file is cut back to its size.
    if (index * kSector < fileSize_) {
      journal.entries.push_back({index, before, sectorHash(cache_.at(index))});
    }
  }
  if (!writeJournal(journal.encode())) {
    rollback();
    return false;
  }
  const bool written = writeChangedSectors() && calls_->fsync(fd_) == 0;
  if (!written || (calls_->unlink(journalPath_.c_str()) != 0 && errno != ENOENT)) {
    // Put back from the same bytes the journal holds; should that fail too,
    // the journal stays for the next open to put back.
    if (putBackOriginals()) removeJournal(journalPath_);
    rollback();
    return false;
  }
  // With the journal gone the change is on the card. Should the folder not
  // be forced now, the journal's name may come back after a power cut and
  // undo it; the change is still done, and the caller warned.
  unconfirmed_ = !syncFolder();
  fileSize_ = size_;
  originals_.clear();
  return true;
}

bool ImageFile::writeChangedSectors() {
  std::vector<uint8_t> run;
  for (auto at = originals_.begin(); at != originals_.end();) {
    const uint32_t first = at->first;
    uint32_t next = first;
    run.clear();
    for (; at != originals_.end() && at->first == next; ++at, ++next) {
      const Sector& sector = cache_.at(next);
      run.insert(run.end(), sector.begin(), sector.end());
    }
    // The last sector of the file may be a part of one.
    const long long start = first * kSector;
    const auto length =
        static_cast<size_t>(std::min<long long>(static_cast<long long>(run.size()), size_ - start));
    if (!writeAll(fd_, run.data(), length, start)) return false;
  }
  return true;
}

bool ImageFile::putBackOriginals() {
  for (const auto& [index, bytes] : originals_) {
    const long long start = index * kSector;
    if (start >= fileSize_) continue;
    const auto length = static_cast<size_t>(std::min(kSector, fileSize_ - start));
    if (!writeAll(fd_, bytes.data(), length, start)) return false;
  }
  if (size_ != fileSize_ && calls_->ftruncate(fd_, static_cast<off_t>(fileSize_)) != 0) {
    return false;
  }
  return calls_->fsync(fd_) == 0;
}

bool ImageFile::writeJournal(const std::vector<uint8_t>& bytes) {
  // Made new, never through a link and never over a file of that name: a
  // name that is taken is a failure, not something to follow or replace.
  const int fd = calls_->open(journalPath_.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode_);
  if (fd < 0) return false;
  // The image's own permission bits, whatever the umask: a private image
  // keeps a private journal.
  bool written = calls_->fchmod(fd, mode_) == 0 && writeAll(fd, bytes.data(), bytes.size(), 0) &&
                 calls_->fsync(fd) == 0;
  if (calls_->close(fd) != 0) written = false;
  // The journal's name must be on the card too before the image changes.
  if (written && syncFolder()) return true;
  // The image was not touched; a journal written in part is no journal.
  removeJournal(journalPath_);
  return false;
}

bool ImageFile::removeJournal(const std::string& path) {
  if (calls_->unlink(path.c_str()) != 0 && errno != ENOENT) return false;
  return syncFolder();
}

bool ImageFile::syncFolder() {
  const int fd =
      calls_->open(folderOf(journalPath_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return false;
  // Some file systems cannot force a folder; their names are then as safe as they get.
  const bool synced = calls_->fsync(fd) == 0 || errno == EINVAL;
  calls_->close(fd);
  return synced;
}

// --- Recovery ---------------------------------------------------------------------------

ImageFile::Found ImageFile::readJournal(const std::string& path, std::vector<uint8_t>& bytes) {
  const int fd = calls_->open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
  // A link or a FIFO under the journal's name was never written by a change.
  if (fd < 0)
    return errno == ENOENT ? Found::kNone : errno == ELOOP ? Found::kNotOurs : Found::kFailed;
  struct stat info {};
  if (calls_->fstat(fd, &info) == 0 && !S_ISREG(info.st_mode)) {
    calls_->close(fd);
    return Found::kNotOurs;
  }
  bool readable = true;
  // A journal longer than any the store can write is not one of ours: it is
  // read as far as needed to tell, no further.
  const auto most =
      static_cast<long long>(kJournalHeaderBytes + size_t{kJournalMaxEntries} * kJournalEntryBytes);
  bytes.clear();
  if (readable) {
    bytes.resize(static_cast<size_t>(std::clamp<long long>(info.st_size, 0, most + 1)));
    size_t got = 0;
    readable = readAll(fd, bytes.data(), bytes.size(), 0, got);
    bytes.resize(got);
  }
  calls_->close(fd);
  return readable ? Found::kRead : Found::kFailed;
}

bool ImageFile::overtaken(const RollbackJournal& journal) {
  for (const RollbackJournal::Entry& entry : journal.entries) {
    Sector now{};
    const long long start = entry.sector * kSector;
    size_t got = 0;
    if (start < fileSize_ &&
        !readAll(fd_, now.data(), static_cast<size_t>(std::min(kSector, fileSize_ - start)), start,
                 got)) {
      failed_ = true;
      return true;
    }
    // A journal of an earlier version cannot tell the change's own bytes
    // from another writer's: it is taken as the change's, as it was then.
    if (!entry.afterHash || now == entry.before || sectorHash(now) == *entry.afterHash) continue;
    return true;
  }
  return false;
}

ImageFile::Recovery ImageFile::setAside(const std::string& path) {
  // Kept for whoever wants to look at it, under a name that tells when and
  // that no reader of short names takes for an image.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string base = imagePath_ + "." + stamp;
  std::string target = base + ".JNL";
  struct stat info {};
  for (int n = 2; calls_->lstat(target.c_str(), &info) == 0; ++n) {
    target = base + "-" + std::to_string(n) + ".JNL";
  }
  if (calls_->rename(path.c_str(), target.c_str()) != 0) return Recovery::kFailed;
  syncFolder();
  setAsidePath_ = target;
  return Recovery::kSetAside;
}

ImageFile::Recovery ImageFile::recoverJournal(bool mayWrite) {
  if (fd_ < 0) return Recovery::kFailed;
  setAsidePath_.clear();
  shownBefore_.clear();
  for (const std::string& path : {journalPath_, legacyJournalPathFor(imagePath_)}) {
    const Recovery recovery = recoverFrom(path, mayWrite && writable_);
    if (recovery != Recovery::kNone) return recovery;
  }
  return Recovery::kNone;
}

ImageFile::Recovery ImageFile::recoverFrom(const std::string& path, bool mayWrite) {
  std::vector<uint8_t> bytes;
  const Found found = readJournal(path, bytes);
  if (found == Found::kNone) return Recovery::kNone;
  if (found == Found::kFailed) return Recovery::kFailed;
  rollback();
  std::optional<RollbackJournal> journal;
  if (found == Found::kRead) journal = RollbackJournal::decode(bytes.data(), bytes.size());
  // A change only ever grows the image: a journal of a larger one belongs
  // elsewhere. One that is not whole was never finished: the image was never
  // touched.
  if (!journal || journal->imageSize > fileSize_) {
    if (!mayWrite) return Recovery::kNone;
    return removeJournal(path) ? Recovery::kDiscarded : Recovery::kFailed;
  }
  if (overtaken(*journal)) {
    if (failed_) return Recovery::kFailed;
    return mayWrite ? setAside(path) : Recovery::kOvertaken;
  }
  if (!mayWrite) {
    for (const RollbackJournal::Entry& entry : journal->entries) {
      shownBefore_[entry.sector] = entry.before;
    }
    return Recovery::kShownAsBefore;
  }
  for (const RollbackJournal::Entry& entry : journal->entries) {
    const long long start = entry.sector * kSector;
    const auto length = static_cast<size_t>(std::min(kSector, journal->imageSize - start));
    if (!writeAll(fd_, entry.before.data(), length, start)) return Recovery::kFailed;
  }
  if (fileSize_ != journal->imageSize &&
      calls_->ftruncate(fd_, static_cast<off_t>(journal->imageSize)) != 0) {
    return Recovery::kFailed;
  }
  if (calls_->fsync(fd_) != 0) return Recovery::kFailed;
  fileSize_ = size_ = journal->imageSize;
  return removeJournal(path) ? Recovery::kRestored : Recovery::kFailed;
}

}  // namespace vel
