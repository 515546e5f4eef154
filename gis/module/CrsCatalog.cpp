// PROJ's list of the EPSG's CRSs, for the user to choose from.
#include <proj.h>

#include <algorithm>
#include <cstdlib>

#include "gis/Crs.h"

namespace vel {

std::vector<CrsEntry> readCrsCatalog() {
  std::vector<CrsEntry> list;
  PJ_CONTEXT* context = proj_context_create();
  PROJ_CRS_LIST_PARAMETERS* parameters = proj_get_crs_list_parameters_create();
  const PJ_TYPE types[] = {PJ_TYPE_PROJECTED_CRS, PJ_TYPE_GEOGRAPHIC_2D_CRS};
  parameters->types = types;
  parameters->typesCount = 2;
  parameters->allow_deprecated = 0;
  int count = 0;
  PROJ_CRS_INFO** infos = proj_get_crs_info_list_from_database(context, "EPSG", parameters, &count);
  for (int i = 0; i < count; ++i) {
    list.push_back({std::string("EPSG:") + infos[i]->code, infos[i]->name, {}});
  }
  proj_crs_info_list_destroy(infos);
  proj_get_crs_list_parameters_destroy(parameters);
  proj_context_destroy(context);
  std::sort(list.begin(), list.end(), [](const CrsEntry& a, const CrsEntry& b) {
    return std::atol(a.code.c_str() + 5) < std::atol(b.code.c_str() + 5);
  });
  return list;
}

}  // namespace vel
