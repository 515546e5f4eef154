// The card session on a full job: a 3072-point import into an empty job, and
// opening a full card with every list read, counting the system calls through
// the image file's seam. Each changed sector should be written once (the
// journal aside) and each sector read at most once while the card is open.
// The import runs in the temporary folder and, where a loop device can be
// mounted (root), on an ext4 mounted with -o sync, as some systems mount cards.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mount.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "bench/BenchImage.h"
#include "card/CardSession.h"

namespace {

namespace fs = std::filesystem;
using vel::CardSession;
using vel::OpenStatus;

// Counts the calls, and which sectors of the image were read and written.
class CountingCalls : public vel::FileSystemCalls {
 public:
  void reset() { *this = CountingCalls(); }

  int open(const char* path, int flags, mode_t mode) override {
    const int fd = FileSystemCalls::open(path, flags, mode);
    if (fd >= 0 && (flags & O_CREAT)) journals_.insert(fd);
    return fd;
  }
  int close(int fd) override {
    journals_.erase(fd);
    return FileSystemCalls::close(fd);
  }
  ssize_t pread(int fd, void* buffer, size_t count, off_t offset) override {
    ++preads;
    const ssize_t n = FileSystemCalls::pread(fd, buffer, count, offset);
    for (off_t at = offset; at < offset + static_cast<off_t>(count); at += 256) {
      if (!sectorsRead.insert(at / 256).second) ++sectorsReadAgain;
    }
    return n;
  }
  ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) override {
    ++pwrites;
    if (journals_.count(fd)) {
      journalBytes += count;
    } else {
      for (off_t at = offset; at < offset + static_cast<off_t>(count); at += 256) {
        if (!sectorsWritten.insert(at / 256).second) ++sectorsWrittenAgain;
      }
    }
    return FileSystemCalls::pwrite(fd, buffer, count, offset);
  }
  int fsync(int fd) override {
    ++fsyncs;
    return FileSystemCalls::fsync(fd);
  }

  long preads = 0, pwrites = 0, fsyncs = 0, journalBytes = 0;
  long sectorsReadAgain = 0, sectorsWrittenAgain = 0;
  std::set<long> sectorsRead, sectorsWritten;

 private:
  std::set<int> journals_;
};

std::vector<vel::ImportRow> rows(int count) {
  std::vector<vel::ImportRow> all;
  for (int i = 1; i <= count; ++i) {
    const std::string number = std::to_string(i);
    std::string name(1, 'P');
    name += number;
    all.push_back({name, number + ".5", number + ".25", "1"});
  }
  return all;
}

// A name of this process in the temporary folder.
fs::path scratchPath(const char* stem, const char* suffix) {
  std::string name(stem);
  name += std::to_string(::getpid());
  name += suffix;
  return fs::temp_directory_path() / name;
}

std::string fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

long changedSectors(const std::string& before, const std::string& after) {
  long changed = 0;
  for (size_t at = 0; at < after.size(); at += 256) {
    if (before.compare(at, 256, after, at, 256) != 0) ++changed;
  }
  return changed;
}

// A formatted RX3-8 card with one empty job, as the store leaves it, out of the page cache.
void makeCard(const fs::path& path) {
  vel::bench::writeCardFile(path, vel::kSizeLayout0);
  CardSession session;
  session.open(path.string(), [] { return true; });
  session.run(vel::CreateJob{"F"});
  session.close();
  const int fd = ::open(path.c_str(), O_RDONLY);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  ::close(fd);
}

void importInto(benchmark::State& state, const fs::path& folder) {
  static const std::vector<vel::ImportRow> all = rows(vel::kMaxJobRecords);
  const fs::path path = folder / scratchPath("vel-bench-", ".VEL").filename();
  CountingCalls calls;
  vel::setFileSystemCalls(&calls);
  long changed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    makeCard(path);
    const std::string before = fileBytes(path);
    calls.reset();
    state.ResumeTiming();

    CardSession session;
    if (session.open(path.string()) != OpenStatus::kLoaded) state.SkipWithError("cannot open");
    if (!session.run(vel::ImportRows{session.jobAt(vel::JobPosition{0}), all}).done()) {
      state.SkipWithError("import failed");
    }
    session.close();

    state.PauseTiming();
    changed = changedSectors(before, fileBytes(path));
    state.ResumeTiming();
  }
  vel::setFileSystemCalls(nullptr);
  fs::remove(path);
  state.counters["pread"] = calls.preads;
  state.counters["pwrite"] = calls.pwrites;
  state.counters["fsync"] = calls.fsyncs;
  state.counters["changed_sectors"] = changed;
  state.counters["image_sectors_written"] = static_cast<double>(calls.sectorsWritten.size());
  state.counters["written_twice"] = calls.sectorsWrittenAgain;
  state.counters["sectors_read"] = static_cast<double>(calls.sectorsRead.size());
  state.counters["read_twice"] = calls.sectorsReadAgain;
  state.counters["journal_bytes"] = calls.journalBytes;
}

void BM_Import3072(benchmark::State& state) {
  importInto(state, fs::temp_directory_path());
}
BENCHMARK(BM_Import3072)->Unit(benchmark::kMillisecond)->Iterations(5);

// Every record of a full job selected and deleted in one go (Ctrl+A, then
// delete in the job viewer or the known points): one DeleteRecords.
void BM_DeleteAll3072(benchmark::State& state) {
  static const std::vector<vel::ImportRow> all = rows(vel::kMaxJobRecords);
  std::vector<int> numbers(vel::kMaxJobRecords);
  for (int i = 0; i < vel::kMaxJobRecords; ++i) numbers[static_cast<size_t>(i)] = i;
  const fs::path path = scratchPath("vel-bench-delete-", ".VEL");
  for (auto _ : state) {
    state.PauseTiming();
    makeCard(path);
    {
      CardSession filling;
      filling.open(path.string());
      filling.run(vel::ImportRows{filling.jobAt(vel::JobPosition{0}), all});
    }
    state.ResumeTiming();

    CardSession session;
    if (session.open(path.string()) != OpenStatus::kLoaded) state.SkipWithError("cannot open");
    const vel::JobSlot job = session.jobAt(vel::JobPosition{0});
    if (!session.run(vel::DeleteRecords{job, numbers}).done() || session.recordCount(job) != 0) {
      state.SkipWithError("delete failed");
    }
    session.close();
  }
  fs::remove(path);
}
BENCHMARK(BM_DeleteAll3072)->Unit(benchmark::kMillisecond)->Iterations(5);

// An ext4 file system in a file, loop-mounted with -o sync for as long as
// the benchmark runs.
class SyncMount {
 public:
  SyncMount() {
    const fs::path base = scratchPath("vel-bench-sync-", "");
    file_ = base.string() + ".img";
    folder_ = base.string();
    fs::create_directories(folder_);
    const std::string make = "truncate -s 64M '" + file_ + "' && mkfs.ext4 -q -F '" + file_ +
                             "' >/dev/null 2>&1 && mount -o loop,sync '" + file_ + "' '" + folder_ +
                             "' 2>/dev/null";
    mounted_ = std::system(make.c_str()) == 0;
  }
  ~SyncMount() {
    if (mounted_) ::umount(folder_.c_str());
    fs::remove(folder_);
    fs::remove(file_);
  }
  bool mounted() const { return mounted_; }
  const std::string& folder() const { return folder_; }

 private:
  std::string file_, folder_;
  bool mounted_ = false;
};

void BM_Import3072OnSyncMount(benchmark::State& state) {
  SyncMount mount;
  if (!mount.mounted()) {
    state.SkipWithError(
        "no ext4 loop mount with -o sync here (needs root, loop devices, mkfs.ext4)");
    for (auto _ : state) {
    }
    return;
  }
  importInto(state, mount.folder());
}
BENCHMARK(BM_Import3072OnSyncMount)->Unit(benchmark::kMillisecond)->Iterations(5);

// A full card: a job of 3072 records, 3072 known points, 64 codes.
void makeFullCard(const fs::path& path) {
  makeCard(path);
  CardSession session;
  session.open(path.string());
  session.run(vel::ImportRows{session.jobAt(vel::JobPosition{0}), rows(vel::kMaxJobRecords)});
  session.run(vel::ImportRows{session.knownPointFile(), rows(vel::kMaxJobRecords)});
  for (int i = 0; i < vel::kMaxFeatureCodes; ++i) {
    session.run(vel::AddFeatureCode{std::string(1, 'C') += std::to_string(i)});
  }
}

// Opening a full card and reading every list, as the main window and the job
// viewer show them.
void BM_OpenFullCard(benchmark::State& state) {
  const fs::path path = scratchPath("vel-bench-full-", ".VEL");
  makeFullCard(path);
  CountingCalls calls;
  vel::setFileSystemCalls(&calls);
  size_t lines = 0;
  for (auto _ : state) {
    calls.reset();
    CardSession session;
    if (session.open(path.string()) != OpenStatus::kLoaded) state.SkipWithError("cannot open");
    lines = session.jobLines().size() + session.knownPointLines().size() +
            session.featureCodes().size() +
            session.recordLines(session.jobAt(vel::JobPosition{0})).size();
  }
  vel::setFileSystemCalls(nullptr);
  fs::remove(path);
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["pread"] = calls.preads;
  state.counters["sectors_read"] = static_cast<double>(calls.sectorsRead.size());
  state.counters["read_twice"] = calls.sectorsReadAgain;
}
BENCHMARK(BM_OpenFullCard)->Unit(benchmark::kMillisecond);

// The snapshot an action keeps first: the image read whole, packed with gzip,
// written and forced with the index, in a folder of its own each time (the
// same bytes twice would be stored once). Full card, and a freshly formatted one.
void snapshotOf(benchmark::State& state, bool full) {
  const fs::path path = scratchPath("vel-bench-snap-", ".VEL");
  const fs::path folder = scratchPath("vel-bench-snapshots-", "");
  if (full) {
    makeFullCard(path);
  } else {
    makeCard(path);
  }
  CardSession session;
  session.open(path.string());
  long long stored = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(folder);
    vel::SnapshotFolder snapshots(folder);
    session.setSnapshotFolder(&snapshots);
    state.ResumeTiming();
    if (!session.backUp().done()) state.SkipWithError("no snapshot kept");
    state.PauseTiming();
    stored = snapshots.all().at(0).storedSize;
    state.ResumeTiming();
  }
  session.close();
  fs::remove_all(folder);
  fs::remove(path);
  state.counters["image_bytes"] = static_cast<double>(vel::kSizeLayout0);
  state.counters["snapshot_bytes"] = static_cast<double>(stored);
}

void BM_SnapshotFullCard(benchmark::State& state) {
  snapshotOf(state, true);
}
BENCHMARK(BM_SnapshotFullCard)->Unit(benchmark::kMillisecond);

void BM_SnapshotFreshCard(benchmark::State& state) {
  snapshotOf(state, false);
}
BENCHMARK(BM_SnapshotFreshCard)->Unit(benchmark::kMillisecond);

}  // namespace
