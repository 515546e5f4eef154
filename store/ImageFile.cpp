#include "store/ImageFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
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

bool ImageFile::open(const std::string& path) {
  close();
  calls_ = &fileSystemCalls();
  const int fd = calls_->open(path.c_str(), O_RDWR | O_CLOEXEC, 0);
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
  journalPath_ = journalPathFor(resolvedPath(path));
  return true;
}

void ImageFile::close() {
  if (fd_ < 0) return;
  if (!journaled_) calls_->fsync(fd_);
  rollback();
  calls_->close(fd_);
  fd_ = -1;
  journaled_ = false;
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
  if (!journaled_) {
    size_t got = 0;
    readAll(fd_, buffer, wanted, position, got);
    std::memset(buffer + got, 0, wanted - got);
    return got == wanted;
  }

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
  if (!journaled_) return writeAll(fd_, buffer, wanted, position);

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

bool ImageFile::sync() {
  if (fd_ < 0) return false;
  if (journaled_) return commit();
  return calls_->fsync(fd_) == 0;
}

long long ImageFile::size() const {
  if (fd_ < 0) return -1;
  if (journaled_) return size_;
  struct stat info {};
  if (calls_->fstat(fd_, &info) != 0) return -1;
  return info.st_size;
}

bool ImageFile::readWhole(std::vector<uint8_t>& bytes) {
  const long long total = size();
  if (total < 0) return false;
  bytes.assign(static_cast<size_t>(total), 0);
  const size_t onFile = static_cast<size_t>(journaled_ ? std::min(fileSize_, total) : total);
  size_t got = 0;
  if (!readAll(fd_, bytes.data(), onFile, 0, got) || got != onFile) return false;
  // The sectors at hand are what the transaction sees, written ones included.
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

// --- Journaled mode -------------------------------------------------------------------

void ImageFile::useJournal() {
  rollback();
  journaled_ = fd_ >= 0;
}

void ImageFile::rollback() {
  cache_.clear();
  originals_.clear();
  size_ = fileSize_;
  failed_ = false;
}

bool ImageFile::commit() {
  if (fd_ < 0) return false;
  if (!journaled_) return calls_->fsync(fd_) == 0;
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
  if (!stillLinked()) {
    rollback();
    return false;
  }

  RollbackJournal journal;
  journal.imageSize = fileSize_;
  for (const auto& [index, bytes] : originals_) {
    // Sectors wholly past the old end go when the file is cut back to its size.
    if (index * kSector < fileSize_) journal.entries.push_back({index, bytes});
  }
  if (!writeJournal(journal.encode())) {
    // The image was not touched; a journal written in part is no journal.
    removeJournal();
    rollback();
    return false;
  }
  if (!writeChangedSectors() || calls_->fsync(fd_) != 0 || !removeJournal()) {
    // Put back from the same bytes the journal holds; should that fail too,
    // the journal stays for the next open to put back.
    if (putBackOriginals()) removeJournal();
    rollback();
    return false;
  }
  fileSize_ = size_;
  originals_.clear();
  return true;
}

bool ImageFile::stillLinked() {
  // A file removed from its folder (a card's files deleted, the image
  // replaced) takes no more changes: they would be lost, not stored.
  struct stat info {};
  return calls_->fstat(fd_, &info) == 0 && info.st_nlink > 0;
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
  const int fd = calls_->open(journalPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool written = writeAll(fd, bytes.data(), bytes.size(), 0) && calls_->fsync(fd) == 0;
  const bool closed = calls_->close(fd) == 0;
  // The journal's name must be on the card too before the image changes.
  return written && closed && syncFolder();
}

bool ImageFile::removeJournal() {
  if (calls_->unlink(journalPath_.c_str()) != 0 && errno != ENOENT) return false;
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

ImageFile::Recovery ImageFile::recoverJournal() {
  if (fd_ < 0) return Recovery::kFailed;
  const int fd = calls_->open(journalPath_.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return errno == ENOENT ? Recovery::kNone : Recovery::kFailed;
  struct stat info {};
  std::vector<uint8_t> bytes;
  bool readable = calls_->fstat(fd, &info) == 0;
  // A journal longer than any the store can write is not one of ours.
  const bool plausible = readable && info.st_size >= 0 &&
                         static_cast<unsigned long long>(info.st_size) <=
                             kJournalHeaderBytes + kJournalMaxEntries * kJournalEntryBytes;
  if (plausible) {
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t got = 0;
    readable = readAll(fd, bytes.data(), bytes.size(), 0, got);
    bytes.resize(got);
  }
  calls_->close(fd);
  if (!readable) return Recovery::kFailed;

  rollback();
  std::optional<RollbackJournal> journal;
  if (plausible) journal = RollbackJournal::decode(bytes.data(), bytes.size());
  // A change only ever grows the image: a journal of a larger one belongs elsewhere.
  if (!journal || journal->imageSize > fileSize_) {
    return removeJournal() ? Recovery::kDiscarded : Recovery::kFailed;
  }
  for (const RollbackJournal::Entry& entry : journal->entries) {
    const long long start = entry.sector * kSector;
    const auto length = static_cast<size_t>(std::min(kSector, journal->imageSize - start));
    if (!writeAll(fd_, entry.bytes.data(), length, start)) return Recovery::kFailed;
  }
  if (fileSize_ != journal->imageSize &&
      calls_->ftruncate(fd_, static_cast<off_t>(journal->imageSize)) != 0) {
    return Recovery::kFailed;
  }
  if (calls_->fsync(fd_) != 0) return Recovery::kFailed;
  fileSize_ = size_ = journal->imageSize;
  return removeJournal() ? Recovery::kRestored : Recovery::kFailed;
}

}  // namespace vel
