#include "exchange/CoordinateImport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "exchange/ExchangeFile.h"
#include "exchange/ExchangeFormats.h"
#include "records/PointLine.h"
#include "records/SurveyRecord.h"
#include "store/FixedValue.h"

namespace vel {

namespace {

void keepFirst(std::vector<std::string>& lines) {
  if (lines.size() > static_cast<std::size_t>(kImportGridRows)) lines.resize(kImportGridRows);
}

ImportedFile failed(ImportStatus status, std::string problem) {
  return {status, {}, std::move(problem)};
}

}  // namespace

ImportedFile convertImportLines(int format, std::vector<std::string> lines) {
  if (format == kScs2002Format) {
    std::optional<std::vector<std::string>> points = convertScs2002Lines(lines);
    if (!points) {
      return failed(ImportStatus::kFormatError, kImportCountMismatchText);
    }
    keepFirst(*points);
    return {ImportStatus::kRead, std::move(*points), {}};
  }

  keepFirst(lines);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string& line = lines[i];
    switch (format) {
      case kQplFormat:
        break;
      case kPtsFormat:
        line = parsePtsLine(line);
        break;
      case kSv300Format: {
        std::optional<std::string> pointLine = parseSv300Line(line);
        if (!pointLine) {
          return failed(ImportStatus::kFailed,
                        placeValues(kImportNoCommaText, {std::to_string(i + 1)}));
        }
        line = std::move(*pointLine);
        break;
      }
      case kCassFormat:
        line = parseCassLine(line);
        break;
      case kCsvFormat:
        line = parseCsvLine(line);
        break;
      default:
        return failed(ImportStatus::kFailed,
                      placeValues(kImportNoSuchFormatText, {std::to_string(format)}));
    }
  }
  return {ImportStatus::kRead, std::move(lines), {}};
}

ImportedFile readImportFile(const std::string& path, int format) {
  TextReadFailure failure;
  std::optional<std::vector<std::string>> lines = readTextLines(path, &failure);
  if (!lines) {
    std::string reason = systemReasonText(failure.error);
    if (failure.error == kNotText) {
      reason = placeValues(kImportNulText, {std::to_string(failure.line)});
    }
    ImportedFile unread =
        failed(ImportStatus::kFailed, placeValues(kImportUnreadableText, {path, reason}));
    unread.error = failure.error;
    return unread;
  }
  return convertImportLines(format, std::move(*lines));
}

std::string systemReasonText(int error) {
  switch (error) {
    case ENOENT:
      return kNoSuchFileText;
    case ENOTDIR:
      return kNotAFolderOnPathText;
    case EACCES:
    case EPERM:
      return kNoReadPermissionText;
    case EISDIR:
      return kIsAFolderText;
    case ENAMETOOLONG:
      return kNameTooLongText;
    case EIO:
      return kInputOutputErrorText;
    case EFBIG:
      return kImportTooLargeText;
    case kNotRegularFile:
      return kNotRegularFileText;
    case kUtf16Text:
      return kImportUtf16Text;
    default:
      return placeValues(kSystemErrorText, {std::to_string(error), std::strerror(error)});
  }
}

std::vector<ImportRow> importGridCells(const std::vector<std::string>& pointLines) {
  std::vector<ImportRow> rows;
  rows.reserve(pointLines.size());
  for (const std::string& line : pointLines) {
    rows.push_back({pointLineName(line), pointLineN(line), pointLineE(line), pointLineZ(line)});
  }
  return rows;
}

uint8_t storeImportRows(const std::vector<ImportRow>& rows, uint8_t target,
                        const ImageByteOrder& order, const RecordAppender& append) {
  uint8_t result = 1;
  std::array<uint8_t, kRecordSize> record{};
  const std::size_t count = std::min(rows.size(), static_cast<std::size_t>(kImportGridRows));
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view name = trimText(rows[i][0]);
    const std::string_view n = trimText(rows[i][1]);
    const std::string_view e = trimText(rows[i][2]);
    const std::string_view z = trimText(rows[i][3]);
    if (name.empty() || n.empty() || e.empty()) continue;

    buildPointRecord(order, name, parseFixed(n), parseFixed(e), parseFixed(z), record);
    if (!append(target, record.data())) {
      if (i == 0) result = 0;  // grid row 1 only; a refusal further down keeps 1
      break;
    }
  }
  return result;
}

}  // namespace vel
