#include "exchange/CoordinateImport.h"

#include <algorithm>
#include <cerrno>
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

ReadResult failed(ReadProblem::Kind kind, std::size_t line = 0, int format = 0) {
  ReadResult result;
  result.problem.kind = kind;
  result.problem.line = line;
  result.problem.format = format;
  return result;
}

// A point line's fields as the line gives them back.
ReadResult pointsOf(const std::vector<std::string>& lines) {
  ReadResult result;
  result.points.reserve(lines.size());
  for (const std::string& line : lines) {
    SurveyPoint point;
    point.name = pointLineName(line);
    point.code = pointLineCode(line);
    point.n = pointLineN(line);
    point.e = pointLineE(line);
    point.z = pointLineZ(line);
    result.points.push_back(std::move(point));
  }
  return result;
}

}  // namespace

ReadResult convertImportLines(int format, std::vector<std::string> lines) {
  if (format == kScs2002Format) {
    std::optional<std::vector<std::string>> points = convertScs2002Lines(lines);
    if (!points) return failed(ReadProblem::Kind::kCountMismatch);
    keepFirst(*points);
    return pointsOf(*points);
  }

  keepFirst(lines);
  std::vector<ReadResult::Cut> cut;
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
        if (!pointLine) return failed(ReadProblem::Kind::kNoComma, i + 1);
        line = std::move(*pointLine);
        break;
      }
      case kCassFormat:
        line = parseCassLine(line);
        break;
      case kCsvFormat:
        if (const unsigned which = csvCutCoordinates(line); which != 0) cut.push_back({i, which});
        line = parseCsvLine(line);
        break;
      default:
        return failed(ReadProblem::Kind::kNotReadable, 0, format);
    }
  }
  ReadResult read = pointsOf(lines);
  read.cutPoints = std::move(cut);
  return read;
}

ReadResult readImportFile(const std::string& path, int format) {
  TextReadFailure failure;
  std::optional<std::vector<std::string>> lines = readTextLines(path, &failure);
  if (!lines) {
    ReadResult unread = failed(ReadProblem::Kind::kUnreadable, failure.line);
    unread.problem.path = path;
    unread.problem.error = failure.error;
    return unread;
  }
  return convertImportLines(format, std::move(*lines));
}

std::vector<ImportRow> importGridCells(const std::vector<SurveyPoint>& points) {
  std::vector<ImportRow> rows;
  rows.reserve(points.size());
  for (const SurveyPoint& point : points) rows.push_back({point.name, point.n, point.e, point.z});
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

bool breaksExchangeFiles(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == ',' || c == '"' || byte < 0x20 || byte == 0x7F;
  });
}

std::vector<std::size_t> rowsBreakingFiles(const std::vector<ImportRow>& rows) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& [name, n, e, z] = rows[i];
    if (trimText(name).empty() || trimText(n).empty() || trimText(e).empty()) continue;
    if (breaksExchangeFiles(trimText(name))) found.push_back(i + 1);
  }
  return found;
}

}  // namespace vel
