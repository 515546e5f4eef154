// The GIS formats over a full job (3072 points with a CRS): each file
// written and read back into the import grid, the points put on WGS 84, the
// CRS list searched as the user types, and a text file's type checked. GDAL's drivers and the CRS
// list are loaded before the timing.
#include <benchmark/benchmark.h>
#include <ogr_spatialref.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "exchange/CoordinateImport.h"
#include "exchange/ExchangeFormats.h"
#include "exchange/FormatCheck.h"
#include "exchange/FormatRegistry.h"
#include "exchange/SurveyPoint.h"
#include "gis/Crs.h"
#include "gis/GisFormats.h"
#include "gis/GisModule.h"
#include "gis/module/GdalSupport.h"

namespace {

std::vector<vel::SurveyPoint> fullJob() {
  std::vector<vel::SurveyPoint> points;
  for (int i = 0; i < 3072; ++i) {
    points.push_back(vel::surveyPoint("P" + std::to_string(i), i % 3 ? "" : "K1",
                                      vel::PointKind::kCRD, "FULL", {3380000 + i, 125},
                                      {512345 + i / 2, 678}, {40, static_cast<int16_t>(i % 999)}));
  }
  return points;
}

void writeFormat(benchmark::State& state, int format, const char* extension) {
  vel::registerGisFormats(vel::FormatRegistry::instance());
  const vel::ExchangeFormatEntry* entry = vel::FormatRegistry::instance().byId(format);
  const std::vector<vel::SurveyPoint> points = fullJob();
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("gis-bench-" + std::to_string(::getpid()) + extension))
                               .string();
  entry->write(path, points, {"EPSG:4548"});  // loads the module and the drivers
  for (auto _ : state) {
    const vel::WriteResult result = entry->write(path, points, {"EPSG:4548"});
    if (!result.written()) state.SkipWithError("not written");
  }
  std::filesystem::remove(path);
}

void BM_GeoPackage(benchmark::State& state) {
  writeFormat(state, vel::kGeoPackageFormat, ".gpkg");
}
void BM_GeoJson(benchmark::State& state) {
  writeFormat(state, vel::kGeoJsonFormat, ".geojson");
}
void BM_GisCsv(benchmark::State& state) {
  writeFormat(state, vel::kGisCsvFormat, ".csv");
}
void BM_CadDxf(benchmark::State& state) {
  writeFormat(state, vel::kCadDxfFormat, ".dxf");
}
void BM_Shapefile(benchmark::State& state) {
  writeFormat(state, vel::kShapefileFormat, ".shp");
}
void BM_Kml(benchmark::State& state) {
  writeFormat(state, vel::kKmlFormat, ".kml");
}

void BM_TransformToWgs84(benchmark::State& state) {
  const auto crs = vel::projectedCrs("EPSG:4548");
  std::vector<double> x0(3072), y0(3072);
  for (int i = 0; i < 3072; ++i) {
    x0[i] = 512345.678 + i / 2;
    y0[i] = 3380000.125 + i;
  }
  for (auto _ : state) {
    std::vector<double> x = x0, y = y0;
    if (!vel::toWgs84(*crs, x, y)) state.SkipWithError("no transform");
    benchmark::DoNotOptimize(x.data());
  }
}

void BM_CrsSearchKeystroke(benchmark::State& state) {
  const std::vector<vel::CrsEntry>& list = vel::crsCatalog();
  const char* typed[] = {"C", "CG", "CGCS", "CGCS2000", "CGCS2000 1", "CGCS2000 117"};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(vel::searchCrs(list, typed[i++ % 6], 201));
  }
}

void BM_CrsCatalogFirstLoad(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<vel::CrsEntry> list = vel::gisModule()->crsCatalog();
    benchmark::DoNotOptimize(list.data());
  }
}

// A full job's GIS file read back into the import grid's rows: GDAL's
// reading, the transform into the image's CRS, the roles and the rows.
void readIntoGrid(benchmark::State& state, int format, const char* extension) {
  vel::registerGisFormats(vel::FormatRegistry::instance());
  const vel::ExchangeFormatEntry* entry = vel::FormatRegistry::instance().byId(format);
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("gis-bench-read-" + std::to_string(::getpid()) + extension))
                               .string();
  entry->write(path, fullJob(), {"EPSG:4548"});
  for (auto _ : state) {
    const vel::TableResult read = entry->readTable(path, {"EPSG:4548", "", false});
    if (!read.read()) state.SkipWithError("not read");
    const auto rows = vel::importGridCells(
        vel::tablePoints(read.table, vel::guessFieldRoles(read.table.fields), "L"));
    benchmark::DoNotOptimize(rows.data());
  }
  std::filesystem::path stem(path);
  for (const char* ext : {"", ".shx", ".dbf", ".prj", ".cpg"}) {
    std::filesystem::remove(ext[0] ? stem.replace_extension(ext) : stem);
  }
}

void BM_GeoPackageIntoGrid(benchmark::State& state) {
  readIntoGrid(state, vel::kGeoPackageFormat, ".gpkg");
}
void BM_ShapefileIntoGrid(benchmark::State& state) {
  readIntoGrid(state, vel::kShapefileFormat, ".shp");
}
void BM_CadDxfIntoGrid(benchmark::State& state) {
  readIntoGrid(state, vel::kCadDxfFormat, ".dxf");
}

// The check of a text file's type: a full job's CSV lines.
void BM_TextFormatCheck(benchmark::State& state) {
  std::vector<std::string> lines;
  for (int i = 0; i < 3072; ++i) {
    lines.push_back("\"P" + std::to_string(i) + "\",\"3380000.125\",\"512345.678\",\"40.001\"");
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(vel::suggestedTextFormat(vel::kQplFormat, lines));
  }
}

}  // namespace

BENCHMARK(BM_GeoPackageIntoGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShapefileIntoGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CadDxfIntoGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextFormatCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeoPackage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeoJson)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GisCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CadDxf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Shapefile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Kml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TransformToWgs84)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CrsSearchKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CrsCatalogFirstLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
