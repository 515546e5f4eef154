// The GIS and CAD files read through GDAL/OGR, into the image's CRS.
#pragma once

#include <string>

#include "exchange/FormatRegistry.h"

namespace vel {

TableResult readGisTable(int format, const std::string& path, const ReadContext& context);

}  // namespace vel
