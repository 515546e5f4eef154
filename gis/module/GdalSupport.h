// What the GIS module's parts share of GDAL and PROJ.
#pragma once

#include <memory>
#include <string>
#include <vector>

class OGRSpatialReference;

namespace vel {

// Registers the six drivers the program uses, once; GDAL's other drivers
// are never loaded.
void registerGisDrivers();

// Keeps GDAL's errors off the terminal while alive; they are read back with
// CPLGetLastErrorMsg().
class GdalErrorScope {
 public:
  GdalErrorScope();
  ~GdalErrorScope();
  GdalErrorScope(const GdalErrorScope&) = delete;
  GdalErrorScope& operator=(const GdalErrorScope&) = delete;
};

// "EPSG:N" with x the easting (or longitude) whatever the EPSG axis order
// says; nullptr for a code PROJ does not know.
std::unique_ptr<OGRSpatialReference> projectedCrs(const std::string& code);
std::unique_ptr<OGRSpatialReference> wgs84();

// x and y (easting, northing in `from`) become longitude and latitude on
// WGS 84, in place. False when PROJ has no way there.
bool toWgs84(const OGRSpatialReference& from, std::vector<double>& x, std::vector<double>& y);

}  // namespace vel
