// A power cut at any moment of an action loses only what was not forced to
// the disk, and that never costs the card or a snapshot: the image opens
// again exactly as before the action or exactly as after it (after it, once
// the action said it was done), every snapshot listed before is still listed
// and reads back, and a changed image always has its snapshot of before.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "FaultyCalls.h"
#include "TestImage.h"
#include "card/CardSession.h"
#include "store/MemoryFileSystem.h"

namespace vel {
namespace {

const std::string kImage = "/media/card/VEL/CARD.VEL";
const std::string kBackups = "/home/user/backups";
constexpr int kLossesPerCut = 4;

using Bytes = std::vector<uint8_t>;

std::vector<ImportRow> rows(int count) {
  std::vector<ImportRow> made;
  for (int i = 0; i < count; ++i) made.push_back({"I" + std::to_string(i), "1", "2", "3"});
  return made;
}

struct CutAction {
  const char* name;
  std::function<Action(SnapshotFolder&)> action;
  bool keepsSnapshot;
};

const CutAction kActions[] = {
    {"DeleteJob", [](SnapshotFolder&) -> Action { return DeleteJob{JobPosition{0}}; }, true},
    {"ImportRows",
     [](SnapshotFolder&) -> Action {
       return ImportRows{JobSlot{1}, rows(60)};
     },
     true},
    {"Format", [](SnapshotFolder&) -> Action { return FormatArea{}; }, true},
    {"AddPoint",
     [](SnapshotFolder&) -> Action {
       return AddPoint{JobSlot{1}, "NEW", {1, 0}, {2, 0}, {3, 0}};
     },
     false},
    {"Restore",
     [](SnapshotFolder& folder) -> Action {
       return RestoreSnapshot{&folder, folder.list("CARD.VEL").back()};
     },
     true},
};

std::ostream& operator<<(std::ostream& out, const CutAction& action) {
  return out << action.name;
}

// A card with two jobs, points and codes, and two snapshots kept of it as it
// was earlier; all of it forced to the disk.
MemoryFileSystem preparedDisk() {
  MemoryFileSystem disk;
  disk.putFile(kImage, {}, test::kSize8320);
  test::InstalledCalls installed(disk);
  CardSession session;
  EXPECT_EQ(session.open(kImage, [] { return true; }), OpenStatus::kLoaded);
  SnapshotFolder folder(kBackups);
  session.setSnapshotFolder(&folder);
  EXPECT_TRUE(session.run(CreateJob{"A"}).done());
  EXPECT_TRUE(session.run(CreateJob{"B"}).done());
  for (int i = 0; i < 50; ++i) {
    EXPECT_TRUE(
        session.run(AddPoint{JobSlot{0}, "P" + std::to_string(i), {i, 0}, {1, 0}, {2, 0}}).done());
  }
  EXPECT_TRUE(session.backUp().done());
  EXPECT_TRUE(session.run(AddFeatureCode{"TREE"}).done());
  EXPECT_TRUE(session.backUp().done());
  // The card as the actions find it is in no snapshot yet: each keeps one.
  EXPECT_TRUE(session.run(AddFeatureCode{"ROAD"}).done());
  session.close();
  disk.syncAll();
  return disk;
}

class PowerCut : public ::testing::TestWithParam<CutAction> {};

TEST_P(PowerCut, AtAnyCallLosesNeitherTheCardNorASnapshot) {
  const CutAction& action = GetParam();
  const MemoryFileSystem prepared = preparedDisk();
  const Bytes before = *prepared.contents(kImage);
  std::vector<Snapshot> listedBefore;
  {
    MemoryFileSystem disk = prepared;
    test::InstalledCalls installed(disk);
    listedBefore = SnapshotFolder(kBackups).all();
  }
  ASSERT_EQ(listedBefore.size(), 2u);

  // Uncut: how many calls change the disk, and the image after.
  int calls = 0;
  Bytes after;
  {
    MemoryFileSystem disk = prepared;
    test::InstalledCalls installed(disk);
    CardSession session;
    SnapshotFolder folder(kBackups);
    session.setSnapshotFolder(&folder);
    ASSERT_EQ(session.open(kImage), OpenStatus::kLoaded);
    const int opened = disk.changingCalls();
    ASSERT_TRUE(session.run(action.action(folder)).done());
    calls = disk.changingCalls() - opened;
    after = *disk.contents(kImage);
  }
  ASSERT_NE(after, before);

  const uint64_t beforeChecksum = fnv1a64(before.data(), before.size());
  // Cut at each call, and once more after the last (the action done).
  for (int cut = 1; cut <= calls + 1; ++cut) {
    MemoryFileSystem cutDisk = prepared;
    {
      test::InstalledCalls installed(cutDisk);
      CardSession session;
      SnapshotFolder folder(kBackups);
      session.setSnapshotFolder(&folder);
      ASSERT_EQ(session.open(kImage), OpenStatus::kLoaded);
      const Action planned = action.action(folder);
      cutDisk.cutPowerAt(cut);
      try {
        session.run(planned);
      } catch (const vel::PowerCut&) {
      }
    }
    for (int loss = 0; loss < kLossesPerCut; ++loss) {
      SCOPED_TRACE("cut at call " + std::to_string(cut) + " of " + std::to_string(calls) +
                   ", loss " + std::to_string(loss));
      MemoryFileSystem disk = cutDisk;
      std::mt19937 random(static_cast<unsigned>(cut * 100 + loss));
      disk.losePower(random);
      test::InstalledCalls installed(disk);
      CardSession session;
      ASSERT_EQ(session.open(kImage), OpenStatus::kLoaded);
      session.close();
      const Bytes now = *disk.contents(kImage);
      EXPECT_TRUE(now == before || now == after) << "the card is neither as before nor as after";
      if (cut > calls) {
        EXPECT_TRUE(now == after) << "a change said to be done was lost";
      }

      const SnapshotFolder folder(kBackups);
      const std::vector<Snapshot> listed = folder.all();
      for (const Snapshot& kept : listedBefore) {
        EXPECT_TRUE(std::any_of(listed.begin(), listed.end(),
                                [&](const Snapshot& s) { return s.file == kept.file; }))
            << kept.file << " is no longer listed";
      }
      for (const Snapshot& s : listed) EXPECT_TRUE(folder.load(s)) << s.file << " is damaged";
      if (action.keepsSnapshot && now == after) {
        EXPECT_TRUE(std::any_of(listed.begin(), listed.end(), [&](const Snapshot& s) {
          return s.checksum == beforeChecksum;
        })) << "the card changed, and no snapshot of it before is listed";
      }
    }
  }
}

// The first snapshot makes its folder, and the folders above it that are
// missing: once kept, it is there after any power cut.
TEST(PowerCutOfAFirstSnapshot, NeverLosesOneThatWasKept) {
  const std::string newFolder = "/home/user/.local/share/vel-reader/backups";
  MemoryFileSystem prepared = preparedDisk();
  int calls = 0;
  {
    MemoryFileSystem disk = prepared;
    test::InstalledCalls installed(disk);
    const int start = disk.changingCalls();
    ASSERT_TRUE(SnapshotFolder(newFolder).keep(Bytes(4096, 1), {}).kept());
    calls = disk.changingCalls() - start;
  }
  for (int cut = 1; cut <= calls + 1; ++cut) {
    for (int loss = 0; loss < kLossesPerCut; ++loss) {
      SCOPED_TRACE("cut at call " + std::to_string(cut) + ", loss " + std::to_string(loss));
      MemoryFileSystem disk = prepared;
      test::InstalledCalls installed(disk);
      disk.cutPowerAt(cut);
      bool kept = false;
      try {
        kept = SnapshotFolder(newFolder).keep(Bytes(4096, 1), {}).kept();
      } catch (const vel::PowerCut&) {
      }
      std::mt19937 random(static_cast<unsigned>(cut * 100 + loss));
      disk.losePower(random);
      const std::vector<Snapshot> listed = SnapshotFolder(newFolder).all();
      if (kept) {
        ASSERT_EQ(listed.size(), 1u);
      }
      for (const Snapshot& s : listed) EXPECT_TRUE(SnapshotFolder(newFolder).load(s));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Actions, PowerCut, ::testing::ValuesIn(kActions),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vel
