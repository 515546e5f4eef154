// velcard's store commands: what they print, how they refuse, and that they
// leave an image alone whenever they do not act.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "store/RecordAreaStore.h"

namespace vel::cli::test {
namespace {

namespace fs = std::filesystem;

std::string lines(std::initializer_list<std::string> each) {
  std::string text;
  for (const std::string& line : each) text += line + "\n";
  return text;
}

std::string padded(std::string text, size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

// A job list line of every model but RX9-32, for a name of ASCII bytes.
std::string jobLine(const std::string& name, int count) {
  std::string number = std::to_string(count);
  return " " + padded(name, 8) + std::string(9, ' ') + std::string(5 - number.size(), ' ') + number;
}

std::string knownLine(const std::string& name, const std::string& n, const std::string& e,
                      const std::string& z) {
  return padded(name, 8) + "  " + padded(n, 12) + "  " + padded(e, 12) + "  " + padded(z, 12);
}

// Known points have no store-only velcard command to add them; the test puts
// them in through the store itself.
void addKnownPoint(const std::string& path, const std::string& name, FixedValue n, FixedValue e,
                   FixedValue z) {
  RecordAreaStore store;
  ASSERT_TRUE(store.openImage(path));
  ASSERT_EQ(store.detectModel(), kModelRecognised);
  store.loadTables();
  std::array<uint8_t, kRecordSize> record{};
  record[0] = 4;
  name.copy(reinterpret_cast<char*>(record.data() + 1), kNameLength);
  store.byteOrder().fixedToImage(n, record.data() + 19);
  store.byteOrder().fixedToImage(e, record.data() + 25);
  store.byteOrder().fixedToImage(z, record.data() + 31);
  ASSERT_EQ(store.appendRecord(store.knownPointFile(), kRecordSize, record.data()), kDone);
  ASSERT_TRUE(store.commitImage());
}

std::string jobsOf(const std::string& path) {
  RunResult r = velcard({"jobs", path});
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

// --- create and info --------------------------------------------------------------

struct ModelCase {
  std::vector<std::string> modelArgs;
  long long imageSize;
  std::string info;
};

TEST_F(CliTest, CreateMakesEachModelWithItsGeometry) {
  const ModelCase cases[] = {
      {{"RX3-8"},
       2129920,
       "model RX3-8\nsectors 8320\njobs 0\nknown 0\ncapacity 49536\nfree 49536\n"},
      {{"RX3-8", "8704"},
       2228224,
       "model RX3-8\nsectors 8704\njobs 0\nknown 0\ncapacity 51840\nfree 51840\n"},
      {{"RX2-8"},
       2129920,
       "model RX2-8\nsectors 8320\njobs 0\nknown 0\ncapacity 49536\nfree 49536\n"},
      {{"rx3-32"},
       2127872,
       "model RX3-32\nsectors 8312\njobs 0\nknown 0\ncapacity 49488\nfree 49488\n"},
      {{"RX9-32"},
       2127872,
       "model RX9-32\nsectors 8312\njobs 0\nknown 0\ncapacity 49488\nfree 49488\n"},
  };
  int i = 0;
  for (const ModelCase& c : cases) {
    SCOPED_TRACE(c.modelArgs[0]);
    const std::string path = file("m" + std::to_string(i++) + ".VEL").string();
    std::vector<std::string> args{"create", path};
    args.insert(args.end(), c.modelArgs.begin(), c.modelArgs.end());
    RunResult created = velcard(args);
    EXPECT_EQ(created.status, 0) << created.err;
    EXPECT_EQ(created.out, "");
    EXPECT_EQ(static_cast<long long>(fs::file_size(path)), c.imageSize);
    // Outside the formatted header the new image is erased card: all 0xFF.
    const std::string bytes = readBytes(path);
    EXPECT_EQ(bytes.find_first_not_of('\xFF', 0x4000), std::string::npos);
    RunResult info = velcard({"info", path});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out, c.info);
  }
}

TEST_F(CliTest, CreateNeverReplacesAFileAndRejectsBadModels) {
  const std::string existing = file("old.VEL").string();
  writeBytes(existing, "keep me");
  RunResult r = velcard({"create", existing, "RX3-8"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err, "");
  EXPECT_EQ(readBytes(existing), "keep me");

  const std::vector<std::vector<std::string>> bad = {
      {"RX4-8"}, {"RX3-32", "8704"}, {"RX3-8", "8320"}, {"RX3-8", "x"}, {"RX2-8", "8704"}};
  for (const auto& modelArgs : bad) {
    std::vector<std::string> args{"create", file("new.VEL").string()};
    args.insert(args.end(), modelArgs.begin(), modelArgs.end());
    RunResult refused = velcard(args);
    EXPECT_EQ(refused.status, 1) << modelArgs[0];
    EXPECT_FALSE(fs::exists(file("new.VEL"))) << modelArgs[0];
  }
}

TEST_F(CliTest, InfoCountsJobsKnownPointsAndFreeRecords) {
  const std::string path = createImage();
  ASSERT_EQ(velcard({"new-job", path, "A"}).status, 0);
  ASSERT_EQ(velcard({"new-job", path, "B"}).status, 0);
  addKnownPoint(path, "K1", {1, 0}, {2, 0}, {3, 0});
  addKnownPoint(path, "K2", {1, 0}, {2, 0}, {3, 0});
  addKnownPoint(path, "K3", {1, 0}, {2, 0}, {3, 0});
  EXPECT_EQ(velcard({"info", path}).out,
            "model RX3-8\nsectors 8320\njobs 2\nknown 3\ncapacity 49536\nfree 49533\n");
}

// --- listing --------------------------------------------------------------------------

TEST_F(CliTest, JobsPrintsOneListLinePerJobInListOrder) {
  const std::string path = createImage();
  EXPECT_EQ(jobsOf(path), "");
  ASSERT_EQ(velcard({"new-job", path, "TEST"}).status, 0);
  ASSERT_EQ(velcard({"new-job", path, "ABCDEFGH"}).status, 0);
  EXPECT_EQ(jobsOf(path), lines({jobLine("TEST", 0), jobLine("ABCDEFGH", 0)}));

  // The RX9-32 line carries the creation date after the count.
  const std::string rx9 = createImage("RX9-32", "rx9.VEL");
  ASSERT_EQ(velcard({"new-job", rx9, "TEST"}).status, 0);
  const std::string line = jobsOf(rx9);
  EXPECT_EQ(line.substr(0, 23), " TEST" + std::string(11, ' ') + "0" + std::string(6, ' '));
  EXPECT_EQ(line.size(), 23u + 14u + 1u);
}

TEST_F(CliTest, KnownPrintsTheKnownPointLines) {
  const std::string path = createImage("RX3-32");
  addKnownPoint(path, "A1", {1234, 500}, {0, -250}, {12, 0});
  addKnownPoint(path, "B2", {-5, -1}, {0, 0}, {7, 7});
  RunResult r = velcard({"known", path});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, lines({knownLine("A1", "   1234.500", "     -0.250", "     12.000"),
                          knownLine("B2", "     -5.001", "      0.000", "      7.007")}));
}

TEST_F(CliTest, CodesAreAddedListedDeletedAndCleared) {
  const std::string path = createImage();
  for (const char* code : {"tree", "p-1#", "WALL"})
    ASSERT_EQ(velcard({"add-code", path, code}).status, 0);
  EXPECT_EQ(velcard({"codes", path}).out, lines({"TREE", "P-1#", "WALL"}));
  ASSERT_EQ(velcard({"delete-code", path, "0"}).status, 0);
  EXPECT_EQ(velcard({"codes", path}).out, lines({"P-1#", "WALL"}));
  ASSERT_EQ(velcard({"clear-codes", path}).status, 0);
  EXPECT_EQ(velcard({"codes", path}).out, "");
  // Clearing an empty list writes nothing.
  const std::string before = readBytes(path);
  EXPECT_EQ(velcard({"clear-codes", path}).status, 0);
  EXPECT_EQ(readBytes(path), before);
}

// --- names typed on the command line ---------------------------------------------------

TEST_F(CliTest, NamesPassTheDialogFilterAndAreCutToEight) {
  struct Case {
    const char* typed;
    const char* stored;
  };
  const Case cases[] = {
      {"job-1", "JOB-1"}, {"a b_c", "ABC"}, {"abcdefghij", "ABCDEFGH"},
      {"x\ty", "XY"},     {"测试9", "9"},   {".-#$%!&@+*/", ".-#$%!&@"},
  };
  int i = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const std::string path = createImage("RX3-8", "f" + std::to_string(i++) + ".VEL");
    ASSERT_EQ(velcard({"new-job", path, c.typed}).status, 0);
    EXPECT_EQ(jobsOf(path), jobLine(c.stored, 0) + "\n");
    ASSERT_EQ(velcard({"add-code", path, c.typed}).status, 0);
    EXPECT_EQ(velcard({"codes", path}).out, std::string(c.stored) + "\n");
  }
}

TEST_F(CliTest, NameWithNothingLeftAfterTheFilterIsAUsageError) {
  const std::string path = createImage();
  ASSERT_EQ(velcard({"new-job", path, "JOB"}).status, 0);
  const std::string before = readBytes(path);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"new-job", path, "_ _"}, {"rename-job", path, "JOB", ""}, {"add-code", path, "测"}}) {
    RunResult r = velcard(args);
    EXPECT_EQ(r.status, 1) << args[0];
    EXPECT_NE(r.err.find("Usage:"), std::string::npos) << args[0];
  }
  EXPECT_EQ(readBytes(path), before);
}

TEST_F(CliTest, JobArgumentsAreFoundInAnyLetterCase) {
  const std::string path = createImage();
  for (const char* name : {"ONE", "TWO", "THREE"})
    ASSERT_EQ(velcard({"new-job", path, name}).status, 0);
  ASSERT_EQ(velcard({"rename-job", path, "two", "zwei"}).status, 0);
  ASSERT_EQ(velcard({"delete-job", path, "One"}).status, 0);
  EXPECT_EQ(jobsOf(path), lines({jobLine("ZWEI", 0), jobLine("THREE", 0)}));
}

// --- refusals ---------------------------------------------------------------------------

struct Refusal {
  std::vector<std::string> args;  // IMAGE is inserted after the verb
  std::string err;
};

TEST_F(CliTest, RefusalsPrintTheDesktopTextExitTwoAndWriteNothing) {
  const std::string path = createImage();
  ASSERT_EQ(velcard({"new-job", path, "JOB1"}).status, 0);
  ASSERT_EQ(velcard({"new-job", path, "JOB2"}).status, 0);
  ASSERT_EQ(velcard({"add-code", path, "C"}).status, 0);
  const Refusal cases[] = {
      {{"new-job", "job1"}, "有文件重名，创建文件失败！\n"},
      {{"rename-job", "JOB1", "job1"}, "有同名文件,无法重命名！\n"},
      {{"rename-job", "JOB1", "Job2"}, "有同名文件,无法重命名！\n"},
      {{"delete-record", "JOB1", "0"}, ""},
      {{"delete-record", "--known", "0"}, ""},
      {{"delete-code", "1"}, ""},
      {{"delete-code", "64"}, ""},
  };
  for (const Refusal& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin() + 1, path);
    SCOPED_TRACE(args[0] + " " + args[2]);
    const std::string before = readBytes(path);
    RunResult r = velcard(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readBytes(path), before);
  }
}

TEST_F(CliTest, FullJobDirectoryAndFullCodeLibraryAreRefused) {
  const std::string path = createImage("RX9-32");
  for (int i = 0; i < 32; ++i)
    ASSERT_EQ(velcard({"new-job", path, "J" + std::to_string(i)}).status, 0);
  RunResult r = velcard({"new-job", path, "ONEMORE"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "创建文件失败！\n");

  for (int i = 0; i < 64; ++i)
    ASSERT_EQ(velcard({"add-code", path, "C" + std::to_string(i)}).status, 0);
  const std::string before = readBytes(path);
  r = velcard({"add-code", path, "C64"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "特征码库已满，无法再输入!\n");
  EXPECT_EQ(readBytes(path), before);
}

TEST_F(CliTest, UnknownJobsAndMisplacedKnownAreUsageErrors) {
  const std::string path = createImage();
  ASSERT_EQ(velcard({"new-job", path, "JOB"}).status, 0);
  const std::string before = readBytes(path);
  const std::vector<std::vector<std::string>> cases = {
      {"rename-job", path, "NOPE", "NEW"},  {"delete-job", path, "JO"},
      {"delete-record", path, "JOBX", "0"}, {"rename-job", path, "--known", "NEW"},
      {"delete-job", path, "--known"},      {"delete-record", path, "JOB", "-1"},
      {"delete-code", path, "one"},
  };
  for (const auto& args : cases) {
    RunResult r = velcard(args);
    EXPECT_EQ(r.status, 1) << args[0] << " " << args[2];
    EXPECT_NE(r.err.find("Usage:"), std::string::npos);
  }
  EXPECT_EQ(readBytes(path), before);
}

TEST_F(CliTest, DeleteRecordAndClearKnownActOnTheKnownPointFile) {
  const std::string path = createImage();
  addKnownPoint(path, "K1", {1, 0}, {2, 0}, {3, 0});
  addKnownPoint(path, "K2", {4, 0}, {5, 0}, {6, 0});
  addKnownPoint(path, "K3", {7, 0}, {8, 0}, {9, 0});
  ASSERT_EQ(velcard({"delete-record", path, "--known", "1"}).status, 0);
  RunResult known = velcard({"known", path});
  EXPECT_EQ(known.out, lines({knownLine("K1", "      1.000", "      2.000", "      3.000"),
                              knownLine("K3", "      7.000", "      8.000", "      9.000")}));
  ASSERT_EQ(velcard({"clear-known", path}).status, 0);
  EXPECT_EQ(velcard({"info", path}).out,
            "model RX3-8\nsectors 8320\njobs 0\nknown 0\ncapacity 49536\nfree 49536\n");
}

// --- images velcard does not recognise ----------------------------------------------------

TEST_F(CliTest, UnrecognisedImageStopsEveryCommandButCreateAndFormat) {
  const std::string path = file("blank.VEL").string();
  writeBytes(path, std::string(2129920, '\xFF'));
  const std::vector<std::vector<std::string>> commands = {
      {"info"},
      {"jobs"},
      {"known"},
      {"codes"},
      {"new-job", "A"},
      {"rename-job", "A", "B"},
      {"delete-job", "A"},
      {"delete-record", "A", "0"},
      {"delete-record", "--known", "0"},
      {"clear-known"},
      {"add-code", "C"},
      {"delete-code", "0"},
      {"clear-codes"},
  };
  for (const auto& command : commands) {
    std::vector<std::string> args = command;
    args.insert(args.begin() + 1, path);
    RunResult r = velcard(args);
    EXPECT_EQ(r.status, 3) << command[0];
    EXPECT_EQ(r.out, "") << command[0];
    EXPECT_NE(r.err, "") << command[0];
  }
  EXPECT_EQ(readBytes(path), std::string(2129920, '\xFF'));
}

TEST_F(CliTest, MissingImageIsAnErrorNotARefusal) {
  RunResult r = velcard({"info", file("absent.VEL").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("absent.VEL"), std::string::npos);
  EXPECT_FALSE(fs::exists(file("absent.VEL")));
}

// --- format ----------------------------------------------------------------------------------

TEST_F(CliTest, FormatEmptiesARecognisedImageAndKeepsItsModel) {
  const std::string path = createImage("RX2-8");
  ASSERT_EQ(velcard({"new-job", path, "JOB"}).status, 0);
  ASSERT_EQ(velcard({"add-code", path, "C"}).status, 0);
  addKnownPoint(path, "K", {1, 0}, {2, 0}, {3, 0});
  ASSERT_EQ(velcard({"format", path}).status, 0);
  EXPECT_EQ(velcard({"info", path}).out,
            "model RX2-8\nsectors 8320\njobs 0\nknown 0\ncapacity 49536\nfree 49536\n");
  EXPECT_EQ(velcard({"codes", path}).out, "");
}

TEST_F(CliTest, FormatWithAModelUsesThatModelsLayout) {
  const std::string path = createImage("RX3-32");
  ASSERT_EQ(velcard({"format", path, "RX9-32"}).status, 0);
  EXPECT_EQ(velcard({"info", path}).out,
            "model RX9-32\nsectors 8312\njobs 0\nknown 0\ncapacity 49488\nfree 49488\n");
  // A model of another image size would leave an image the instrument
  // cannot use: refused, nothing written.
  const std::string before = readBytes(path);
  const RunResult longer = velcard({"format", path, "RX3-8", "8704"});
  EXPECT_EQ(longer.status, 1);
  EXPECT_EQ(longer.err,
            "velcard: " + path +
                " cannot be changed: its size (2127872 bytes) does not fit RX3-8 (2228224 "
                "bytes); it can only be read\n");
  EXPECT_TRUE(readBytes(path) == before);
  const std::string standard = createImage("RX3-8", "standard.VEL");
  EXPECT_EQ(velcard({"format", standard, "RX3-8", "8704"}).status, 1);
  EXPECT_EQ(velcard({"format", path, "RX9-32", "8704"}).status, 1);
}

TEST_F(CliTest, FormatGivesAnUnrecognisedImageAModelByItsSize) {
  const std::string path = file("blank.VEL").string();
  writeBytes(path, std::string(2127872, '\xFF'));
  ASSERT_EQ(velcard({"format", path}).status, 0);
  EXPECT_EQ(velcard({"info", path}).out.substr(0, 13), "model RX3-32\n");
}

// --- GBK texts on the card --------------------------------------------------------------------

TEST_F(CliTest, CardTextsPrintAsUtf8WithColumnsCountedInBytes) {
  const std::string path = createImage();
  ASSERT_EQ(velcard({"new-job", path, "X"}).status, 0);
  ASSERT_EQ(velcard({"add-code", path, "Y"}).status, 0);
  // 测试 in GBK: four bytes, so four more spaces fill the 8-byte name column.
  patchBytes(path, 0x0400, std::string("\xB2\xE2\xCA\xD4\0", 5));
  patchBytes(path, 0x0200, std::string("\xB5\xE3\0", 3));  // 点
  EXPECT_EQ(jobsOf(path), " 测试" + std::string(4 + 9 + 4, ' ') + "0\n");
  EXPECT_EQ(velcard({"codes", path}).out, "点\n");
  // The name as velcard printed it finds the job.
  ASSERT_EQ(velcard({"rename-job", path, "测试", "NEW"}).status, 0);
  EXPECT_EQ(jobsOf(path), jobLine("NEW", 0) + "\n");
}

}  // namespace
}  // namespace vel::cli::test
