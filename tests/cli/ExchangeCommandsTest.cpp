// velcard's records, add-point, export and import: the pages' checks before
// an entry, the store's refusals, the import file's errors, and files that
// make the round trip.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "records/SurveyRecord.h"
#include "store/RecordAreaStore.h"

namespace vel::cli::test {
namespace {

// Appends `count` PT records named F<i> to a job (or to the known-point file
// with slot = -1) directly through the store, to reach the limits quickly.
void fillRecords(const std::string& path, int slot, int count) {
  RecordAreaStore store;
  ASSERT_TRUE(store.openImage(path));
  ASSERT_EQ(store.detectModel(), kModelRecognised);
  store.loadTables();
  const uint8_t target = slot < 0 ? store.knownPointFile() : static_cast<uint8_t>(slot);
  std::array<uint8_t, kRecordSize> record{};
  for (int i = 0; i < count; ++i) {
    buildPointRecord(store.byteOrder(), "F" + std::to_string(i), {i, 0}, {1, 0}, {2, 0}, record);
    ASSERT_EQ(store.appendRecord(target, kRecordSize, record.data()), kDone);
  }
  ASSERT_TRUE(store.commitImage());
}

int lineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(CliTest, AddPointFiltersNameAndCoordinatesAsTheDialog) {
  const std::string path = createImage("RX9-32");
  ASSERT_EQ(velcard({"new-job", path, "JOB"}).status, 0);
  RunResult r = velcard({"add-point", path, "job", "p 1_", "x12.5", "-0.25a", "1.2345"});
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(velcard({"add-point", path, "JOB", "pt", "5.", "-", "7"}).status, 0);
  EXPECT_EQ(velcard({"export", path, "JOB", "csv", "-"}).out,
            "\"P1\",\"12.500\",\"-0.250\",\"1.234\"\r\n\"PT\",\"5.000\",\"0.000\",\"7.000\"\r\n");

  const std::string before = readBytes(path);
  const std::vector<std::vector<std::string>> bad = {
      {"add-point", path, "JOB", "_", "1", "2", "3"},   // no name left
      {"add-point", path, "JOB", "P", "", "2", "3"},    // empty N cannot be confirmed
      {"add-point", path, "JOB", "P", "1", "ab", "3"},  // nor an E of letters only
      {"add-point", path, "NOJOB", "P", "1", "2", "3"},
  };
  for (const auto& args : bad) EXPECT_EQ(velcard(args).status, 1) << args[2] << args[3];
  EXPECT_EQ(readBytes(path), before);
}

TEST_F(CliTest, EntriesAreRefusedBeforehandWhenTheTargetHolds3072Records) {
  const std::string path = createImage("RX3-8");
  ASSERT_EQ(velcard({"new-job", path, "JOB"}).status, 0);
  fillRecords(path, 0, kMaxJobRecords);
  fillRecords(path, -1, kMaxJobRecords);
  writeBytes(file("one.QPL"), "P1       K        1.000       2.000       3.000\r\n");
  const std::string qpl = file("one.QPL").string();
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"add-point", path, "JOB", "P", "1", "2", "3"}, "文件已满！\n"},
      {{"add-point", path, "--known", "P", "1", "2", "3"}, "已知点文件已满！\n"},
      {{"import", path, "job", "qpl", qpl}, "文件已满！\n"},
      {{"import", path, "--known", "1", qpl}, "已知点文件已满！\n"},
      // The pre-check comes before the file is read.
      {{"import", path, "JOB", "qpl", file("absent").string()}, "文件已满！\n"},
  };
  const std::string before = readBytes(path);
  for (const Case& c : cases) {
    RunResult r = velcard(c.args);
    EXPECT_EQ(r.status, 2) << c.args[0] << " " << c.args[2];
    EXPECT_EQ(r.err, c.err) << c.args[0] << " " << c.args[2];
  }
  EXPECT_EQ(readBytes(path), before);
}

TEST_F(CliTest, ImportStopsAtTheFirstStoreRefusalAndKeepsWhatItStored) {
  const std::string path = createImage("RX3-32");
  ASSERT_EQ(velcard({"new-job", path, "JOB"}).status, 0);
  fillRecords(path, 0, kMaxJobRecords - 2);
  std::string csv;
  for (int i = 0; i < 5; ++i) csv += "N" + std::to_string(i) + ",1,2,3\r\n";
  writeBytes(file("five.csv"), csv);
  RunResult r = velcard({"import", path, "JOB", "csv", file("five.csv").string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "文件已满，无法存贮全部数据！\n");
  const std::string records = velcard({"records", path, "JOB"}).out;
  EXPECT_EQ(lineCount(records), kMaxJobRecords);
  EXPECT_NE(records.find("N1,"), std::string::npos);
  EXPECT_EQ(records.find("N2,"), std::string::npos);
}

TEST_F(CliTest, AFullRecordAreaRefusesPointsWithItsOwnText) {
  const std::string path = createImage("RX3-8");
  ASSERT_EQ(velcard({"new-job", path, "JOB"}).status, 0);
  // Every block taken by another job (slot 5), 48 records each.
  std::string allocation;
  for (int b = 0; b < 1032; ++b) allocation += std::string("\x06\x30", 2);
  patchBytes(path, 0x0C00, allocation);
  patchBytes(path, 0x0101, std::string("\0\0", 2));
  writeBytes(file("one.QPL"), "P1                1.000       2.000       3.000\r\n");
  const std::string before = readBytes(path);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"add-point", path, "JOB", "P", "1", "2", "3"},
           {"import", path, "JOB", "qpl", file("one.QPL").string()}}) {
    RunResult r = velcard(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_EQ(r.err, "记录区已满，无法再存贮数据！\n") << args[0];
  }
  EXPECT_EQ(readBytes(path), before);
}

TEST_F(CliTest, BadImportFilesStoreNothing) {
  const std::string path = createImage();
  ASSERT_EQ(velcard({"new-job", path, "JOB"}).status, 0);
  writeBytes(file("short.dat"), "2\r\nP1\r\n\r\n1\r\n2\r\n3\r\nE\r\n");
  writeBytes(file("nocomma.dat"), "1,P1,,1,2,3\r\nno comma here\r\n");
  struct Case {
    std::string format;
    std::string file;
    std::string err;
  };
  const Case cases[] = {
      {"scs2002", file("short.dat").string(), "数据格式不符，无法导入！\n"},
      // The line that does not fit is said first, then the file is read as told.
      {"sv300", file("nocomma.dat").string(),
       "velcard: 这个文件不像 SV300 格式，第2行不符：\nno comma here; read as sv300 as told\n"
       "导入错误！\n"},
      {"qpl", file("absent.QPL").string(), "导入错误！\n"},
  };
  const std::string before = readBytes(path);
  for (const Case& c : cases) {
    RunResult r = velcard({"import", path, "JOB", c.format, c.file});
    EXPECT_EQ(r.status, 1) << c.format;
    EXPECT_EQ(r.err, c.err) << c.format;
  }
  EXPECT_EQ(readBytes(path), before);
}

TEST_F(CliTest, FormatsAreNamedByIndexOrByNameInAnyCase) {
  const std::string path = createImage();
  ASSERT_EQ(velcard({"add-point", path, "--known", "P1", "1", "2", "3"}).status, 0);
  const std::string csv = velcard({"export", path, "--known", "6", "-"}).out;
  EXPECT_EQ(velcard({"export", path, "--known", "CSV", "-"}).out, csv);
  EXPECT_EQ(velcard({"export", path, "--known", "Csv", "-"}).out, csv);
  EXPECT_EQ(velcard({"export", path, "--known", "DXF", "-"}).status, 0);
  for (const char* bad : {"0", "8", "txt", "", "66"}) {
    EXPECT_EQ(velcard({"export", path, "--known", bad, "-"}).status, 1) << bad;
  }
  writeBytes(file("p.QPL"), "P2                1.000       2.000       3.000\r\n");
  for (const char* bad : {"7", "dxf"}) {
    EXPECT_EQ(velcard({"import", path, "--known", bad, file("p.QPL").string()}).status, 1) << bad;
  }
}

TEST_F(CliTest, EveryImportFormatReadsBackWhatExportWrote) {
  const std::string path = createImage("RX9-32");
  ASSERT_EQ(velcard({"new-job", path, "SOURCE"}).status, 0);
  ASSERT_EQ(velcard({"add-point", path, "SOURCE", "A1", "1234.5", "-0.25", "12"}).status, 0);
  ASSERT_EQ(velcard({"add-point", path, "SOURCE", "B-2#", "-99999.999", "7654321.001", "0"}).status,
            0);
  const std::string expected = velcard({"export", path, "SOURCE", "qpl", "-"}).out;
  ASSERT_EQ(lineCount(expected), 2);

  for (int format = 1; format <= 6; ++format) {
    SCOPED_TRACE(format);
    const std::string target = "T" + std::to_string(format);
    const std::string exchange = file("points" + std::to_string(format)).string();
    ASSERT_EQ(velcard({"new-job", path, target}).status, 0);
    ASSERT_EQ(velcard({"export", path, "SOURCE", std::to_string(format), exchange}).status, 0);
    // The file on disk and the one on stdout are the same bytes.
    EXPECT_EQ(velcard({"export", path, "SOURCE", std::to_string(format), "-"}).out,
              readBytes(exchange));
    RunResult imported = velcard({"import", path, target, std::to_string(format), exchange});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(velcard({"export", path, target, "qpl", "-"}).out, expected);
  }
}

TEST_F(CliTest, RecordsAndExportOfAGbkPointName) {
  const std::string path = createImage("RX3-8");
  ASSERT_EQ(velcard({"new-job", path, "JOB"}).status, 0);
  ASSERT_EQ(velcard({"add-point", path, "JOB", "XY", "1", "2", "3"}).status, 0);
  // The first record of the first block: 点1 in GBK over the name XY.
  const ImageAddress at = recordAddress(RecordLocation{0, 0, 0});
  patchBytes(path, filePosition(at) + 1,
             std::string("\xB5\xE3"
                         "1",
                         3));
  RunResult records = velcard({"records", path, "job"});
  EXPECT_EQ(records.status, 0);
  EXPECT_NE(records.out.find("点1"), std::string::npos) << records.out;
  // Export keeps the file's bytes: GBK, not converted.
  EXPECT_EQ(velcard({"export", path, "JOB", "csv", "-"}).out.substr(0, 6),
            "\"\xB5\xE3"
            "1\",");
}

// A text file that does not fit its FORMAT: said on stderr with the one that
// fits and read as told, or with --strict a usage error storing nothing.
TEST_F(CliTest, AnImportFileOfAnotherTypeIsSaidAndWithStrictRefused) {
  const std::string path = createImage("RX3-8");
  ASSERT_EQ(velcard({"new-job", path, "JOB"}).status, 0);
  writeBytes(file("c.dat"), "C1,TREE,30.000,20.000,1.5\r\n");
  const std::string before = readBytes(path);
  const RunResult strict =
      velcard({"import", path, "JOB", "qpl", file("c.dat").string(), "--strict"});
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.err.substr(0, strict.err.find("Usage")),
            "velcard: 这个文件不像 QPL 格式，第1行不符：\nC1,TREE,30.000,20.000,1.5\n"
            "it looks like FORMAT cass (5)\n");
  EXPECT_EQ(readBytes(path), before);

  const RunResult told = velcard({"import", path, "JOB", "qpl", file("c.dat").string()});
  EXPECT_EQ(told.status, 0);
  EXPECT_EQ(told.err,
            "velcard: 这个文件不像 QPL 格式，第1行不符：\nC1,TREE,30.000,20.000,1.5\n"
            "it looks like FORMAT cass (5); read as qpl as told\n");
  EXPECT_EQ(velcard({"import", path, "JOB", "cass", file("c.dat").string(), "--strict"}).err, "");
}

// Names with a comma, a double quote or a control character would break
// every later export: refused with their rows, nothing stored. Chinese names
// are stored byte for byte, a 9-byte name cut to 8.
TEST_F(CliTest, NamesThatBreakTheExchangeFilesAreRefusedWithTheirRows) {
  const std::string path = createImage("RX3-8");
  ASSERT_EQ(velcard({"new-job", path, "JOB"}).status, 0);
  writeBytes(file("bad.csv"),
             "\"A,1\",\"1\",\"2\",\"3\"\r\n\"B\",\"1\",\"2\",\"3\"\r\n"
             "\"C\"\"2\",\"1\",\"2\",\"3\"\r\n\"D\tE\",\"1\",\"2\",\"3\"\r\n");
  const std::string before = readBytes(path);
  const RunResult bad = velcard({"import", path, "JOB", "csv", file("bad.csv").string()});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err,
            "第1、3、4个点的点号含有逗号、双引号或控制字符，以后导出时会破坏文件。"
            "请修改后再导入；没有导入任何点。\n");
  EXPECT_EQ(readBytes(path), before);

  writeBytes(file("good.csv"),
             "\"\xBF\xD8\xD6\xC6"
             "1\",\"1\",\"2\",\"3\"\r\n\"ABCDEFGHI\",\"1\",\"2\",\"3\"\r\n");
  ASSERT_EQ(velcard({"import", path, "JOB", "csv", file("good.csv").string()}).status, 0);
  EXPECT_EQ(velcard({"export", path, "JOB", "csv", "-"}).out,
            "\"\xBF\xD8\xD6\xC6"
            "1\",\"1.000\",\"2.000\",\"3.000\"\r\n"
            "\"ABCDEFGH\",\"1.000\",\"2.000\",\"3.000\"\r\n");
}

// A coordinate of 12 characters is read as its first 11, as always, and said.
TEST_F(CliTest, ACsvCoordinateCutTo11CharactersIsSaid) {
  const std::string path = createImage("RX3-8");
  ASSERT_EQ(velcard({"new-job", path, "JOB"}).status, 0);
  writeBytes(file("zone.csv"),
             "\"P1\",\"3380000.125\",\"39512345.678\",\"1\"\r\n"
             "\"P2\",\"1\",\"2\",\"3\"\r\n");
  const RunResult r = velcard({"import", path, "JOB", "csv", file("zone.csv").string()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(
      r.err,
      "velcard: 1 个点的坐标超过 11 位，只读入了前 11 位（第一个：P1）。GIS 格式（GeoPackage、"
      "Shapefile、GeoJSON、KML、CSV 带表头、DXF（CAD））保留全部数字。\n");
  EXPECT_EQ(velcard({"records", path, "JOB"}).out.substr(0, 35),
            "PT:   P1,3380000.125,39512345.670,1");
}

}  // namespace
}  // namespace vel::cli::test
