#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestImage.h"
#include "exchange/CoordinateImport.h"
#include "exchange/ExchangeFile.h"
#include "exchange/ExchangeFormats.h"
#include "exchange/FormatRegistry.h"
#include "records/PointLine.h"
#include "tests/support/CaseNames.h"

namespace vel {
namespace {

using testing_support::TempFolder;

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// --- Reading lines -------------------------------------------------------------------

struct LinesCase {
  std::string bytes;
  std::vector<std::string> lines;
};

class TextLines : public testing::TestWithParam<LinesCase> {};

TEST_P(TextLines, SplitAtEveryKindOfLineEnd) {
  EXPECT_EQ(splitTextLines(GetParam().bytes), GetParam().lines);
}

std::string caseName(const std::string& bytes) {
  return test::caseNameOf(bytes);
}

INSTANTIATE_TEST_SUITE_P(Bytes, TextLines,
                         testing::Values(LinesCase{"", {}}, LinesCase{"A", {"A"}},
                                         LinesCase{"A\r\n", {"A"}}, LinesCase{"A\r\nB", {"A", "B"}},
                                         LinesCase{"A\rB\nC\r\nD\n", {"A", "B", "C", "D"}},
                                         LinesCase{"A\n\nB", {"A", "", "B"}},
                                         LinesCase{"A\r\n\r\n", {"A", ""}}, LinesCase{"\n", {""}},
                                         LinesCase{"A\n\r", {"A", ""}},
                                         LinesCase{"\r\r\n", {"", ""}},
                                         LinesCase{" A \t", {" A \t"}},
                                         LinesCase{std::string("A\nB\0C\nD", 7), {"A", "B"}},
                                         LinesCase{std::string("\0A", 2), {}}),
                         [](const auto& info) { return caseName(info.param.bytes); });

TEST(ReadTextLines, ReadsAFileAndFailsWhenItCannot) {
  TempFolder folder;
  const std::string path = folder.file("in.txt");
  testing_support::writeFile(path, "P1\r\n\xb5\xe3\rP3\n");
  EXPECT_EQ(readTextLines(path), (std::vector<std::string>{"P1", "\xb5\xe3", "P3"}));

  EXPECT_FALSE(readTextLines(folder.file("missing.txt")).has_value());
  EXPECT_FALSE(readTextLines(folder.path().string()).has_value());  // a folder

  testing_support::writeFile(path, "");
  EXPECT_EQ(readTextLines(path), std::vector<std::string>{});
}

TEST(ReadTextLines, RefusesWholeWhatIsNoTextFileOrNoFileAtAll) {
  TempFolder folder;
  const std::string path = folder.file("in.txt");
  struct Case {
    std::string bytes;
    int error;
    std::size_t line;
  };
  for (const Case& c :
       {Case{std::string("P1\r\nP2\rP3\n\0P4", 14), kNotText, 4},
        Case{std::string("\0", 1), kNotText, 1}, Case{std::string("\xFF\xFEP\0", 4), kUtf16Text, 1},
        Case{std::string("\xFE\xFF\0P", 4), kUtf16Text, 1}}) {
    testing_support::writeFile(path, c.bytes);
    TextReadFailure failure;
    EXPECT_FALSE(readTextLines(path, &failure).has_value());
    EXPECT_EQ(failure.error, c.error);
    EXPECT_EQ(failure.line, c.line);
  }
  // A FIFO nobody writes to would be waited on for ever: it is not read.
  const std::string fifo = folder.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  TextReadFailure failure;
  EXPECT_FALSE(readTextLines(fifo, &failure).has_value());
  EXPECT_EQ(failure.error, kNotRegularFile);

  testing_support::writeFile(path, std::string("A\0B", 3));
  const ReadResult read = readImportFile(path, kQplFormat);
  EXPECT_EQ(read.problem.kind, ReadProblem::Kind::kUnreadable);
  EXPECT_EQ(read.problem.error, kNotText);
  EXPECT_EQ(read.problem.line, 1u);
}

// --- Whole files -----------------------------------------------------------------------

const std::vector<std::string> kTwoPoints = {
    buildPointLine("A1", "K1", "100.5", "200.25", "-3"),
    buildPointLine("B2", "", "-0.005", "7", "0.000"),
};

struct FileCase {
  int format;
  std::string bytes;
};

class FileText : public testing::TestWithParam<FileCase> {};

// A test name for an exchange format: "Qpl", "Sv300".
std::string formatName(int format) {
  switch (format) {
    case kQplFormat:
      return "Qpl";
    case kPtsFormat:
      return "Pts";
    case kScs2002Format:
      return "Scs2002";
    case kSv300Format:
      return "Sv300";
    case kCassFormat:
      return "Cass";
    case kCsvFormat:
      return "Csv";
    case kDxfFormat:
      return "Dxf";
  }
  return "Format" + std::to_string(format);
}

TEST_P(FileText, FramesThePointsOfTheFormat) {
  EXPECT_EQ(exchangeFileText(GetParam().format, kTwoPoints), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FileText,
    testing::Values(
        FileCase{kQplFormat, kTwoPoints[0] + "\r\n" + kTwoPoints[1] + "\r\n"},
        FileCase{kPtsFormat, "A1,200.25,100.5,-3,K1\r\nB2,7,-0.005,0.000,\r\n"},
        FileCase{kScs2002Format,
                 "2\r\nA1\r\nK1\r\n100.5\r\n200.25\r\n-3\r\nB2\r\n\r\n-0.005\r\n7\r\n0.000\r\nE"},
        FileCase{kSv300Format, "1,A1,K1,100.5,200.25,-3\r\n2,B2,,-0.005,7,0.000\r\n"},
        FileCase{kCassFormat, "A1,K1,200.25,100.5,-3\r\nB2,,7,-0.005,0.000\r\n"},
        FileCase{
            kCsvFormat,
            "\"A1\",\"100.5\",\"200.25\",\"-3\",\"K1\"\r\n\"B2\",\"-0.005\",\"7\",\"0.000\"\r\n"},
        FileCase{kDxfFormat,
                 "0\r\nSECTION\r\n2\r\nENTITIES\r\n"
                 "0\r\nPOINT\r\n8\r\npoint\r\n10\r\n200.25\r\n20\r\n100.5\r\n30\r\n-3\r\n"
                 "0\r\nTEXT\r\n8\r\nPT#\r\n10\r\n200.25\r\n20\r\n100.5\r\n30\r\n-3\r\n"
                 "40\r\n0.2\r\n1\r\nA1\r\n"
                 "0\r\nPOINT\r\n8\r\npoint\r\n10\r\n7\r\n20\r\n-0.005\r\n30\r\n0.000\r\n"
                 "0\r\nTEXT\r\n8\r\nPT#\r\n10\r\n7\r\n20\r\n-0.005\r\n30\r\n0.000\r\n"
                 "40\r\n0.2\r\n1\r\nB2\r\n"
                 "0\r\nENDSEC\r\n0\r\nEOF"}),
    [](const auto& info) { return formatName(info.param.format); });

TEST(FileTextEdges, NoPointsGiveAnEmptyFileButDxfKeepsItsFrame) {
  for (int format = kQplFormat; format <= kCsvFormat; ++format) {
    EXPECT_EQ(exchangeFileText(format, {}), "") << format;
  }
  EXPECT_EQ(exchangeFileText(kDxfFormat, {}),
            "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nENDSEC\r\n0\r\nEOF");
}

TEST(FileTextEdges, Scs2002OnePointEndsWithTheEndLine) {
  EXPECT_EQ(exchangeFileText(kScs2002Format, {kTwoPoints[0]}),
            "1\r\nA1\r\nK1\r\n100.5\r\n200.25\r\n-3\r\nE");
}

TEST(FileTextEdges, Scs2002LastPointWithEmptyZStillReadsBack) {
  const std::vector<std::string> points = {kTwoPoints[0], buildPointLine("B2", "", "1", "2", "")};
  const std::string text = exchangeFileText(kScs2002Format, points);
  EXPECT_EQ(text.substr(text.size() - 6), "2\r\n\r\nE");
  const auto read = convertScs2002Lines(splitTextLines(text));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->size(), 2u);
}

TEST(FileTextEdges, Sv300NumbersEveryLine) {
  const std::string text =
      exchangeFileText(kSv300Format, {kTwoPoints[0], kTwoPoints[1], kTwoPoints[0]});
  const auto lines = splitTextLines(text);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 3), "1,A");
  EXPECT_EQ(lines[1].substr(0, 3), "2,B");
  EXPECT_EQ(lines[2].substr(0, 3), "3,A");
}

TEST(FileTextEdges, UnknownFormatIsRefused) {
  EXPECT_THROW(exchangeFileText(0, kTwoPoints), std::invalid_argument);
  EXPECT_THROW(exchangeFileText(8, kTwoPoints), std::invalid_argument);
}

// --- Writing files -----------------------------------------------------------------------

TEST(WriteExchangeFile, ReplacesAnExistingFileWhole) {
  TempFolder folder;
  const std::string path = folder.file("out.CSV");
  testing_support::writeFile(path, std::string(5000, 'x'));
  ASSERT_TRUE(writeExchangeFile(path, kCsvFormat, kTwoPoints));
  EXPECT_EQ(readBytes(path), exchangeFileText(kCsvFormat, kTwoPoints));
}

TEST(WriteExchangeFile, ReportsWhatCannotBeWritten) {
  TempFolder folder;
  EXPECT_FALSE(writeExchangeFile(folder.file("no/such/folder/out.QPL"), kQplFormat, kTwoPoints));
  std::filesystem::create_directory(folder.file("dir"));
  EXPECT_FALSE(writeExchangeFile(folder.file("dir"), kQplFormat, kTwoPoints));
  EXPECT_FALSE(writeExchangeFile(folder.file("out.x"), 8, kTwoPoints));
  EXPECT_FALSE(std::filesystem::exists(folder.file("out.x")));
  EXPECT_TRUE(std::filesystem::is_directory(folder.file("dir")));
}

TEST(WriteExchangeFile, ReportsAFileThatCouldNotBeWrittenInFull) {
  TempFolder folder;
  const std::string path = folder.file("out.QPL");
  testing_support::writeFile(path, "old");
  // Files may grow to 100 bytes only; the two points take 112.
  rlimit previous{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = previous;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = writeExchangeFile(path, kQplFormat, kTwoPoints);
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(written);
  // The old file as it was, and nothing else left beside it.
  EXPECT_EQ(readBytes(path), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
  EXPECT_TRUE(writeExchangeFile(path, kQplFormat, kTwoPoints));
}

// --- Round trips -------------------------------------------------------------------------

// Points as the output produces them: names of up to 8 characters without
// spaces, coordinates with three decimals inside the range.
const std::vector<std::string> kJobPoints = {
    buildPointLine("A1", "K1", "1234.567", "-12.345", "-0.005"),
    buildPointLine("ABCDEFGH", "CODE5678", "-999999.999", "9999999.999", "0.000"),
    buildPointLine("P-7#", "", "0.001", "5.000", "-100.250"),
    buildPointLine("\xb5\xe3\xb5\xe3", "\xc2\xb7", "1.000", "2.000", "3.000"),
};

class RoundTrip : public testing::TestWithParam<int> {};

// Through the registry's entry of each format that reads: the bytes of the
// format's file, read back to the same points.
TEST_P(RoundTrip, ReadsBackTheNameCodeAndCoordinatesWritten) {
  const ExchangeFormatEntry* format = FormatRegistry::instance().byId(GetParam());
  ASSERT_NE(format, nullptr);
  TempFolder folder;
  const std::string path = folder.file("points");
  std::vector<SurveyPoint> points;
  for (const std::string& line : kJobPoints) {
    points.push_back({pointLineName(line), pointLineCode(line), PointKind::kPT, "J",
                      pointLineN(line), pointLineE(line), pointLineZ(line)});
  }
  ASSERT_TRUE(format->write(path, points, {}).written());
  EXPECT_EQ(readBytes(path), exchangeFileText(format->id, kJobPoints));
  EXPECT_EQ(format->text(points), exchangeFileText(format->id, kJobPoints));

  const ReadResult read = format->read(path);
  ASSERT_TRUE(read.read());
  ASSERT_EQ(read.points.size(), points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(read.points[i].name, points[i].name) << i;
    EXPECT_EQ(read.points[i].code, points[i].code) << i;
    EXPECT_EQ(read.points[i].n, points[i].n) << i;
    EXPECT_EQ(read.points[i].e, points[i].e) << i;
    EXPECT_EQ(read.points[i].z, points[i].z) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(ImportFormats, RoundTrip, testing::Range(1, 7),
                         [](const auto& info) { return formatName(info.param); });

}  // namespace
}  // namespace vel
