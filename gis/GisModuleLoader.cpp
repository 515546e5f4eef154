#include <dlfcn.h>

#include <filesystem>

#include "gis/GisModule.h"

namespace vel {
namespace {

struct Loaded {
  const GisModuleApi* api = nullptr;
  std::string problem;
};

std::filesystem::path runningProgram() {
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/exe", error);
}

std::vector<std::filesystem::path> moduleCandidates() {
  std::vector<std::filesystem::path> candidates;
  if (const char* named = std::getenv("VEL_GIS_MODULE"); named != nullptr && *named != '\0') {
    candidates.emplace_back(named);
    return candidates;
  }
  // Installed: the module lies in the library folder of the program's prefix.
  if (const std::filesystem::path program = runningProgram(); !program.empty()) {
    candidates.push_back(program.parent_path() / VEL_GIS_MODULE_FROM_PROGRAM);
  }
  candidates.emplace_back(VEL_GIS_MODULE_BUILT);
  return candidates;
}

Loaded load() {
  Loaded loaded;
  for (const std::filesystem::path& candidate : moduleCandidates()) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(candidate, error)) {
      loaded.problem = "GIS module not found: " + candidate.string();
      continue;
    }
    void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      loaded.problem = dlerror();
      continue;
    }
    using Entry = const GisModuleApi* (*)();
    const auto entry = reinterpret_cast<Entry>(dlsym(handle, "velGisModuleApi"));
    const GisModuleApi* api = entry != nullptr ? entry() : nullptr;
    if (api == nullptr || api->version != kGisModuleVersion) {
      loaded.problem = "GIS module of another version: " + candidate.string();
      dlclose(handle);
      continue;
    }
    loaded.api = api;  // kept loaded until the program ends
    loaded.problem.clear();
    return loaded;
  }
  return loaded;
}

const Loaded& loadedModule() {
  static const Loaded loaded = load();
  return loaded;
}

}  // namespace

const GisModuleApi* gisModule() {
  return loadedModule().api;
}

std::string gisModuleProblem() {
  return loadedModule().problem;
}

}  // namespace vel
