// Scratch folders and card images for the shell's tests, made in the temp
// folder and removed afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vel::test {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Creates the folder (and its parents) below the scratch folder.
  std::filesystem::path folder(const std::string& relative) const;

 private:
  std::filesystem::path path_;
};

void writeBytes(const std::filesystem::path& file, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readBytes(const std::filesystem::path& file);

// The 22 bytes of a card configuration; `stem` is padded to 8 bytes with NULs.
std::vector<uint8_t> cardConfig(std::string_view stem, uint8_t version = 2,
                                std::string_view magic = "korvin", std::string_view mark = "VEL");

// A record area image of the model's size, freshly formatted.
void writeFormattedImage(const std::filesystem::path& file, int model);
// An image of the RX3-8 size that no model recognises (every byte 0xFF).
void writeBlankImage(const std::filesystem::path& file);

}  // namespace vel::test
