// velcard's snapshots: one before each command that removes or overwrites
// data, none with --no-backup, and the backup, backups and restore commands.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "CliTestSupport.h"
#include "card/Snapshots.h"
#include "messages/MessageTexts.h"

namespace vel::cli::test {
namespace {

namespace fs = std::filesystem;

// Each test keeps its snapshots in a folder of its own.
class SnapshotCommandsTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    const char* saved = std::getenv("VEL_BACKUP_DIR");
    saved_ = saved ? saved : "";
    ::setenv("VEL_BACKUP_DIR", file("backups").c_str(), 1);
    image = createImage("RX3-8", "CARD.VEL");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"new-job", image, "JOB1"},
          {"new-job", image, "ROAD2"},
          {"add-point", image, "JOB1", "P1", "1", "2", "3"},
          {"add-point", image, "JOB1", "P2", "4", "5", "6"},
          {"add-point", image, "--known", "K1", "7", "8", "9"},
          {"add-code", image, "TREE"}}) {
      ASSERT_EQ(velcard(args).status, 0);
    }
    std::ofstream(file("points.pts")) << "N1,1.000,2.000,3.000,\r\n";
  }
  void TearDown() override {
    ::setenv("VEL_BACKUP_DIR", saved_.c_str(), 1);
    CliTest::TearDown();
  }
  std::vector<Snapshot> kept() const { return SnapshotFolder(file("backups")).list("CARD.VEL"); }

  std::string image;
  std::string saved_;
};

TEST_F(SnapshotCommandsTest, EachDestructiveCommandKeepsOneSnapshotOfTheImageBeforeIt) {
  const std::vector<std::vector<std::string>> commands = {
      {"delete-record", image, "JOB1", "0"},
      {"delete-code", image, "0"},
      {"rename-job", image, "JOB1", "MAIN"},
      {"import", image, "MAIN", "pts", file("points.pts")},
      {"delete-job", image, "ROAD2"},
      {"clear-known", image},
      {"add-code", image, "POLE"},
      {"clear-codes", image},
      {"format", image},
  };
  const SnapshotFolder folder(file("backups"));
  size_t count = 0;
  for (const auto& args : commands) {
    SCOPED_TRACE(args[0]);
    const std::string before = readBytes(image);
    ASSERT_EQ(velcard(args).status, 0);
    if (args[0] == "add-code") {
      EXPECT_EQ(kept().size(), count);  // nothing lost: no snapshot
      continue;
    }
    ASSERT_EQ(kept().size(), ++count);
    const auto bytes = folder.load(kept()[0]);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(std::string(bytes->begin(), bytes->end()) == before);
  }
  // The listing, newest first.
  const RunResult listed = velcard({"backups", image});
  ASSERT_EQ(listed.status, 0);
  const std::regex line(R"((\d+)  \d{4}-\d\d-\d\d \d\d:\d\d:\d\d  (.+)  (.+))");
  std::vector<std::string> lines;
  std::istringstream in(listed.out);
  for (std::string text; std::getline(in, text);) lines.push_back(text);
  ASSERT_EQ(lines.size(), count);
  std::smatch parts;
  ASSERT_TRUE(std::regex_match(lines[0], parts, line)) << lines[0];
  EXPECT_EQ(parts[1], "1");
  EXPECT_EQ(parts[2], "格式化记录区");
  ASSERT_TRUE(std::regex_match(lines.back(), parts, line)) << lines.back();
  EXPECT_EQ(parts[1], std::to_string(count));
  EXPECT_EQ(parts[2], "删除记录 JOB1 第1条");
  EXPECT_EQ(parts[3], "工作文件 JOB1(2) ROAD2(0)；已知点 1；特征码 1");
}

TEST_F(SnapshotCommandsTest, NoBackupSkipsThemAndBackupTakesOneOnDemand) {
  ASSERT_EQ(velcard({"--no-backup", "delete-job", image, "ROAD2"}).status, 0);
  ASSERT_EQ(velcard({"--wait", "1", "--no-backup", "clear-known", image}).status, 0);
  EXPECT_TRUE(kept().empty());
  const std::string now = readBytes(image);
  ASSERT_EQ(velcard({"--no-backup", "backup", image}).status, 0);
  ASSERT_EQ(kept().size(), 1u);
  EXPECT_EQ(kept()[0].label.action, SnapshotAction::kManual);
  // The same bytes again are stored once.
  ASSERT_EQ(velcard({"backup", image}).status, 0);
  EXPECT_EQ(kept().size(), 1u);
  EXPECT_EQ(readBytes(image), now);
}

TEST_F(SnapshotCommandsTest, AFolderThatCannotBeWrittenStopsTheCommandWithTheImageUntouched) {
  std::ofstream(file("plain-file")) << "x";
  ::setenv("VEL_BACKUP_DIR", (file("plain-file") / "backups").c_str(), 1);
  const std::string before = readBytes(image);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"delete-job", image, "JOB1"},
        {"import", image, "JOB1", "pts", file("points.pts")},
        {"format", image}}) {
    SCOPED_TRACE(args[0]);
    const RunResult r = velcard(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind(kSnapshotFailedText, 0), 0u) << r.err;
    EXPECT_EQ(readBytes(image), before);
  }
  EXPECT_EQ(velcard({"--no-backup", "delete-job", image, "JOB1"}).status, 0);
}

TEST_F(SnapshotCommandsTest, RestoreWritesSnapshotNBackAfterKeepingTheCurrentState) {
  const std::string original = readBytes(image);
  ASSERT_EQ(velcard({"delete-job", image, "JOB1"}).status, 0);
  ASSERT_EQ(velcard({"clear-codes", image}).status, 0);
  const std::string cleared = readBytes(image);

  const RunResult restored = velcard({"restore", image, "2"});
  ASSERT_EQ(restored.status, 0) << restored.err;
  EXPECT_EQ(readBytes(image), original);
  ASSERT_EQ(kept().size(), 3u);
  EXPECT_EQ(kept()[0].label.action, SnapshotAction::kRestore);
  const auto previous = SnapshotFolder(file("backups")).load(kept()[0]);
  EXPECT_TRUE(previous && std::string(previous->begin(), previous->end()) == cleared);

  // No such snapshot, or one that does not fit: exit 1, nothing written.
  EXPECT_EQ(velcard({"restore", image, "4"}).status, 1);
  EXPECT_EQ(velcard({"restore", image, "0"}).status, 1);
  fs::create_directory(file("other"));
  const std::string other = createImage("RX9-32", "other/CARD.VEL");
  ASSERT_EQ(velcard({"backup", other}).status, 0);
  // Another folder is another card: its snapshot is listed with --all only,
  // and taken only when asked for.
  const auto lines = [](const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
  };
  EXPECT_EQ(lines(velcard({"backups", image}).out), 3);
  const std::string all = velcard({"backups", "--all", image}).out;
  EXPECT_EQ(lines(all), 4);
  EXPECT_NE(all.find(file("other").string()), std::string::npos) << all;
  const RunResult misfit = velcard({"restore", image, "1", "--from-other-card"});
  EXPECT_EQ(misfit.status, 1);
  EXPECT_NE(misfit.err.find(kSnapshotMismatchText), std::string::npos);
  EXPECT_EQ(readBytes(image), original);
}

TEST_F(SnapshotCommandsTest, ASnapshotGoesBackIntoANewFileWhenTheImageIsLost) {
  ASSERT_EQ(velcard({"backup", image}).status, 0);
  const std::string kept = readBytes(image);
  fs::remove(image);
  // Listed with where it came from, though the image is gone.
  const std::string all = velcard({"backups", "--all", image}).out;
  EXPECT_NE(all.find("手动备份"), std::string::npos) << all;
  EXPECT_NE(all.find(file("").parent_path().string()), std::string::npos) << all;
  const std::string fresh = file("NEW.VEL").string();
  const RunResult r = velcard({"restore", image, "1", "--to", fresh});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readBytes(fresh), kept);
  const RunResult again = velcard({"restore", image, "1", "--to", fresh});
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.err, "velcard: " + fresh + " already exists\n");
  EXPECT_EQ(readBytes(fresh), kept);
}

}  // namespace
}  // namespace vel::cli::test
