#include "exchange/PlanPoints.h"

#include "records/NumberText.h"

namespace vel {

std::vector<PlanPoint> planPoints(const std::vector<SurveyPoint>& points) {
  std::vector<PlanPoint> plan;
  plan.reserve(points.size());
  for (const SurveyPoint& p : points) {
    PlanPoint point;
    point.name = p.name;
    point.code = p.code;
    point.n = leadingNumberValue(p.n);
    point.e = leadingNumberValue(p.e);
    point.z = leadingNumberValue(p.z);
    switch (p.kind) {
      case PointKind::kSTN:
        point.kind = PlanPointKind::kStation;
        break;
      case PointKind::kBS:
        point.kind = PlanPointKind::kBacksight;
        break;
      case PointKind::kKnown:
        point.kind = PlanPointKind::kKnown;
        break;
      case PointKind::kPT:
      case PointKind::kCRD:
        point.kind = PlanPointKind::kMeasured;
        break;
    }
    plan.push_back(std::move(point));
  }
  return plan;
}

}  // namespace vel
