#include "tests/support/ScratchCard.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "store/RecordAreaStore.h"

namespace vel::test {
namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::string pattern = (fs::temp_directory_path() / "vel-app-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

fs::path ScratchDir::folder(const std::string& relative) const {
  const fs::path dir = path_ / relative;
  fs::create_directories(dir);
  return dir;
}

void writeBytes(const fs::path& file, const std::vector<uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::vector<uint8_t> readBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> cardConfig(std::string_view stem, uint8_t version, std::string_view magic,
                                std::string_view mark) {
  std::vector<uint8_t> bytes(22, 0);
  bytes[0] = version;
  std::copy(magic.begin(), magic.begin() + std::min<size_t>(magic.size(), 6), bytes.begin() + 1);
  std::copy(stem.begin(), stem.begin() + std::min<size_t>(stem.size(), 8), bytes.begin() + 7);
  std::copy(mark.begin(), mark.begin() + std::min<size_t>(mark.size(), 3), bytes.begin() + 15);
  return bytes;
}

void writeFormattedImage(const fs::path& file, int model) {
  writeBytes(file, std::vector<uint8_t>(defaultSectors(model) * kSectorSize, 0xFF));
  RecordAreaStore store;
  if (!store.openImage(file.string())) throw std::runtime_error("cannot open " + file.string());
  store.useModel(model, defaultSectors(model));
  if (store.formatRecordArea() != kDone || !store.commitImage()) {
    throw std::runtime_error("format failed");
  }
  store.closeImage();
}

void writeBlankImage(const fs::path& file) {
  writeBytes(file, std::vector<uint8_t>(kStandardSectors * kSectorSize, 0xFF));
}

}  // namespace vel::test
