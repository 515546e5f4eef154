// The coordinate reference system last chosen for an image, remembered for
// the desktop program and velcard alike. An image is known by the card it
// lies on and its name (ImageOrigin), so the choice follows the card from
// one reader to another.
#pragma once

#include <filesystem>
#include <string>

namespace vel {

// "EPSG:4548", or "" for local coordinates (also when none was chosen).
std::string rememberedCrs(const std::filesystem::path& image);
// False when the choice could not be kept (it still holds for this time).
bool rememberCrs(const std::filesystem::path& image, const std::string& crs);

// $XDG_CONFIG_HOME/vel-reader/crs-choices, else ~/.config/vel-reader/crs-choices.
std::filesystem::path crsMemoryFile();

}  // namespace vel
