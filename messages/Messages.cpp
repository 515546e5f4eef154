#include "messages/Messages.h"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "exchange/ExchangeFile.h"
#include "messages/MessageTexts.h"
#include "store/Gbk.h"
#include "store/ModelLayout.h"

namespace vel {

std::string asWritten(const char* source) {
  return source;
}

std::string refusalText(Refusal refusal, const Translate& tr) {
  switch (refusal) {
    case Refusal::kNone:
    case Refusal::kNothingThere:
      return {};
    case Refusal::kDuplicateJobName:
      return tr(kDuplicateJobNameText);
    case Refusal::kNoFreeJobSlot:
      return tr(kNoFreeJobSlotText);
    case Refusal::kRenameTaken:
      return tr(kRenameTakenText);
    case Refusal::kJobFullBefore:
      return tr(kJobFullBeforeText);
    case Refusal::kKnownFileFullBefore:
      return tr(kKnownFileFullBeforeText);
    case Refusal::kJobFullWhileStoring:
      return tr(kJobFullWhileStoringText);
    case Refusal::kRecordAreaFull:
      return tr(kRecordAreaFullText);
    case Refusal::kCodeLibraryFull:
      return tr(kCodeLibraryFullText);
    case Refusal::kSnapshotMismatch:
      return tr(kSnapshotMismatchText);
    case Refusal::kSnapshotDamaged:
      return tr(kSnapshotDamagedText);
    case Refusal::kSnapshotFromOtherCard:
      return tr(kSnapshotFromOtherCardText);
  }
  return {};
}

std::string changeRefusalText(ChangeRefusal why, const SizeMisfit& misfit, const Translate& tr) {
  switch (why) {
    case ChangeRefusal::kNone:
      return {};
    case ChangeRefusal::kWriteProtected:
      return tr(kWriteProtectedText);
    case ChangeRefusal::kHardLinked:
      return tr(kHardLinkedText);
    case ChangeRefusal::kLinkLeavesFolder:
      return tr(kLinkLeavesFolderText);
    case ChangeRefusal::kSizeMisfit:
      return placeValues(tr(kSizeMisfitText), {std::to_string(misfit.size), modelName(misfit.model),
                                               std::to_string(misfit.expected)});
  }
  return {};
}

std::string systemReasonText(int error, const Translate& tr) {
  switch (error) {
    case ENOENT:
      return tr(kNoSuchFileText);
    case ENOTDIR:
      return tr(kNotAFolderOnPathText);
    case EACCES:
    case EPERM:
      return tr(kNoReadPermissionText);
    case EISDIR:
      return tr(kIsAFolderText);
    case ENAMETOOLONG:
      return tr(kNameTooLongText);
    case EIO:
      return tr(kInputOutputErrorText);
    case EFBIG:
      return tr(kImportTooLargeText);
    case kNotRegularFile:
      return tr(kNotRegularFileText);
    case kUtf16Text:
      return tr(kImportUtf16Text);
    default:
      return placeValues(tr(kSystemErrorText), {std::to_string(error), std::strerror(error)});
  }
}

namespace {

// The reason of a snapshot failure; an index that cannot be read gives the
// reason its error number names.
std::string snapshotReason(SnapshotFailure::Reason reason, int error, const Translate& tr) {
  using Reason = SnapshotFailure::Reason;
  switch (reason) {
    case Reason::kDiskFull:
      return tr(kDiskFullText);
    case Reason::kNoPermission:
      return tr(kNoWritePermissionText);
    case Reason::kNameTaken:
      return tr(kNameTakenText);
    case Reason::kFolderInUse:
      return tr(kFolderInUseText);
    case Reason::kImageTooLarge:
      return tr(kImageTooLargeText);
    case Reason::kImageSizeMisfit:
      return tr(kImageSizeMisfitReasonText);
    case Reason::kIndexUnreadable:
      switch (error) {
        case ENOSPC:
        case EDQUOT:
          return tr(kDiskFullText);
        case EACCES:
        case EPERM:
        case EROFS:
          return tr(kNoWritePermissionText);
        default:
          break;
      }
      [[fallthrough]];
    case Reason::kSystemError:
    case Reason::kNone:
      return std::to_string(error) + " " + std::strerror(error);
  }
  return {};
}

}  // namespace

std::string notBackedUpText(const SnapshotFailure& failure, const Translate& tr) {
  using Reason = SnapshotFailure::Reason;
  if (failure.reason == Reason::kNone) return {};
  const std::string reason = snapshotReason(failure.reason, failure.error, tr);
  if (failure.reason == Reason::kIndexUnreadable) {
    return placeValues(tr(kSnapshotIndexUnreadableText), {failure.index, reason});
  }
  return tr(kSnapshotFailedText) + failure.folder + "\r\n" + reason;
}

std::string snapshotActionText(const Snapshot& snapshot, const Translate& tr) {
  const std::vector<std::string>& v = snapshot.label.values;
  const auto value = [&](size_t i) {
    return i < v.size() ? std::string_view(v[i]) : std::string_view();
  };
  switch (snapshot.label.action) {
    case SnapshotAction::kUnknown:
      return snapshot.action;
    case SnapshotAction::kFormat:
      return tr(kFormatAction);
    case SnapshotAction::kDeleteJob:
      return placeValues(tr(kDeleteJobAction), {value(0)});
    case SnapshotAction::kRenameJob:
      return placeValues(tr(kRenameJobAction), {value(0), value(1)});
    case SnapshotAction::kDeleteRecord:
      return placeValues(tr(kDeleteRecordAction), {value(0), value(1)});
    case SnapshotAction::kDeleteRecords:
      return placeValues(tr(kDeleteRecordsAction), {value(0), value(1)});
    case SnapshotAction::kDeleteJobs:
      return placeValues(tr(kDeleteJobsAction), {value(0)});
    case SnapshotAction::kDeleteCodes:
      return placeValues(tr(kDeleteCodesAction), {value(0)});
    case SnapshotAction::kDeleteKnownPoint:
      return placeValues(tr(kDeleteKnownPointAction), {value(0)});
    case SnapshotAction::kClearKnownPoints:
      return tr(kClearKnownPointsAction);
    case SnapshotAction::kDeleteCode:
      return placeValues(tr(kDeleteCodeAction), {value(0)});
    case SnapshotAction::kClearCodes:
      return tr(kClearCodesAction);
    case SnapshotAction::kImportJob:
      return placeValues(tr(kImportJobAction), {value(0)});
    case SnapshotAction::kImportKnownPoints:
      return tr(kImportKnownPointsAction);
    case SnapshotAction::kRestore:
      return placeValues(tr(kRestoreAction), {value(0)});
    case SnapshotAction::kManual:
      return tr(kManualSnapshotAction);
  }
  return snapshot.action;
}

std::string snapshotContentsText(const Snapshot& snapshot, const Translate& tr) {
  const SnapshotContents& contents = snapshot.contents;
  if (!contents.recorded) return snapshot.summary;
  if (!contents.recognised) return tr(kUnrecognisedSummaryText);
  std::string jobs;
  for (const auto& [name, records] : contents.jobs) {
    if (!jobs.empty()) jobs += ' ';
    jobs += name + "(" + std::to_string(records) + ")";
  }
  if (jobs.empty()) jobs = tr(kNoJobsText);
  return placeValues(tr(kSummaryText),
                     {jobs, std::to_string(contents.knownPoints), std::to_string(contents.codes)});
}

std::string readProblemText(const ReadProblem& problem, const Translate& tr) {
  switch (problem.kind) {
    case ReadProblem::Kind::kNone:
      return {};
    case ReadProblem::Kind::kUnreadable: {
      const std::string reason =
          problem.error == kNotText
              ? placeValues(tr(kImportNulText), {std::to_string(problem.line)})
              : systemReasonText(problem.error, tr);
      return placeValues(tr(kImportUnreadableText), {problem.path, reason});
    }
    case ReadProblem::Kind::kCountMismatch:
      return tr(kImportCountMismatchText);
    case ReadProblem::Kind::kNoComma:
      return placeValues(tr(kImportNoCommaText), {std::to_string(problem.line)});
    case ReadProblem::Kind::kNotReadable:
      return placeValues(tr(kImportNoSuchFormatText), {std::to_string(problem.format)});
    case ReadProblem::Kind::kOther:
      return problem.detail;
    case ReadProblem::Kind::kCrsMismatch: {
      const auto named = [&](const std::string& crs) { return crs.empty() ? tr(kNoCrsText) : crs; };
      return placeValues(tr(kImportCrsMismatchText),
                         {named(problem.fileCrs), named(problem.imageCrs)});
    }
    case ReadProblem::Kind::kNoPoints:
      return placeValues(tr(kImportNoPointsText), {problem.detail});
  }
  return {};
}

std::string writeProblemText(const WriteResult& result, const Translate& tr) {
  switch (result.kind) {
    case WriteResult::Kind::kWritten:
      return {};
    case WriteResult::Kind::kFailed:
      return tr(kFileWriteFailedText) + "\r\n" + systemReasonText(result.error, tr);
    case WriteResult::Kind::kNeedsCrs:
      return tr(kNeedsCrsText);
    case WriteResult::Kind::kOther:
      return tr(kFileWriteFailedText) + "\r\n" + result.detail;
  }
  return {};
}

std::string coordinatesCutText(const WriteResult& result, const Translate& tr) {
  if (result.cutPoints == 0) return {};
  return placeValues(tr(kCoordinatesCutText),
                     {std::to_string(result.cutPoints), gbkToUtf8(result.firstCut)});
}

namespace {

// "CASS": a format as the user knows it, by the name velcard takes.
std::string formatName(int format) {
  const ExchangeFormatEntry* entry = FormatRegistry::instance().byId(format);
  std::string name = entry != nullptr ? entry->name : std::to_string(format);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

}  // namespace

std::string formatSuggestionText(int fitting, int chosen, const Translate& tr) {
  return placeValues(tr(kFormatSuggestionText), {formatName(fitting), formatName(chosen)});
}

std::string formatMisfitText(int chosen, std::size_t line, const std::string& text,
                             const Translate& tr) {
  return placeValues(tr(kFormatMisfitText),
                     {formatName(chosen), std::to_string(line), gbkToUtf8(text)});
}

std::string nameBreaksFilesText(const std::vector<std::size_t>& rows, const Translate& tr) {
  std::string list;
  for (std::size_t row : rows) list += (list.empty() ? "" : "、") + std::to_string(row);
  return placeValues(tr(kNameBreaksFilesText), {list});
}

std::string importCutText(const ReadResult& read, const Translate& tr) {
  if (read.cutPoints.empty() || read.cutPoints.front().point >= read.points.size()) return {};
  return placeValues(tr(kImportCoordinatesCutText),
                     {std::to_string(read.cutPoints.size()),
                      gbkToUtf8(read.points[read.cutPoints.front().point].name)});
}

}  // namespace vel
