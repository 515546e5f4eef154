// A freshly formatted card image in a temporary folder, for tests that need
// records in a job.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/RecordAreaStore.h"

namespace vel::testing_support {

class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("vel-exchange-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string file(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// An image of the model's size, every byte 0xFF, formatted for the model and open.
inline bool makeFormattedImage(RecordAreaStore& store, const std::string& path, int model) {
  const int sectors = defaultSectors(model);
  {
    std::ofstream out(path, std::ios::binary);
    const std::vector<char> bytes(static_cast<std::size_t>(sectors) * kSectorSize, '\xFF');
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) return false;
  }
  if (!store.openImage(path)) return false;
  store.useModel(model, sectors);
  if (store.formatRecordArea() != kDone) return false;
  store.loadTables();
  return true;
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

}  // namespace vel::testing_support
