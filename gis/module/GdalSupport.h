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

// x and y (easting and northing, or longitude and latitude) from one CRS
// into another, in place; both must map x to the easting. False when PROJ
// has no way there.
bool transformPlaces(const OGRSpatialReference& from, const OGRSpatialReference& to,
                     std::vector<double>& x, std::vector<double>& y);
// The same onto WGS 84: longitude and latitude.
bool toWgs84(const OGRSpatialReference& from, std::vector<double>& x, std::vector<double>& y);

// GDAL's last error message, or the fallback when it gave none.
std::string lastGdalError(const char* fallback);

// GDAL's driver of a GIS format, or nullptr.
const char* gisDriverName(int format);

}  // namespace vel
