// Choosing a CRS: the words velcard takes, the search the window offers as
// the user types (over PROJ's own list), and the choice kept per image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "CliTestSupport.h"
#include "card/CrsMemory.h"
#include "exchange/FormatRegistry.h"
#include "gis/Crs.h"
#include "gis/GisFormats.h"
#include "gis/GisModule.h"

namespace vel::cli::test {
namespace {

TEST(CrsTextTest, EpsgCodesAndLocalAreTakenInAnyCaseAndNothingElse) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"EPSG:4548", "EPSG:4548"},
      {"epsg:4548", "EPSG:4548"},
      {"4527", "EPSG:4527"},
      {"local", ""},
      {"LOCAL", ""},
      {"EPSG:", std::nullopt},
      {"EPSG:45a", std::nullopt},
      {"WGS84", std::nullopt},
      {"", std::nullopt},
      {"EPSG:-1", std::nullopt},
      {"EPSG:1234567890", std::nullopt},
  };
  for (const auto& [text, crs] : cases) EXPECT_EQ(parseCrsText(text), crs) << text;
}

TEST(CrsSearchTest, ZoneNumberedGaussKrugerNamesAreFoundByTheirCentralMeridian) {
  EXPECT_EQ(zoneMeridian("CGCS2000 / 3-degree Gauss-Kruger zone 39"), "CM 117E");
  EXPECT_EQ(zoneMeridian("CGCS2000 / Gauss-Kruger zone 20"), "CM 117E");
  EXPECT_EQ(zoneMeridian("Pulkovo 1942 / Gauss-Kruger zone 60"), "");  // past 180 degrees
  EXPECT_EQ(zoneMeridian("CGCS2000 / 3-degree Gauss-Kruger CM 117E"), "");
  EXPECT_EQ(zoneMeridian("WGS 84 / UTM zone 50N"), "");
}

TEST(CrsSearchTest, EveryWordMustBeFoundAndAnExactCodeComesFirst) {
  const std::vector<CrsEntry> list = {
      {"EPSG:4490", "China Geodetic Coordinate System 2000", ""},
      {"EPSG:4527", "CGCS2000 / 3-degree Gauss-Kruger zone 39", "CM 117E"},
      {"EPSG:4548", "CGCS2000 / 3-degree Gauss-Kruger CM 117E", ""},
      {"EPSG:32650", "WGS 84 / UTM zone 50N", ""},
  };
  const auto codes = [&](std::string_view query, std::size_t limit = 10) {
    std::vector<std::string> found;
    for (const CrsEntry* entry : searchCrs(list, query, limit)) found.push_back(entry->code);
    return found;
  };
  EXPECT_EQ(codes("cgcs2000 117"), (std::vector<std::string>{"EPSG:4548", "EPSG:4527"}));
  EXPECT_EQ(codes("4548"), (std::vector<std::string>{"EPSG:4548"}));
  EXPECT_EQ(codes("EPSG:4527"), (std::vector<std::string>{"EPSG:4527"}));
  EXPECT_EQ(codes("zone"), (std::vector<std::string>{"EPSG:4527", "EPSG:32650"}));
  EXPECT_EQ(codes("zone", 1), (std::vector<std::string>{"EPSG:4527"}));
  // The exact code is found even past the limit.
  EXPECT_EQ(codes("32650", 1), (std::vector<std::string>{"EPSG:32650"}));
  EXPECT_EQ(codes("  "), std::vector<std::string>{});
  EXPECT_EQ(codes("utm 117"), std::vector<std::string>{});
}

TEST(CrsSearchTest, PrOJsListHoldsTheChineseGaussKrugerCrss) {
  ASSERT_NE(gisModule(), nullptr) << gisModuleProblem();
  ASSERT_GT(crsCatalog().size(), 5000u);
  ASSERT_NE(findCrs("EPSG:4548"), nullptr);
  EXPECT_EQ(findCrs("EPSG:4548")->name, "CGCS2000 / 3-degree Gauss-Kruger CM 117E");
  std::vector<std::string> found;
  for (const CrsEntry* entry : searchCrs(crsCatalog(), "CGCS2000 117", 50)) {
    found.push_back(entry->code);
  }
  EXPECT_NE(std::find(found.begin(), found.end(), "EPSG:4548"), found.end());
  EXPECT_NE(std::find(found.begin(), found.end(), "EPSG:4527"), found.end());
}

// The choice is kept per image, shared by both programs, and velcard's
// --crs stands for one run only.
TEST_F(CliTest, TheCrsChosenForAnImageIsKeptForItAlone) {
  ::setenv("XDG_CONFIG_HOME", file("config").c_str(), 1);
  const std::string first = createImage("RX3-8", "A.VEL");
  const std::string second = createImage("RX3-8", "B.VEL");
  EXPECT_EQ(rememberedCrs(first), "");
  ASSERT_TRUE(rememberCrs(first, "EPSG:4548"));
  ASSERT_TRUE(rememberCrs(second, "EPSG:4527"));
  ASSERT_TRUE(rememberCrs(first, "EPSG:32650"));
  EXPECT_EQ(rememberedCrs(first), "EPSG:32650");
  EXPECT_EQ(rememberedCrs(second), "EPSG:4527");
  ASSERT_TRUE(rememberCrs(second, ""));
  EXPECT_EQ(rememberedCrs(second), "");

  // velcard uses the kept one unless told another: GeoJSON needs a CRS.
  registerGisFormats(FormatRegistry::instance());
  ASSERT_EQ(velcard({"new-job", first, "J"}).status, 0);
  ASSERT_EQ(velcard({"add-point", first, "J", "P1", "3380000", "512345", "1"}).status, 0);
  EXPECT_EQ(velcard({"--crs", "local", "export", first, "J", file("a.geojson").string()}).status,
            1);
  EXPECT_EQ(velcard({"export", first, "J", file("a.geojson").string()}).status, 0);
  EXPECT_EQ(rememberedCrs(first), "EPSG:32650");
  ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace vel::cli::test
