// Files and folders kept in memory behind FileSystemCalls: the fuzzers' card,
// a snapshot read without touching a disk, and the power-cut tests.
//
// It keeps what a disk keeps: what each file holds now and what it held when
// it was last forced (fsync), and for each folder the names it holds now and
// those it held when it was last forced. A power cut (cutPowerAt, then
// losePower) loses what was not forced, in any way the rules of POSIX file
// systems allow: each piece of 512 bytes written to a file since its fsync
// may or may not be there, and the names made or removed in a folder since
// its fsync are kept up to some point in the order they were made (as a file
// system's journal keeps them). Symlinks do not exist here.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "store/FileSystemCalls.h"

namespace vel {

// Thrown at the call at which the power goes off.
struct PowerCut {};

class MemoryFileSystem : public FileSystemCalls {
 public:
  MemoryFileSystem();
  // A copy whose files and folders are its own, in the same state.
  MemoryFileSystem(const MemoryFileSystem& other);
  MemoryFileSystem& operator=(const MemoryFileSystem& other);

  // --- Setting up and looking in (absolute paths; folders made as needed; all forced) ---
  void putFile(const std::string& path, std::span<const uint8_t> bytes, long long size = -1);
  bool exists(const std::string& path) const;
  // The file as the running system sees it; nothing when there is none.
  std::optional<std::vector<uint8_t>> contents(const std::string& path) const;
  // Forces every file and folder, as a clean shutdown would.
  void syncAll();
  // Off: nothing is told apart from what was forced (no copy is kept), which
  // is all the fuzzers need and quicker.
  void setTrackDurability(bool track) { trackDurability_ = track; }

  // --- Power cuts -------------------------------------------------------------------
  // The calls that change what is on the disk (pwrite, ftruncate, fsync, an
  // open that creates, unlink, rename, mkdir), counted from the start.
  int changingCalls() const { return changingCalls_; }
  // The `call`-th changing call from now does not happen: it throws PowerCut,
  // and every call after it fails with EIO. 0: no cut.
  void cutPowerAt(int call);
  bool powerIsOff() const { return off_; }
  // What the disk holds once the power is back: everything not forced is
  // kept or lost as `random` decides. Every descriptor is closed.
  void losePower(std::mt19937& random);

  // --- The calls ----------------------------------------------------------------------
  int open(const char* path, int flags, mode_t mode) override;
  int close(int fd) override;
  int fstat(int fd, struct stat* info) override;
  ssize_t pread(int fd, void* buffer, size_t count, off_t offset) override;
  ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) override;
  int ftruncate(int fd, off_t size) override;
  int fsync(int fd) override;
  int flock(int fd, int operation) override;
  int unlink(const char* path) override;
  int rename(const char* from, const char* to) override;
  int mkdir(const char* path, mode_t mode) override;
  int stat(const char* path, struct stat* info) override;
  int lstat(const char* path, struct stat* info) override;
  int fchmod(int fd, mode_t mode) override;

 private:
  struct Node;
  using NodePtr = std::shared_ptr<Node>;
  // One change of a folder's names, made whole (a rename is one).
  using NameChange = std::vector<std::pair<std::string, NodePtr>>;  // no node: removed
  struct Write {
    long long offset;
    std::vector<uint8_t> bytes;  // empty: the file was cut to `offset` bytes
  };
  struct Node {
    bool folder = false;
    mode_t mode = 0644;
    ino_t inode = 0;
    std::vector<uint8_t> data;     // now
    std::vector<uint8_t> durable;  // on the disk
    std::vector<Write> writes;     // since the last fsync
    std::map<std::string, NodePtr> names;         // now
    std::map<std::string, NodePtr> durableNames;  // on the disk
    std::vector<NameChange> nameChanges;          // since the last fsync
    int lockHolder = -1;
  };
  struct Open {
    NodePtr node;
    bool writable = false;
  };

  // The folder that holds a path and the path's last name; none when a
  // folder on the way is missing.
  std::pair<NodePtr, std::string> parentOf(const std::string& path) const;
  NodePtr find(const std::string& path) const;
  Open* opened(int fd);
  // True (errno EIO) when the power is off; throws at the cut.
  bool failsForPower();
  void changeNames(const NodePtr& folder, NameChange change);
  NodePtr newNode(bool folder, mode_t mode);
  void keep(Node& node) const;
  void copyFrom(const MemoryFileSystem& other);

  NodePtr root_;
  std::map<int, Open> open_;
  int nextFd_ = 1000;
  ino_t nextInode_ = 1;
  int changingCalls_ = 0;
  int cutAt_ = 0;
  bool off_ = false;
  bool trackDurability_ = true;
};

}  // namespace vel
