#include <algorithm>
#include <string>
#include <vector>

#include "card/Snapshots.h"
#include "fuzz/FuzzTargets.h"
#include "store/MemoryFileSystem.h"

namespace vel::fuzz {
namespace {

const std::string kFolder = "/backups";

bool sameSnapshot(const Snapshot& a, const Snapshot& b) {
  return a.file == b.file && a.time == b.time && a.imageName == b.imageName && a.card == b.card;
}

}  // namespace

void runSnapshotInput(const uint8_t* data, size_t size) {
  if (size < 1) return;
  // The first byte splits the rest into the index and a snapshot file named A.gz.
  const size_t split = std::min<size_t>(size - 1, static_cast<size_t>(data[0]) * 4);
  const std::vector<uint8_t> index(data + 1, data + 1 + split);
  const std::vector<uint8_t> gzip(data + 1 + split, data + size);

  static MemoryFileSystem files;
  files = MemoryFileSystem();
  files.setTrackDurability(false);
  files.putFile(kFolder + "/index.txt", index);
  files.putFile(kFolder + "/A.gz", gzip);
  setFileSystemCalls(&files);
  {
    SnapshotFolder folder(kFolder);
    const std::vector<Snapshot> before = folder.all();
    for (const Snapshot& s : before) {
      // A snapshot read back is the bytes its index line promises, or nothing.
      if (const auto image = folder.load(s)) {
        if (static_cast<long long>(image->size()) != s.imageSize) __builtin_trap();
      }
      folder.list(s.imageName, s.card);
    }
    // A new snapshot goes in without losing what was listed, but for what the
    // limits prune (whose files are then gone).
    Snapshot about;
    about.imageName = "CARD.VEL";
    about.time = 1700000000;
    const std::vector<uint8_t> image(4096, 0x5A);
    if (!folder.keep(image, about).kept()) __builtin_trap();
    const std::vector<Snapshot> after = folder.all();
    for (const Snapshot& s : before) {
      const bool listed = std::any_of(after.begin(), after.end(),
                                      [&](const Snapshot& a) { return sameSnapshot(a, s); });
      if (!listed && files.exists(kFolder + "/" + s.file)) __builtin_trap();
    }
    if (after.empty() || !folder.load(after.back())) __builtin_trap();
  }
  setFileSystemCalls(nullptr);
  files = MemoryFileSystem();
}

}  // namespace vel::fuzz
