#include "fuzz/MemoryFiles.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vel::fuzz {

void MemoryFiles::read(const File& file, uint8_t* out, size_t count, long long position) {
  for (size_t done = 0; done < count;) {
    const long long at = position + static_cast<long long>(done);
    const size_t within = static_cast<size_t>(at % kPage);
    const size_t n = std::min(count - done, static_cast<size_t>(kPage) - within);
    const auto page = file.pages.find(at / kPage);
    if (page == file.pages.end()) {
      std::memset(out + done, 0, n);
    } else {
      std::memcpy(out + done, page->second.data() + within, n);
    }
    done += n;
  }
}

void MemoryFiles::write(File& file, const uint8_t* bytes, size_t count, long long position) {
  for (size_t done = 0; done < count;) {
    const long long at = position + static_cast<long long>(done);
    const size_t within = static_cast<size_t>(at % kPage);
    const size_t n = std::min(count - done, static_cast<size_t>(kPage) - within);
    auto [page, added] = file.pages.try_emplace(at / kPage);
    if (added) page->second.fill(0);
    std::memcpy(page->second.data() + within, bytes + done, n);
    done += n;
  }
  file.size = std::max(file.size, position + static_cast<long long>(count));
}

void MemoryFiles::resize(File& file, long long size) {
  if (size < file.size) {
    // What is cut off reads as zeros if the file grows again.
    for (auto page = file.pages.begin(); page != file.pages.end();) {
      const long long start = page->first * kPage;
      if (start >= size) {
        page = file.pages.erase(page);
        continue;
      }
      if (start + kPage > size) {
        std::fill(page->second.begin() + (size - start), page->second.end(), 0);
      }
      ++page;
    }
  }
  file.size = size;
}

void MemoryFiles::put(const std::string& path, const uint8_t* bytes, size_t count, long long size) {
  auto file = std::make_shared<File>();
  file->inode = nextInode_++;
  write(*file, bytes, count, 0);
  file->size = std::max(file->size, size);
  files_[path] = std::move(file);
}

std::vector<uint8_t> MemoryFiles::contents(const std::string& path) const {
  return contents(path, 0, static_cast<size_t>(std::max<long long>(size(path), 0)));
}

std::vector<uint8_t> MemoryFiles::contents(const std::string& path, long long position,
                                           size_t count) const {
  const auto found = files_.find(path);
  if (found == files_.end()) return {};
  const long long available = std::max<long long>(found->second->size - position, 0);
  std::vector<uint8_t> bytes(
      static_cast<size_t>(std::min<long long>(available, static_cast<long long>(count))));
  read(*found->second, bytes.data(), bytes.size(), position);
  return bytes;
}

long long MemoryFiles::size(const std::string& path) const {
  const auto found = files_.find(path);
  return found == files_.end() ? -1 : found->second->size;
}

void MemoryFiles::clear() {
  files_.clear();
  open_.clear();
}

MemoryFiles::Open* MemoryFiles::opened(int fd) {
  const auto found = open_.find(fd);
  if (found == open_.end()) {
    errno = EBADF;
    return nullptr;
  }
  return &found->second;
}

int MemoryFiles::open(const char* path, int flags, mode_t) {
  if (flags & O_DIRECTORY) {
    open_[nextFd_] = Open{};
    return nextFd_++;
  }
  auto found = files_.find(path);
  if (found == files_.end()) {
    if (!(flags & O_CREAT)) {
      errno = ENOENT;
      return -1;
    }
    auto file = std::make_shared<File>();
    file->inode = nextInode_++;
    found = files_.emplace(path, std::move(file)).first;
  } else if (flags & O_TRUNC) {
    resize(*found->second, 0);
  }
  open_[nextFd_] = Open{found->second};
  return nextFd_++;
}

int MemoryFiles::close(int fd) {
  return open_.erase(fd) != 0 ? 0 : (errno = EBADF, -1);
}

int MemoryFiles::fstat(int fd, struct stat* info) {
  Open* open = opened(fd);
  if (open == nullptr) return -1;
  *info = {};
  info->st_mode = open->file ? (S_IFREG | 0644) : (S_IFDIR | 0755);
  if (open->file) {
    info->st_size = open->file->size;
    info->st_ino = open->file->inode;
    info->st_nlink = 1;
  }
  return 0;
}

ssize_t MemoryFiles::pread(int fd, void* buffer, size_t count, off_t offset) {
  Open* open = opened(fd);
  if (open == nullptr || !open->file || offset < 0) {
    if (open != nullptr) errno = EINVAL;
    return -1;
  }
  const long long available = std::max<long long>(open->file->size - offset, 0);
  const size_t n =
      static_cast<size_t>(std::min<long long>(available, static_cast<long long>(count)));
  read(*open->file, static_cast<uint8_t*>(buffer), n, offset);
  return static_cast<ssize_t>(n);
}

ssize_t MemoryFiles::pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  Open* open = opened(fd);
  if (open == nullptr || !open->file || offset < 0) {
    if (open != nullptr) errno = EINVAL;
    return -1;
  }
  write(*open->file, static_cast<const uint8_t*>(buffer), count, offset);
  return static_cast<ssize_t>(count);
}

int MemoryFiles::ftruncate(int fd, off_t size) {
  Open* open = opened(fd);
  if (open == nullptr || !open->file || size < 0) {
    if (open != nullptr) errno = EINVAL;
    return -1;
  }
  resize(*open->file, size);
  return 0;
}

int MemoryFiles::fsync(int fd) {
  return opened(fd) != nullptr ? 0 : -1;
}

int MemoryFiles::flock(int fd, int) {
  return opened(fd) != nullptr ? 0 : -1;
}

int MemoryFiles::unlink(const char* path) {
  return files_.erase(path) != 0 ? 0 : (errno = ENOENT, -1);
}

}  // namespace vel::fuzz
