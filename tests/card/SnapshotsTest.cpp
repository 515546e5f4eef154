// Snapshots of a whole image before every action that removes or overwrites
// data, and putting one back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "FaultyCalls.h"
#include "TestImage.h"
#include "card/CardSession.h"
#include "tests/support/ScratchCard.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::ScratchDir;

Bytes fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Snapshot labelled(const std::string& imageName, int64_t time, const std::string& action = "A") {
  Snapshot about;
  about.imageName = imageName;
  about.time = time;
  about.model = "RX3-8";
  about.action = action;
  about.summary = "S";
  return about;
}

Bytes someImage(int seed, size_t size = 4096) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + seed * 13) % 251);
  return bytes;
}

// --- The folder --------------------------------------------------------------------

TEST(SnapshotFolderTest, KeepsGzipFilesThatGiveBackTheExactBytesAndListsThemNewestFirst) {
  ScratchDir scratch;
  SnapshotFolder folder(scratch.path() / "backups");
  const Bytes first = someImage(1, 100000), second = someImage(2, 100000);
  ASSERT_TRUE(folder.keep(first, labelled("CARD.VEL", 1000, "删除工作文件 JOB1")).kept());
  ASSERT_TRUE(folder.keep(second, labelled("CARD.VEL", 2000, "格式化\t记录区\n")).kept());
  ASSERT_TRUE(folder.keep(first, labelled("OTHER.VEL", 3000)).kept());

  const std::vector<Snapshot> listed = folder.list("CARD.VEL");
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].time, 2000);
  // Tabs and line ends, which separate the index's fields and lines, come back as they were.
  EXPECT_EQ(listed[0].action, "格式化\t记录区\n");
  EXPECT_EQ(listed[1].action, "删除工作文件 JOB1");
  EXPECT_EQ(listed[1].model, "RX3-8");
  EXPECT_EQ(listed[1].imageSize, 100000);
  EXPECT_EQ(folder.load(listed[1]), first);
  EXPECT_EQ(folder.load(listed[0]), second);
  EXPECT_EQ(folder.list("OTHER.VEL").size(), 1u);

  // Any gunzip reads the file: the system's own gives back the same bytes.
  const fs::path out = scratch.path() / "unzipped";
  const std::string command =
      "gzip -dc '" + (folder.path() / listed[1].file).string() + "' > '" + out.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(fileBytes(out), first);
}

TEST(SnapshotFolderTest, StoresTheSameBytesOnceInARowButAgainAfterOthers) {
  ScratchDir scratch;
  SnapshotFolder folder(scratch.path());
  const Bytes a = someImage(1), b = someImage(2);
  for (const Bytes* image : {&a, &a, &b, &a, &a})
    ASSERT_TRUE(folder.keep(*image, labelled("C", 1)).kept());
  const std::vector<Snapshot> listed = folder.list("C");
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(folder.load(listed[0]), a);
  EXPECT_EQ(folder.load(listed[1]), b);
  EXPECT_EQ(folder.load(listed[2]), a);
}

TEST(SnapshotFolderTest, KeepsTheNewest100OfEachNameAndTheNewestWithinTheByteCap) {
  ScratchDir scratch;
  SnapshotFolder folder(scratch.path());
  for (int i = 0; i < 105; ++i) ASSERT_TRUE(folder.keep(someImage(i, 64), labelled("A", i)).kept());
  ASSERT_TRUE(folder.keep(someImage(0, 64), labelled("B", 200)).kept());
  std::vector<Snapshot> a = folder.list("A");
  ASSERT_EQ(a.size(), 100u);
  EXPECT_EQ(a.front().time, 104);
  EXPECT_EQ(a.back().time, 5);
  EXPECT_EQ(folder.list("B").size(), 1u);
  // The dropped ones' files are gone too: 101 snapshots, the index and its lock.
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator{}), 103);

  // Under a byte cap the oldest go first, whatever their name.
  ScratchDir small;
  SnapshotFolder capped(small.path(), SnapshotLimits{100, 0});
  long long each = 0;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(capped.keep(someImage(i, 20000), labelled(i % 2 ? "X" : "Y", i)).kept());
    if (i == 0) each = capped.all().front().storedSize;
  }
  SnapshotFolder reread(small.path(), SnapshotLimits{100, 2 * each + each / 2});
  ASSERT_TRUE(reread.keep(someImage(9, 20000), labelled("X", 9)).kept());
  std::vector<int64_t> times;
  for (const Snapshot& s : reread.all()) times.push_back(s.time);
  EXPECT_EQ(times, (std::vector<int64_t>{3, 9}));
}

TEST(SnapshotFolderTest, AFolderThatCannotBeWrittenGivesTheReasonAndLeavesNothing) {
  ScratchDir scratch;
  std::ofstream(scratch.path() / "plain-file") << "x";
  SnapshotFolder blocked(scratch.path() / "plain-file" / "backups");
  const SnapshotFailure reason = blocked.keep(someImage(1), labelled("C", 1));
  EXPECT_EQ(reason.reason, SnapshotFailure::Reason::kSystemError);
  EXPECT_EQ(reason.error, ENOTDIR);

  // A full disk, as a file-size limit shows it.
  SnapshotFolder folder(scratch.path() / "backups");
  ASSERT_TRUE(folder.keep(someImage(1), labelled("C", 1)).kept());
  rlimit previous{};
  getrlimit(RLIMIT_FSIZE, &previous);
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = previous;
  limit.rlim_cur = 100;
  setrlimit(RLIMIT_FSIZE, &limit);
  const SnapshotFailure full = folder.keep(someImage(2, 50000), labelled("C", 2));
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, handler);
  EXPECT_FALSE(full.kept());
  ASSERT_EQ(folder.list("C").size(), 1u);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator{}), 3);
}

TEST(SnapshotFolderTest, ADamagedIndexOrFileIsNeverTakenForASnapshot) {
  ScratchDir scratch;
  SnapshotFolder folder(scratch.path());
  ASSERT_TRUE(folder.keep(someImage(1), labelled("C", 1)).kept());
  const Snapshot kept = folder.list("C").at(0);
  {
    std::ofstream index(scratch.path() / "index.txt", std::ios::app | std::ios::binary);
    index << "garbage line\n"
          << "5\t../outside.gz\tC\tRX3-8\t4096\t0000000000000000\t10\ta\ts\n"
          << "6\tmissing.gz\tC\tRX3-8\t4096\t0000000000000000\t10\ta\ts\n"
          << "-7\tx.gz\tC\tRX3-8\t4096\t0\t10\ta\ts\n"
          << "9300000000000000000\tbig.gz\tC\tRX3-8\t4096\t0\t10\ta\ts\n";
  }
  fs::copy_file(scratch.path() / kept.file, scratch.path() / "big.gz");
  ASSERT_EQ(folder.list("C").size(), 1u);
  // Lines it cannot read stay in the index as they were through the next snapshot.
  ASSERT_TRUE(folder.keep(someImage(2), labelled("C", 2)).kept());
  std::ifstream indexFile(scratch.path() / "index.txt", std::ios::binary);
  const std::string index{std::istreambuf_iterator<char>(indexFile), {}};
  EXPECT_NE(index.find("\n9300000000000000000\tbig.gz\t"), std::string::npos) << index;

  // A file that no longer gives the bytes the index describes.
  Bytes gzip = fileBytes(scratch.path() / kept.file);
  gzip[gzip.size() / 2] ^= 0x55;
  test::writeBytes(scratch.path() / kept.file, gzip);
  EXPECT_FALSE(folder.load(kept).has_value());
  Snapshot lying = kept;
  lying.imageSize = 10;
  EXPECT_FALSE(folder.load(lying).has_value());
}

TEST(SnapshotFolderTest, NoFileIsMadeThroughALinkAndATakenNameIsLeftAlone) {
  ScratchDir scratch;
  const fs::path backups = scratch.folder("backups");
  const fs::path victim = scratch.path() / "victim.txt";
  std::ofstream(victim) << "mine";
  SnapshotFolder folder(backups);
  fs::create_symlink(victim, backups / "index.lock");
  EXPECT_EQ(folder.keep(someImage(1), labelled("C", 1)).reason,
            SnapshotFailure::Reason::kNameTaken);
  fs::remove(backups / "index.lock");
  EXPECT_EQ(fileBytes(victim), (Bytes{'m', 'i', 'n', 'e'}));

  // A dangling link where the next snapshot's file would go: another name.
  fs::create_symlink(scratch.path() / "nowhere", backups / "C-19700101-000002.gz");
  ASSERT_TRUE(folder.keep(someImage(2), labelled("C", 2)).kept());
  const Snapshot kept = folder.list("C").at(0);
  EXPECT_EQ(kept.file, "C-19700101-000002-2.gz");
  EXPECT_EQ(folder.load(kept), someImage(2));
}

TEST(SnapshotFolderTest, ADamagedNewestSnapshotIsNeverTheReasonToKeepNone) {
  ScratchDir scratch;
  SnapshotFolder folder(scratch.path());
  ASSERT_TRUE(folder.keep(someImage(1), labelled("C", 1)).kept());
  fs::resize_file(scratch.path() / folder.list("C").at(0).file, 0);
  ASSERT_TRUE(folder.keep(someImage(1), labelled("C", 2)).kept());
  ASSERT_EQ(folder.list("C").size(), 2u);
  EXPECT_EQ(folder.load(folder.list("C").at(0)), someImage(1));
}

// Renaming fails, as on a disk that is full when the new index is put in place.
struct FullDiskAtRename : FileSystemCalls {
  int rename(const char*, const char*) override {
    errno = ENOSPC;
    return -1;
  }
};

TEST(SnapshotFolderTest, NothingListedIsLostByAFailure) {
  ScratchDir scratch;
  SnapshotFolder folder(scratch.path(), SnapshotLimits{1, 1LL << 30});
  ASSERT_TRUE(folder.keep(someImage(1), labelled("C", 1)).kept());
  const Snapshot first = folder.list("C").at(0);
  {
    FullDiskAtRename full;
    test::InstalledCalls installed(full);
    EXPECT_EQ(folder.keep(someImage(2), labelled("C", 2)).reason,
              SnapshotFailure::Reason::kDiskFull);
  }
  ASSERT_EQ(folder.list("C").size(), 1u) << "pruned only once the new index is in place";
  EXPECT_EQ(folder.load(first), someImage(1));

  // An index that is there but cannot be read stops the action: it is not
  // taken for empty, and never waited on.
  fs::rename(scratch.path() / "index.txt", scratch.path() / "kept.txt");
  for (const auto& make : std::vector<std::function<void(const fs::path&)>>{
           [](const fs::path& p) { fs::create_directory(p); },
           [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }}) {
    make(scratch.path() / "index.txt");
    const SnapshotFailure reason = folder.keep(someImage(3), labelled("C", 3));
    EXPECT_EQ(reason.reason, SnapshotFailure::Reason::kIndexUnreadable);
    EXPECT_EQ(reason.index, (scratch.path() / "index.txt").string());
    fs::remove(scratch.path() / "index.txt");
  }
  fs::rename(scratch.path() / "kept.txt", scratch.path() / "index.txt");
  EXPECT_EQ(folder.list("C").size(), 1u);
}

TEST(SnapshotFolderTest, SnapshotsBelongToTheirCardAndGoBackIntoANewFile) {
  ScratchDir scratch;
  SnapshotFolder folder(scratch.path(), SnapshotLimits{1, 1LL << 30});
  // An image named alike on two cards, and a line kept before cards were told apart.
  for (const auto& [card, seed] : {std::pair{"path:/a", 1}, {"path:/b", 2}, {"", 3}}) {
    Snapshot about = labelled("CARD.VEL", seed);
    about.card = card;
    about.place = card;
    ASSERT_TRUE(folder.keep(someImage(seed), about).kept());
  }
  EXPECT_EQ(folder.list("CARD.VEL").size(), 3u) << "one per card: none pruned the other";
  const std::vector<Snapshot> ofA = folder.list("CARD.VEL", "path:/a");
  ASSERT_EQ(ofA.size(), 2u);
  EXPECT_EQ(ofA[0].card, "");
  EXPECT_EQ(ofA[1].place, "path:/a");

  const fs::path restored = scratch.path() / "NEW.VEL";
  EXPECT_EQ(folder.restoreToNewFile(ofA[1], restored), 0);
  EXPECT_EQ(fileBytes(restored), someImage(1));
  EXPECT_EQ(folder.restoreToNewFile(ofA[0], restored), EEXIST);
  EXPECT_EQ(fileBytes(restored), someImage(1));

  // Another folder is another card; the same folder by another path is not.
  const fs::path one = scratch.folder("one"), two = scratch.folder("two");
  fs::create_directory_symlink(one, scratch.path() / "link");
  EXPECT_NE(imageOrigin(one / "CARD.VEL").card, imageOrigin(two / "CARD.VEL").card);
  EXPECT_EQ(imageOrigin(one / "CARD.VEL").card, imageOrigin(scratch.path() / "link/CARD.VEL").card);
}

TEST(SnapshotFolderTest, PrivateFilesNamesOfAnyBytesAndALockWaitedForNoLongerThanAsked) {
  ScratchDir scratch;
  const fs::path backups = scratch.path() / "new" / "backups";
  SnapshotFolder folder(backups);
  const std::string name = "A\tB\nC.VEL";
  ASSERT_TRUE(folder.keep(someImage(1), labelled(name, 1), 0600).kept());
  const Snapshot kept = folder.list(name).at(0);
  EXPECT_EQ(folder.load(kept), someImage(1));
  EXPECT_EQ(fs::status(backups).permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(backups / kept.file).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);

  const int holder = ::open((backups / "index.lock").c_str(), O_RDWR);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  folder.setLockWait(std::chrono::milliseconds(0));
  EXPECT_EQ(folder.keep(someImage(2), labelled(name, 2)).reason,
            SnapshotFailure::Reason::kFolderInUse);
  ::close(holder);
}

TEST(SnapshotFolderTest, TheFolderComesFromTheEnvironmentElseTheDataHome) {
  const char* saved = std::getenv("VEL_BACKUP_DIR");
  const std::string given = saved ? saved : "";
  ::setenv("VEL_BACKUP_DIR", "/somewhere/else", 1);
  EXPECT_EQ(defaultSnapshotFolder(), fs::path("/somewhere/else"));
  ::unsetenv("VEL_BACKUP_DIR");
  ::setenv("XDG_DATA_HOME", "/data", 1);
  EXPECT_EQ(defaultSnapshotFolder(), fs::path("/data/vel-reader/backups"));
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", "/home/surveyor", 1);
  EXPECT_EQ(defaultSnapshotFolder(), fs::path("/home/surveyor/.local/share/vel-reader/backups"));
  if (saved) ::setenv("VEL_BACKUP_DIR", given.c_str(), 1);
}

// --- The session's actions ----------------------------------------------------------

// A card opened by a session as the front ends open it, with two jobs
// (three points in JOB1), two known points and two codes.
class SessionSnapshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    {
      test::Card card(kRX3_8);
      image = card.image.path() + ".copy.VEL";
      RecordAreaStore& s = card.store;
      const uint8_t job = s.createJob("JOB1");
      s.createJob("ROAD2");
      for (const char* name : {"P1", "P2", "P3"}) test::appendPoint(s, job, name);
      test::appendPoint(s, s.knownPointFile(), "K1");
      test::appendPoint(s, s.knownPointFile(), "K2");
      s.addFeatureCode("TREE");
      s.addFeatureCode("WALL");
      ASSERT_TRUE(s.commitImage());
      s.closeImage();
      fs::copy_file(card.image.path(), image);
    }
    ASSERT_EQ(session.open(image), OpenStatus::kLoaded);
    session.setSnapshotFolder(&folder);
  }
  void TearDown() override {
    session.close();
    fs::remove(image);
  }
  std::string name() const { return fs::path(image).filename().string(); }

  ScratchDir scratch;
  std::string image;
  SnapshotFolder folder{scratch.path()};
  CardSession session;
};

TEST_F(SessionSnapshotTest, EachDestructiveActionKeepsOneSnapshotOfTheImageJustBeforeIt) {
  const JobSlot job1 = session.jobAt(JobPosition{0});
  const JobSlot known = session.knownPointFile();
  const std::vector<ImportRow> rows = {{"N1", "1", "2", "3"}};
  // Two more jobs and codes, for the deletions of several at once.
  for (const char* job : {"DAM3", "PIT4"}) ASSERT_TRUE(session.run(CreateJob{job}).done());
  for (const char* code : {"PIPE", "POLE"}) ASSERT_TRUE(session.run(AddFeatureCode{code}).done());
  const struct {
    ActionLabel label;
    Action action;
  } actions[] = {
      {{SnapshotAction::kDeleteJobs, {"2"}}, DeleteJobs{{JobPosition{3}, JobPosition{2}}}},
      {{SnapshotAction::kDeleteCodes, {"2"}}, DeleteFeatureCodes{{3, 2, 3}}},
      {{SnapshotAction::kDeleteRecord, {"JOB1", "2"}}, DeleteRecord{job1, 1}},
      {{SnapshotAction::kDeleteRecords, {"JOB1", "2"}}, DeleteRecords{job1, {0, 1}}},
      {{SnapshotAction::kDeleteKnownPoint, {"K1"}}, DeleteRecord{known, 0}},
      {{SnapshotAction::kDeleteCode, {"WALL"}}, DeleteFeatureCode{1}},
      {{SnapshotAction::kRenameJob, {"JOB1", "MAIN"}}, RenameJob{job1, "MAIN"}},
      {{SnapshotAction::kImportJob, {"MAIN"}}, ImportRows{job1, rows}},
      {{SnapshotAction::kImportKnownPoints}, ImportRows{known, rows}},
      {{SnapshotAction::kDeleteJob, {"ROAD2"}}, DeleteJob{JobPosition{1}}},
      {{SnapshotAction::kClearKnownPoints}, ClearKnownPoints{}},
      {{SnapshotAction::kClearCodes}, ClearFeatureCodes{}},
      {{SnapshotAction::kFormat}, FormatArea{}},
  };
  size_t count = 0;
  for (const auto& a : actions) {
    SCOPED_TRACE(static_cast<int>(a.label.action));
    const Bytes before = fileBytes(image);
    const std::vector<std::string> jobs = session.jobLines();
    ASSERT_TRUE(session.run(a.action).done());
    const std::vector<Snapshot> listed = folder.list(name());
    ASSERT_EQ(listed.size(), ++count);
    EXPECT_EQ(listed[0].label, a.label);
    EXPECT_TRUE(listed[0].contents.recorded);
    EXPECT_EQ(listed[0].contents.jobs.size(), jobs.size());
    EXPECT_EQ(listed[0].model, "RX3-8");
    EXPECT_EQ(folder.load(listed[0]), before);
  }
}

TEST_F(SessionSnapshotTest, ActionsThatLoseNothingOrAreRefusedKeepNone) {
  const JobSlot job1 = session.jobAt(JobPosition{0});
  ASSERT_TRUE(session.run(CreateJob{"NEW"}).done());
  ASSERT_TRUE(session.run(AddPoint{job1, "P9", {1, 0}, {2, 0}, {3, 0}}).done());
  ASSERT_TRUE(session.run(AddFeatureCode{"POLE"}).done());
  EXPECT_TRUE(session.run(RenameJob{job1, "ROAD2"}).refused());
  EXPECT_TRUE(session.run(DeleteFeatureCode{99}).refused());
  EXPECT_TRUE(session.run(DeleteRecord{job1, 99}).refused());
  EXPECT_TRUE(session.run(ImportRows{job1, {}}).done());
  EXPECT_TRUE(folder.all().empty());
}

TEST_F(SessionSnapshotTest, ASnapshotThatCannotBeKeptStopsTheActionBeforeItWrites) {
  std::ofstream(scratch.path() / "plain-file") << "x";
  SnapshotFolder blocked(scratch.path() / "plain-file" / "sub");
  session.setSnapshotFolder(&blocked);
  const Bytes before = fileBytes(image);
  const Outcome deleted = session.run(DeleteJob{JobPosition{0}});
  EXPECT_TRUE(deleted.notBackedUp());
  EXPECT_EQ(deleted.backup.folder, (scratch.path() / "plain-file" / "sub").string());
  EXPECT_EQ(session.jobCount(), 2);
  EXPECT_TRUE(session.run(FormatArea{}).notBackedUp());
  EXPECT_TRUE(session.run(ImportRows{session.jobAt(JobPosition{0}), {{"N1", "1", "2", "3"}}})
                  .notBackedUp());
  EXPECT_EQ(fileBytes(image), before);

  // Switched off, the same actions go ahead.
  session.setSnapshotFolder(nullptr);
  EXPECT_TRUE(session.run(DeleteJob{JobPosition{0}}).done());
}

TEST_F(SessionSnapshotTest, RestorePutsTheBytesBackAfterKeepingTheCurrentOnes) {
  const Bytes original = fileBytes(image);
  ASSERT_TRUE(session.run(DeleteJob{JobPosition{0}}).done());
  const Bytes afterDelete = fileBytes(image);

  ASSERT_TRUE(session.run(RestoreSnapshot{&folder, folder.list(name()).at(0)}).done());
  EXPECT_EQ(session.jobCount(), 2);
  EXPECT_EQ(fileBytes(image), original);
  const std::vector<Snapshot> listed = folder.list(name());
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].label.action, SnapshotAction::kRestore);
  EXPECT_EQ(listed[0].label.values, std::vector<std::string>{snapshotTimeText(listed[1].time)});
  EXPECT_EQ(folder.load(listed[0]), afterDelete);

  // The preview is read in memory, from the snapshot alone.
  const std::optional<std::vector<std::string>> jobs = snapshotJobLines(folder, listed[1]);
  ASSERT_TRUE(jobs.has_value());
  EXPECT_EQ(*jobs, session.jobLines());
}

TEST_F(SessionSnapshotTest, ASnapshotOfAnotherSizeModelCardOrDamagedIsRefusedUnwritten) {
  const Bytes before = fileBytes(image);
  Snapshot other = labelled(name(), 1);
  ASSERT_TRUE(folder.keep(Bytes(1000, 0xFF), other).kept());
  other = folder.list(name()).at(0);
  EXPECT_FALSE(session.snapshotFits(other));
  EXPECT_EQ(session.run(RestoreSnapshot{&folder, other}).refusal, Refusal::kSnapshotMismatch);

  Snapshot model = labelled(name(), 2);
  model.model = "RX9-32";
  ASSERT_TRUE(folder.keep(Bytes(before.size(), 0xFF), model).kept());
  EXPECT_EQ(session.run(RestoreSnapshot{&folder, folder.list(name()).at(0)}).refusal,
            Refusal::kSnapshotMismatch);

  Snapshot damaged = folder.list(name()).at(0);
  damaged.model = "RX3-8";
  damaged.checksum ^= 1;
  EXPECT_EQ(session.run(RestoreSnapshot{&folder, damaged}).refusal, Refusal::kSnapshotDamaged);
  EXPECT_EQ(folder.list(name()).size(), 2u);  // no snapshot before a refused restore
  EXPECT_EQ(fileBytes(image), before);

  // One of another card with the same image name: only when asked for.
  Snapshot elsewhere = labelled(name(), 3);
  elsewhere.card = "path:/another/card";
  ASSERT_TRUE(folder.keep(Bytes(before.size(), 0xFF), elsewhere).kept());
  const Snapshot fromOther = folder.list(name()).at(0);
  EXPECT_EQ(session.run(RestoreSnapshot{&folder, fromOther}).refusal,
            Refusal::kSnapshotFromOtherCard);
  EXPECT_EQ(fileBytes(image), before);
  EXPECT_TRUE(session.run(RestoreSnapshot{&folder, fromOther, true}).done());
}

}  // namespace
}  // namespace vel
