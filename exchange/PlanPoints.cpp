#include "exchange/PlanPoints.h"

#include <algorithm>
#include <array>

#include "records/SurveyRecord.h"
#include "store/RecordAreaStore.h"

namespace vel {

namespace {

namespace layout = record_layout;

std::string textField(const std::array<uint8_t, kRecordSize>& record, int offset) {
  const auto* begin = record.data() + offset;
  const auto* end = std::find(begin, begin + layout::kTextSize, uint8_t{0});
  return std::string(begin, end);
}

// Both parts carry the value's sign, so their sum is the value.
double metres(FixedValue value) {
  return value.whole + value.thousandths / 1000.0;
}

PlanPoint pointAt(const ImageByteOrder& order, const std::array<uint8_t, kRecordSize>& record,
                  int nOffset, PlanPointKind kind) {
  PlanPoint point;
  point.name = textField(record, layout::kName);
  point.n = metres(order.fixedFromImage(record.data() + nOffset));
  point.e = metres(order.fixedFromImage(record.data() + nOffset + 6));
  point.z = metres(order.fixedFromImage(record.data() + nOffset + 12));
  point.kind = kind;
  return point;
}

}  // namespace

std::vector<PlanPoint> planPoints(RecordAreaStore& store, uint8_t slot) {
  std::vector<PlanPoint> points;
  const bool known = slot == store.knownPointFile();
  const int count = store.recordCount(slot);
  points.reserve(count);
  std::array<uint8_t, kRecordSize> record{};
  for (int i = 0; i < count; ++i) {
    if (store.readRecord(slot, i, kRecordSize, record.data()) != kDone) continue;
    const uint8_t kind = record[layout::kKind];
    if (kind == kPT) {
      // A PT record has no code: bytes 10-18 mean nothing in it.
      points.push_back(pointAt(store.byteOrder(), record, layout::kPointN,
                               known ? PlanPointKind::kKnown : PlanPointKind::kMeasured));
      continue;
    }
    PlanPointKind planKind;
    switch (kind) {
      case kCRD:
        planKind = PlanPointKind::kMeasured;
        break;
      case kSTN:
        planKind = PlanPointKind::kStation;
        break;
      case kBS:
        planKind = PlanPointKind::kBacksight;
        break;
      default:
        continue;  // angles and distances only, or a kind nobody knows
    }
    if (known) planKind = PlanPointKind::kKnown;
    PlanPoint point = pointAt(store.byteOrder(), record, layout::kSurveyN, planKind);
    if (record[layout::kCode] != 0) point.code = textField(record, layout::kCode);
    points.push_back(std::move(point));
  }
  return points;
}

}  // namespace vel
