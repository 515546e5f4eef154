// Copies of a whole image kept on the computer before every action that
// removes or overwrites data, so that any of them can be put back.
//
// One folder, shared by the desktop program and velcard, holds one gzip file
// per snapshot (gunzip gives back the image's exact bytes) and an index,
// index.txt, with one line per snapshot, oldest first: what a user needs to
// tell snapshots and cards apart, and what a restore must check. The folder
// keeps the newest 100 snapshots of each image (its name on its card) and
// 200 MB in all.
//
// Every file call goes through FileSystemCalls (store/FileSystemCalls.h), as
// the image's own do, so that failures and power cuts are tested alike. No
// file is made through a symlink or over a name that is taken, and nothing
// listed is lost by a failure: an index that cannot be read stops the
// action, and old snapshots are removed only once the new index is safely
// in place.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vel {

// What a snapshot was kept before, as a code with its values (UTF-8), so
// that each front end says it in its own words.
enum class SnapshotAction : uint8_t {
  kUnknown,            // a line of an earlier version: only its words (Snapshot::action) are known
  kFormat,             //
  kDeleteJob,          // job
  kRenameJob,          // old name, new name
  kDeleteRecord,       // job, record number from 1
  kDeleteKnownPoint,   // point
  kClearKnownPoints,   //
  kDeleteCode,         // code
  kClearCodes,         //
  kImportJob,          // job
  kImportKnownPoints,  //
  kRestore,            // the restored snapshot's time, as snapshotTimeText gives it
  kManual,             //
  kDeleteRecords,      // job, how many
  kDeleteJobs,         // how many
  kDeleteCodes,        // how many
};
struct ActionLabel {
  ActionLabel(SnapshotAction action = SnapshotAction::kUnknown,
              std::vector<std::string> values = {})
      : action(action), values(std::move(values)) {}
  SnapshotAction action;
  std::vector<std::string> values;
  bool operator==(const ActionLabel&) const = default;
};

// What the image held: its jobs with their record counts, its known points
// and codes (names UTF-8). Lines of earlier versions hold only words
// (Snapshot::summary): then `recorded` is false.
struct SnapshotContents {
  bool recorded = false;
  bool recognised = false;
  std::vector<std::pair<std::string, int>> jobs;
  int knownPoints = 0;
  int codes = 0;
  bool operator==(const SnapshotContents&) const = default;
};

// Why a snapshot could not be kept.
struct SnapshotFailure {
  enum class Reason {
    kNone,  // it was kept
    kDiskFull,
    kNoPermission,
    kNameTaken,        // a name it needed is taken (or is a link)
    kFolderInUse,      // another program holds the folder for longer than the wait
    kSystemError,      // `error` says what
    kIndexUnreadable,  // the index is there but cannot be read (`index`, `error`)
    kImageTooLarge,    // more than the store can address
    kImageSizeMisfit,  // larger than its model's image
  };
  Reason reason = Reason::kNone;
  std::string folder;
  std::string index;
  int error = 0;
  bool kept() const { return reason == Reason::kNone; }
};

struct Snapshot {
  std::string file;           // the gzip file's name in the folder
  int64_t time = 0;           // when it was taken: seconds since 1970 (UTC)
  std::string imageName;      // the image's file name, without its folder
  std::string model;          // "RX3-8" ..., empty for an image no model recognised
  long long imageSize = 0;    // bytes of the image
  uint64_t checksum = 0;      // FNV-1a 64 of the image's bytes
  long long storedSize = 0;   // bytes of the gzip file
  ActionLabel label;          // what was about to happen
  SnapshotContents contents;  // what the image held
  // The words earlier versions kept instead of a label and contents (UTF-8).
  std::string action;
  std::string summary;
  // The card the image was on (ImageOrigin::card), empty for snapshots kept
  // before cards were told apart, and where that was, as the lists show it.
  std::string card;
  std::string place;
};

// Where an image lies, telling two cards with the same image name apart:
// the file system's volume (its UUID when the system knows one, else its
// mount point) and the folder within it.
struct ImageOrigin {
  std::string card;   // e.g. "uuid:1234-ABCD:/VEL", or "path:/home/me/cards"
  std::string place;  // e.g. "SURVEY (1234-ABCD) /VEL", or "/home/me/cards"
};
ImageOrigin imageOrigin(const std::filesystem::path& image);

// Whether a snapshot was kept of the image on this card (or before cards
// were told apart, when nobody knows).
inline bool fromCard(const Snapshot& snapshot, const std::string& card) {
  return snapshot.card.empty() || snapshot.card == card;
}

struct SnapshotLimits {
  size_t perImage = 100;                   // snapshots kept of one image name
  long long totalBytes = 200LL * 1000000;  // gzip bytes kept in all
};

class SnapshotFolder {
 public:
  explicit SnapshotFolder(std::filesystem::path folder, SnapshotLimits limits = {});

  const std::filesystem::path& path() const { return folder_; }
  // How long keep() waits for another program that is keeping one.
  void setLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

  // Keeps `image` as the newest snapshot of about.imageName on about.card,
  // labelled with about's time, model, label, contents and place (its file,
  // size, checksum and stored size are settled here), in a file with the
  // permission bits `mode`, then removes the oldest past the limits. The
  // same bytes as that image's newest snapshot are not stored again, as long
  // as that snapshot's file is whole. Answers why when the snapshot could not
  // be written whole, in which case nothing of it is left.
  SnapshotFailure keep(std::span<const uint8_t> image, Snapshot about, mode_t mode = 0600);

  // The snapshots of an image name, newest first: of every card, or of one
  // (fromCard). Index lines that are damaged, or whose file is gone, are
  // left out.
  std::vector<Snapshot> list(const std::string& imageName) const;
  std::vector<Snapshot> list(const std::string& imageName, const std::string& card) const;
  // Every snapshot the index lists, oldest first.
  std::vector<Snapshot> all() const;

  // Writes the image a snapshot holds into a new file (never over one, nor
  // through a link), forced to the disk. 0 when done; else the reason as an
  // error number, EBADMSG for a snapshot that cannot be read back whole;
  // nothing is left behind then.
  int restoreToNewFile(const Snapshot& snapshot, const std::filesystem::path& path) const;

  // The image bytes a snapshot holds: nothing when its file cannot be read,
  // is no gzip, or does not give back the size and checksum the index holds.
  std::optional<std::vector<uint8_t>> load(const Snapshot& snapshot) const;

 private:
  std::filesystem::path folder_;
  SnapshotLimits limits_;
  std::chrono::milliseconds lockWait_{std::chrono::seconds(10)};
};

// Where snapshots are kept: $VEL_BACKUP_DIR when set, else
// $XDG_DATA_HOME/vel-reader/backups, else ~/.local/share/vel-reader/backups.
std::filesystem::path defaultSnapshotFolder();

// A snapshot's time as the lists show it: "YYYY-MM-DD HH:MM:SS", local time.
std::string snapshotTimeText(int64_t time);

// gzip of bytes, and back. gunzipBytes gives nothing for what is not one
// whole gzip stream of at most `limit` bytes.
std::vector<uint8_t> gzipBytes(std::span<const uint8_t> bytes);
std::optional<std::vector<uint8_t>> gunzipBytes(std::span<const uint8_t> gzip, size_t limit);

}  // namespace vel
