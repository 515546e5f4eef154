#include "store/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vel {

ImageFile::~ImageFile() {
  close();
}

bool ImageFile::open(const std::string& path) {
  close();
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void ImageFile::close() {
  if (fd_ < 0) return;
  ::fsync(fd_);
  ::close(fd_);
  fd_ = -1;
}

bool ImageFile::read(ImageAddress address, uint8_t count, uint8_t* buffer) {
  if (fd_ < 0) return false;
  const size_t wanted = count == 0 ? kTransferBytes : count;
  size_t got = 0;
  while (got < wanted) {
    const ssize_t n =
        ::pread(fd_, buffer + got, wanted - got, static_cast<off_t>(filePosition(address) + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  std::memset(buffer + got, 0, wanted - got);
  return got == wanted;
}

bool ImageFile::write(ImageAddress address, uint8_t count, const uint8_t* buffer) {
  if (fd_ < 0) return false;
  const size_t wanted = count == 0 ? kTransferBytes : count;
  size_t put = 0;
  while (put < wanted) {
    const ssize_t n =
        ::pwrite(fd_, buffer + put, wanted - put, static_cast<off_t>(filePosition(address) + put));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    put += static_cast<size_t>(n);
  }
  return put == wanted;
}

bool ImageFile::sync() {
  return fd_ >= 0 && ::fsync(fd_) == 0;
}

long long ImageFile::size() const {
  struct stat info {};
  if (fd_ < 0 || ::fstat(fd_, &info) != 0) return -1;
  return info.st_size;
}

}  // namespace vel
