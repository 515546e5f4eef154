#include "gis/module/GdalSupport.h"

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <mutex>

#include "gis/GisFormats.h"

namespace vel {

void registerGisDrivers() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterOGRGeoPackage();
    RegisterOGRShape();
    RegisterOGRGeoJSON();
    RegisterOGRKML();
    RegisterOGRCSV();
    RegisterOGRDXF();
  });
}

GdalErrorScope::GdalErrorScope() {
  CPLPushErrorHandler(CPLQuietErrorHandler);
  CPLErrorReset();
}

GdalErrorScope::~GdalErrorScope() {
  CPLPopErrorHandler();
}

std::unique_ptr<OGRSpatialReference> projectedCrs(const std::string& code) {
  auto crs = std::make_unique<OGRSpatialReference>();
  if (code.rfind("EPSG:", 0) != 0) return nullptr;
  const int number = std::atoi(code.c_str() + 5);
  if (number <= 0 || crs->importFromEPSG(number) != OGRERR_NONE) return nullptr;
  crs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  return crs;
}

std::unique_ptr<OGRSpatialReference> wgs84() {
  auto crs = std::make_unique<OGRSpatialReference>();
  crs->importFromEPSG(4326);
  crs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  return crs;
}

bool toWgs84(const OGRSpatialReference& from, std::vector<double>& x, std::vector<double>& y) {
  return transformPlaces(from, *wgs84(), x, y);
}

const char* gisDriverName(int format) {
  switch (format) {
    case kGeoPackageFormat: return "GPKG";
    case kShapefileFormat: return "ESRI Shapefile";
    case kGeoJsonFormat: return "GeoJSON";
    case kKmlFormat: return "KML";
    case kGisCsvFormat: return "CSV";
    case kCadDxfFormat: return "DXF";
    default: return nullptr;
  }
}

bool transformPlaces(const OGRSpatialReference& from, const OGRSpatialReference& to,
                     std::vector<double>& x, std::vector<double>& y) {
  std::unique_ptr<OGRCoordinateTransformation> transform(
      OGRCreateCoordinateTransformation(&from, &to));
  if (!transform) return false;
  if (x.empty()) return true;
  std::vector<int> success(x.size(), 0);
  return transform->Transform(x.size(), x.data(), y.data(), nullptr, success.data()) &&
         std::all_of(success.begin(), success.end(), [](int ok) { return ok != 0; });
}

}  // namespace vel
