#include "exchange/PointOutput.h"

#include <algorithm>

#include "records/PointLine.h"
#include "records/SurveyRecord.h"
#include "store/RecordAreaStore.h"

namespace vel {

std::vector<std::string> jobPointLines(RecordAreaStore& store, uint8_t slot) {
  std::vector<std::string> lines;
  const int count = store.recordCount(slot);
  std::array<uint8_t, kRecordSize> record{};
  for (int i = 0; i < count; ++i) {
    if (store.readRecord(slot, i, kRecordSize, record.data()) != kDone) continue;
    switch (record[record_layout::kKind]) {
      case kPT:
        lines.push_back(pointLineFromPointRecord(store.byteOrder(), record));
        break;
      case kCRD:
      case kSTN:
        lines.push_back(pointLineFromSurveyRecord(store.byteOrder(), record));
        break;
      default:
        break;  // BS carries coordinates too, but is no point of the job
    }
  }
  return lines;
}

std::vector<OutputRow> outputGridCells(const std::vector<std::string>& pointLines) {
  std::vector<OutputRow> rows;
  rows.reserve(pointLines.size());
  for (const std::string& line : pointLines) {
    rows.push_back({pointLineName(line), pointLineN(line), pointLineE(line), pointLineZ(line),
                    pointLineCode(line)});
  }
  return rows;
}

std::vector<std::string> collectGridLines(const std::vector<OutputRow>& rows) {
  std::vector<std::string> lines;
  const std::size_t count = std::min(rows.size(), static_cast<std::size_t>(kOutputGridRows));
  for (std::size_t i = 0; i < count; ++i) {
    const auto& [name, n, e, z, code] = rows[i];
    if (trimText(name).empty() || trimText(n).empty() || trimText(e).empty()) continue;
    const std::string_view zText = z.empty() ? std::string_view("0.000") : std::string_view(z);
    lines.push_back(buildPointLine(name, code, cutText(n, kPointCoordinateLimit),
                                   cutText(e, kPointCoordinateLimit),
                                   cutText(zText, kPointCoordinateLimit)));
  }
  return lines;
}

}  // namespace vel
