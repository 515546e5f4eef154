#include "FaultyCalls.h"

#include <fcntl.h>

#include <cerrno>

namespace vel::test {

const char* faultName(Fault fault) {
  switch (fault) {
    case Fault::kWrite:
      return "write";
    case Fault::kPositioning:
      return "positioning";
    case Fault::kFsync:
      return "fsync";
    case Fault::kCrash:
      return "crash";
    default:
      return "none";
  }
}

int FaultyCalls::countOf(Fault fault) const {
  switch (fault) {
    case Fault::kWrite:
    case Fault::kCrash:
      return writes_;
    case Fault::kPositioning:
      return positionings_;
    case Fault::kFsync:
      return syncs_;
    default:
      return 0;
  }
}

bool FaultyCalls::strikes(Fault kind, int count) {
  if (fault_ != kind || count != at_) return false;
  fired_ = true;
  return true;
}

int FaultyCalls::open(const char* path, int flags, mode_t mode) {
  if (crashed_ && (flags & (O_CREAT | O_TRUNC))) {
    errno = EIO;
    return -1;
  }
  return FileSystemCalls::open(path, flags, mode);
}

ssize_t FaultyCalls::pread(int fd, void* buffer, size_t count, off_t offset) {
  ++reads_;
  if (strikes(Fault::kPositioning, ++positionings_)) {
    errno = EINVAL;
    return -1;
  }
  return FileSystemCalls::pread(fd, buffer, count, offset);
}

ssize_t FaultyCalls::pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  if (crashed_) {
    errno = EIO;
    return -1;
  }
  ++writes_;
  if (strikes(Fault::kPositioning, ++positionings_)) {
    errno = EINVAL;
    return -1;
  }
  // A write cut short may still have changed the first part of what it
  // covered, up to half of it, in whole device sectors: no disk writes less.
  const bool torn = strikes(Fault::kWrite, writes_);
  const bool crash = strikes(Fault::kCrash, writes_);
  if (torn || crash) {
    const off_t half = offset + static_cast<off_t>(count / 2);
    const off_t cut = half - half % kDeviceSector;
    if (cut > offset)
      FileSystemCalls::pwrite(fd, buffer, static_cast<size_t>(cut - offset), offset);
    if (crash) {
      crashed_ = true;
      throw SimulatedCrash{};
    }
    errno = EIO;
    return -1;
  }
  return FileSystemCalls::pwrite(fd, buffer, count, offset);
}

int FaultyCalls::ftruncate(int fd, off_t size) {
  if (crashed_ || strikes(Fault::kPositioning, ++positionings_)) {
    errno = crashed_ ? EIO : EINVAL;
    return -1;
  }
  return FileSystemCalls::ftruncate(fd, size);
}

int FaultyCalls::fsync(int fd) {
  if (crashed_ || strikes(Fault::kFsync, ++syncs_)) {
    errno = EIO;
    return -1;
  }
  return FileSystemCalls::fsync(fd);
}

int FaultyCalls::unlink(const char* path) {
  if (crashed_) {
    errno = EIO;
    return -1;
  }
  return FileSystemCalls::unlink(path);
}

int WriteProtectedCard::open(const char* path, int flags, mode_t mode) {
  if (std::string(path).rfind(folder_, 0) == 0 &&
      ((flags & O_ACCMODE) != O_RDONLY || (flags & O_CREAT))) {
    errno = EROFS;
    return -1;
  }
  return FileSystemCalls::open(path, flags, mode);
}

}  // namespace vel::test
