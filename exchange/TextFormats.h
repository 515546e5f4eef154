// The seven text formats as entries of the format registry: QPL, PTS,
// SCS2002, SV300, CASS5.X and CSV read and written, DXF written, numbered 1
// to 7 as they always were, their bytes those of ExchangeFile.h.
#pragma once

#include <string>
#include <vector>

#include "exchange/FormatRegistry.h"

namespace vel {

void registerTextFormats(FormatRegistry& registry);

// Every format leaves out a point without a name, N or E.
bool isWrittenPoint(const SurveyPoint& point);

// The point lines the text formats are written from: name and code as they
// are, N, E and Z cut to 11 bytes (an empty Z is "0.000"). Points without a
// name, N or E are left out.
std::vector<std::string> pointLinesOf(const std::vector<SurveyPoint>& points);

// The points written whose N, E or Z is longer than the 11 bytes a point
// line holds, and so cut: how many, and the first one's name.
struct CoordinateCut {
  int points = 0;
  std::string first;
};
CoordinateCut coordinatesCut(const std::vector<SurveyPoint>& points);

}  // namespace vel
