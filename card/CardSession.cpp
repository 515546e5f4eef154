#include "card/CardSession.h"

#include <array>
#include <cerrno>

#include "card/ImageFileAccess.h"
#include "records/ListLines.h"
#include "records/MessageTexts.h"
#include "records/SurveyRecord.h"

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
  if (store_.isOpen() && store_.detectModel() == kModelRecognised) store_.loadTables();
}

CardResult CardSession::finish() {
  if (store_.syncImage()) return CardResult::ok();
  reloadTables();
  return CardResult::failed();
}

OpenStatus CardSession::open(const std::string& path, const std::function<bool()>& askToFormat) {
  store_.closeImage();
  restoredFromJournal_ = false;
  errno = 0;
  if (!store_.openImage(path)) {
    openError_ = errno;
    return imageRefusesWriting(path) ? OpenStatus::kReadOnly : OpenStatus::kMissing;
  }
  ImageFile& file = store_.imageFile();
  if (!file.lockExclusive(lockWait_)) {
    store_.closeImage();
    return OpenStatus::kInUse;
  }
  file.useJournal();
  // Before anything is read: the image as it was before a change cut short.
  switch (file.recoverJournal()) {
    case ImageFile::Recovery::kRestored:
      restoredFromJournal_ = true;
      break;
    case ImageFile::Recovery::kFailed:
      return unreadable();
    default:
      break;
  }
  if (store_.detectModel() != kModelRecognised) {
    if (file.ioFailed()) return unreadable();
    if (!askToFormat || !askToFormat()) return OpenStatus::kNotRecognised;
    // A half-written record area is no record area: it stays unloaded.
    const bool formatted = format().done();
    if (!finish().done() || !formatted) return OpenStatus::kWriteFailed;
  }
  store_.loadTables();
  // Tables that could not be read whole would lead every change astray.
  if (file.ioFailed()) return unreadable();
  return OpenStatus::kLoaded;
}

OpenStatus CardSession::unreadable() {
  openError_ = EIO;
  store_.closeImage();
  return OpenStatus::kWriteFailed;
}

CardResult CardSession::format() {
  return fromStore(store_.formatRecordArea());
}

// --- Jobs -------------------------------------------------------------------------

CardResult CardSession::createJob(std::string_view name) {
  if (store_.findJob(name) != kRefused) return CardResult::refused(kDuplicateJobNameText);
  const uint8_t created = store_.createJob(name);
  if (created == kWriteFailed) return failedAction();
  if (created == kRefused) return CardResult::refused(kNoFreeJobSlotText);
  return CardResult::ok(created);
}

CardResult CardSession::renameJob(uint8_t slot, std::string_view name) {
  if (store_.findJob(name) != kRefused) return CardResult::refused(kRenameTakenText);
  return fromStore(store_.renameJob(slot, name));
}

CardResult CardSession::deleteJob(int position) {
  return fromStore(store_.deleteJob(position));
}

CardResult CardSession::clearKnownPoints() {
  return fromStore(store_.deleteJob(store_.knownPointFile()));
}

// --- Points -----------------------------------------------------------------------

CardResult CardSession::checkRoomForEntry(uint8_t slot) {
  if (store_.recordCount(slot) < kMaxJobRecords) return CardResult::ok();
  return CardResult::refused(isKnownPointFile(slot) ? kKnownFileFullBeforeText
                                                    : kJobFullBeforeText);
}

CardResult CardSession::appendRecord(uint8_t slot, const uint8_t* record) {
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
  return fromStore(store_.deleteRecord(slot, number));
}

CardSession::ImportOutcome CardSession::importRows(const std::vector<ImportRow>& rows,
                                                   uint8_t target) {
  ImportOutcome outcome;
  outcome.confirmed =
      storeImportRows(rows, target, store_.byteOrder(), [&](uint8_t slot, const uint8_t* record) {
        outcome.stop = appendRecord(slot, record);
        return outcome.stop.done();
      });
  return outcome;
}

// --- Feature codes ------------------------------------------------------------------

CardResult CardSession::addFeatureCode(std::string_view code) {
  const uint8_t added = store_.addFeatureCode(code);
  if (added == kWriteFailed) return failedAction();
  if (added == kRefused) return CardResult::refused(kCodeLibraryFullText);
  return CardResult::ok(added);
}

CardResult CardSession::deleteFeatureCode(int position) {
  if (position < 0 || position >= store_.featureCodeCount()) return CardResult::refused();
  return fromStore(store_.deleteFeatureCode(position));
}

CardResult CardSession::clearFeatureCodes() {
  // An empty list is left alone.
  if (store_.featureCodeCount() == 0) return CardResult::ok();
  return fromStore(store_.clearFeatureCodes());
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
