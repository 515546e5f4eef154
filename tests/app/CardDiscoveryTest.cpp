// The card configuration and the card discovery among the removable media.
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/CardDiscovery.h"
#include "app/CardWatcher.h"
#include "tests/support/ScratchCard.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using test::cardConfig;
using test::ScratchDir;
using test::writeBytes;

std::optional<std::string> nameIn(const std::vector<uint8_t>& bytes) {
  return imageNameFromCardConfig(bytes);
}

TEST(CardConfig, NamesTheImageByItsTrimmedStem) {
  EXPECT_EQ(nameIn(cardConfig("AB")), "AB.VEL");  // six NULs after the letters
  EXPECT_EQ(nameIn(cardConfig("SAMPLE  ")), "SAMPLE.VEL");
  EXPECT_EQ(nameIn(cardConfig(" \t\x01JOB\x1f ")), "JOB.VEL");
  EXPECT_EQ(nameIn(cardConfig("ABCDEFGH")), "ABCDEFGH.VEL");
  EXPECT_EQ(nameIn(cardConfig("A B")), "A B.VEL");  // inner blanks stay

  std::vector<uint8_t> longer = cardConfig("CARD");
  longer.insert(longer.end(), {1, 2, 3, 4});  // bytes after 22 are not read
  EXPECT_EQ(nameIn(longer), "CARD.VEL");
  std::vector<uint8_t> tail = cardConfig("CARD");
  std::fill(tail.begin() + 18, tail.end(), 0xEE);  // bytes 18..21 are not examined
  EXPECT_EQ(nameIn(tail), "CARD.VEL");
}

TEST(CardConfig, AHeaderThatFailsItsCheckNamesNothing) {
  std::vector<uint8_t> shortFile = cardConfig("AB");
  shortFile.resize(21);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"version 1", cardConfig("AB", 1)},
      {"version 3", cardConfig("AB", 3)},
      {"wrong magic", cardConfig("AB", 2, "korvim")},
      {"magic in capitals", cardConfig("AB", 2, "KORVIN")},
      {"vel in small letters", cardConfig("AB", 2, "korvin", "vel")},
      {"other extension bytes", cardConfig("AB", 2, "korvin", "VEX")},
      {"21 bytes", shortFile},
      {"empty file", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(nameIn(c.bytes), std::nullopt) << c.what;
}

// --- Discovery --------------------------------------------------------------

// Media folders named E, F, ... in a scratch folder, examined in that order.
struct Drives {
  ScratchDir scratch;
  std::vector<fs::path> folders;

  fs::path drive(const std::string& name) {
    folders.push_back(scratch.folder(name));
    return folders.back();
  }
  fs::path card(const std::string& name) { return scratch.folder(name + "/VEL"); }
  CardPresets discover() const { return discoverCard(ListedMedia(folders)); }
};

TEST(CardDiscovery, WithoutACardNothingIsPreset) {
  Drives drives;
  EXPECT_TRUE(drives.discover().initialDir.empty());
  drives.drive("E");
  drives.scratch.folder("E/NOTVEL");
  writeBytes(drives.folders[0] / "VEL.txt", {});
  const CardPresets presets = drives.discover();
  EXPECT_TRUE(presets.initialDir.empty());
  EXPECT_TRUE(presets.fileName.empty());
}

TEST(CardDiscovery, PresetsTheImageTheConfigurationNames) {
  Drives drives;
  drives.drive("E");
  const fs::path vel = drives.card("E");
  writeBytes(vel / "VELSET.CFG", cardConfig("AB"));
  writeBytes(vel / "AB.VEL", {0});
  const CardPresets presets = drives.discover();
  EXPECT_EQ(presets.initialDir, vel);
  EXPECT_EQ(presets.fileName, vel / "AB.VEL");
}

TEST(CardDiscovery, AMissingImageLeavesOnlyTheFolder) {
  Drives drives;
  drives.drive("E");
  const fs::path vel = drives.card("E");
  writeBytes(vel / "VELSET.CFG", cardConfig("AB"));
  writeBytes(vel / "ABC.VEL", {0});
  const CardPresets presets = drives.discover();
  EXPECT_EQ(presets.initialDir, vel);
  EXPECT_TRUE(presets.fileName.empty());
}

TEST(CardDiscovery, AnInvalidConfigurationPresetsNoFile) {
  std::vector<uint8_t> tooShort = cardConfig("AB");
  tooShort.resize(20);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"version 1", cardConfig("AB", 1)},
      {"wrong magic", cardConfig("AB", 2, "korvix")},
      {"wrong VEL bytes", cardConfig("AB", 2, "korvin", "VAL")},
      {"too short", tooShort},
  };
  for (const auto& c : cases) {
    Drives drives;
    drives.drive("E");
    const fs::path vel = drives.card("E");
    writeBytes(vel / "VELSET.CFG", c.bytes);
    writeBytes(vel / "AB.VEL", {0});
    const CardPresets presets = drives.discover();
    EXPECT_EQ(presets.initialDir, vel) << c.what;
    EXPECT_TRUE(presets.fileName.empty()) << c.what;
  }
}

TEST(CardDiscovery, OnlyTheFirstMediumWithAVelFolderIsExamined) {
  Drives drives;
  drives.drive("D");  // no VEL folder: passed over
  drives.drive("E");
  drives.drive("F");
  const fs::path first = drives.card("E");  // a card without configuration
  const fs::path second = drives.card("F");
  writeBytes(second / "VELSET.CFG", cardConfig("AB"));
  writeBytes(second / "AB.VEL", {0});

  const CardPresets presets = drives.discover();
  EXPECT_EQ(presets.initialDir, first);
  EXPECT_TRUE(presets.fileName.empty());
}

TEST(CardDiscovery, ComparesNamesOnTheCardWithoutLetterCase) {
  Drives drives;
  drives.drive("E");
  const fs::path vel = drives.scratch.folder("E/Vel");
  writeBytes(vel / "velset.cfg", cardConfig("ab"));
  writeBytes(vel / "AB.vel", {0});
  const CardPresets presets = drives.discover();
  EXPECT_EQ(presets.initialDir, vel);
  EXPECT_EQ(presets.fileName, vel / "AB.vel");
}

// The working directory is no place to look: a configuration or an image
// lying there must not be taken for the card's.
TEST(CardDiscovery, LooksOnlyInTheCardsFolder) {
  Drives drives;
  drives.drive("E");
  const fs::path vel = drives.card("E");
  writeBytes(vel / "VELSET.CFG", cardConfig("AB"));  // names AB.VEL, which the card lacks
  const fs::path cwd = drives.scratch.folder("work");
  writeBytes(cwd / "VELSET.CFG", cardConfig("CD"));
  writeBytes(cwd / "AB.VEL", {0});
  writeBytes(cwd / "CD.VEL", {0});

  const fs::path before = fs::current_path();
  fs::current_path(cwd);
  const CardPresets presets = drives.discover();
  fs::current_path(before);
  EXPECT_EQ(presets.initialDir, vel);
  EXPECT_TRUE(presets.fileName.empty());
}

TEST(CardDiscovery, AStemThatIsAPathFindsNothingOutsideTheFolder) {
  Drives drives;
  drives.drive("E");
  const fs::path vel = drives.card("E");
  writeBytes(vel / "VELSET.CFG", cardConfig("../X"));
  writeBytes(drives.folders[0] / "X.VEL", {0});
  EXPECT_TRUE(drives.discover().fileName.empty());
}

// --- Removable media on Linux --------------------------------------------------

TEST(CardWatcher, TellsOnceOfEachCardThatAppearsAfterItStarted) {
  ScratchDir scratch;
  const fs::path present = scratch.folder("media/E");
  const fs::path later = scratch.folder("media/F");
  fs::create_directory(present / "VEL");
  const ListedMedia media({later, present});
  CardWatcher watcher(media);
  std::vector<fs::path> told;
  watcher.cardAppeared = [&](const CardPresets& presets) { told.push_back(presets.fileName); };
  watcher.start(60000);
  watcher.look();
  EXPECT_TRUE(told.empty()) << "the card there at the start is no news";

  fs::create_directory(later / "VEL");
  writeBytes(later / "VEL" / "card.vel", {0xFF});
  writeBytes(later / "VEL" / "VELSET.CFG", cardConfig("CARD"));
  watcher.look();
  watcher.look();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], later / "VEL" / "card.vel");

  // Taken out and put back: news again.
  fs::remove_all(later / "VEL");
  watcher.look();
  fs::create_directory(later / "VEL");
  watcher.look();
  EXPECT_EQ(told.size(), 2u);
}

TEST(RemovableMedia, TakesRemovableDevicesAndAutomountFoldersInOrder) {
  const std::string mountinfo =
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "23 22 0:21 / /proc rw shared:2 - proc proc rw\n"
      "40 22 8:17 / /mnt/usb rw,relatime shared:9 - vfat /dev/sdb1 rw\n"
      "41 22 179:1 / /run/media/ann/SD\\040CARD rw shared:10 - vfat /dev/mmcblk0p1 rw\n"
      "42 22 8:33 / /media/ann/B rw - vfat /dev/sdc1 rw\n"
      "43 22 8:2 / /home rw - ext4 /dev/sda2 rw\n"
      "44 22 8:17 / /mnt/usb rw - vfat /dev/sdb1 rw\n"
      "broken line\n";
  const auto removable = [](unsigned major, unsigned minor) { return major == 8 && minor >= 16; };
  const std::vector<std::string> expected = {"/media/ann/B", "/mnt/usb", "/run/media/ann/SD CARD"};
  EXPECT_EQ(removableMountPoints(mountinfo, removable), expected);
}

}  // namespace
}  // namespace vel
