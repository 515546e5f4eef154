// A freshly formatted image in a temporary folder, for the benchmarks.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "store/RecordAreaStore.h"

namespace vel::bench {

// Writes the file and drops it from the page cache, so that the store meets it
// as it meets an image already on a card. (A file just written in one piece sits
// in large page-cache folios, which makes every small write many times slower
// than on a card's image and would measure the kernel, not the store.)
inline void writeCardFile(const std::filesystem::path& path, long long size) {
  const std::string bytes(size, '\xFF');
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return;
  for (long long done = 0; done < size;) {
    const ssize_t n = ::write(fd, bytes.data() + done, size - done);
    if (n <= 0) break;
    done += n;
  }
  ::fsync(fd);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  ::close(fd);
}

class BenchImage {
 public:
  explicit BenchImage(int model = kRX3_8) {
    path_ = std::filesystem::temp_directory_path() /
            ("vel-bench-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++) + ".VEL");
    writeCardFile(path_, defaultSectors(model) * kSectorSize);
    store.openImage(path_.string());
    store.useModel(model, defaultSectors(model));
    store.formatRecordArea();
    store.commitImage();
    store.loadTables();
  }
  ~BenchImage() {
    store.closeImage();
    std::filesystem::remove(path_);
  }

  // Commits what was written through `store` and lets the image go, for a
  // card session to open it.
  const std::filesystem::path& release() {
    store.commitImage();
    store.closeImage();
    return path_;
  }
  const std::filesystem::path& path() const { return path_; }

  RecordAreaStore store;

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

}  // namespace vel::bench
