// The points of a job, or of the known-point file, as the plan view draws them.
#pragma once

#include <vector>

#include "exchange/SurveyPoint.h"
#include "records/PlanGeometry.h"

namespace vel {

// One plan point per point, in order: STN a station, BS a backsight, PT and
// CRD measured points, known points known.
std::vector<PlanPoint> planPoints(const std::vector<SurveyPoint>& points);

}  // namespace vel
