// What one user action does to a card, the same for the desktop program and
// velcard: opening and recognising an image, the jobs with their duplicate
// rules, points with the room checks, the feature codes, the import of
// confirmed rows, and the listings. Each action answers with a CardResult
// whose refusal text is the program's own (records/MessageTexts.h); the front
// end only shows it.
//
// Each user action is one transaction: its writes stay in memory until
// finish() commits them to the card as one all-or-nothing change (the image
// file's journaled mode, store/ImageFile.h). An action whose writes fail is
// rolled back before it answers, and a refusal writes nothing, so what a
// finish() commits is only ever what the actions since the last one did.
//
// Each action that removes or overwrites data first keeps a snapshot of the
// whole image (card/Snapshots.h) when a snapshot folder is set; a snapshot
// that cannot be kept stops the action before it writes anything.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "card/Snapshots.h"
#include "exchange/CoordinateImport.h"
#include "store/FixedValue.h"
#include "store/RecordAreaStore.h"

namespace vel {

struct CardResult {
  // kNotBackedUp: the snapshot before the action could not be kept, so the
  // action was not done; the message says why. kNotAllowed: the image takes
  // no change at all (CardSession::changeRefusal() says why).
  enum Status { kDone, kRefused, kWriteFailed, kNotBackedUp, kNotAllowed };
  Status status = kDone;
  // The refusal's text (UTF-8) for the popup; may be empty: the front end
  // then says nothing.
  std::string message;
  // What a done action produced: the new job's slot, the new code's slot.
  uint8_t value = 0;
  // A commit that is done, but whose last step the card did not confirm
  // (ImageFile::commitUnconfirmed): the front end warns.
  bool unconfirmed = false;

  bool done() const { return status == kDone; }
  bool notAllowed() const { return status == kNotAllowed; }
  bool notBackedUp() const { return status == kNotBackedUp; }
  bool writeFailed() const { return status == kWriteFailed; }
  static CardResult ok(uint8_t value = 0) { return {kDone, {}, value}; }
  static CardResult refused(std::string message = {}) { return {kRefused, std::move(message)}; }
  static CardResult failed() { return {kWriteFailed, {}}; }
};

// How opening an image ended.
enum class OpenStatus {
  kLoaded,         // recognised (or formatted on request) and its tables loaded
  kMissing,        // no such file, not a regular file, or not readable
  kInUse,          // another program has it open
  kNotRecognised,  // detection did not recognise it and it was not formatted
  // Formatting it, or putting it back from its journal, did not reach the
  // card, or the card could not be read (then it is closed; openError() is EIO).
  kWriteFailed,
};

// Why an open image takes no change; it is read all the same.
enum class ChangeRefusal {
  kNone,
  kWriteProtected,    // the file or its file system cannot be written (a locked card)
  kHardLinked,        // the file has more than one name
  kLinkLeavesFolder,  // named through a symlink to a file in another folder
  kSizeMisfit,        // its size is not its model's (sizeMisfit() tells both)
};

// What opening found of a change cut short.
enum class JournalFinding {
  kNone,
  kRestored,       // put back: the image is as before that change
  kSetAside,       // the image was written since: nothing put back, the journal kept aside
  kShownAsBefore,  // the image may not be written: it is read as before that change
  kOvertaken,      // the image may not be written, and was written since: read as it is
};

// The job list, as the main window shows it, of the image a snapshot holds:
// nothing when its file is damaged or gone, an empty list for an image no
// model recognises (then `recognised` is false).
std::optional<std::vector<std::string>> snapshotJobLines(const SnapshotFolder& folder,
                                                         const Snapshot& snapshot,
                                                         bool* recognised = nullptr);

class CardSession {
 public:
  explicit CardSession(RecordAreaStore& store) : store_(store) {}

  RecordAreaStore& store() { return store_; }
  const RecordAreaStore& store() const { return store_; }

  // Opens the image in place (by the spelling its folder lists), locked
  // against other programs for as long as it stays open, puts it back from
  // the journal of a change cut short (journalFinding()), and recognises its
  // model. An image detection does not recognise is formatted only when it
  // may be changed and askToFormat is given and answers true. An image that
  // cannot or must not be changed is opened for reading (changeRefusal()).
  // Any image open before is closed first (dropping what was not finished).
  OpenStatus open(const std::string& path, const std::function<bool()>& askToFormat = {});
  void close() { store_.closeImage(); }
  // The system's error number of the last open that failed.
  int openError() const { return openError_; }
  // How long open waits for another program to let go of the image; 0 (the
  // default) refuses at once.
  void setLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }
  // True when the open image's path no longer leads to the file that was
  // opened: the card was pulled out or unmounted, or the file removed or
  // replaced. Its changes then go nowhere the user will find them.
  bool imageGone() const;
  // True when the last open found an interrupted change and put the image
  // back as it was before it.
  bool restoredFromJournal() const { return journalFinding_ == JournalFinding::kRestored; }
  JournalFinding journalFinding() const { return journalFinding_; }
  // Where a journal that was set aside now lies.
  const std::string& journalSetAsidePath() const { return journalSetAsidePath_; }

  // --- Changes allowed ----------------------------------------------------------------
  ChangeRefusal changeRefusal() const { return changeRefusal_; }
  // Done when the open image takes changes, else kNotAllowed; every action
  // that changes the image asks it first, and so may a front end before it
  // asks the user anything.
  CardResult checkChangesAllowed() const;
  struct SizeMisfit {
    long long size = 0;      // the file's bytes
    int model = 0;           // the model it was recognised as, or would be formatted as
    long long expected = 0;  // that model's image size
  };
  SizeMisfit sizeMisfit() const;
  // The card and folder the image lies in, as its snapshots record them.
  const ImageOrigin& origin() const { return origin_; }

  // Empties the record area (the model settled by detection, or chosen for
  // an unrecognised image).
  CardResult format();
  // Commits what the action wrote: on the card whole, or not at all. When the
  // commit fails, the image is as before the action, the store's tables are
  // read again from it, and the answer is kWriteFailed.
  CardResult finish();
  // Drops what the action wrote and reads the tables again.
  void rollback();
  bool hasPendingChanges() const { return store_.imageFile().hasPendingChanges(); }

  // --- Snapshots -------------------------------------------------------------------
  // Where the actions keep their snapshots; none (the default) keeps none.
  void setSnapshotFolder(SnapshotFolder* folder) { snapshots_ = folder; }
  SnapshotFolder* snapshotFolder() const { return snapshots_; }
  // The open image's file name, under which its snapshots are listed.
  const std::string& imageName() const { return imageName_; }
  // Keeps a snapshot of the image as the action about to run finds it,
  // labelled with the action (UTF-8). Done at once when no folder is set.
  CardResult keepSnapshot(std::string action);
  // The jobs with their record counts, the known points and the codes, in
  // one line (UTF-8).
  std::string summary();
  // Writes a snapshot of `from` back over the open image and reads its
  // tables (finish() commits it). Refused, with nothing written, when the
  // snapshot is of another size or, on a recognised image, of another model,
  // or its file is damaged, or it was kept of another card and
  // fromOtherCard is not given. The current state is kept as a snapshot first.
  CardResult restore(const SnapshotFolder& from, const Snapshot& snapshot,
                     bool fromOtherCard = false);
  // Whether the snapshot has the open image's size and, when the image is
  // recognised, its model: what restore asks before anything else.
  bool snapshotFits(const Snapshot& snapshot) const;

  // --- Jobs ---------------------------------------------------------------------
  // A name already on the list, in any letter case, is refused.
  CardResult createJob(std::string_view name);
  // The job's own name counts as taken too.
  CardResult renameJob(uint8_t slot, std::string_view name);
  CardResult deleteJob(int position);
  CardResult clearKnownPoints();

  // --- Points -------------------------------------------------------------------
  // Refuses before any entry into a job or the known-point file that holds
  // 3072 records already.
  CardResult checkRoomForEntry(uint8_t slot);
  // Appends one record; the store's refusals become their texts.
  CardResult appendRecord(uint8_t slot, const uint8_t* record);
  // A typed point as a PT record.
  CardResult addPoint(uint8_t slot, std::string_view name, FixedValue n, FixedValue e,
                      FixedValue z);
  CardResult deleteRecord(uint8_t slot, int number);

  // The confirmed grid of the import stored into the target until the first
  // refusal; rows stored before it stay (for finish() to commit). A failed
  // write drops them all.
  struct ImportOutcome {
    uint8_t confirmed = 0;  // storeImportRows' answer: 0 when row 1 itself was refused
    CardResult stop;        // the refusal or failure that stopped it, else done
  };
  ImportOutcome importRows(const std::vector<ImportRow>& rows, uint8_t target);
  // The snapshot an import into the target keeps before its first row.
  CardResult keepImportSnapshot(uint8_t target);

  // --- Feature codes ---------------------------------------------------------------
  CardResult addFeatureCode(std::string_view code);
  // A position past the list names no code.
  CardResult deleteFeatureCode(int position);
  CardResult clearFeatureCodes();

  // --- Listings, as bytes of the card ------------------------------------------------
  std::vector<std::string> jobLines();
  std::vector<std::string> knownPointLines();
  std::vector<std::string> featureCodes();
  // One line per record; a record the store cannot deliver reads as
  // "Unknown Record", so that line i stays record i.
  std::vector<std::string> recordLines(uint8_t slot);

  bool isKnownPointFile(uint8_t slot) const { return slot == store_.knownPointFile(); }
  // Whether the open image's model is recognised now (its tables are loaded).
  bool recognised() const { return recognised_; }

 private:
  OpenStatus unreadable();
  CardResult notAllowed(ChangeRefusal why);
  // The image size the model of the state (recognised, chosen, or the one
  // formatting would give an unrecognised image) has.
  long long modelImageSize() const;
  // Rolls the action back and answers kWriteFailed.
  CardResult failedAction();
  CardResult fromStore(uint8_t result, std::string refusal = {});
  void reloadTables();

  RecordAreaStore& store_;
  int openError_ = 0;
  std::chrono::milliseconds lockWait_{0};
  JournalFinding journalFinding_ = JournalFinding::kNone;
  std::string journalSetAsidePath_;
  ChangeRefusal changeRefusal_ = ChangeRefusal::kNone;
  ImageOrigin origin_;
  SnapshotFolder* snapshots_ = nullptr;
  std::string imageName_;
  std::string imagePath_;
  bool recognised_ = false;
};

}  // namespace vel
