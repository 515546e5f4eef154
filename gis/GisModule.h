// The GIS module: the part of the program that uses GDAL and PROJ, built as
// a module of its own and loaded on first use, so that a program that never
// writes a GIS file neither loads GDAL's hundred libraries nor waits for
// them at start.
#pragma once

#include <string>
#include <vector>

#include "exchange/FormatRegistry.h"
#include "gis/Crs.h"

namespace vel {

// Raised when the module's interface changes, so that an old module is not used.
constexpr int kGisModuleVersion = 2;

struct GisModuleApi {
  int version = kGisModuleVersion;
  WriteResult (*write)(int format, const std::string& path, const std::vector<SurveyPoint>& points,
                       const WriteContext& context) = nullptr;
  std::vector<CrsEntry> (*crsCatalog)() = nullptr;
  TableResult (*readTable)(int format, const std::string& path,
                           const ReadContext& context) = nullptr;
};

// The loaded module, or nullptr when it cannot be loaded (gisModuleProblem()
// says why). Looked for in $VEL_GIS_MODULE, then beside the installed
// program, then where the build put it.
const GisModuleApi* gisModule();
std::string gisModuleProblem();

}  // namespace vel

// What the module exports.
extern "C" const vel::GisModuleApi* velGisModuleApi();
