#include "gis/module/GdalWriter.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>
#include <stdlib.h>
#include <strings.h>

#include <cerrno>
#include <filesystem>
#include <memory>

#include "exchange/ExchangeFile.h"
#include "exchange/TextFormats.h"
#include "gis/GisFormats.h"
#include "gis/module/CadDxf.h"
#include "gis/module/GdalSupport.h"
#include "store/FixedValue.h"
#include "store/Gbk.h"

namespace vel {
namespace fs = std::filesystem;
namespace {

// A card's decimal text as the number GIS files hold: read by the card's
// own rule (three decimals, nothing further), so that N, E and Z are the
// card's values to the millimetre.
double cardNumber(const std::string& text) {
  const FixedValue value = parseFixed(text.empty() ? std::string_view("0") : text);
  return static_cast<double>(value.whole) + value.thousandths / 1000.0;
}

struct Placed {
  double e = 0, n = 0, z = 0;
  double lon = 0, lat = 0;
};

// Layer creation options: nothing cut, UTF-8 stated, GeoJSON as RFC 7946.
CPLStringList layerOptions(int format) {
  CPLStringList options;
  switch (format) {
    case kShapefileFormat:
      options.SetNameValue("ENCODING", "UTF-8");
      break;
    case kGeoJsonFormat:
      options.SetNameValue("RFC7946", "YES");
      // Nine decimals of a degree are a tenth of a millimetre.
      options.SetNameValue("COORDINATE_PRECISION", "9");
      break;
    case kGisCsvFormat:
      options.SetNameValue("STRING_QUOTING", "IF_NEEDED");
      options.SetNameValue("LINEFORMAT", "LF");
      break;
    default:
      break;
  }
  return options;
}

CPLStringList datasetOptions(int format) {
  CPLStringList options;
  // The point's name is the placemark's; the other attributes its data.
  if (format == kKmlFormat) options.SetNameValue("NameField", "name");
  return options;
}

void addField(OGRLayer& layer, const char* name, OGRFieldType type) {
  OGRFieldDefn field(name, type);
  if (type == OFTReal) {
    // Room for a Gauss-Kruger easting with its zone and three decimals.
    field.SetWidth(16);
    field.SetPrecision(3);
  }
  layer.CreateField(&field);
}

// The files a Shapefile is made of, besides the .shp.
constexpr const char* kShapefileSidecars[] = {".shx", ".dbf", ".prj", ".cpg"};

// Writes into a new folder beside the target and moves the file (or the
// Shapefile's files) into place only once all is written: a failure leaves
// any old file as it was.
class StagedOutput {
 public:
  // `extension`: the one GDAL's driver needs to write a file (not a folder).
  StagedOutput(const fs::path& target, const char* extension)
      : target_(target), extension_(extension) {
    std::string pattern =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      folder_ = pattern;
    } else {
      error_ = errno;
    }
  }
  ~StagedOutput() {
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
  }
  bool ready() const { return !folder_.empty(); }
  int error() const { return error_; }
  fs::path staged() const {
    fs::path name = target_.filename();
    if (*extension_ != '\0') name.replace_extension(extension_);
    return folder_ / name;
  }

  // Moves what was written into place; the Shapefile's stale sidecars of an
  // earlier write (a .prj when there is no CRS now) go.
  bool commit(bool shapefile) {
    std::error_code error;
    if (shapefile) {
      for (const char* ext : kShapefileSidecars) {
        fs::path from = staged();
        from.replace_extension(ext);
        fs::path to = target_;
        to.replace_extension(ext);
        if (fs::exists(from, error)) {
          fs::rename(from, to, error);
        } else {
          fs::remove(to, error);
          error.clear();
        }
        if (error) return fail(error);
      }
    }
    fs::rename(staged(), target_, error);
    return error ? fail(error) : true;
  }

 private:
  bool fail(const std::error_code& error) {
    error_ = error.value();
    return false;
  }
  fs::path target_;
  const char* extension_;
  fs::path folder_;
  int error_ = 0;
};

WriteResult failed(std::string detail) {
  WriteResult result;
  result.kind = WriteResult::Kind::kOther;
  result.detail = std::move(detail);
  return result;
}

// The DXF layer of a point: its code, else its kind.
std::string cadLayer(const SurveyPoint& point) {
  return point.code.empty() ? pointKindName(point.kind) : gbkToUtf8(point.code);
}

bool writeFeatures(int format, OGRLayer& layer, const std::vector<SurveyPoint>& points,
                   const std::vector<Placed>& placed, bool withLonLat) {
  const bool cad = format == kCadDxfFormat;
  const bool table = format == kGisCsvFormat;
  const bool wgs84 = needsCrs(format);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const SurveyPoint& p = points[i];
    const Placed& at = placed[i];
    OGRFeature feature(layer.GetLayerDefn());
    const std::string name = gbkToUtf8(p.name);
    if (cad) {
      // A point on its code's layer, and its name beside it as a text.
      const std::string layerName = cadLayer(p);
      feature.SetField("Layer", layerName.c_str());
      feature.SetGeometry(std::make_unique<OGRPoint>(at.e, at.n, at.z).get());
      if (layer.CreateFeature(&feature) != OGRERR_NONE) return false;
      OGRFeature label(layer.GetLayerDefn());
      label.SetField("Layer", layerName.c_str());
      std::string escaped;
      for (char c : name) {
        if (c == '"' || c == '\\') escaped += '\\';
        escaped += c;
      }
      label.SetStyleString(("LABEL(f:\"Arial\",t:\"" + escaped + "\",s:0.5g,p:1)").c_str());
      label.SetGeometry(std::make_unique<OGRPoint>(at.e, at.n, at.z).get());
      if (layer.CreateFeature(&label) != OGRERR_NONE) return false;
      continue;
    }
    feature.SetField("name", name.c_str());
    feature.SetField("code", gbkToUtf8(p.code).c_str());
    feature.SetField("kind", pointKindName(p.kind));
    if (table) {
      feature.SetField("E", at.e);
      feature.SetField("N", at.n);
      feature.SetField("Z", at.z);
      if (withLonLat) {
        feature.SetField("longitude", at.lon);
        feature.SetField("latitude", at.lat);
      }
    } else {
      feature.SetField("job", gbkToUtf8(p.job).c_str());
      feature.SetField("n", at.n);
      feature.SetField("e", at.e);
      feature.SetField("z", at.z);
      if (wgs84) {
        feature.SetGeometry(std::make_unique<OGRPoint>(at.lon, at.lat, at.z).get());
      } else {
        feature.SetGeometry(std::make_unique<OGRPoint>(at.e, at.n, at.z).get());
      }
    }
    if (layer.CreateFeature(&feature) != OGRERR_NONE) return false;
  }
  return true;
}

}  // namespace

WriteResult writeGisFile(int format, const std::string& path,
                         const std::vector<SurveyPoint>& points, const WriteContext& context) {
  registerGisDrivers();
  GdalErrorScope quiet;
  const char* driverShortName = gisDriverName(format);
  GDALDriver* driver =
      driverShortName ? GetGDALDriverManager()->GetDriverByName(driverShortName) : nullptr;
  if (driver == nullptr) return failed("GDAL has no driver for this format");

  std::unique_ptr<OGRSpatialReference> crs;
  if (!context.crs.empty()) {
    crs = projectedCrs(context.crs);
    if (!crs) return failed("unknown CRS " + context.crs);
  }
  if (needsCrs(format) && !crs) {
    WriteResult result;
    result.kind = WriteResult::Kind::kNeedsCrs;
    return result;
  }

  // The points that carry a name, N and E, placed in the CRS and on WGS 84.
  std::vector<SurveyPoint> kept;
  std::vector<Placed> placed;
  for (const SurveyPoint& p : points) {
    if (!isWrittenPoint(p)) continue;
    kept.push_back(p);
    placed.push_back({cardNumber(p.e), cardNumber(p.n), cardNumber(p.z)});
  }
  const bool withLonLat = crs != nullptr && format != kCadDxfFormat &&
                          format != kGeoPackageFormat && format != kShapefileFormat;
  if (withLonLat) {
    std::vector<double> x(placed.size()), y(placed.size());
    for (std::size_t i = 0; i < placed.size(); ++i) {
      x[i] = placed[i].e;
      y[i] = placed[i].n;
    }
    if (!toWgs84(*crs, x, y)) return failed(lastGdalError("the CRS cannot be put on WGS 84"));
    for (std::size_t i = 0; i < placed.size(); ++i) {
      placed[i].lon = x[i];
      placed[i].lat = y[i];
    }
  }

  // A Shapefile is a set of files named by the .shp's stem.
  fs::path target(path);
  if (format == kShapefileFormat && strcasecmp(target.extension().c_str(), ".shp") != 0) {
    target += ".shp";
  }
  StagedOutput output(target, format == kShapefileFormat ? ".shp"
                              : format == kGisCsvFormat  ? ".csv"
                                                         : "");
  if (!output.ready()) {
    WriteResult result;
    result.kind = WriteResult::Kind::kFailed;
    result.error = output.error();
    return result;
  }
  {
    CPLStringList options = datasetOptions(format);
    const fs::path header = output.staged().parent_path() / "header.dxf";
    if (format == kCadDxfFormat) {
      if (!writeCadDxfHeader(header)) return failed("GDAL's DXF header template is missing");
      options.SetNameValue("HEADER", header.c_str());
    }
    // The DXF is written in memory (GDAL's DXF writer seeks at every
    // entity) and put on the disk once its texts are in code page 936.
    static int memoryFiles = 0;
    const std::string written = format == kCadDxfFormat
                                    ? "/vsimem/vel-cad-" + std::to_string(++memoryFiles) + ".dxf"
                                    : output.staged().string();
    // Whatever happens, nothing stays behind in memory.
    const std::unique_ptr<const std::string, void (*)(const std::string*)> memoryFile(
        format == kCadDxfFormat ? &written : nullptr,
        [](const std::string* file) { VSIUnlink(file->c_str()); });
    GDALDataset* made = driver->Create(written.c_str(), 0, 0, 0, GDT_Unknown, options.List());
    if (made == nullptr) return failed(lastGdalError("the file cannot be created"));
    std::unique_ptr<GDALDataset, void (*)(GDALDatasetH)> dataset(made, &GDALClose);

    std::unique_ptr<OGRSpatialReference> layerCrs;
    if (needsCrs(format))
      layerCrs = wgs84();
    else if (crs && format != kGisCsvFormat && format != kCadDxfFormat)
      layerCrs.reset(crs->Clone());
    const OGRwkbGeometryType geometry = format == kGisCsvFormat ? wkbNone : wkbPoint25D;
    const std::string layerName = fs::path(path).stem().string();
    OGRLayer* layer = dataset->CreateLayer(format == kCadDxfFormat ? "entities" : layerName.c_str(),
                                           layerCrs.get(), geometry, layerOptions(format).List());
    if (layer == nullptr) return failed(lastGdalError("the layer cannot be created"));
    if (format == kGisCsvFormat) {
      for (const char* column : {"name", "code", "kind"}) addField(*layer, column, OFTString);
      for (const char* column : {"E", "N", "Z"}) addField(*layer, column, OFTReal);
      if (withLonLat) {
        for (const char* column : {"longitude", "latitude"}) {
          OGRFieldDefn field(column, OFTReal);
          field.SetWidth(14);
          field.SetPrecision(9);
          layer->CreateField(&field);
        }
      }
    } else if (format != kCadDxfFormat) {
      for (const char* column : {"name", "code", "kind", "job"})
        addField(*layer, column, OFTString);
      for (const char* column : {"n", "e", "z"}) addField(*layer, column, OFTReal);
    }
    // A site grid in a GeoPackage: its "undefined Cartesian" system, not the
    // undefined geographic one GDAL gives a layer without a CRS.
    if (format == kGeoPackageFormat && !crs) {
      const std::string table = layer->GetName();
      for (const char* sql : {"UPDATE gpkg_geometry_columns SET srs_id = -1 WHERE table_name = ",
                              "UPDATE gpkg_contents SET srs_id = -1 WHERE table_name = "}) {
        char* quoted = CPLEscapeString(table.c_str(), -1, CPLES_SQL);
        dataset->ExecuteSQL((std::string(sql) + "'" + quoted + "'").c_str(), nullptr, nullptr);
        CPLFree(quoted);
      }
    }
    // GeoPackage writes its points in one transaction; the others have none.
    const bool inTransaction = dataset->StartTransaction() == OGRERR_NONE;
    if (!writeFeatures(format, *layer, kept, placed, withLonLat) ||
        (inTransaction && dataset->CommitTransaction() != OGRERR_NONE)) {
      return failed(lastGdalError("a point cannot be written"));
    }
    // Closing writes what is left; GDAL says a failure there only as an error.
    CPLErrorReset();
    dataset->FlushCache(true);
    dataset.reset();
    if (CPLGetLastErrorType() >= CE_Failure)
      return failed(lastGdalError("the file cannot be written"));
    if (format == kCadDxfFormat) {
      vsi_l_offset size = 0;
      GByte* bytes = VSIGetMemFileBuffer(written.c_str(), &size, TRUE);
      if (bytes == nullptr) return failed("the DXF cannot be written");
      const std::string dxf = cadDxfTextsAsGbk(
          std::string_view(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size)));
      CPLFree(bytes);
      if (!replaceFileWhole(output.staged().string(), dxf)) {
        WriteResult result;
        result.kind = WriteResult::Kind::kFailed;
        result.error = errno;
        return result;
      }
    }
  }
  if (!output.commit(format == kShapefileFormat)) {
    WriteResult result;
    result.kind = WriteResult::Kind::kFailed;
    result.error = output.error();
    return result;
  }
  return {};
}

}  // namespace vel
