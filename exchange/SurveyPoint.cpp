#include "exchange/SurveyPoint.h"

#include <algorithm>

namespace vel {

const char* pointKindName(PointKind kind) {
  switch (kind) {
    case PointKind::kPT:
      return "PT";
    case PointKind::kCRD:
      return "CRD";
    case PointKind::kSTN:
      return "STN";
    case PointKind::kBS:
      return "BS";
    case PointKind::kKnown:
      return "KNOWN";
  }
  return "PT";
}

SurveyPoint surveyPoint(std::string name, std::string code, PointKind kind, std::string job,
                        FixedValue n, FixedValue e, FixedValue z) {
  return {std::move(name), std::move(code), kind,          std::move(job),
          formatFixed(n),  formatFixed(e),  formatFixed(z)};
}

std::optional<SurveyPoint> surveyPointOf(const ImageByteOrder& order, RecordView record,
                                         bool knownPointFile, const std::string& job) {
  namespace layout = record_layout;
  const auto text = [&](int offset) {
    const auto* begin = record.data() + offset;
    return std::string(begin, std::find(begin, begin + layout::kTextSize, uint8_t{0}));
  };
  const auto fixed = [&](int offset) { return order.fixedFromImage(record.data() + offset); };
  PointKind kind;
  switch (record[layout::kKind]) {
    case kPT:
      // A PT record has no code: bytes 10-18 mean nothing in it.
      return surveyPoint(text(layout::kName), {},
                         knownPointFile ? PointKind::kKnown : PointKind::kPT, job,
                         fixed(layout::kPointN), fixed(layout::kPointE), fixed(layout::kPointZ));
    case kCRD:
      kind = PointKind::kCRD;
      break;
    case kSTN:
      kind = PointKind::kSTN;
      break;
    case kBS:
      kind = PointKind::kBS;
      break;
    default:
      return std::nullopt;  // angles and distances only, or a kind nobody knows
  }
  if (knownPointFile) kind = PointKind::kKnown;
  const std::string code = record[layout::kCode] == 0 ? std::string() : text(layout::kCode);
  return surveyPoint(text(layout::kName), code, kind, job, fixed(layout::kSurveyN),
                     fixed(layout::kSurveyE), fixed(layout::kSurveyZ));
}

}  // namespace vel
