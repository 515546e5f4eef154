#include "card/CardSession.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>

#include "card/ImageFileAccess.h"
#include "card/UsedCapacity.h"
#include "records/ListLines.h"
#include "records/SurveyRecord.h"
#include "store/Gbk.h"
#include "store/MemoryFileSystem.h"

namespace vel {
namespace {

// The list row of the job at a list position; empty past the list.
std::string jobLineAt(RecordAreaStore& store, int position) {
  const uint8_t slot = store.jobSlotAt(position);
  if (slot >= store.jobLimit()) return {};
  return jobListLine(store.jobEntry(slot), store.entrySize() == DirectoryEntry::kLongBytes,
                     slot == store.currentJob());
}

// Sorts the positions and drops repeats; true when some are left and all of
// them stand in a list of `count`.
bool sortedWithin(std::vector<int>& positions, int count) {
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  return !positions.empty() && positions.front() >= 0 && positions.back() < count;
}

}  // namespace

// --- Opening ---------------------------------------------------------------------------

OpenStatus CardSession::open(const std::string& path, const std::function<bool()>& askToFormat) {
  store_.closeImage();
  journalFinding_ = JournalFinding::kNone;
  journalSetAsidePath_.clear();
  changeRefusal_ = ChangeRefusal::kNone;
  recognised_ = false;
  const std::filesystem::path listed = listedSpelling(path);
  imagePath_ = listed.string();
  imageName_ = listed.filename().string();
  errno = 0;
  if (!store_.openImage(imagePath_)) {
    openError_ = errno;
    return OpenStatus::kMissing;
  }
  ImageFile& file = store_.imageFile();
  if (!file.lockExclusive(lockWait_)) {
    store_.closeImage();
    return OpenStatus::kInUse;
  }
  if (!file.writable()) {
    changeRefusal_ = ChangeRefusal::kWriteProtected;
  } else if (file.linkCount() > 1) {
    changeRefusal_ = ChangeRefusal::kHardLinked;
  } else if (linkLeavesFolder(imagePath_)) {
    changeRefusal_ = ChangeRefusal::kLinkLeavesFolder;
  }
  origin_ = imageOrigin(imagePath_);
  // Before anything is read: the image as it was before a change cut short.
  switch (file.recoverJournal(changesAllowed())) {
    case ImageFile::Recovery::kRestored:
      journalFinding_ = JournalFinding::kRestored;
      break;
    case ImageFile::Recovery::kSetAside:
      journalFinding_ = JournalFinding::kSetAside;
      journalSetAsidePath_ = file.setAsidePath();
      break;
    case ImageFile::Recovery::kShownAsBefore:
      journalFinding_ = JournalFinding::kShownAsBefore;
      break;
    case ImageFile::Recovery::kOvertaken:
      journalFinding_ = JournalFinding::kOvertaken;
      break;
    case ImageFile::Recovery::kFailed:
      return unreadable();
    case ImageFile::Recovery::kNone:
    case ImageFile::Recovery::kDiscarded:
      break;
  }
  if (store_.detectModel() != kModelRecognised) {
    if (file.ioFailed()) return unreadable();
    if (!askToFormat || !changesAllowed() || store_.imageFileSize() != modelImageSize() ||
        !askToFormat()) {
      return OpenStatus::kNotRecognised;
    }
    // A half-written record area is no record area: it stays unloaded.
    if (!run(FormatArea{}).done()) return OpenStatus::kWriteFailed;
  }
  store_.loadTables();
  // Tables that could not be read whole would lead every change astray.
  if (file.ioFailed()) return unreadable();
  recognised_ = true;
  if (changesAllowed() && store_.imageFileSize() != modelImageSize()) {
    changeRefusal_ = ChangeRefusal::kSizeMisfit;
  }
  return OpenStatus::kLoaded;
}

bool CardSession::imageGone() const {
  const int fd = store_.imageFile().descriptor();
  return fd >= 0 && !descriptorIsFile(fd, imagePath_);
}

OpenStatus CardSession::unreadable() {
  openError_ = EIO;
  store_.closeImage();
  return OpenStatus::kWriteFailed;
}

long long CardSession::modelImageSize() const {
  const int sectors =
      store_.modelSettled() ? store_.sectorCount() : store_.modelForUnrecognisedImage().second;
  return sectors * kSectorSize;
}

SizeMisfit CardSession::sizeMisfit() const {
  const int model =
      store_.modelSettled() ? store_.instrumentModel() : store_.modelForUnrecognisedImage().first;
  return {store_.imageFileSize(), model, modelImageSize()};
}

void CardSession::reloadTables() {
  // The image as it is on the card: its own model and tables again.
  recognised_ = store_.isOpen() && store_.detectModel() == kModelRecognised;
  if (recognised_) store_.loadTables();
}

// --- One action, one transaction ----------------------------------------------------------

Outcome CardSession::run(const Action& action) {
  if (!store_.isOpen()) return Outcome::refusedFor(Refusal::kNothingThere);
  if (!changesAllowed()) {
    Outcome refused = Outcome::of(Outcome::Kind::kNotAllowed);
    refused.notAllowedBecause = changeRefusal_;
    refused.misfit = sizeMisfit();
    return refused;
  }
  Outcome outcome = std::visit([this](const auto& each) { return apply(each); }, action);
  ImageFile& file = store_.imageFile();
  if (outcome.writeFailed() || outcome.notBackedUp() || outcome.notAllowed()) {
    // Nothing of it stays: the image and the tables as before it.
    file.rollback();
    reloadTables();
    return outcome;
  }
  // A refusal may follow what was done before it (the rows of an import).
  if (file.hasPendingChanges()) {
    if (!store_.commitImage()) {
      reloadTables();
      return Outcome::failed();
    }
    outcome.unconfirmed = file.commitUnconfirmed();
  }
  return outcome;
}

Outcome CardSession::fromStore(uint8_t result, Refusal refusal) {
  if (result == kWriteFailed) return Outcome::failed();
  if (result == kDone) return Outcome::ok();
  return Outcome::refusedFor(refusal);
}

Outcome CardSession::apply(const FormatArea& action) {
  if (action.as) store_.useModel(action.as->model, action.as->sectors);
  // Formatting makes the area of a model: the file must have that model's size.
  if (store_.imageFileSize() != modelImageSize()) {
    Outcome refused = Outcome::of(Outcome::Kind::kNotAllowed);
    refused.notAllowedBecause = ChangeRefusal::kSizeMisfit;
    refused.misfit = sizeMisfit();
    return refused;
  }
  if (Outcome kept = keepSnapshot({SnapshotAction::kFormat}); !kept.done()) return kept;
  const Outcome formatted = fromStore(store_.formatRecordArea());
  if (formatted.done()) recognised_ = true;
  return formatted;
}

Outcome CardSession::apply(const CreateJob& action) {
  if (store_.findJob(action.name) != kRefused) {
    return Outcome::refusedFor(Refusal::kDuplicateJobName);
  }
  const uint8_t created = store_.createJob(action.name);
  if (created == kWriteFailed) return Outcome::failed();
  if (created == kRefused) return Outcome::refusedFor(Refusal::kNoFreeJobSlot);
  Outcome done;
  done.created = JobSlot{created};
  return done;
}

Outcome CardSession::apply(const RenameJob& action) {
  if (store_.findJob(action.name) != kRefused) return Outcome::refusedFor(Refusal::kRenameTaken);
  const ActionLabel label{SnapshotAction::kRenameJob,
                          {gbkToUtf8(store_.jobName(action.job.value)), gbkToUtf8(action.name)}};
  if (Outcome kept = keepSnapshot(label); !kept.done()) return kept;
  return fromStore(store_.renameJob(action.job.value, action.name));
}

Outcome CardSession::apply(const DeleteJob& action) {
  return apply(DeleteJobs{{action.job}});
}

Outcome CardSession::apply(const DeleteJobs& action) {
  std::vector<int> positions;
  for (const JobPosition job : action.jobs) positions.push_back(job.value);
  if (!sortedWithin(positions, store_.jobCount())) {
    return Outcome::refusedFor(Refusal::kNothingThere);
  }
  const ActionLabel label =
      positions.size() > 1
          ? ActionLabel{SnapshotAction::kDeleteJobs, {std::to_string(positions.size())}}
          : ActionLabel{SnapshotAction::kDeleteJob,
                        {gbkToUtf8(store_.jobName(store_.jobSlotAt(positions[0])))}};
  if (Outcome kept = keepSnapshot(label); !kept.done()) return kept;
  // From the last, so that the positions before it still name their jobs.
  for (auto position = positions.rbegin(); position != positions.rend(); ++position) {
    if (Outcome deleted = fromStore(store_.deleteJob(*position)); !deleted.done()) return deleted;
  }
  return Outcome::ok();
}

Outcome CardSession::apply(const ClearKnownPoints&) {
  if (Outcome kept = keepSnapshot({SnapshotAction::kClearKnownPoints}); !kept.done()) return kept;
  return fromStore(store_.deleteJob(store_.knownPointFile()));
}

Outcome CardSession::appendRecord(JobSlot target, const uint8_t* record) {
  const uint8_t result = store_.appendRecord(target.value, kRecordSize, record);
  if (result == kJobFull) return Outcome::refusedFor(Refusal::kJobFullWhileStoring);
  return fromStore(result, Refusal::kRecordAreaFull);
}

Outcome CardSession::apply(const AddPoint& action) {
  std::array<uint8_t, kRecordSize> record{};
  buildPointRecord(store_.byteOrder(), action.name, action.n, action.e, action.z, record);
  return appendRecord(action.target, record.data());
}

Outcome CardSession::apply(const DeleteRecord& action) {
  return apply(DeleteRecords{action.target, {action.number}});
}

Outcome CardSession::apply(const DeleteRecords& action) {
  const uint8_t slot = action.target.value;
  std::vector<int> numbers = action.numbers;
  // A number past the records names none: the store is left untouched.
  if (!sortedWithin(numbers, store_.recordCount(slot))) {
    return Outcome::refusedFor(Refusal::kNothingThere);
  }
  ActionLabel label;
  if (numbers.size() > 1) {
    label = {SnapshotAction::kDeleteRecords,
             {gbkToUtf8(store_.jobName(slot)), std::to_string(numbers.size())}};
  } else if (isKnownPointFile(action.target)) {
    label = {SnapshotAction::kDeleteKnownPoint,
             {gbkToUtf8(store_.recordPointName(slot, numbers[0]))}};
  } else {
    label = {SnapshotAction::kDeleteRecord,
             {gbkToUtf8(store_.jobName(slot)), std::to_string(numbers[0] + 1)}};
  }
  if (Outcome kept = keepSnapshot(label); !kept.done()) return kept;
  // From the last, so that the numbers before it still name their records.
  for (auto number = numbers.rbegin(); number != numbers.rend(); ++number) {
    if (Outcome deleted = fromStore(store_.deleteRecord(slot, *number)); !deleted.done()) {
      return deleted;
    }
  }
  return Outcome::ok();
}

Outcome CardSession::apply(const ImportRows& action) {
  // A grid of empty rows (the window's rows past the file's) changes nothing
  // and needs no snapshot.
  const bool anything =
      std::any_of(action.rows.begin(), action.rows.end(), [](const ImportRow& row) {
        return std::any_of(row.begin(), row.end(),
                           [](const std::string& cell) { return !cell.empty(); });
      });
  if (!anything) return Outcome::ok();
  const ActionLabel label = isKnownPointFile(action.target)
                                ? ActionLabel{SnapshotAction::kImportKnownPoints}
                                : ActionLabel{SnapshotAction::kImportJob,
                                              {gbkToUtf8(store_.jobName(action.target.value))}};
  Outcome outcome = keepSnapshot(label);
  if (!outcome.done()) return outcome;
  int stored = 0;
  const uint8_t confirmed = storeImportRows(action.rows, action.target.value, store_.byteOrder(),
                                            [&](uint8_t, const uint8_t* record) {
                                              outcome = appendRecord(action.target, record);
                                              if (outcome.done()) ++stored;
                                              return outcome.done();
                                            });
  outcome.stored = stored;
  outcome.firstRowRefused = confirmed == 0;
  return outcome;
}

Outcome CardSession::apply(const AddFeatureCode& action) {
  const uint8_t added = store_.addFeatureCode(action.code);
  if (added == kWriteFailed) return Outcome::failed();
  if (added == kRefused) return Outcome::refusedFor(Refusal::kCodeLibraryFull);
  return Outcome::ok();
}

Outcome CardSession::apply(const DeleteFeatureCode& action) {
  return apply(DeleteFeatureCodes{{action.position}});
}

Outcome CardSession::apply(const DeleteFeatureCodes& action) {
  std::vector<int> positions = action.positions;
  if (!sortedWithin(positions, store_.featureCodeCount())) {
    return Outcome::refusedFor(Refusal::kNothingThere);
  }
  const ActionLabel label =
      positions.size() > 1
          ? ActionLabel{SnapshotAction::kDeleteCodes, {std::to_string(positions.size())}}
          : ActionLabel{SnapshotAction::kDeleteCode,
                        {gbkToUtf8(store_.featureCodeAt(positions[0]))}};
  if (Outcome kept = keepSnapshot(label); !kept.done()) return kept;
  for (auto position = positions.rbegin(); position != positions.rend(); ++position) {
    if (Outcome deleted = fromStore(store_.deleteFeatureCode(*position)); !deleted.done()) {
      return deleted;
    }
  }
  return Outcome::ok();
}

Outcome CardSession::apply(const ClearFeatureCodes&) {
  // An empty list is left alone.
  if (store_.featureCodeCount() == 0) return Outcome::ok();
  if (Outcome kept = keepSnapshot({SnapshotAction::kClearCodes}); !kept.done()) return kept;
  return fromStore(store_.clearFeatureCodes());
}

Outcome CardSession::apply(const RestoreSnapshot& action) {
  const Snapshot& snapshot = action.snapshot;
  if (action.from == nullptr || !snapshotFits(snapshot)) {
    return Outcome::refusedFor(Refusal::kSnapshotMismatch);
  }
  if (!action.fromOtherCard && !fromCard(snapshot, origin_.card)) {
    return Outcome::refusedFor(Refusal::kSnapshotFromOtherCard);
  }
  const std::optional<std::vector<uint8_t>> bytes = action.from->load(snapshot);
  if (!bytes) return Outcome::refusedFor(Refusal::kSnapshotDamaged);
  ImageFile& file = store_.imageFile();
  std::vector<uint8_t> current;
  if (!file.readWhole(current)) return Outcome::failed();
  const ActionLabel label{SnapshotAction::kRestore, {snapshotTimeText(snapshot.time)}};
  if (Outcome kept = keepSnapshot(label); !kept.done()) return kept;
  // Only the sectors that differ are written; the image is never larger than
  // the store can address, so every sector has its page.
  for (size_t at = 0; at < current.size(); at += kTransferBytes) {
    const size_t count = std::min<size_t>(kTransferBytes, current.size() - at);
    if (std::equal(current.begin() + at, current.begin() + at + count, bytes->begin() + at)) {
      continue;
    }
    const ImageAddress address{static_cast<uint8_t>(at >> 16), static_cast<uint16_t>(at & 0xFFFF)};
    if (!file.write(address, static_cast<uint8_t>(count), bytes->data() + at)) {
      return Outcome::failed();
    }
  }
  reloadTables();
  return Outcome::ok();
}

Refusal CardSession::roomForEntry(JobSlot target) {
  if (store_.recordCount(target.value) < kMaxJobRecords) {
    return Refusal::kNone;
  }
  return isKnownPointFile(target) ? Refusal::kKnownFileFullBefore : Refusal::kJobFullBefore;
}

// --- Snapshots ------------------------------------------------------------------------

Outcome CardSession::keepSnapshot(ActionLabel label) {
  if (snapshots_ == nullptr) return Outcome::ok();
  const auto notBackedUp = [this](SnapshotFailure::Reason reason) {
    Outcome outcome = Outcome::of(Outcome::Kind::kNotBackedUp);
    outcome.backup.reason = reason;
    outcome.backup.folder = snapshots_->path().string();
    return outcome;
  };
  // Never more than the model's image is read whole (a sparse file of
  // gigabytes would be read into memory); an unrecognised one is bounded by
  // what the store can address.
  if (recognised_ && store_.imageFileSize() > modelImageSize()) {
    return notBackedUp(SnapshotFailure::Reason::kImageSizeMisfit);
  }
  if (store_.imageFileSize() > kMaxImageBytes) {
    return notBackedUp(SnapshotFailure::Reason::kImageTooLarge);
  }
  std::vector<uint8_t> image;
  if (!store_.imageFile().readWhole(image)) return Outcome::failed();
  Snapshot about;
  about.time = static_cast<int64_t>(std::time(nullptr));
  about.imageName = imageName_;
  about.model = recognised_ ? modelName(store_.instrumentModel()) : "";
  about.label = std::move(label);
  about.contents = contents();
  about.card = origin_.card;
  about.place = origin_.place;
  Outcome outcome;
  outcome.backup = snapshots_->keep(image, std::move(about), store_.imageFile().mode());
  if (!outcome.backup.kept()) outcome.kind = Outcome::Kind::kNotBackedUp;
  return outcome;
}

Outcome CardSession::backUp() {
  if (!store_.isOpen()) return Outcome::refusedFor(Refusal::kNothingThere);
  return keepSnapshot({SnapshotAction::kManual});
}

SnapshotContents CardSession::contents() {
  SnapshotContents contents;
  contents.recorded = true;
  contents.recognised = recognised_;
  if (!recognised_) return contents;
  for (int position = 0, n = store_.jobCount(); position < n; ++position) {
    const uint8_t slot = store_.jobSlotAt(position);
    contents.jobs.emplace_back(gbkToUtf8(store_.jobName(slot)), store_.recordCount(slot));
  }
  contents.knownPoints = store_.recordCount(store_.knownPointFile());
  contents.codes = store_.featureCodeCount();
  return contents;
}

bool CardSession::snapshotFits(const Snapshot& snapshot) const {
  const bool otherModel = recognised_ && snapshot.model != modelName(store_.instrumentModel());
  return store_.isOpen() && snapshot.imageSize == store_.imageFile().size() && !otherModel;
}

std::optional<std::vector<std::string>> snapshotJobLines(const SnapshotFolder& folder,
                                                         const Snapshot& snapshot,
                                                         bool* recognised) {
  const std::optional<std::vector<uint8_t>> bytes = folder.load(snapshot);
  if (!bytes) return std::nullopt;
  // The snapshot is read in memory, never from the card or a disk.
  MemoryFileSystem memory;
  const std::string path = "/snapshot.VEL";
  memory.putFile(path, *bytes);
  RecordAreaStore store;
  if (!store.openImage(path, memory)) return std::nullopt;
  std::vector<std::string> lines;
  const bool known = store.detectModel() == kModelRecognised;
  if (recognised != nullptr) *recognised = known;
  if (known) {
    store.loadTables();
    for (int position = 0, n = store.jobCount(); position < n; ++position) {
      lines.push_back(jobLineAt(store, position));
    }
  }
  return lines;
}

// --- Queries ----------------------------------------------------------------------------

CardSummary CardSession::summary() {
  RecordAreaStore& store = store_;
  CardSummary summary;
  summary.model = store.instrumentModel();
  summary.sectors = store.sectorCount();
  summary.jobs = store.jobCount();
  summary.knownPoints = store.recordCount(store.knownPointFile());
  summary.capacity = store.capacity();
  summary.freeRecords = store.freeRecords();
  summary.usedPercent = usedCapacityPercent(summary.capacity, summary.freeRecords);
  return summary;
}

std::vector<std::string> CardSession::jobLines() {
  std::vector<std::string> lines;
  for (int position = 0, n = store_.jobCount(); position < n; ++position) {
    lines.push_back(jobLineAt(store_, position));
  }
  return lines;
}

std::vector<std::string> CardSession::knownPointLines() {
  std::vector<std::string> lines;
  const int count = store_.recordCount(store_.knownPointFile());
  lines.reserve(count);
  std::array<uint8_t, kRecordSize> record{};
  for (int number = 0; number < count; ++number) {
    const bool read =
        store_.readRecord(store_.knownPointFile(), number, kRecordSize, record.data()) == kDone;
    lines.push_back(read ? knownPointLine(store_.byteOrder(), record) : std::string());
  }
  return lines;
}

std::vector<std::string> CardSession::featureCodes() {
  std::vector<std::string> codes;
  for (int position = 0, n = store_.featureCodeCount(); position < n; ++position) {
    codes.push_back(store_.featureCodeAt(position));
  }
  return codes;
}

std::vector<std::string> CardSession::recordLines(JobSlot job) {
  std::vector<std::string> lines;
  const int count = store_.recordCount(job.value);
  lines.reserve(count);
  std::array<uint8_t, kRecordSize> record{};
  for (int i = 0; i < count; ++i) {
    // An unreadable record shows as a record of no known kind.
    if (store_.readRecord(job.value, i, kRecordSize, record.data()) != kDone) record.fill(0xFF);
    lines.push_back(recordText(store_.byteOrder(), record));
  }
  return lines;
}

std::vector<SurveyPoint> CardSession::points(JobSlot job) {
  std::vector<SurveyPoint> points;
  const bool known = isKnownPointFile(job);
  const std::string name = known ? std::string() : store_.jobName(job.value);
  const int count = store_.recordCount(job.value);
  points.reserve(count);
  std::array<uint8_t, kRecordSize> record{};
  for (int i = 0; i < count; ++i) {
    if (store_.readRecord(job.value, i, kRecordSize, record.data()) != kDone) continue;
    if (auto point = surveyPointOf(store_.byteOrder(), record, known, name)) {
      points.push_back(std::move(*point));
    }
  }
  return points;
}

std::optional<JobPosition> CardSession::findJob(std::string_view name) {
  const uint8_t position = store_.findJob(name);
  if (position == kRefused) return std::nullopt;
  return JobPosition{position};
}

std::optional<JobPosition> CardSession::currentJob() const {
  if (!store_.hasCurrentJob()) return std::nullopt;
  const int position = store_.jobPositionOf(store_.currentJob());
  // A current job byte that names no listed job is none.
  if (position >= store_.jobCount()) return std::nullopt;
  return JobPosition{position};
}

}  // namespace vel
