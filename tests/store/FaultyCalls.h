// The image file's system calls, counted, with one of them made to fail or to
// end the program at a chosen count: the N-th write, positioning or fsync, for
// the tests that every change is all or nothing.
#pragma once

#include <string>
#include <utility>

#include "store/FileSystemCalls.h"

namespace vel::test {

// The unit a disk writes whole: a write cut short keeps whole ones only.
constexpr off_t kDeviceSector = 512;

enum class Fault {
  kNone,
  kWrite,        // the N-th pwrite moves up to half its bytes, then fails (EIO)
  kPositioning,  // the N-th pread, pwrite or ftruncate fails before moving anything (EINVAL)
  kFsync,        // the N-th fsync fails (EIO)
  kCrash,        // the N-th pwrite moves up to half its bytes, then the program ends
};
const char* faultName(Fault fault);

// Thrown where the program ends; from then on nothing reaches the files.
struct SimulatedCrash {};

class FaultyCalls : public FileSystemCalls {
 public:
  explicit FaultyCalls(Fault fault = Fault::kNone, int at = 0) : fault_(fault), at_(at) {}

  int writes() const { return writes_; }
  int positionings() const { return positionings_; }
  int syncs() const { return syncs_; }
  int reads() const { return reads_; }
  // How many calls the fault counts.
  int countOf(Fault fault) const;
  bool fired() const { return fired_; }

  int open(const char* path, int flags, mode_t mode) override;
  ssize_t pread(int fd, void* buffer, size_t count, off_t offset) override;
  ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) override;
  int ftruncate(int fd, off_t size) override;
  int fsync(int fd) override;
  int unlink(const char* path) override;

 private:
  bool strikes(Fault kind, int count);

  Fault fault_;
  int at_;
  int writes_ = 0;
  int positionings_ = 0;
  int syncs_ = 0;
  int reads_ = 0;
  bool fired_ = false;
  bool crashed_ = false;
};

// A card with its lock switch on: the file system refuses every write, and
// every new file, below the folder.
struct WriteProtectedCard : FileSystemCalls {
  explicit WriteProtectedCard(std::string folder) : folder_(std::move(folder)) {}
  int open(const char* path, int flags, mode_t mode) override;
  std::string folder_;
};

// Installs calls for as long as the object lives.
class InstalledCalls {
 public:
  explicit InstalledCalls(FileSystemCalls& calls) { setFileSystemCalls(&calls); }
  ~InstalledCalls() { setFileSystemCalls(nullptr); }
  InstalledCalls(const InstalledCalls&) = delete;
  InstalledCalls& operator=(const InstalledCalls&) = delete;
};

}  // namespace vel::test
