// The image file on the card: one open descriptor, every transfer checked.
//
// The file is read a 256-byte sector at a time, each sector at most once
// while it stays open; writes change an in-memory copy of the sectors they
// touch, which reads see; commit() makes them one all-or-nothing change of
// the file through a rollback journal beside it (store/RollbackJournal.h).
// Nothing reaches the file but through commit().
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/FileSystemCalls.h"
#include "store/RollbackJournal.h"

namespace vel {

// A location in the image: file position = page * 65536 + offset.
struct ImageAddress {
  uint8_t page = 0;
  uint16_t offset = 0;
};
constexpr long long filePosition(ImageAddress a) {
  return a.page * 65536LL + a.offset;
}

constexpr int kTransferBytes = 256;  // the most one transfer moves
// The most of an image the store can address (page 0 to 255, 64 KiB each):
// no image, snapshot or restore is ever larger.
constexpr long long kMaxImageBytes = 256LL * 65536;

class ImageFile {
 public:
  ImageFile() = default;
  ~ImageFile();
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  // Opens an existing regular file in place, for reading and writing, or for
  // reading only when the file or its file system refuses writing (a
  // write-protected card); never creates it. Every call goes through `calls`,
  // which must outlive the open file.
  bool open(const std::string& path, FileSystemCalls& calls = fileSystemCalls());
  // False when the file was opened for reading only; readOnlyError() then
  // tells why writing was refused (EROFS, EACCES, EPERM).
  bool writable() const { return writable_; }
  int readOnlyError() const { return readOnlyError_; }
  // How many names the file has in its file system; 0 once removed.
  int linkCount();
  // The file's permission bits.
  mode_t mode() const { return mode_; }
  // Drops what was not committed, then closes, which lets go of the lock.
  void close();
  bool isOpen() const { return fd_ >= 0; }
  // The open descriptor, -1 when none is open.
  int descriptor() const { return fd_; }

  // count 0 means 256. False when no image is open, positioning fails or fewer
  // bytes were moved; a short read fills the rest of the buffer with 0.
  bool read(ImageAddress address, uint8_t count, uint8_t* buffer);
  bool write(ImageAddress address, uint8_t count, const uint8_t* buffer);
  // Size of the open file in bytes with the pending writes, -1 when none is open.
  long long size() const;
  // The whole file as reads see it (with the pending writes), in one read of
  // the file. False when no image is open, the read fails or the
  // file is larger than kMaxImageBytes.
  bool readWhole(std::vector<uint8_t>& bytes);

  // --- Exclusive use ------------------------------------------------------------
  // Takes an advisory lock on the file that other programs see (flock), held
  // until close; waits up to `wait` for a program that holds it. False when it
  // is still held then. A file system without such locks is used unlocked.
  bool lockExclusive(std::chrono::milliseconds wait);

  // --- Transactions --------------------------------------------------------------
  const std::string& journalPath() const { return journalPath_; }

  enum class Recovery {
    kNone,
    kRestored,       // put back into the image, forced, and removed
    kDiscarded,      // not whole: never finished, the image never touched; removed
    kSetAside,       // overtaken by another writer: renamed (setAsidePath), not applied
    kShownAsBefore,  // may not write: reads see the image as before the change
    kOvertaken,      // may not write, and overtaken: reads see the image as it is
    kFailed,         // it could not be read, applied, removed or set aside
  };
  // A journal beside the image (under its name, or the one earlier versions
  // gave it) is a change cut short. It is put back only while every sector
  // it names still holds what the change found there or what it was
  // writing: a sector that holds anything else was written since by another
  // writer that knows nothing of journals (the instrument), and putting the
  // journal back would undo that. When mayWrite is false (a write-protected
  // card) nothing on the card changes: a journal that could be put back is
  // only shown.
  Recovery recoverJournal(bool mayWrite = true);
  const std::string& setAsidePath() const { return setAsidePath_; }

  bool hasPendingChanges() const { return !originals_.empty(); }
  // A read of the file failed since the last commit or rollback: what the
  // store read may be wrong, so the next commit fails.
  bool ioFailed() const { return failed_; }
  // Original bytes of the touched sectors to the journal, forced; each changed
  // sector written once (adjacent ones in one write); the image forced; the
  // journal deleted. On any failure before the journal is deleted, or after a
  // failed read, the image is put back, the cache dropped, and the answer is
  // false. Once the journal is deleted the change is on the card: should its
  // folder then not be forced, the answer is still true, and
  // commitUnconfirmed() tells it.
  bool commit();
  bool commitUnconfirmed() const { return unconfirmed_; }
  // Drops the pending writes and every cached sector.
  void rollback();

 private:
  using Sector = SectorBytes;

  Sector* cachedSector(uint32_t index);
  bool readAll(int fd, uint8_t* buffer, size_t count, long long position, size_t& got);
  bool writeAll(int fd, const uint8_t* bytes, size_t count, long long position);
  bool writeChangedSectors();
  bool putBackOriginals();
  bool writeJournal(const std::vector<uint8_t>& bytes);
  bool removeJournal(const std::string& path);
  bool syncFolder();
  enum class Found { kNone, kRead, kNotOurs, kFailed };
  Found readJournal(const std::string& path, std::vector<uint8_t>& bytes);
  bool overtaken(const RollbackJournal& journal);
  Recovery setAside(const std::string& path);
  Recovery recoverFrom(const std::string& path, bool mayWrite);

  FileSystemCalls* calls_ = nullptr;
  int fd_ = -1;
  bool writable_ = false;
  int readOnlyError_ = 0;
  mode_t mode_ = 0644;  // the image's permission bits, which its journal takes
  std::string imagePath_;
  std::string journalPath_;
  std::string setAsidePath_;
  bool unconfirmed_ = false;
  // The sectors read so far as the transaction sees them, the touched ones as
  // they were before it, and the file's size on the card and as the
  // transaction sees it.
  std::unordered_map<uint32_t, Sector> cache_;
  std::map<uint32_t, Sector> originals_;
  // A journal that may not be put back on the card: its sectors as reads see them.
  std::unordered_map<uint32_t, Sector> shownBefore_;
  long long fileSize_ = 0;
  long long size_ = 0;
  bool failed_ = false;  // a read failed since the last commit or rollback
};

}  // namespace vel
