// The GIS and CAD files as their readers see them: GDAL's ogrinfo for the
// GIS formats, ezdxf for the DXF, PROJ's cs2cs for the coordinates on WGS 84.
// Each file is written by velcard from a job holding Chinese names and codes
// and a Gauss-Kruger easting with its zone number (12 characters).
#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "exchange/FormatRegistry.h"
#include "gis/GisFormats.h"
#include "records/SurveyRecord.h"
#include "store/RecordAreaStore.h"

namespace vel::cli::test {
namespace {

const std::string kControl =
    "\xBF\xD8\xD6\xC6"
    "1";                               // 控制1
const std::string kTree = "\xCA\xF7";  // 树

struct CardPoint {
  RecordKind kind;
  std::string name, code;
  FixedValue n, e, z;
};

class GisExportTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    registerGisFormats(FormatRegistry::instance());
    image_ = createImage("RX9-32");
    // On CM 117E (EPSG:4548) and the same places in zone 39 (EPSG:4527).
    addJob("GK", 0);
    addJob("ZONE", 39000000);
  }

  void addJob(const std::string& name, int32_t zone) {
    ASSERT_EQ(velcard({"new-job", image_, name}).status, 0);
    const std::vector<CardPoint> points = {
        {kCRD, kControl, kTree, {3380000, 123}, {zone + 512345, 678}, {12, 345}},
        {kPT, "P2", "", {3380100, 5}, {zone + 512400, 0}, {-1, -250}},
        {kSTN, "S1", "", {3379950, 999}, {zone + 512300, 1}, {10, 0}},
    };
    RecordAreaStore store;
    ASSERT_TRUE(store.openImage(image_));
    ASSERT_EQ(store.detectModel(), kModelRecognised);
    store.loadTables();
    const auto slot = static_cast<uint8_t>(store.findJob(name));
    for (const CardPoint& p : points) {
      std::array<uint8_t, kRecordSize> record{};
      if (p.kind == kPT) {
        buildPointRecord(store.byteOrder(), p.name, p.n, p.e, p.z, record);
      } else {
        namespace layout = record_layout;
        record[layout::kKind] = p.kind;
        std::copy(p.name.begin(), p.name.end(), record.begin() + layout::kName);
        std::copy(p.code.begin(), p.code.end(), record.begin() + layout::kCode);
        store.byteOrder().fixedToImage(p.n, &record[layout::kSurveyN]);
        store.byteOrder().fixedToImage(p.e, &record[layout::kSurveyE]);
        store.byteOrder().fixedToImage(p.z, &record[layout::kSurveyZ]);
      }
      ASSERT_EQ(store.appendRecord(slot, kRecordSize, record.data()), kDone);
    }
    ASSERT_TRUE(store.commitImage());
  }

  std::string exported(const std::string& job, const std::string& format, const std::string& crs,
                       const std::string& name) {
    const std::string out = file(name).string();
    const RunResult r = velcard({"--crs", crs, "export", image_, job, format, out});
    EXPECT_EQ(r.status, 0) << format << ": " << r.err;
    return out;
  }

  std::string image_;
};

// Every GIS file carries each point with its attributes, exact to the
// millimetre, x the easting, in the CRS chosen (WGS 84 for GeoJSON and KML).
TEST_F(GisExportTest, OgrinfoReadsThePointsAttributesAndCrsOfEveryGisFile) {
  struct Case {
    const char* format;
    const char* file;
    const char* crs;       // the layer's, as ogrinfo names it
    const char* geometry;  // the first point's
  };
  const Case cases[] = {
      {"gpkg", "z.gpkg", "\"EPSG\",4527", "POINT Z (39512345.678 3380000.123 12.345)"},
      {"shp", "z.shp", "zone 39", "POINT Z (39512345.678 3380000.123 12.345)"},
      {"geojson", "z.geojson", "GEOGCRS[\"WGS 84\"", "POINT Z (117.1286550"},
      {"kml", "z.kml", "GEOGCRS[\"WGS 84\"", "POINT Z (117.1286550"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const std::string info =
        runShell("ogrinfo -ro -al " + exported("ZONE", c.format, "EPSG:4527", c.file));
    EXPECT_NE(info.find("Feature Count: 3"), std::string::npos) << info;
    EXPECT_NE(info.find(c.crs), std::string::npos) << info;
    EXPECT_NE(info.find(c.geometry), std::string::npos) << info;
    // KML keeps the name as the placemark's.
    const bool kml = std::string(c.format) == "kml";
    EXPECT_NE(info.find(kml ? "Name (String) = 控制1" : "name (String) = 控制1"),
              std::string::npos);
    EXPECT_NE(info.find("code (String) = 树"), std::string::npos);
    EXPECT_NE(info.find("kind (String) = CRD"), std::string::npos);
    EXPECT_NE(info.find("kind (String) = STN"), std::string::npos);
    EXPECT_NE(info.find("job (String) = ZONE"), std::string::npos);
    EXPECT_NE(info.find("e (Real) = 39512345.678"), std::string::npos) << info;
    EXPECT_NE(info.find("n (Real) = 3380100.005"), std::string::npos);
    EXPECT_NE(info.find("z (Real) = -1.25"), std::string::npos);
  }
  // The CSV's header and first row, as a spreadsheet shows them.
  const std::string csv = readBytes(exported("ZONE", "gis-csv", "EPSG:4527", "z.csv"));
  EXPECT_EQ(csv.substr(0, csv.find('\n', csv.find('\n') + 1) + 1),
            "name,code,kind,E,N,Z,longitude,latitude\n"
            "控制1,树,CRD,39512345.678,3380000.123,12.345,117.128655073,30.540152413\n");
}

// Longitude and latitude of each file equal PROJ's own command line, for
// CRSs whose EPSG axis order is northing first (4548, 4527) and easting
// first (UTM 50N): the easting is never taken for the northing.
TEST_F(GisExportTest, LongitudeAndLatitudeAreThoseOfCs2cs) {
  struct Case {
    const char* crs;
    const char* job;
    bool northingFirst;
  };
  const Case cases[] = {
      {"EPSG:4548", "GK", true}, {"EPSG:4527", "ZONE", true}, {"EPSG:32650", "GK", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.crs);
    const std::string csv = readBytes(exported(c.job, "gis-csv", c.crs, "p.csv"));
    std::istringstream rows(csv);
    std::string row;
    std::getline(rows, row);  // the header
    while (std::getline(rows, row)) {
      std::vector<std::string> cell;
      std::istringstream cells(row);
      for (std::string field; std::getline(cells, field, ',');) cell.push_back(field);
      ASSERT_EQ(cell.size(), 8u) << row;
      const std::string& e = cell[3];
      const std::string& n = cell[4];
      const std::string input = c.northingFirst ? n + " " + e : e + " " + n;
      // EPSG:4326 answers latitude first.
      std::istringstream answer(
          runShell("echo '" + input + "' | cs2cs -d 9 " + c.crs + " EPSG:4326"));
      std::string lat, lon;
      answer >> lat >> lon;
      EXPECT_NEAR(std::stod(cell[6]), std::stod(lon), 1e-9) << row;
      EXPECT_NEAR(std::stod(cell[7]), std::stod(lat), 1e-9) << row;
    }
  }
  // The GeoJSON places the first point where the CSV does.
  const std::string csv = readBytes(exported("GK", "gis-csv", "EPSG:4548", "g.csv"));
  const std::string json = readBytes(exported("GK", "geojson", "EPSG:4548", "g.geojson"));
  const std::string firstRow = csv.substr(csv.find('\n') + 1);
  const std::string lonLat = firstRow.substr(firstRow.find(",12.345,") + 8, 25);
  EXPECT_NE(
      json.find("[ " + lonLat.substr(0, lonLat.find(',')) + ", " +
                lonLat.substr(lonLat.find(',') + 1, lonLat.find('\n') - lonLat.find(',') - 1)),
      std::string::npos)
      << lonLat << "\n"
      << json;
}

// The CAD DXF, read by ezdxf: a point and its name on the layer of its code
// (or kind), the Chinese name as the card holds it.
TEST_F(GisExportTest, EzdxfReadsTheNamesOfTheDxfAsTheCardHoldsThem) {
  const std::string dxf = exported("ZONE", "cad-dxf", "EPSG:4527", "z.dxf");
  const std::string script =
      "import ezdxf, sys\n"
      "doc = ezdxf.readfile(sys.argv[1])\n"
      "for e in doc.modelspace():\n"
      "    if e.dxftype() == 'POINT':\n"
      "        print('POINT', e.dxf.layer, '%.3f %.3f %.3f' % tuple(e.dxf.location))\n"
      "    elif e.dxftype() in ('TEXT', 'MTEXT'):\n"
      "        t = e.plain_text() if e.dxftype() == 'MTEXT' else e.plain_text()\n"
      "        print('TEXT', e.dxf.layer, t)\n";
  const std::string scriptFile = file("read.py").string();
  writeBytes(scriptFile, script);
  const std::string read = runShell("/usr/bin/python3 " + scriptFile + " " + dxf);
  EXPECT_NE(read.find("POINT 树 39512345.678 3380000.123 12.345"), std::string::npos) << read;
  EXPECT_NE(read.find("TEXT 树 控制1"), std::string::npos) << read;
  EXPECT_NE(read.find("POINT PT 39512400.000 3380100.005 -1.250"), std::string::npos) << read;
  EXPECT_NE(read.find("TEXT STN S1"), std::string::npos) << read;
  // GDAL reads the same names back.
  const std::string info = runShell("ogrinfo -ro -al " + dxf);
  EXPECT_NE(info.find("Text (String) = 控制1"), std::string::npos) << info;
}

// Local coordinates: GeoJSON and KML are refused before anything is
// written; the others are written with no CRS.
TEST_F(GisExportTest, LocalCoordinatesRefuseTheWgs84FormatsAndWriteTheOthersWithoutCrs) {
  for (const char* format : {"geojson", "kml"}) {
    const std::string out = file(std::string("l.") + format).string();
    const RunResult r = velcard({"--crs", "local", "export", image_, "GK", format, out});
    EXPECT_EQ(r.status, 1) << format;
    EXPECT_NE(r.err.find("本地坐标"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out)) << format;
  }
  for (const char* format : {"gpkg", "shp"}) {
    const std::string info = runShell("ogrinfo -ro -al -so " +
                                      exported("GK", format, "local", std::string("l.") + format));
    EXPECT_NE(info.find("Feature Count: 3"), std::string::npos) << info;
    EXPECT_EQ(info.find("EPSG"), std::string::npos) << info;
  }
  EXPECT_FALSE(std::filesystem::exists(file("l.prj")));
  const std::string csv = readBytes(exported("GK", "gis-csv", "local", "l.csv"));
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "name,code,kind,E,N,Z");
}

// The seven text formats write the first 11 characters of a longer
// coordinate, as always, and now say so; the GIS formats keep them all.
TEST_F(GisExportTest, TheTextFormatsSayWhenTheyCutACoordinate) {
  const RunResult cut = velcard({"export", image_, "ZONE", "csv", file("z.CSV").string()});
  EXPECT_EQ(cut.status, 0);
  EXPECT_EQ(
      cut.err,
      "velcard: 3 个点的坐标超过 11 位，文件中只写入了前 11 位（第一个：控制1）。\n"
      "GIS 格式（GeoPackage、Shapefile、GeoJSON、KML、CSV 带表头、DXF（CAD））保留全部数字。\n");
  const std::string written = readBytes(file("z.CSV"));
  EXPECT_EQ(
      written.substr(0, written.find('\n') + 1),
      "\"" + kControl + "\",\"3380000.123\",\"39512345.67\",\"12.345\",\"" + kTree + "\"\r\n");
  EXPECT_EQ(velcard({"export", image_, "ZONE", "qpl", "-"}).err, cut.err);
  EXPECT_EQ(velcard({"export", image_, "GK", "csv", "-"}).err, "");
}

}  // namespace
}  // namespace vel::cli::test
