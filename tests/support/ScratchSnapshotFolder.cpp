// Every test program that keeps snapshots keeps them in a folder of its own
// for the run, never in the user's: VEL_BACKUP_DIR is pointed at a fresh
// temporary folder before the first test and the folder removed after the
// last. A VEL_BACKUP_DIR set by whoever runs the tests is left as it is. The
// program's settings are read and written there too, never the user's.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace {

class ScratchSnapshotFolder final : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vel-backups-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    ::setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
    const char* given = std::getenv("VEL_BACKUP_DIR");
    if (given == nullptr || *given == '\0') ::setenv("VEL_BACKUP_DIR", folder_.c_str(), 1);
  }
  void TearDown() override {
    if (folder_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

 private:
  std::string folder_;
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new ScratchSnapshotFolder);

}  // namespace
