#include "store/FileSystemCalls.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

namespace vel {
namespace {

FileSystemCalls realCalls;
FileSystemCalls* installed = nullptr;

}  // namespace

int FileSystemCalls::open(const char* path, int flags, mode_t mode) {
  return ::open(path, flags, mode);
}

int FileSystemCalls::close(int fd) {
  return ::close(fd);
}

int FileSystemCalls::fstat(int fd, struct stat* info) {
  return ::fstat(fd, info);
}

ssize_t FileSystemCalls::pread(int fd, void* buffer, size_t count, off_t offset) {
  return ::pread(fd, buffer, count, offset);
}

ssize_t FileSystemCalls::pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  return ::pwrite(fd, buffer, count, offset);
}

int FileSystemCalls::ftruncate(int fd, off_t size) {
  return ::ftruncate(fd, size);
}

int FileSystemCalls::fsync(int fd) {
  return ::fsync(fd);
}

int FileSystemCalls::flock(int fd, int operation) {
  return ::flock(fd, operation);
}

int FileSystemCalls::unlink(const char* path) {
  return ::unlink(path);
}

int FileSystemCalls::rename(const char* from, const char* to) {
  return ::rename(from, to);
}

int FileSystemCalls::mkdir(const char* path, mode_t mode) {
  return ::mkdir(path, mode);
}

int FileSystemCalls::stat(const char* path, struct stat* info) {
  return ::stat(path, info);
}

int FileSystemCalls::lstat(const char* path, struct stat* info) {
  return ::lstat(path, info);
}

int FileSystemCalls::fchmod(int fd, mode_t mode) {
  return ::fchmod(fd, mode);
}

FileSystemCalls& fileSystemCalls() {
  return installed != nullptr ? *installed : realCalls;
}

void setFileSystemCalls(FileSystemCalls* calls) {
  installed = calls;
}

}  // namespace vel
