#include "card/CrsMemory.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "card/ImageFileAccess.h"
#include "card/Snapshots.h"

namespace vel {
namespace fs = std::filesystem;
namespace {

// One line per image: its card, a tab, its file name, a tab, the CRS.
std::string imageKey(const fs::path& image) {
  const fs::path listed = listedSpelling(image);
  return imageOrigin(listed).card + '\t' + listed.filename().string() + '\t';
}

std::vector<std::string> memoryLines() {
  std::vector<std::string> lines;
  std::ifstream in(crsMemoryFile());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

fs::path crsMemoryFile() {
  fs::path config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    config = fs::path(home) / ".config";
  } else {
    return {};
  }
  return config / "vel-reader" / "crs-choices";
}

std::string rememberedCrs(const fs::path& image) {
  const std::string key = imageKey(image);
  for (const std::string& line : memoryLines()) {
    if (line.starts_with(key)) return line.substr(key.size());
  }
  return {};
}

bool rememberCrs(const fs::path& image, const std::string& crs) {
  const fs::path file = crsMemoryFile();
  if (file.empty()) return false;
  const std::string key = imageKey(image);
  std::vector<std::string> lines = memoryLines();
  std::erase_if(lines, [&](const std::string& line) { return line.starts_with(key); });
  lines.push_back(key + crs);

  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  // Written whole beside the old one and then renamed over it: a reader
  // sees the old list or the new, never half of one.
  const fs::path temporary = file.string() + ".new." + std::to_string(::getpid());
  {
    std::ofstream out(temporary, std::ios::trunc);
    for (const std::string& line : lines) out << line << '\n';
    out.flush();
    if (!out) {
      fs::remove(temporary, error);
      return false;
    }
  }
  fs::rename(temporary, file, error);
  if (!error) return true;
  fs::remove(temporary, error);
  return false;
}

}  // namespace vel
