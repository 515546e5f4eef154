// Coordinate reference systems as the user picks them: "EPSG:4548", or local
// coordinates (a site grid, no CRS, kept as an empty text). The list to pick
// from is PROJ's, read through the GIS module when first asked for.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

struct CrsEntry {
  std::string code;  // "EPSG:4548"
  std::string name;  // "CGCS2000 / 3-degree Gauss-Kruger CM 117E"
  // The central meridian of a zone-numbered Gauss-Kruger CRS, which its
  // name does not say ("CM 117E" for 3-degree zone 39); else empty.
  std::string meridian;
};

// "EPSG:4548", "epsg:4548" and "4548" give "EPSG:4548"; "local" (any case)
// gives ""; anything else nothing.
std::optional<std::string> parseCrsText(std::string_view text);

// "CM 117E" for a name of a 3-degree or 6-degree Gauss-Kruger zone, else "".
std::string zoneMeridian(std::string_view name);

// The entries whose code, name or meridian hold every word of the query
// (any case), at most `limit` of them: an entry whose code is the query
// first, then those whose code and name hold every word, then those that
// need the meridian, each in the list's order. An empty query finds none.
std::vector<const CrsEntry*> searchCrs(const std::vector<CrsEntry>& list, std::string_view query,
                                       std::size_t limit);

// PROJ's projected and geographic 2D CRSs of the EPSG, in the order of
// their codes, loaded once; empty when the GIS module cannot be loaded.
const std::vector<CrsEntry>& crsCatalog();

// The entry of a code in the catalogue, or nothing.
const CrsEntry* findCrs(std::string_view code);

}  // namespace vel
