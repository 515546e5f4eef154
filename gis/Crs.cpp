#include "gis/Crs.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "gis/GisModule.h"

namespace vel {
namespace {

std::string lowered(std::string_view text) {
  std::string low(text);
  for (char& c : low) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return low;
}

bool allDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<std::string> parseCrsText(std::string_view text) {
  const std::string low = lowered(text);
  if (low == "local") return std::string();
  std::string_view digits = low;
  if (digits.starts_with("epsg:")) digits.remove_prefix(5);
  if (!allDigits(digits) || digits.size() > 9) return std::nullopt;
  return "EPSG:" + std::string(digits);
}

std::string zoneMeridian(std::string_view name) {
  const bool three = name.find("3-degree Gauss-Kruger zone ") != std::string_view::npos;
  const bool six = name.find("6-degree Gauss-Kruger zone ") != std::string_view::npos ||
                   name.find("Gauss-Kruger zone ") != std::string_view::npos;
  if (!three && !six) return {};
  const std::size_t at = name.rfind("zone ");
  int zone = 0;
  const char* first = name.data() + at + 5;
  const char* last = name.data() + name.size();
  const auto [end, error] = std::from_chars(first, last, zone);
  if (error != std::errc() || zone <= 0) return {};
  // Only a name that ends at the zone number, or goes on with a space.
  if (end != last && *end != ' ') return {};
  const int meridian = three ? 3 * zone : 6 * zone - 3;
  if (meridian > 180) return {};
  return "CM " + std::to_string(meridian) + "E";
}

std::vector<const CrsEntry*> searchCrs(const std::vector<CrsEntry>& list, std::string_view query,
                                       std::size_t limit) {
  std::vector<std::string> words;
  const std::string low = lowered(query);
  for (std::size_t at = 0; at < low.size();) {
    const std::size_t start = low.find_first_not_of(" \t", at);
    if (start == std::string::npos) break;
    const std::size_t end = std::min(low.find_first_of(" \t", start), low.size());
    words.push_back(low.substr(start, end - start));
    at = end;
  }
  std::vector<const CrsEntry*> found;
  if (words.empty()) return found;
  const std::optional<std::string> code = parseCrsText(query);
  const auto holdsAll = [&](const std::string& text) {
    return std::all_of(words.begin(), words.end(),
                       [&](const std::string& w) { return text.find(w) != std::string::npos; });
  };
  // Names that hold every word come first; those found only through their
  // zone's meridian after them.
  std::vector<const CrsEntry*> byMeridian;
  for (const CrsEntry& entry : list) {
    if (code && !code->empty() && entry.code == *code) {
      found.insert(found.begin(), &entry);
      continue;
    }
    if (found.size() >= limit) continue;  // still looking for the exact code
    const std::string named = lowered(entry.code + ' ' + entry.name);
    if (holdsAll(named)) {
      found.push_back(&entry);
    } else if (!entry.meridian.empty() && byMeridian.size() < limit &&
               holdsAll(named + ' ' + lowered(entry.meridian))) {
      byMeridian.push_back(&entry);
    }
  }
  found.insert(found.end(), byMeridian.begin(), byMeridian.end());
  if (found.size() > limit) found.resize(limit);
  return found;
}

const std::vector<CrsEntry>& crsCatalog() {
  static const std::vector<CrsEntry> catalog = [] {
    const GisModuleApi* module = gisModule();
    std::vector<CrsEntry> list = module != nullptr ? module->crsCatalog() : std::vector<CrsEntry>{};
    for (CrsEntry& entry : list) entry.meridian = zoneMeridian(entry.name);
    return list;
  }();
  return catalog;
}

const CrsEntry* findCrs(std::string_view code) {
  for (const CrsEntry& entry : crsCatalog()) {
    if (entry.code == code) return &entry;
  }
  return nullptr;
}

}  // namespace vel
