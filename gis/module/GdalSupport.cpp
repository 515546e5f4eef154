#include "gis/module/GdalSupport.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>

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

std::string lastGdalError(const char* fallback) {
  const char* message = CPLGetLastErrorMsg();
  return message != nullptr && *message != '\0' ? message : fallback;
}

const char* gisDriverName(int format) {
  switch (format) {
    case kGeoPackageFormat:
      return "GPKG";
    case kShapefileFormat:
      return "ESRI Shapefile";
    case kGeoJsonFormat:
      return "GeoJSON";
    case kKmlFormat:
      return "KML";
    case kGisCsvFormat:
      return "CSV";
    case kCadDxfFormat:
      return "DXF";
    default:
      return nullptr;
  }
}

namespace {

// A CRS as a key: its authority's code, else its whole WKT.
std::string crsKey(const OGRSpatialReference& crs) {
  const char* authority = crs.GetAuthorityName(nullptr);
  const char* code = crs.GetAuthorityCode(nullptr);
  if (authority != nullptr && code != nullptr) return std::string(authority) + ':' + code;
  char* wkt = nullptr;
  crs.exportToWkt(&wkt);
  std::string key = wkt != nullptr ? wkt : "";
  CPLFree(wkt);
  return key;
}

}  // namespace

bool transformPlaces(const OGRSpatialReference& from, const OGRSpatialReference& to,
                     std::vector<double>& x, std::vector<double>& y) {
  // PROJ takes tens of milliseconds to find the way between two CRSs, and a
  // thousandth of that to go it: each way found is kept. The program uses
  // few CRSs; the cache starts afresh past a handful.
  // Never destroyed: PROJ's own state may be gone by the time the program's
  // statics are, and a way destroyed then would reach into it.
  static auto& found = *new std::map<std::string, std::unique_ptr<OGRCoordinateTransformation>>;
  const std::string key = crsKey(from) + " > " + crsKey(to);
  auto way = found.find(key);
  if (way == found.end()) {
    std::unique_ptr<OGRCoordinateTransformation> made(
        OGRCreateCoordinateTransformation(&from, &to));
    if (!made) return false;
    if (found.size() >= 8) found.clear();
    way = found.emplace(key, std::move(made)).first;
  }
  if (x.empty()) return true;
  std::vector<int> success(x.size(), 0);
  return way->second->Transform(x.size(), x.data(), y.data(), nullptr, success.data()) &&
         std::all_of(success.begin(), success.end(), [](int ok) { return ok != 0; });
}

}  // namespace vel
