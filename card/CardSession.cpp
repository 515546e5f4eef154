#include "card/CardSession.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>

#include "card/ImageFileAccess.h"
#include "records/ListLines.h"
#include "records/MessageTexts.h"
#include "records/SurveyRecord.h"
#include "store/Gbk.h"

namespace vel {

CardResult CardSession::fromStore(uint8_t result, std::string refusal) {
  if (result == kWriteFailed) return failedAction();
  if (result == kDone) return CardResult::ok();
  return CardResult::refused(std::move(refusal));
}

// --- Transactions -------------------------------------------------------------------

CardResult CardSession::failedAction() {
  rollback();
  return CardResult::failed();
}

void CardSession::rollback() {
  store_.imageFile().rollback();
  reloadTables();
}

void CardSession::reloadTables() {
  // The image is as it was before the action: its own model and tables again.
  recognised_ = store_.isOpen() && store_.detectModel() == kModelRecognised;
  if (recognised_) store_.loadTables();
}

CardResult CardSession::finish() {
  if (store_.syncImage()) {
    CardResult done = CardResult::ok();
    done.unconfirmed = store_.imageFile().commitUnconfirmed();
    return done;
  }
  reloadTables();
  return CardResult::failed();
}

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
  file.useJournal();
  // Before anything is read: the image as it was before a change cut short.
  switch (file.recoverJournal(changeRefusal_ == ChangeRefusal::kNone)) {
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
    if (!askToFormat || !checkChangesAllowed().done() ||
        store_.imageFileSize() != modelImageSize() || !askToFormat()) {
      return OpenStatus::kNotRecognised;
    }
    // A half-written record area is no record area: it stays unloaded.
    const bool formatted = format().done();
    if (!finish().done() || !formatted) return OpenStatus::kWriteFailed;
  }
  store_.loadTables();
  // Tables that could not be read whole would lead every change astray.
  if (file.ioFailed()) return unreadable();
  recognised_ = true;
  if (changeRefusal_ == ChangeRefusal::kNone && store_.imageFileSize() != modelImageSize()) {
    changeRefusal_ = ChangeRefusal::kSizeMisfit;
  }
  return OpenStatus::kLoaded;
}

long long CardSession::modelImageSize() const {
  const int sectors =
      store_.modelSettled() ? store_.sectorCount() : store_.modelForUnrecognisedImage().second;
  return sectors * kSectorSize;
}

CardSession::SizeMisfit CardSession::sizeMisfit() const {
  const int model =
      store_.modelSettled() ? store_.instrumentModel() : store_.modelForUnrecognisedImage().first;
  return {store_.imageFileSize(), model, modelImageSize()};
}

CardResult CardSession::checkChangesAllowed() const {
  if (changeRefusal_ == ChangeRefusal::kNone) return CardResult::ok();
  return {CardResult::kNotAllowed, {}};
}

CardResult CardSession::notAllowed(ChangeRefusal why) {
  changeRefusal_ = why;
  return checkChangesAllowed();
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

CardResult CardSession::format() {
  if (CardResult allowed = checkChangesAllowed(); !allowed.done()) return allowed;
  // Formatting makes the area of a model: the file must have that model's size.
  if (store_.imageFileSize() != modelImageSize()) return notAllowed(ChangeRefusal::kSizeMisfit);
  if (CardResult kept = keepSnapshot(kFormatAction); !kept.done()) return kept;
  const CardResult formatted = fromStore(store_.formatRecordArea());
  if (formatted.done()) recognised_ = true;
  return formatted;
}

// --- Snapshots ------------------------------------------------------------------------

CardResult CardSession::keepSnapshot(std::string action) {
  if (snapshots_ == nullptr) return CardResult::ok();
  // Never more than the model's image is read whole (a sparse file of
  // gigabytes would be read into memory); an unrecognised one is bounded by
  // what the store can address.
  if (recognised_ && store_.imageFileSize() > modelImageSize()) {
    return {CardResult::kNotBackedUp, std::string(kSnapshotFailedText) +
                                          snapshots_->path().string() + "\r\n" +
                                          kImageSizeMisfitReasonText};
  }
  if (store_.imageFileSize() > kMaxImageBytes) {
    return {CardResult::kNotBackedUp, std::string(kSnapshotFailedText) +
                                          snapshots_->path().string() + "\r\n" +
                                          kImageTooLargeText};
  }
  std::vector<uint8_t> image;
  if (!store_.imageFile().readWhole(image)) return failedAction();
  Snapshot about;
  about.time = static_cast<int64_t>(std::time(nullptr));
  about.imageName = imageName_;
  about.model = recognised_ ? modelName(store_.instrumentModel()) : "";
  about.action = std::move(action);
  about.summary = summary();
  about.card = origin_.card;
  about.place = origin_.place;
  std::string failure = snapshots_->keep(image, std::move(about), store_.imageFile().mode());
  if (failure.empty()) return CardResult::ok();
  return {CardResult::kNotBackedUp, std::move(failure)};
}

std::string CardSession::summary() {
  if (!recognised_) return kUnrecognisedSummaryText;
  std::string jobs;
  for (int position = 0, n = store_.jobCount(); position < n; ++position) {
    const uint8_t slot = store_.jobSlotAt(position);
    if (!jobs.empty()) jobs += ' ';
    jobs += gbkToUtf8(store_.jobName(slot)) + "(" + std::to_string(store_.recordCount(slot)) + ")";
  }
  if (jobs.empty()) jobs = kNoJobsText;
  return placeValues(kSummaryText,
                     {jobs, std::to_string(store_.recordCount(store_.knownPointFile())),
                      std::to_string(store_.featureCodeCount())});
}

bool CardSession::snapshotFits(const Snapshot& snapshot) const {
  const bool otherModel = recognised_ && snapshot.model != modelName(store_.instrumentModel());
  return store_.isOpen() && snapshot.imageSize == store_.imageFile().size() && !otherModel;
}

CardResult CardSession::restore(const SnapshotFolder& from, const Snapshot& snapshot,
                                bool fromOtherCard) {
  if (CardResult allowed = checkChangesAllowed(); !allowed.done()) return allowed;
  if (!snapshotFits(snapshot)) return CardResult::refused(kSnapshotMismatchText);
  if (!fromOtherCard && !fromCard(snapshot, origin_.card)) {
    return CardResult::refused(kSnapshotFromOtherCardText);
  }
  ImageFile& file = store_.imageFile();
  const std::optional<std::vector<uint8_t>> bytes = from.load(snapshot);
  if (!bytes) return CardResult::refused(kSnapshotDamagedText);
  std::vector<uint8_t> current;
  if (!file.readWhole(current)) return failedAction();
  if (CardResult kept =
          keepSnapshot(placeValues(kRestoreAction, {snapshotTimeText(snapshot.time)}));
      !kept.done()) {
    return kept;
  }
  // Only the sectors that differ are written.
  for (size_t at = 0; at < current.size(); at += kTransferBytes) {
    const size_t count = std::min<size_t>(kTransferBytes, current.size() - at);
    if (std::equal(current.begin() + at, current.begin() + at + count, bytes->begin() + at)) {
      continue;
    }
    const ImageAddress address{static_cast<uint8_t>(at >> 16), static_cast<uint16_t>(at & 0xFFFF)};
    if (!file.write(address, static_cast<uint8_t>(count), bytes->data() + at)) {
      return failedAction();
    }
  }
  reloadTables();
  return CardResult::ok();
}

// --- Jobs -------------------------------------------------------------------------

CardResult CardSession::createJob(std::string_view name) {
  if (CardResult allowed = checkChangesAllowed(); !allowed.done()) return allowed;
  if (store_.findJob(name) != kRefused) return CardResult::refused(kDuplicateJobNameText);
  const uint8_t created = store_.createJob(name);
  if (created == kWriteFailed) return failedAction();
  if (created == kRefused) return CardResult::refused(kNoFreeJobSlotText);
  return CardResult::ok(created);
}

CardResult CardSession::renameJob(uint8_t slot, std::string_view name) {
  if (CardResult allowed = checkChangesAllowed(); !allowed.done()) return allowed;
  if (store_.findJob(name) != kRefused) return CardResult::refused(kRenameTakenText);
  const std::string action =
      placeValues(kRenameJobAction, {gbkToUtf8(store_.jobName(slot)), gbkToUtf8(name)});
  if (CardResult kept = keepSnapshot(action); !kept.done()) return kept;
  return fromStore(store_.renameJob(slot, name));
}

CardResult CardSession::deleteJob(int position) {
  if (CardResult allowed = checkChangesAllowed(); !allowed.done()) return allowed;
  if (position >= 0 && position < store_.jobCount()) {
    const std::string job = gbkToUtf8(store_.jobName(store_.jobSlotAt(position)));
    if (CardResult kept = keepSnapshot(placeValues(kDeleteJobAction, {job})); !kept.done())
      return kept;
  }
  return fromStore(store_.deleteJob(position));
}

CardResult CardSession::clearKnownPoints() {
  if (CardResult allowed = checkChangesAllowed(); !allowed.done()) return allowed;
  if (CardResult kept = keepSnapshot(kClearKnownPointsAction); !kept.done()) return kept;
  return fromStore(store_.deleteJob(store_.knownPointFile()));
}

// --- Points -----------------------------------------------------------------------

CardResult CardSession::checkRoomForEntry(uint8_t slot) {
  if (CardResult allowed = checkChangesAllowed(); !allowed.done()) return allowed;
  if (store_.recordCount(slot) < kMaxJobRecords) return CardResult::ok();
  return CardResult::refused(isKnownPointFile(slot) ? kKnownFileFullBeforeText
                                                    : kJobFullBeforeText);
}

CardResult CardSession::appendRecord(uint8_t slot, const uint8_t* record) {
  if (CardResult allowed = checkChangesAllowed(); !allowed.done()) return allowed;
  const uint8_t result = store_.appendRecord(slot, kRecordSize, record);
  if (result == kJobFull) return CardResult::refused(kJobFullWhileStoringText);
  return fromStore(result, kRecordAreaFullText);
}

CardResult CardSession::addPoint(uint8_t slot, std::string_view name, FixedValue n, FixedValue e,
                                 FixedValue z) {
  std::array<uint8_t, kRecordSize> record{};
  buildPointRecord(store_.byteOrder(), name, n, e, z, record);
  return appendRecord(slot, record.data());
}

CardResult CardSession::deleteRecord(uint8_t slot, int number) {
  if (CardResult allowed = checkChangesAllowed(); !allowed.done()) return allowed;
  // A number past the records names none: the store refuses it untouched.
  if (number >= 0 && number < store_.recordCount(slot)) {
    const std::string action =
        isKnownPointFile(slot) ? placeValues(kDeleteKnownPointAction,
                                             {gbkToUtf8(store_.recordPointName(slot, number))})
                               : placeValues(kDeleteRecordAction, {gbkToUtf8(store_.jobName(slot)),
                                                                   std::to_string(number + 1)});
    if (CardResult kept = keepSnapshot(action); !kept.done()) return kept;
  }
  return fromStore(store_.deleteRecord(slot, number));
}

CardResult CardSession::keepImportSnapshot(uint8_t target) {
  return keepSnapshot(isKnownPointFile(target)
                          ? std::string(kImportKnownPointsAction)
                          : placeValues(kImportJobAction, {gbkToUtf8(store_.jobName(target))}));
}

CardSession::ImportOutcome CardSession::importRows(const std::vector<ImportRow>& rows,
                                                   uint8_t target) {
  ImportOutcome outcome;
  if (outcome.stop = checkChangesAllowed(); !outcome.stop.done()) return outcome;
  // An empty grid changes nothing and needs no snapshot.
  if (!rows.empty()) {
    if (outcome.stop = keepImportSnapshot(target); !outcome.stop.done()) return outcome;
  }
  outcome.confirmed =
      storeImportRows(rows, target, store_.byteOrder(), [&](uint8_t slot, const uint8_t* record) {
        outcome.stop = appendRecord(slot, record);
        return outcome.stop.done();
      });
  return outcome;
}

// --- Feature codes ------------------------------------------------------------------

CardResult CardSession::addFeatureCode(std::string_view code) {
  if (CardResult allowed = checkChangesAllowed(); !allowed.done()) return allowed;
  const uint8_t added = store_.addFeatureCode(code);
  if (added == kWriteFailed) return failedAction();
  if (added == kRefused) return CardResult::refused(kCodeLibraryFullText);
  return CardResult::ok(added);
}

CardResult CardSession::deleteFeatureCode(int position) {
  if (CardResult allowed = checkChangesAllowed(); !allowed.done()) return allowed;
  if (position < 0 || position >= store_.featureCodeCount()) return CardResult::refused();
  const std::string action =
      placeValues(kDeleteCodeAction, {gbkToUtf8(store_.featureCodeAt(position))});
  if (CardResult kept = keepSnapshot(action); !kept.done()) return kept;
  return fromStore(store_.deleteFeatureCode(position));
}

CardResult CardSession::clearFeatureCodes() {
  if (CardResult allowed = checkChangesAllowed(); !allowed.done()) return allowed;
  // An empty list is left alone.
  if (store_.featureCodeCount() == 0) return CardResult::ok();
  if (CardResult kept = keepSnapshot(kClearCodesAction); !kept.done()) return kept;
  return fromStore(store_.clearFeatureCodes());
}

std::optional<std::vector<std::string>> snapshotJobLines(const SnapshotFolder& folder,
                                                         const Snapshot& snapshot,
                                                         bool* recognised) {
  const std::optional<std::vector<uint8_t>> bytes = folder.load(snapshot);
  if (!bytes) return std::nullopt;
  // The store reads images from files: the snapshot is read from a private
  // copy in the temporary folder, never from the card.
  std::string path = (std::filesystem::temp_directory_path() / "vel-snapshot-XXXXXX").string();
  const int fd = ::mkstemp(path.data());
  if (fd < 0) return std::nullopt;
  const bool written =
      ::write(fd, bytes->data(), bytes->size()) == static_cast<ssize_t>(bytes->size());
  ::close(fd);
  std::optional<std::vector<std::string>> lines;
  RecordAreaStore store;
  if (written && store.openImage(path)) {
    const bool known = store.detectModel() == kModelRecognised;
    if (recognised != nullptr) *recognised = known;
    lines.emplace();
    if (known) {
      store.loadTables();
      lines = CardSession(store).jobLines();
    }
    store.closeImage();
  }
  ::unlink(path.c_str());
  return lines;
}

// --- Listings -------------------------------------------------------------------------

std::vector<std::string> CardSession::jobLines() {
  std::vector<std::string> lines;
  for (int position = 0, n = store_.jobCount(); position < n; ++position) {
    lines.push_back(jobListLine(store_, position));
  }
  return lines;
}

std::vector<std::string> CardSession::knownPointLines() {
  std::vector<std::string> lines;
  const int count = store_.recordCount(store_.knownPointFile());
  lines.reserve(count);
  for (int number = 0; number < count; ++number) lines.push_back(knownPointLine(store_, number));
  return lines;
}

std::vector<std::string> CardSession::featureCodes() {
  std::vector<std::string> codes;
  for (int position = 0, n = store_.featureCodeCount(); position < n; ++position) {
    codes.push_back(store_.featureCodeAt(position));
  }
  return codes;
}

std::vector<std::string> CardSession::recordLines(uint8_t slot) {
  std::vector<std::string> lines;
  const int count = store_.recordCount(slot);
  lines.reserve(count);
  std::array<uint8_t, kRecordSize> record{};
  for (int i = 0; i < count; ++i) {
    // An unreadable record shows as a record of no known kind.
    if (store_.readRecord(slot, i, kRecordSize, record.data()) != kDone) record.fill(0xFF);
    lines.push_back(recordText(store_.byteOrder(), record));
  }
  return lines;
}

}  // namespace vel
