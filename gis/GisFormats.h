// The GIS and CAD formats as entries of the format registry, after the seven
// text formats: GeoPackage, Shapefile, GeoJSON, KML, CSV with a header row
// and a DXF for CAD. The programs register them at start; the work is done
// by the GIS module, loaded when one is first written.
#pragma once

#include "exchange/FormatRegistry.h"

namespace vel {

constexpr int kGeoPackageFormat = 8;
constexpr int kShapefileFormat = 9;
constexpr int kGeoJsonFormat = 10;
constexpr int kKmlFormat = 11;
constexpr int kGisCsvFormat = 12;
constexpr int kCadDxfFormat = 13;

void registerGisFormats(FormatRegistry& registry);

inline bool isGisFormat(int format) {
  return format >= kGeoPackageFormat && format <= kCadDxfFormat;
}

// GeoJSON and KML hold longitude and latitude on WGS 84 only.
inline bool needsCrs(int format) {
  return format == kGeoJsonFormat || format == kKmlFormat;
}

}  // namespace vel
