// The GIS and CAD files written through GDAL/OGR.
#pragma once

#include <string>
#include <vector>

#include "exchange/FormatRegistry.h"

namespace vel {

WriteResult writeGisFile(int format, const std::string& path,
                         const std::vector<SurveyPoint>& points, const WriteContext& context);

}  // namespace vel
