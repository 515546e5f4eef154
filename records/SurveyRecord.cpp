#include "records/SurveyRecord.h"

#include <algorithm>
#include <cstdio>

#include "records/PointLine.h"
#include "records/NumberText.h"

namespace vel {

namespace layout = record_layout;

namespace {

// "BS:  " is one character shorter than the others, as the instrument shows it.
constexpr const char* kLabels[] = {
    "CRD:  ", "DIST: ", "ANG:  ", "STN:  ", "PT:   ", "BKB:  ", "BS:  "};

std::string recordTextField(RecordView record, int offset) {
  const auto* begin = record.data() + offset;
  const auto* end = std::find(begin, begin + layout::kTextSize, uint8_t{0});
  return std::string(begin, end);
}

std::string codeOf(RecordView record) {
  return record[layout::kCode] == 0 ? std::string() : recordTextField(record, layout::kCode);
}

std::string realText(const ImageByteOrder& order, RecordView record, int offset) {
  return formatThreeDecimals(static_cast<double>(order.float32FromImage(record.data() + offset)));
}

std::string angleAt(const ImageByteOrder& order, RecordView record, int offset) {
  return angleText(static_cast<uint32_t>(order.int32FromImage(record.data() + offset)));
}

std::string fixedAt(const ImageByteOrder& order, RecordView record, int offset) {
  return formatFixed(order.fixedFromImage(record.data() + offset));
}

}  // namespace

std::string angleText(uint32_t seconds) {
  const unsigned s = seconds % 60;
  const unsigned m = (seconds / 60) % 60;
  const unsigned degrees = (seconds / 60 / 60) % 65536;
  char text[24];
  std::snprintf(text, sizeof text, "%u.%02u%02u", degrees, m, s);
  return text;
}

std::string recordText(const ImageByteOrder& order, RecordView record) {
  const uint8_t kind = record[layout::kKind];
  if (kind > kBS) return "Unknown Record";

  std::string text = kLabels[kind];
  text += recordTextField(record, layout::kName);
  auto add = [&text](const std::string& value) {
    text += ',';
    text += value;
  };

  switch (kind) {
    case kPT:
      add(fixedAt(order, record, layout::kPointN));
      add(fixedAt(order, record, layout::kPointE));
      add(fixedAt(order, record, layout::kPointZ));
      return text;  // a PT record has no code, whatever bytes 10-18 hold
    case kCRD:
    case kSTN:
    case kBS:
      add(realText(order, record, layout::kReal));
      add(fixedAt(order, record, layout::kSurveyN));
      add(fixedAt(order, record, layout::kSurveyE));
      add(fixedAt(order, record, layout::kSurveyZ));
      break;
    case kDIST:
      add(realText(order, record, layout::kReal));
      add(angleAt(order, record, layout::kAngle2));
      add(angleAt(order, record, layout::kAngle1));
      add(realText(order, record, layout::kDistance));
      break;
    case kANG:
      add(realText(order, record, layout::kReal));
      add(angleAt(order, record, layout::kAngle2));
      add(angleAt(order, record, layout::kAngle1));
      break;
    case kBKB:
      add(realText(order, record, layout::kReal));
      add(angleAt(order, record, layout::kAngle1));
      add(angleAt(order, record, layout::kAngle2));
      break;
  }
  if (const std::string code = codeOf(record); !code.empty()) add(code);
  return text;
}

std::string recordFields(std::string_view row) {
  for (std::string_view label : kLabels) {
    if (!row.starts_with(label)) continue;
    std::string fields(label.substr(0, label.find(':')));
    fields += '\t';
    for (char c : row.substr(label.size())) fields += c == ',' ? '\t' : c;
    return fields;
  }
  return std::string(row);  // "Unknown Record"
}

std::string pointLineFromPointRecord(const ImageByteOrder& order, RecordView record) {
  return buildPointLine(
      recordTextField(record, layout::kName), "", fixedAt(order, record, layout::kPointN),
      fixedAt(order, record, layout::kPointE), fixedAt(order, record, layout::kPointZ));
}

std::string pointLineFromSurveyRecord(const ImageByteOrder& order, RecordView record) {
  return buildPointLine(recordTextField(record, layout::kName), codeOf(record),
                        fixedAt(order, record, layout::kSurveyN),
                        fixedAt(order, record, layout::kSurveyE),
                        fixedAt(order, record, layout::kSurveyZ));
}

void buildPointRecord(const ImageByteOrder& order, std::string_view name, FixedValue n,
                      FixedValue e, FixedValue z, RecordBuffer record) {
  std::fill(record.begin(), record.end(), uint8_t{0});
  record[layout::kKind] = kPT;
  const std::size_t length = std::min<std::size_t>(name.size(), kNameLength);
  std::copy_n(name.begin(), length, record.begin() + layout::kName);
  order.fixedToImage(n, record.data() + layout::kPointN);
  order.fixedToImage(e, record.data() + layout::kPointE);
  order.fixedToImage(z, record.data() + layout::kPointZ);
}

}  // namespace vel
