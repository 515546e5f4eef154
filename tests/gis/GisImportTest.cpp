// GIS and CAD files into a job through velcard: every GIS format this
// program writes comes back to the millimetre with and without a CRS, a
// drawing made by ezdxf gives its points and names (its lines' vertices only
// when asked), and a GeoJSON on WGS 84 lands where PROJ's cs2cs puts it.
#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "exchange/FormatRegistry.h"
#include "gis/GisFormats.h"

namespace vel::cli::test {
namespace {

class GisImportTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    registerGisFormats(FormatRegistry::instance());
    image_ = createImage("RX9-32");
    ASSERT_EQ(velcard({"new-job", image_, "SITE"}).status, 0);
    // Chinese names in the card's code page, through a CASS file.
    writeBytes(file("site.dat"),
               "\xBF\xD8\xD6\xC6"
               "1,,512300.125,3380000.250,12.500\r\n"  // 控制1
               "J1,,512330.000,3380030.001,-1.375\r\n"
               "J2,,512370.999,3380030.000,0\r\n");
    ASSERT_EQ(velcard({"import", image_, "SITE", "cass", file("site.dat").string()}).status, 0);
  }
  std::string records(const std::string& job) { return velcard({"records", image_, job}).out; }
  // A new job and the file imported into it, velcard's options first.
  RunResult importInto(const std::string& job, const std::string& crs,
                       std::vector<std::string> words) {
    EXPECT_EQ(velcard({"new-job", image_, job}).status, 0);
    words.insert(words.begin(), {"--crs", crs, "import", image_, job});
    return velcard(words);
  }

  std::string image_;
};

TEST_F(GisImportTest, EveryGisFormatComesBackToTheMillimetreWithAndWithoutACrs) {
  const std::string site = records("SITE");
  struct Case {
    const char* format;
    const char* crs;
  };
  const Case cases[] = {{"gpkg", "EPSG:4548"}, {"shp", "EPSG:4548"},     {"geojson", "EPSG:4548"},
                        {"kml", "EPSG:4548"},  {"gis-csv", "EPSG:4548"}, {"cad-dxf", "EPSG:4548"},
                        {"gpkg", "local"},     {"shp", "local"},         {"gis-csv", "local"},
                        {"cad-dxf", "local"}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " " + c.crs);
    const std::string out = file("back" + std::to_string(n) + "." + c.format).string();
    ASSERT_EQ(velcard({"--crs", c.crs, "export", image_, "SITE", c.format, out}).status, 0);
    const std::string job = "B" + std::to_string(n++);
    const RunResult in = importInto(job, c.crs, {c.format, out});
    EXPECT_EQ(in.status, 0) << in.err;
    EXPECT_EQ(records(job), site);
  }
}

TEST_F(GisImportTest, AFileWithACrsIntoAnImageWithoutOneIsRefusedNamingBoth) {
  const std::string gpkg = file("site.gpkg").string();
  ASSERT_EQ(velcard({"--crs", "EPSG:4548", "export", image_, "SITE", gpkg}).status, 0);
  ASSERT_EQ(velcard({"new-job", image_, "LOCAL"}).status, 0);
  const RunResult r = velcard({"--crs", "local", "import", image_, "LOCAL", gpkg});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "导入错误！\n文件的坐标系是 EPSG:4548 CGCS2000 / 3-degree Gauss-Kruger CM 117E，"
            "记录区的坐标系是 本地坐标（无坐标系）：一方没有坐标系，无法换算，没有导入任何点。\n");
  EXPECT_EQ(records("LOCAL"), "");
}

// A drawing as CAD programs make it: POINTs named by a text at their place,
// block INSERTs whose attributes hold a name and a code, Chinese names in
// the drawing's code page, and a polyline.
TEST_F(GisImportTest, ADrawingGivesItsPointsAndNamesAndItsLinesVerticesOnlyWhenAsked) {
  const std::string script =
      "import ezdxf, sys\n"
      "doc = ezdxf.new('R2000')\n"
      "doc.encoding = 'gbk'\n"
      "block = doc.blocks.new(name='MARK')\n"
      "block.add_circle((0, 0), 0.2)\n"
      "block.add_attdef('NAME', (0.3, 0))\n"
      "block.add_attdef('CODE', (0.3, -0.6))\n"
      "msp = doc.modelspace()\n"
      "msp.add_point((512300.5, 3380000.25, 12.0), dxfattribs={'layer': '控制'})\n"
      "msp.add_text('控制9', dxfattribs={'layer': '控制'}).set_placement((512300.5, 3380000.25))\n"
      "insert = msp.add_blockref('MARK', (512310.125, 3380005.5, 13.5))\n"
      "insert.add_auto_attribs({'NAME': '房角7', 'CODE': 'FJ'})\n"
      "msp.add_lwpolyline([(512320, 3380010), (512330, 3380012.5)])\n"
      "doc.saveas(sys.argv[1])\n";
  writeBytes(file("make.py"), script);
  const std::string dxf = file("drawing.dxf").string();
  ASSERT_EQ(runShell("/usr/bin/python3 " + file("make.py").string() + " " + dxf), "");
  ASSERT_NE(readBytes(dxf).find("\xBF\xD8\xD6\xC6"
                                "9"),
            std::string::npos)
      << "the names stand in code page 936";

  const RunResult points = importInto("DRAW", "EPSG:4548", {"cad-dxf", dxf});
  EXPECT_EQ(points.status, 0) << points.err;
  EXPECT_EQ(records("DRAW"),
            "PT:   控制9,3380000.250,512300.500,12.000\n"
            "PT:   房角7,3380005.500,512310.125,13.500\n");
  const RunResult lines = importInto("LINES", "EPSG:4548", {"cad-dxf", dxf, "--lines"});
  EXPECT_EQ(lines.status, 0) << lines.err;
  EXPECT_EQ(records("LINES"),
            "PT:   控制9,3380000.250,512300.500,12.000\n"
            "PT:   房角7,3380005.500,512310.125,13.500\n"
            "PT:   L1,3380010.000,512320.000,0.000\n"
            "PT:   L2,3380012.500,512330.000,0.000\n");
}

// A GeoJSON on WGS 84 into an image on EPSG:4548: where cs2cs puts it.
TEST_F(GisImportTest, AGeoJsonOnWgs84LandsWherePrOJsCs2csPutsIt) {
  writeBytes(file("stakeout.geojson"),
             "{\"type\": \"FeatureCollection\", \"features\": [\n"
             "{\"type\": \"Feature\", \"properties\": {\"点号\": \"S1\", \"高程\": 21.5},\n"
             " \"geometry\": {\"type\": \"Point\", \"coordinates\": [117.1234567, 30.5432109]}}\n"
             "]}\n");
  const RunResult r = importInto("STAKE", "EPSG:4548", {file("stakeout.geojson").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  // EPSG:4326 takes latitude first; EPSG:4548 answers northing first.
  std::istringstream answer(
      runShell("echo '30.5432109 117.1234567' | cs2cs -d 3 EPSG:4326 EPSG:4548"));
  std::string n, e;
  answer >> n >> e;
  EXPECT_EQ(records("STAKE"), "PT:   S1," + n + "," + e + ",21.500\n");
}

}  // namespace
}  // namespace vel::cli::test
