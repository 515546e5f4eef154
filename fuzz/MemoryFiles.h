// Files kept in memory behind the image file's system calls, so that a fuzz
// input costs no file system work: sparse (pages that were never written read
// as zeros), flock and fsync always succeed.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/FileSystemCalls.h"

namespace vel::fuzz {

class MemoryFiles : public FileSystemCalls {
 public:
  // A file of `size` bytes (at least `count`) whose first `count` bytes are given.
  void put(const std::string& path, const uint8_t* bytes, size_t count, long long size);
  bool exists(const std::string& path) const { return files_.count(path) != 0; }
  std::vector<uint8_t> contents(const std::string& path) const;
  // count bytes from position, fewer at the end of the file.
  std::vector<uint8_t> contents(const std::string& path, long long position, size_t count) const;
  long long size(const std::string& path) const;
  void clear();

  int open(const char* path, int flags, mode_t mode) override;
  int close(int fd) override;
  int fstat(int fd, struct stat* info) override;
  ssize_t pread(int fd, void* buffer, size_t count, off_t offset) override;
  ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) override;
  int ftruncate(int fd, off_t size) override;
  int fsync(int fd) override;
  int flock(int fd, int operation) override;
  int unlink(const char* path) override;

 private:
  static constexpr long long kPage = 4096;
  struct File {
    std::unordered_map<long long, std::array<uint8_t, kPage>> pages;
    long long size = 0;
    ino_t inode = 0;
  };
  struct Open {
    std::shared_ptr<File> file;  // none for a folder
  };

  static void read(const File& file, uint8_t* out, size_t count, long long position);
  static void write(File& file, const uint8_t* bytes, size_t count, long long position);
  static void resize(File& file, long long size);
  Open* opened(int fd);

  std::map<std::string, std::shared_ptr<File>> files_;
  std::map<int, Open> open_;
  int nextFd_ = 1000;
  ino_t nextInode_ = 1;
};

}  // namespace vel::fuzz
