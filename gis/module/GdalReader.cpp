#include "gis/module/GdalReader.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <map>
#include <memory>
#include <utility>

#include "exchange/CoordinateImport.h"
#include "gis/GisFormats.h"
#include "gis/module/CadDxf.h"
#include "gis/module/GdalSupport.h"

namespace vel {
namespace {

// No more than the import grid holds is read, whatever the file holds.
constexpr std::size_t kReadRows = kImportGridRows;

// A file's CRS as the messages name it: "EPSG:4326 WGS 84", or its name.
std::string crsDescription(const OGRSpatialReference& crs) {
  const char* authority = crs.GetAuthorityName(nullptr);
  const char* code = crs.GetAuthorityCode(nullptr);
  const char* name = crs.GetName();
  std::string text;
  if (authority != nullptr && code != nullptr) text = std::string(authority) + ":" + code + " ";
  return text + (name != nullptr ? name : "");
}

ReadProblem problemOf(ReadProblem::Kind kind, std::string detail = {}) {
  ReadProblem problem;
  problem.kind = kind;
  problem.detail = std::move(detail);
  return problem;
}

bool isPointGeometry(OGRwkbGeometryType type) {
  type = wkbFlatten(type);
  return type == wkbPoint || type == wkbMultiPoint;
}

// The layer to read: the one named, else the first that holds points.
OGRLayer* chosenLayer(GDALDataset& dataset, const std::string& name) {
  if (!name.empty()) return dataset.GetLayerByName(name.c_str());
  OGRLayer* first = nullptr;
  for (OGRLayer* layer : dataset.GetLayers()) {
    if (first == nullptr) first = layer;
    if (isPointGeometry(layer->GetGeomType())) return layer;
  }
  return first;  // a layer of mixed geometries (DXF, KML folders, CSV)
}

// Collects the points of one feature's geometry: points always, the
// vertices of lines and areas when asked.
void collectPlaces(const OGRGeometry* geometry, bool lines,
                   std::vector<std::pair<OGRPoint, bool>>& places) {
  if (geometry == nullptr) return;
  const OGRwkbGeometryType type = wkbFlatten(geometry->getGeometryType());
  if (type == wkbPoint) {
    places.emplace_back(*geometry->toPoint(), false);
  } else if (OGR_GT_IsSubClassOf(type, wkbGeometryCollection)) {
    for (const OGRGeometry* part : *geometry->toGeometryCollection()) {
      collectPlaces(part, lines, places);
    }
  } else if (type == wkbPolygon) {
    if (!lines) return;
    for (const OGRLinearRing* ring : *geometry->toPolygon()) collectPlaces(ring, lines, places);
  } else if (OGR_GT_IsCurve(type) && lines) {
    const OGRSimpleCurve* curve = dynamic_cast<const OGRSimpleCurve*>(geometry);
    if (curve == nullptr) return;
    for (int i = 0; i < curve->getNumPoints(); ++i) {
      OGRPoint vertex;
      curve->getPoint(i, &vertex);
      places.emplace_back(vertex, true);
    }
  }
}

// A DXF holds no fields of its own: a POINT's name is the text written at
// its place (as this program writes it), an INSERT's its attributes'; the
// layer says the code.
struct DxfPoint {
  OGRPoint place;
  std::string layer;
  std::map<std::string, std::string> attributes;
  bool vertex = false;
};

FeatureTable dxfTable(OGRLayer& layer, bool lines) {
  std::vector<DxfPoint> points;
  std::map<std::pair<double, double>, std::string> texts;
  const int textField = layer.GetLayerDefn()->GetFieldIndex("Text");
  const int layerField = layer.GetLayerDefn()->GetFieldIndex("Layer");
  const int attributesField = layer.GetLayerDefn()->GetFieldIndex("BlockAttributes");
  const int blockField = layer.GetLayerDefn()->GetFieldIndex("BlockName");
  layer.ResetReading();
  for (auto& feature : layer) {
    const OGRGeometry* geometry = feature->GetGeometryRef();
    if (geometry == nullptr) continue;
    const std::string layerName =
        layerField >= 0 ? decodeDxfUnicode(feature->GetFieldAsString(layerField)) : "";
    const bool isText = textField >= 0 && feature->IsFieldSetAndNotNull(textField) &&
                        wkbFlatten(geometry->getGeometryType()) == wkbPoint;
    const bool isInsert = blockField >= 0 && feature->IsFieldSetAndNotNull(blockField);
    if (isText && !isInsert) {
      const OGRPoint* at = geometry->toPoint();
      texts.emplace(std::make_pair(at->getX(), at->getY()),
                    decodeDxfUnicode(feature->GetFieldAsString(textField)));
      continue;
    }
    std::vector<std::pair<OGRPoint, bool>> places;
    collectPlaces(geometry, lines, places);
    std::map<std::string, std::string> attributes;
    if (isInsert && attributesField >= 0) {
      // "TAG value" per attribute.
      char** list = feature->GetFieldAsStringList(attributesField);
      for (int i = 0; list != nullptr && list[i] != nullptr; ++i) {
        const std::string item = decodeDxfUnicode(list[i]);
        const std::size_t space = item.find(' ');
        attributes[item.substr(0, space)] =
            space == std::string::npos ? "" : item.substr(space + 1);
      }
    }
    // Past what the grid holds only the texts are read on, for the names.
    for (const auto& [place, vertex] : places) {
      if (points.size() < kReadRows) points.push_back({place, layerName, attributes, vertex});
    }
  }
  FeatureTable table;
  table.layer = layer.GetName();
  table.fields = {"name", "layer"};
  for (const DxfPoint& p : points) {
    for (const auto& [tag, value] : p.attributes) {
      if (fieldNamed(table.fields, tag) < 0) table.fields.push_back(tag);
    }
  }
  for (const DxfPoint& p : points) {
    FeatureRow row;
    row.values.assign(table.fields.size(), {});
    const auto text = texts.find({p.place.getX(), p.place.getY()});
    if (text != texts.end() && !p.vertex) row.values[0] = text->second;
    row.values[1] = p.layer;
    for (const auto& [tag, value] : p.attributes) row.values[fieldNamed(table.fields, tag)] = value;
    row.x = p.place.getX();
    row.y = p.place.getY();
    row.hasZ = p.place.Is3D();
    row.z = p.place.getZ();
    row.vertex = p.vertex;
    table.rows.push_back(std::move(row));
  }
  return table;
}

FeatureTable attributeTable(OGRLayer& layer, bool lines) {
  FeatureTable table;
  table.layer = layer.GetName();
  OGRFeatureDefn* definition = layer.GetLayerDefn();
  for (int i = 0; i < definition->GetFieldCount(); ++i) {
    table.fields.emplace_back(definition->GetFieldDefn(i)->GetNameRef());
  }
  layer.ResetReading();
  for (auto& feature : layer) {
    std::vector<std::pair<OGRPoint, bool>> places;
    collectPlaces(feature->GetGeometryRef(), lines, places);
    std::vector<std::string> values;
    for (int i = 0; i < definition->GetFieldCount(); ++i) {
      values.emplace_back(feature->IsFieldSetAndNotNull(i) ? feature->GetFieldAsString(i) : "");
    }
    if (table.rows.size() >= kReadRows) break;
    for (const auto& [place, vertex] : places) {
      FeatureRow row;
      row.values = values;
      row.x = place.getX();
      row.y = place.getY();
      row.hasZ = place.Is3D();
      row.z = place.getZ();
      row.vertex = vertex;
      table.rows.push_back(std::move(row));
    }
  }
  return table;
}

CPLStringList openOptions(int format) {
  CPLStringList options;
  if (format == kGisCsvFormat) {
    // Columns found by their header: the easting and northing this program
    // and surveyors' tables use.
    options.SetNameValue("X_POSSIBLE_NAMES", "E,East,Easting,X,Y坐标,东坐标");
    options.SetNameValue("Y_POSSIBLE_NAMES", "N,North,Northing,Y,X坐标,北坐标");
    options.SetNameValue("Z_POSSIBLE_NAMES", "Z,H,Height,Elevation,高程");
    options.SetNameValue("KEEP_GEOM_COLUMNS", "YES");
    options.SetNameValue("AUTODETECT_TYPE", "NO");
  }
  return options;
}

}  // namespace

TableResult readGisTable(int format, const std::string& path, const ReadContext& context) {
  registerGisDrivers();
  GdalErrorScope quiet;
  TableResult result;
  const char* drivers[] = {gisDriverName(format), nullptr};
  // A block's INSERT as one point with its attributes, not its drawing.
  CPLConfigOptionSetter blocksAsPoints("DXF_INLINE_BLOCKS", "FALSE", true);
  // GDAL takes a CSV of another extension only when told so.
  const std::string opened =
      format == kGisCsvFormat && !path.ends_with(".csv") && !path.ends_with(".CSV") ? "CSV:" + path
                                                                                    : path;
  std::unique_ptr<GDALDataset> dataset(GDALDataset::Open(
      opened.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers, openOptions(format).List()));
  if (!dataset) {
    result.problem = problemOf(ReadProblem::Kind::kOther, lastGdalError("the file cannot be read"));
    return result;
  }
  // A DXF's drawing is its "entities" layer; "blocks" holds the blocks' insides.
  OGRLayer* layer = chosenLayer(
      *dataset, context.layer.empty() && format == kCadDxfFormat ? "entities" : context.layer);
  if (layer == nullptr) {
    result.problem = problemOf(ReadProblem::Kind::kNoPoints, context.layer);
    return result;
  }

  // Into the image's CRS, or refused when only one side has one. A CSV or
  // a DXF says nothing of its CRS: its coordinates are taken as the image's.
  // GeoPackage's undefined Cartesian system is a site grid: no CRS.
  const bool carriesCrs = format != kGisCsvFormat && format != kCadDxfFormat;
  const OGRSpatialReference* fileCrs = carriesCrs ? layer->GetSpatialRef() : nullptr;
  if (fileCrs != nullptr && fileCrs->IsLocal()) fileCrs = nullptr;
  std::unique_ptr<OGRSpatialReference> imageCrs;
  if (!context.crs.empty()) {
    imageCrs = projectedCrs(context.crs);
    if (!imageCrs) {
      result.problem = problemOf(ReadProblem::Kind::kOther, "unknown CRS " + context.crs);
      return result;
    }
  }
  if (carriesCrs && (fileCrs == nullptr) != (imageCrs == nullptr)) {
    result.problem = problemOf(ReadProblem::Kind::kCrsMismatch);
    if (fileCrs != nullptr) result.problem.fileCrs = crsDescription(*fileCrs);
    if (imageCrs != nullptr) result.problem.imageCrs = crsDescription(*imageCrs);
    return result;
  }

  result.table = format == kCadDxfFormat ? dxfTable(*layer, context.lines)
                                         : attributeTable(*layer, context.lines);
  if (fileCrs != nullptr) {
    OGRSpatialReference from(*fileCrs);
    from.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::vector<double> x, y;
    for (const FeatureRow& row : result.table.rows) {
      x.push_back(row.x);
      y.push_back(row.y);
    }
    if (!transformPlaces(from, *imageCrs, x, y)) {
      result.problem =
          problemOf(ReadProblem::Kind::kOther, lastGdalError("PROJ cannot transform the points"));
      return result;
    }
    for (std::size_t i = 0; i < x.size(); ++i) {
      result.table.rows[i].x = x[i];
      result.table.rows[i].y = y[i];
    }
  }
  if (result.table.rows.empty()) {
    result.problem = problemOf(ReadProblem::Kind::kNoPoints, result.table.layer);
  }
  return result;
}

}  // namespace vel
