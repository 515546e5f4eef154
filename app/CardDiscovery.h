// Finding the instrument's card among the removable media: the first medium
// with a VEL directory is the card, and its VELSET.CFG names the record-area
// image the open dialog proposes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

// The folders that may hold a card, in the order they are examined.
class CardMedia {
 public:
  virtual ~CardMedia() = default;
  virtual std::vector<std::filesystem::path> folders() const = 0;
};

// A fixed list of folders.
class ListedMedia final : public CardMedia {
 public:
  explicit ListedMedia(std::vector<std::filesystem::path> folders) : folders_(std::move(folders)) {}
  std::vector<std::filesystem::path> folders() const override { return folders_; }

 private:
  std::vector<std::filesystem::path> folders_;
};

// The mounted removable media of this machine: mount points of removable
// block devices and everything mounted under /media and /run/media, sorted by
// mount point.
class RemovableMedia final : public CardMedia {
 public:
  std::vector<std::filesystem::path> folders() const override;
};

// Mount points listed in a /proc/self/mountinfo text that belong to the
// removable media: the device is removable, or the mount point lies under
// /media or /run/media. Sorted and without repeats.
std::vector<std::string> removableMountPoints(
    std::string_view mountinfo,
    const std::function<bool(unsigned major, unsigned minor)>& removable);

// What a card configuration file names: the image file name (stem + ".VEL"),
// or nothing when the first 22 bytes are missing or fail the header check.
std::optional<std::string> imageNameFromCardConfig(std::span<const uint8_t> bytes);

constexpr size_t kCardConfigSize = 22;

// The presets of the open dialog that the discovery found; empty paths for
// what it did not find.
struct CardPresets {
  std::filesystem::path initialDir;  // the card's VEL directory
  std::filesystem::path fileName;    // the image VELSET.CFG names, when it exists
};

// Examines the media in order; the first one with a VEL directory ends the
// scan, whatever its configuration holds. The configuration and the image
// are looked for in that directory only, names compared without regard to
// letter case as the card's file system does.
CardPresets discoverCard(const CardMedia& media);

// A medium's VEL folder, when it has one: the medium is a card.
std::optional<std::filesystem::path> cardFolderOf(const std::filesystem::path& medium);
// The presets a card's VEL folder gives.
CardPresets presetsOf(const std::filesystem::path& velDir);

}  // namespace vel
