// The points of a job, or of the known-point file, as the plan view draws them.
#pragma once

#include <cstdint>
#include <vector>

#include "records/PlanGeometry.h"

namespace vel {

class RecordAreaStore;

// One point per record with coordinates, in record order: STN a station, BS a
// backsight, PT and CRD measured points; every point of the known-point file
// (slot knownPointFile) is a known point. Records without coordinates, and
// records the store cannot deliver, give none.
std::vector<PlanPoint> planPoints(RecordAreaStore& store, uint8_t slot);

}  // namespace vel
