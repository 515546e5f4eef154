// The module's one exported symbol: its functions, for the loader.
#include "gis/GisModule.h"
#include "gis/module/GdalReader.h"
#include "gis/module/GdalWriter.h"

namespace vel {
std::vector<CrsEntry> readCrsCatalog();
}

extern "C" __attribute__((visibility("default"))) const vel::GisModuleApi* velGisModuleApi() {
  static const vel::GisModuleApi api{vel::kGisModuleVersion, &vel::writeGisFile,
                                     &vel::readCrsCatalog, &vel::readGisTable};
  return &api;
}
