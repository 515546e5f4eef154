#include "gis/GisFormats.h"

#include "gis/GisModule.h"

// The labels are the file dialogs' words, translated there.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace vel {
namespace {

struct GisFormat {
  int id;
  const char* name;
  const char* label;
  std::vector<std::string> masks;
};

const GisFormat kGisFormats[] = {
    {kGeoPackageFormat, "gpkg", QT_TRANSLATE_NOOP("vel::Formats", "GeoPackage"), {"*.gpkg"}},
    {kShapefileFormat, "shp", QT_TRANSLATE_NOOP("vel::Formats", "ESRI Shapefile"), {"*.shp"}},
    {kGeoJsonFormat,
     "geojson",
     QT_TRANSLATE_NOOP("vel::Formats", "GeoJSON（WGS 84 经纬度）"),
     {"*.geojson", "*.json"}},
    {kKmlFormat, "kml", QT_TRANSLATE_NOOP("vel::Formats", "KML（WGS 84 经纬度）"), {"*.kml"}},
    {kGisCsvFormat,
     "gis-csv",
     QT_TRANSLATE_NOOP("vel::Formats", "CSV 带表头（UTF-8，GIS）"),
     {"*.csv"}},
    {kCadDxfFormat, "cad-dxf", QT_TRANSLATE_NOOP("vel::Formats", "DXF（CAD，分层）"), {"*.dxf"}},
};

}  // namespace

void registerGisFormats(FormatRegistry& registry) {
  for (const GisFormat& format : kGisFormats) {
    ExchangeFormatEntry entry;
    entry.id = format.id;
    entry.name = format.name;
    entry.label = format.label;
    entry.masks = format.masks;
    const int id = format.id;
    entry.write = [id](const std::string& path, const std::vector<SurveyPoint>& points,
                       const WriteContext& context) {
      WriteResult result;
      // Refused before the module is loaded: nothing to place the points with.
      if (needsCrs(id) && context.crs.empty()) {
        result.kind = WriteResult::Kind::kNeedsCrs;
        return result;
      }
      const GisModuleApi* module = gisModule();
      if (module == nullptr) {
        result.kind = WriteResult::Kind::kOther;
        result.detail = gisModuleProblem();
        return result;
      }
      return module->write(id, path, points, context);
    };
    entry.readTable = [id](const std::string& path, const ReadContext& context) {
      TableResult result;
      const GisModuleApi* module = gisModule();
      if (module == nullptr) {
        result.problem.kind = ReadProblem::Kind::kOther;
        result.problem.detail = gisModuleProblem();
        return result;
      }
      return module->readTable(id, path, context);
    };
    registry.add(std::move(entry));
  }
}

}  // namespace vel
