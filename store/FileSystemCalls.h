// The system calls the image file, its journal and the snapshot folder make,
// behind one small interface: the real ones by default, and in tests ones
// that fail or stop at a chosen call, or that keep the files in memory
// (store/MemoryFileSystem.h: the fuzzers, the power-cut tests, and a
// snapshot read without touching a disk).
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace vel {

struct FileSystemCalls {
  virtual ~FileSystemCalls() = default;
  // Each answers as the system call of its name does (-1 and errno on failure).
  virtual int open(const char* path, int flags, mode_t mode);
  virtual int close(int fd);
  virtual int fstat(int fd, struct stat* info);
  virtual ssize_t pread(int fd, void* buffer, size_t count, off_t offset);
  virtual ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset);
  virtual int ftruncate(int fd, off_t size);
  virtual int fsync(int fd);
  virtual int flock(int fd, int operation);
  virtual int unlink(const char* path);
  virtual int rename(const char* from, const char* to);
  virtual int mkdir(const char* path, mode_t mode);
  virtual int stat(const char* path, struct stat* info);
  virtual int lstat(const char* path, struct stat* info);
  virtual int fchmod(int fd, mode_t mode);
};

// The calls image files opened from now on use.
FileSystemCalls& fileSystemCalls();
// Installs other calls; nullptr brings back the real ones. The caller keeps
// them alive while any image file opened with them is open.
void setFileSystemCalls(FileSystemCalls* calls);

}  // namespace vel
