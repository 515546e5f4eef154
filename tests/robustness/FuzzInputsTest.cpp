// Every input kept from fuzzing (the seed corpus and each input that once
// crashed) runs again through its harness; under the sanitizer build a
// regression shows as a report, in the plain build as a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzTargets.h"

namespace vel::fuzz {
namespace {

namespace fs = std::filesystem;

using Target = void (*)(const uint8_t*, size_t);

struct Harness {
  const char* name;
  Target run;
};

int runKeptInputs(const Harness& harness) {
  int count = 0;
  for (const char* kind : {"corpus", "regressions"}) {
    const fs::path folder = fs::path(VEL_FUZZ_DIR) / kind / harness.name;
    if (!fs::is_directory(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
      SCOPED_TRACE(entry.path().string());
      harness.run(bytes.data(), bytes.size());
      ++count;
    }
  }
  return count;
}

TEST(KeptFuzzInputs, RunCleanThroughTheStoreHarness) {
  EXPECT_GT(runKeptInputs({"store", runStoreInput}), 0);
}

TEST(KeptFuzzInputs, RunCleanThroughTheJournalHarness) {
  EXPECT_GT(runKeptInputs({"journal", runJournalInput}), 0);
}

TEST(KeptFuzzInputs, RunCleanThroughTheSnapshotHarness) {
  EXPECT_GT(runKeptInputs({"snapshot", runSnapshotInput}), 0);
}

TEST(KeptFuzzInputs, RunCleanThroughTheExchangeHarness) {
  EXPECT_GT(runKeptInputs({"exchange", runExchangeInput}), 0);
}

}  // namespace
}  // namespace vel::fuzz
