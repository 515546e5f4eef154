// What one user action does to a card, the same for the desktop program and
// velcard: the one door to the card. Front ends ask it (the summary, the
// lists, a job's records and points) and give it actions, which are values:
// run() keeps a snapshot first when the action removes or overwrites data,
// makes the change, and commits it to the card whole (or rolls it back on
// any failure), all in one place. Every answer is a code with its values
// (card/Outcome.h); the front ends say it in their own words.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "card/Outcome.h"
#include "card/Snapshots.h"
#include "exchange/CoordinateImport.h"
#include "exchange/SurveyPoint.h"
#include "store/FixedValue.h"
#include "store/RecordAreaStore.h"

namespace vel {

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

// What opening found of a change cut short.
enum class JournalFinding {
  kNone,
  kRestored,       // put back: the image is as before that change
  kSetAside,       // the image was written since: nothing put back, the journal kept aside
  kShownAsBefore,  // the image may not be written: it is read as before that change
  kOvertaken,      // the image may not be written, and was written since: read as it is
};

// A model and sector count formatting gives an image.
struct ModelChoice {
  int model = kRX3_8;
  int sectors = kStandardSectors;
};

// --- The actions -------------------------------------------------------------------------
// Empties the record area, as the model recognised or chosen (`as`), or as
// the one an unrecognised image is given.
struct FormatArea {
  std::optional<ModelChoice> as;
};
// A name already on the list, in any letter case, is refused.
struct CreateJob {
  std::string name;
};
// The job's own name counts as taken too.
struct RenameJob {
  JobSlot job;
  std::string name;
};
struct DeleteJob {
  JobPosition job;
};
// Several jobs at once: one snapshot, one change. A position past the list
// names none: the store is left untouched.
struct DeleteJobs {
  std::vector<JobPosition> jobs;
};
struct ClearKnownPoints {};
// A typed point as a PT record.
struct AddPoint {
  JobSlot target;
  std::string name;
  FixedValue n, e, z;
};
// A number past the records names none: refused, saying nothing.
struct DeleteRecord {
  JobSlot target;
  int number = 0;
};
// Several records at once: one snapshot, one change.
struct DeleteRecords {
  JobSlot target;
  std::vector<int> numbers;
};
// The confirmed import grid, stored until the first refusal; the rows stored
// before it stay.
struct ImportRows {
  JobSlot target;
  std::vector<ImportRow> rows;
};
struct AddFeatureCode {
  std::string code;
};
// A position past the list names no code.
struct DeleteFeatureCode {
  int position = 0;
};
// Several codes at once: one snapshot, one change.
struct DeleteFeatureCodes {
  std::vector<int> positions;
};
struct ClearFeatureCodes {};
// Writes a snapshot of `from` back over the image. Refused, with nothing
// written, when the snapshot is of another size or, on a recognised image,
// of another model, or its file is damaged, or it was kept of another card
// and fromOtherCard is not given. The current state is kept as a snapshot first.
struct RestoreSnapshot {
  const SnapshotFolder* from = nullptr;
  Snapshot snapshot;
  bool fromOtherCard = false;
};

using Action =
    std::variant<FormatArea, CreateJob, RenameJob, DeleteJob, DeleteJobs, ClearKnownPoints, AddPoint,
                 DeleteRecord, DeleteRecords, ImportRows, AddFeatureCode, DeleteFeatureCode,
                 DeleteFeatureCodes, ClearFeatureCodes, RestoreSnapshot>;

// The summary of the open image.
struct CardSummary {
  int model = 0;
  int sectors = 0;
  int jobs = 0;
  int knownPoints = 0;
  int capacity = 0;
  int freeRecords = 0;
  int usedPercent = 0;
};

// The job list, as the main window shows it, of the image a snapshot holds
// (read in memory, never from a disk): nothing when its file is damaged or
// gone, an empty list for an image no model recognises (then `recognised`
// is false).
std::optional<std::vector<std::string>> snapshotJobLines(const SnapshotFolder& folder,
                                                         const Snapshot& snapshot,
                                                         bool* recognised = nullptr);

class CardSession {
 public:
  explicit CardSession(Clock clock = localTimeNow) : store_(std::move(clock)) {}

  // Opens the image in place (by the spelling its folder lists), locked
  // against other programs for as long as it stays open, puts it back from
  // the journal of a change cut short (journalFinding()), and recognises its
  // model. An image detection does not recognise is formatted only when it
  // may be changed and askToFormat is given and answers true. An image that
  // cannot or must not be changed is opened for reading (changeRefusal()).
  // Any image open before is closed first (dropping what was not finished).
  OpenStatus open(const std::string& path, const std::function<bool()>& askToFormat = {});
  void close() { store_.closeImage(); }
  bool isOpen() const { return store_.isOpen(); }
  // The open image, by the spelling its folder lists.
  const std::string& imagePath() const { return imagePath_; }
  // The system's error number of the last open that failed.
  int openError() const { return openError_; }
  // How long open waits for another program to let go of the image; 0 (the
  // default) refuses at once.
  void setLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }
  // True when the open image's path no longer leads to the file that was
  // opened: the card was pulled out or unmounted, or the file removed or
  // replaced. Its changes then go nowhere the user will find them.
  bool imageGone() const;
  JournalFinding journalFinding() const { return journalFinding_; }
  bool restoredFromJournal() const { return journalFinding_ == JournalFinding::kRestored; }
  // Where a journal that was set aside now lies, and where the image's is.
  const std::string& journalSetAsidePath() const { return journalSetAsidePath_; }
  const std::string& journalPath() const { return store_.imageFile().journalPath(); }
  // Whether the open image's model is recognised now (its tables are loaded).
  bool recognised() const { return recognised_; }

  // --- Actions ---------------------------------------------------------------------------
  // Runs one action as one transaction, refused at once (kNotAllowed) when
  // the image takes no change. A failed action leaves the image and the
  // session's tables as they were before it.
  Outcome run(const Action& action);

  // --- Changes allowed -------------------------------------------------------------------
  ChangeRefusal changeRefusal() const { return changeRefusal_; }
  // Whether the image takes changes: what a front end asks before it asks
  // the user anything.
  bool changesAllowed() const { return changeRefusal_ == ChangeRefusal::kNone; }
  SizeMisfit sizeMisfit() const;
  // The refusal that awaits any entry into a target that holds 3072 records
  // already; kNone when there is room.
  Refusal roomForEntry(JobSlot target);

  // --- Snapshots -------------------------------------------------------------------------
  // Where the actions keep their snapshots; none (the default) keeps none.
  void setSnapshotFolder(SnapshotFolder* folder) { snapshots_ = folder; }
  SnapshotFolder* snapshotFolder() const { return snapshots_; }
  // The open image's file name, under which its snapshots are listed.
  const std::string& imageName() const { return imageName_; }
  // The card and folder the image lies in, as its snapshots record them.
  const ImageOrigin& origin() const { return origin_; }
  // Keeps a snapshot of the image as it is now (the user asked for one);
  // also on a card that takes no change.
  Outcome backUp();
  // Whether the snapshot has the open image's size and, when the image is
  // recognised, its model: what a restore asks before anything else.
  bool snapshotFits(const Snapshot& snapshot) const;

  // --- Queries, as bytes of the card -----------------------------------------------------
  CardSummary summary();
  std::vector<std::string> jobLines();
  std::vector<std::string> knownPointLines();
  std::vector<std::string> featureCodes();
  // One line per record; a record the store cannot deliver reads as
  // "Unknown Record", so that line i stays record i.
  std::vector<std::string> recordLines(JobSlot job);
  // One point per record with coordinates, in record order: PT, CRD, STN
  // and BS records of a job, or the points of the known-point file.
  std::vector<SurveyPoint> points(JobSlot job);

  int jobCount() const { return store_.jobCount(); }
  JobSlot jobAt(JobPosition position) const { return JobSlot{store_.jobSlotAt(position.value)}; }
  // A name looked up as the instrument does, in any letter case.
  std::optional<JobPosition> findJob(std::string_view name);
  // The instrument's current job, when it is one of the list.
  std::optional<JobPosition> currentJob() const;
  JobSlot knownPointFile() const { return JobSlot{store_.knownPointFile()}; }
  bool isKnownPointFile(JobSlot job) const { return job.value == store_.knownPointFile(); }
  std::string jobName(JobSlot job) { return store_.jobName(job.value); }
  int recordCount(JobSlot job) { return store_.recordCount(job.value); }
  // The point name of a record, "" when there is none.
  std::string pointName(JobSlot job, int number) {
    return store_.recordPointName(job.value, number);
  }

 private:
  OpenStatus unreadable();
  // The image size the model of the state (recognised, chosen, or the one
  // formatting would give an unrecognised image) has.
  long long modelImageSize() const;
  void reloadTables();
  SnapshotContents contents();
  // Keeps a snapshot labelled as the action about to run; done when no
  // folder is set.
  Outcome keepSnapshot(ActionLabel label);
  // Appends one record; the store's refusals become their codes.
  Outcome appendRecord(JobSlot target, const uint8_t* record);
  Outcome fromStore(uint8_t result, Refusal refusal = Refusal::kNothingThere);

  Outcome apply(const FormatArea& action);
  Outcome apply(const CreateJob& action);
  Outcome apply(const RenameJob& action);
  Outcome apply(const DeleteJob& action);
  Outcome apply(const DeleteJobs& action);
  Outcome apply(const ClearKnownPoints& action);
  Outcome apply(const AddPoint& action);
  Outcome apply(const DeleteRecord& action);
  Outcome apply(const DeleteRecords& action);
  Outcome apply(const ImportRows& action);
  Outcome apply(const AddFeatureCode& action);
  Outcome apply(const DeleteFeatureCode& action);
  Outcome apply(const DeleteFeatureCodes& action);
  Outcome apply(const ClearFeatureCodes& action);
  Outcome apply(const RestoreSnapshot& action);

  RecordAreaStore store_;
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
