#include "app/CardDiscovery.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <system_error>

namespace vel {
namespace fs = std::filesystem;

namespace {

constexpr uint8_t kConfigVersion = 2;
constexpr std::string_view kConfigMagic = "korvin";
constexpr size_t kMagicAt = 1;
constexpr size_t kStemAt = 7;
constexpr size_t kStemSize = 8;
constexpr size_t kExtensionAt = 15;
constexpr std::string_view kExtensionMark = "VEL";

bool bytesEqual(std::span<const uint8_t> bytes, size_t at, std::string_view text) {
  return std::equal(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                    [](char c, uint8_t b) { return static_cast<uint8_t>(c) == b; });
}

char asciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return asciiUpper(x) == asciiUpper(y);
         });
}

enum class EntryKind { kDirectory, kFile };

bool isKind(const fs::path& path, EntryKind kind) {
  std::error_code ec;
  return kind == EntryKind::kDirectory ? fs::is_directory(path, ec)
                                       : fs::exists(path, ec) && !fs::is_directory(path, ec);
}

// The entry of `dir` called `name` in any letter case, the exact spelling
// first. A name that is not a plain file name (a configuration may hold any
// bytes) finds nothing, so the search never leaves `dir`.
std::optional<fs::path> findEntry(const fs::path& dir, std::string_view name, EntryKind kind) {
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos) {
    return std::nullopt;
  }
  const fs::path exact = dir / fs::path(std::string(name));
  if (isKind(exact, kind)) return exact;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path candidate = it->path();
    if (sameNameIgnoringCase(candidate.filename().native(), name) && isKind(candidate, kind)) {
      return candidate;
    }
  }
  return std::nullopt;
}

std::string unescapeMountPath(std::string_view field) {
  // mountinfo writes blanks, tabs, line ends and backslashes as \ooo.
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() &&
        std::all_of(field.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                    field.begin() + static_cast<std::ptrdiff_t>(i) + 4,
                    [](char c) { return c >= '0' && c <= '7'; })) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

bool underAutomountFolder(std::string_view mountPoint) {
  return mountPoint.starts_with("/media/") || mountPoint.starts_with("/run/media/");
}

bool sysfsRemovable(unsigned major, unsigned minor) {
  std::error_code ec;
  const fs::path device =
      fs::canonical("/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor), ec);
  if (ec) return false;
  // A partition has no flag of its own; its disk has.
  for (const fs::path& dir : {device, device.parent_path()}) {
    std::ifstream flag(dir / "removable");
    int value = 0;
    if (flag >> value) return value == 1;
  }
  return false;
}

}  // namespace

std::vector<std::string> removableMountPoints(
    std::string_view mountinfo,
    const std::function<bool(unsigned major, unsigned minor)>& removable) {
  std::vector<std::string> points;
  std::istringstream lines{std::string(mountinfo)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint;
    if (!(fields >> id >> parent >> device >> root >> mountPoint)) continue;
    const std::string point = unescapeMountPath(mountPoint);
    unsigned major = 0, minor = 0;
    char colon = 0;
    std::istringstream numbers(device);
    const bool hasDevice = static_cast<bool>(numbers >> major >> colon >> minor) && colon == ':';
    if (underAutomountFolder(point) || (hasDevice && major != 0 && removable(major, minor))) {
      points.push_back(point);
    }
  }
  std::sort(points.begin(), points.end());
  points.erase(std::unique(points.begin(), points.end()), points.end());
  return points;
}

std::vector<fs::path> RemovableMedia::folders() const {
  std::ifstream in("/proc/self/mountinfo");
  std::ostringstream text;
  text << in.rdbuf();
  std::vector<fs::path> result;
  for (const std::string& point : removableMountPoints(text.str(), sysfsRemovable)) {
    result.emplace_back(point);
  }
  return result;
}

std::optional<std::string> imageNameFromCardConfig(std::span<const uint8_t> bytes) {
  if (bytes.size() < kCardConfigSize) return std::nullopt;
  if (bytes[0] != kConfigVersion || !bytesEqual(bytes, kMagicAt, kConfigMagic) ||
      !bytesEqual(bytes, kExtensionAt, kExtensionMark)) {
    return std::nullopt;
  }
  size_t first = kStemAt;
  size_t last = kStemAt + kStemSize;  // one past the stem
  while (first < last && bytes[first] <= 0x20) ++first;
  while (last > first && bytes[last - 1] <= 0x20) --last;
  std::string stem(bytes.begin() + static_cast<std::ptrdiff_t>(first),
                   bytes.begin() + static_cast<std::ptrdiff_t>(last));
  // The stem is a C string: a NUL inside it ends it.
  if (const size_t nul = stem.find('\0'); nul != std::string::npos) stem.resize(nul);
  return stem + ".VEL";
}

std::optional<fs::path> cardFolderOf(const fs::path& medium) {
  return findEntry(medium, "VEL", EntryKind::kDirectory);
}

CardPresets presetsOf(const fs::path& velDir) {
  CardPresets presets;
  presets.initialDir = velDir;
  const std::optional<fs::path> config = findEntry(velDir, "VELSET.CFG", EntryKind::kFile);
  if (!config) return presets;

  std::array<uint8_t, kCardConfigSize> header{};
  std::ifstream in(*config, std::ios::binary);
  in.read(reinterpret_cast<char*>(header.data()), header.size());
  const auto got = static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0));
  const std::optional<std::string> imageName =
      imageNameFromCardConfig(std::span<const uint8_t>(header.data(), got));
  if (!imageName) return presets;
  if (const auto image = findEntry(velDir, *imageName, EntryKind::kFile)) {
    presets.fileName = *image;
  }
  return presets;
}

CardPresets discoverCard(const CardMedia& media) {
  for (const fs::path& folder : media.folders()) {
    if (const std::optional<fs::path> velDir = cardFolderOf(folder)) return presetsOf(*velDir);
  }
  return {};
}

}  // namespace vel
