// One point in transit between the card and a file or a window: what every
// exchange format reads and writes, the output and import grids show, and
// the plan draws.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/SurveyRecord.h"
#include "store/FixedValue.h"
#include "store/ImageByteOrder.h"

namespace vel {

// What the point is on the card: a typed or imported point (PT), a measured
// one (CRD), a station (STN), a backsight (BS), or a known point.
enum class PointKind : uint8_t { kPT, kCRD, kSTN, kBS, kKnown };

// "PT", "CRD", "STN", "BS", "KNOWN".
const char* pointKindName(PointKind kind);

struct SurveyPoint {
  std::string name;  // bytes of code page 936, as the card holds them
  std::string code;  // the same; empty when the record has none
  PointKind kind = PointKind::kPT;
  std::string job;  // the job's name on the card; empty for known points
  // N, E and Z as decimal texts: the card's values exactly ("%ld.%03d"),
  // or as a grid cell holds them once the user typed into it.
  std::string n, e, z;
};

// A point of the card with its exact values.
SurveyPoint surveyPoint(std::string name, std::string code, PointKind kind, std::string job,
                        FixedValue n, FixedValue e, FixedValue z);

// The point a record carries: PT, CRD, STN and BS records do (every one of
// the known-point file is a known point); other kinds give none.
std::optional<SurveyPoint> surveyPointOf(const ImageByteOrder& order, RecordView record,
                                         bool knownPointFile, const std::string& job);

}  // namespace vel
