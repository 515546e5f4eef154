#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <string>
#include <vector>

#include "TestImage.h"
#include "exchange/CoordinateImport.h"
#include "exchange/ExchangeFormats.h"
#include "records/PointLine.h"

namespace vel {
namespace {

using testing_support::TempFolder;

// A prefix and a number, e.g. P17.
std::string numbered(std::string_view prefix, int i) {
  std::string text(prefix);
  text += std::to_string(i);
  return text;
}

// --- Reading a file --------------------------------------------------------------------

TEST(ImportFile, KeepsTheFirst3072Lines) {
  std::vector<std::string> lines;
  for (int i = 0; i < 5000; ++i)
    lines.push_back(buildPointLine(numbered("P", i), "", "1", "2", "3"));
  const ReadResult read = convertImportLines(kQplFormat, lines);
  ASSERT_TRUE(read.read());
  ASSERT_EQ(read.points.size(), 3072u);
  EXPECT_EQ(read.points.front().name, "P0");
  EXPECT_EQ(read.points.back().name, "P3071");
}

TEST(ImportFile, KeepsTheFirst3072Scs2002Points) {
  std::vector<std::string> lines = {"3100"};
  for (int i = 0; i < 3100; ++i) lines.insert(lines.end(), {numbered("P", i), "", "1", "2", "3"});
  lines.push_back("E");
  const ReadResult read = convertImportLines(kScs2002Format, lines);
  ASSERT_TRUE(read.read());
  ASSERT_EQ(read.points.size(), 3072u);
  EXPECT_EQ(read.points.back().name, "P3071");
}

TEST(ImportFile, ConvertsEachLineByItsFormat) {
  struct Case {
    int format;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {kQplFormat, {buildPointLine("A1", "K", "1.5", "2.5", "3.5")}},
      {kPtsFormat, {"A1,2.5,1.5,3.5,K"}},
      {kScs2002Format, {"1", "A1", "K", "1.5", "2.5", "3.5", "E"}},
      {kSv300Format, {"9,A1,K,1.5,2.5,3.5"}},
      {kCassFormat, {"A1,K,2.5,1.5,3.5"}},
      {kCsvFormat, {"A1 1.5 2.5 3.5 K"}},
  };
  for (const Case& c : cases) {
    const ReadResult read = convertImportLines(c.format, c.lines);
    ASSERT_TRUE(read.read()) << c.format;
    ASSERT_EQ(read.points.size(), 1u) << c.format;
    const ImportRow expected = c.format == kScs2002Format
                                   ? ImportRow{"A1", "1.500", "2.500", "3.500"}
                                   : ImportRow{"A1", "1.5", "2.5", "3.5"};
    EXPECT_EQ(importGridCells(read.points).front(), expected) << c.format;
    EXPECT_EQ(read.points.front().code, "K") << c.format;
  }
}

TEST(ImportFile, FormatErrorAndFailureAreTold) {
  const ReadResult scs = convertImportLines(kScs2002Format, {"2", "A1", "", "1", "2", "3", "E"});
  EXPECT_EQ(scs.problem.kind, ReadProblem::Kind::kCountMismatch);
  EXPECT_TRUE(scs.points.empty());

  // An SV300 file with one empty line cannot be imported at all.
  const ReadResult sv300 = convertImportLines(kSv300Format, {"1,A1,,1,2,3", "", "3,C,,1,2,3"});
  EXPECT_EQ(sv300.problem.kind, ReadProblem::Kind::kNoComma);
  EXPECT_EQ(sv300.problem.line, 2u);
  EXPECT_TRUE(sv300.points.empty());

  EXPECT_EQ(convertImportLines(kDxfFormat, {"0"}).problem.kind, ReadProblem::Kind::kNotReadable);
}

TEST(ImportFile, Sv300LineWithoutCommaBeyondTheKeptLinesDoesNotMatter) {
  std::vector<std::string> lines(3072, "1,A,,1,2,3");
  lines.push_back("no comma");
  EXPECT_TRUE(convertImportLines(kSv300Format, lines).read());
}

TEST(ImportFile, ReadsFromAFileAndTellsTheErrorOfOneItCannot) {
  TempFolder folder;
  const std::string path = folder.file("p.CSV");
  testing_support::writeFile(path, "\"A,B\",1,2\r\nP1 100 200\r\n");
  const ReadResult read = readImportFile(path, kCsvFormat);
  ASSERT_TRUE(read.read());
  EXPECT_EQ(importGridCells(read.points),
            (std::vector<ImportRow>{{"A,B", "1", "2", "0.000"}, {"P1", "100", "200", "0.000"}}));

  const std::string plain = folder.file("plain.QPL");
  testing_support::writeFile(plain, "P1\r\n");
  const struct {
    std::string path;
    int error;
  } cases[] = {{folder.file("missing.CSV"), ENOENT},
               {folder.path().string(), EISDIR},
               {plain + "/x.QPL", ENOTDIR}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const ReadResult unread = readImportFile(c.path, kQplFormat);
    EXPECT_EQ(unread.problem.kind, ReadProblem::Kind::kUnreadable);
    EXPECT_EQ(unread.problem.path, c.path);
    EXPECT_EQ(unread.problem.error, c.error);
  }
}

// --- Confirming the grid ---------------------------------------------------------------

struct StoredRecord {
  uint8_t slot;
  std::array<uint8_t, 42> bytes;
};

// Stands in for the main window's AppendRecordChecked: stores until `room` is used up.
struct FakeStore {
  int room = 1000000;
  std::vector<StoredRecord> stored;
  int calls = 0;

  RecordAppender append() {
    return [this](uint8_t slot, const uint8_t* record) {
      ++calls;
      if (static_cast<int>(stored.size()) >= room) return false;
      StoredRecord r{slot, {}};
      std::copy(record, record + 42, r.bytes.begin());
      stored.push_back(r);
      return true;
    };
  }
};

std::array<uint8_t, 42> pointRecord(const ImageByteOrder& order, const char* name, FixedValue n,
                                    FixedValue e, FixedValue z) {
  std::array<uint8_t, 42> bytes{};
  bytes[0] = 4;
  std::copy(name, name + std::string_view(name).size(), bytes.begin() + 1);
  order.fixedToImage(n, bytes.data() + 19);
  order.fixedToImage(e, bytes.data() + 25);
  order.fixedToImage(z, bytes.data() + 31);
  return bytes;
}

TEST(ConfirmImport, StoresValidRowsInOrderAndSkipsIncompleteOnes) {
  const ImageByteOrder big(false);
  std::vector<ImportRow> rows(kImportGridRows);
  rows[0] = {" P1 ", "12.5", "-3", ""};                      // empty Z is 0.000
  rows[1] = {"P2", "1", "", "1"};                            // no E: skipped
  rows[2] = {"", "1", "2", "3"};                             // no name: skipped
  rows[3] = {"P4", " \t", "2", "3"};                         // blank N: skipped
  rows[1500] = {"ABCDEFGHIJ", "0.0625", "1.2345", "-0.25"};  // in the middle of empty rows
  rows[3071] = {"LAST", "1", "2", "3"};
  FakeStore store;

  EXPECT_EQ(storeImportRows(rows, 17, big, store.append()), 1);
  ASSERT_EQ(store.stored.size(), 3u);
  EXPECT_EQ(store.stored[0].slot, 17);
  EXPECT_EQ(store.stored[0].bytes, pointRecord(big, "P1", {12, 500}, {-3, 0}, {0, 0}));
  // Eight characters fill bytes 1 to 8; byte 9 stays 0. Decimals are cut.
  EXPECT_EQ(store.stored[1].bytes, pointRecord(big, "ABCDEFGH", {0, 62}, {1, 234}, {0, -250}));
  EXPECT_EQ(store.stored[1].bytes[9], 0);
  EXPECT_EQ(store.stored[2].bytes, pointRecord(big, "LAST", {1, 0}, {2, 0}, {3, 0}));
}

TEST(ConfirmImport, StopsAtTheFirstRefusal) {
  std::vector<ImportRow> rows(100, ImportRow{"P", "1", "2", "3"});
  FakeStore store;
  store.room = 72;
  EXPECT_EQ(storeImportRows(rows, 0, ImageByteOrder(true), store.append()), 1);
  EXPECT_EQ(store.stored.size(), 72u);
  EXPECT_EQ(store.calls, 73);  // one refusal, then nothing more is tried
}

TEST(ConfirmImport, ResultIsZeroOnlyWhenGridRowOneIsRefused) {
  FakeStore full;
  full.room = 0;
  std::vector<ImportRow> rows = {{"P1", "1", "2", "3"}, {"P2", "1", "2", "3"}};
  EXPECT_EQ(storeImportRows(rows, 0, ImageByteOrder(), full.append()), 0);
  EXPECT_EQ(full.calls, 1);

  // Row 1 empty: the first refusal is row 2's, and the import still answers 1.
  FakeStore alsoFull;
  alsoFull.room = 0;
  rows[0] = {"", "", "", ""};
  EXPECT_EQ(storeImportRows(rows, 0, ImageByteOrder(), alsoFull.append()), 1);
  EXPECT_EQ(alsoFull.calls, 1);
}

TEST(ConfirmImport, EmptyGridStoresNothingAndAnswersOne) {
  FakeStore store;
  EXPECT_EQ(
      storeImportRows(std::vector<ImportRow>(kImportGridRows), 0, ImageByteOrder(), store.append()),
      1);
  EXPECT_EQ(store.calls, 0);
}

TEST(ConfirmImport, RowsBeyondTheGridAreNotLookedAt) {
  std::vector<ImportRow> rows(kImportGridRows + 5);
  rows.back() = {"P", "1", "2", "3"};
  FakeStore store;
  storeImportRows(rows, 0, ImageByteOrder(), store.append());
  EXPECT_EQ(store.calls, 0);
}

}  // namespace
}  // namespace vel
