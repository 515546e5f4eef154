#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/ExchangeFormats.h"
#include "records/PointLine.h"
#include "tests/support/CaseNames.h"

namespace vel {
namespace {

struct Point {
  std::string name, code, n, e, z;
};

// The whole point line, so that no stray byte hides behind a trimmed field.
void expectPointLine(const std::string& line, const Point& p) {
  EXPECT_EQ(line, buildPointLine(p.name, p.code, p.n, p.e, p.z));
}

// --- Comma field reader ------------------------------------------------------------

enum class Reader { kPts, kSv300, kCass };

struct CommaCase {
  const char* what;
  Reader reader;
  std::string line;
  Point point;
};

class CommaFieldReader : public testing::TestWithParam<CommaCase> {};

TEST_P(CommaFieldReader, GivesThePointLine) {
  const CommaCase& c = GetParam();
  std::string line;
  switch (c.reader) {
    case Reader::kPts:
      line = parsePtsLine(c.line);
      break;
    case Reader::kSv300:
      line = parseSv300Line(c.line).value();
      break;
    case Reader::kCass:
      line = parseCassLine(c.line);
      break;
  }
  expectPointLine(line, c.point);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommaFieldReader,
    testing::Values(
        CommaCase{"CassFieldOrder",
                  Reader::kCass,
                  "P1,,100.5,200.25,3",
                  {"P1", "", "200.25", "100.5", "3"}},
        CommaCase{"SpacesInsideCommaFieldsDropped",
                  Reader::kCass,
                  "P 1 , C2 ,1 0 0,200,3",
                  {"P1", "C2", "200", "100", "3"}},
        CommaCase{"LastFieldKeepsItsSpaces",
                  Reader::kCass,
                  "P1,C2,1,2, 3 4",
                  {"P1", "C2", "2", "1", "3 4"}},
        CommaCase{
            "TabsStayInsideAField", Reader::kCass, "P\t1,C,1,2,3", {"P\t1", "C", "2", "1", "3"}},
        CommaCase{"InclusiveTestOnCommaFields",
                  Reader::kCass,
                  "P,C,10000000,-1000000,10000000",
                  {"P", "C", "-1000000", "10000000", "0"}},
        CommaCase{"StrictTestOnTheLastField",
                  Reader::kCass,
                  "P,C,1,2,-1000000",
                  {"P", "C", "2", "1", "0"}},
        CommaCase{"LastFieldInsideTheStrictRange",
                  Reader::kCass,
                  "P,C,1,2,9999999.999",
                  {"P", "C", "2", "1", "9999999.999"}},
        CommaCase{"OutOfRangeCommaField",
                  Reader::kCass,
                  "P,C,10000000.1,-1000000.5,3",
                  {"P", "C", "0", "0", "3"}},
        CommaCase{"OverlongLastFieldIsLost",
                  Reader::kCass,
                  "P,C,1,2,123456789.12",
                  {"P", "C", "2", "1", "0"}},
        CommaCase{"LastFieldOfElevenKept",
                  Reader::kCass,
                  "P,C,1,2,12345.67890",
                  {"P", "C", "2", "1", "12345.67890"}},
        CommaCase{"SpacesCountInTheLastFieldsLength",
                  Reader::kCass,
                  "P,C,1,2,1 2 3 4 5 6 7",
                  {"P", "C", "2", "1", "0"}},
        CommaCase{
            "EmptyLastFieldIsFoundAndEmpty", Reader::kCass, "P1,,1,2,", {"P1", "", "2", "1", ""}},
        CommaCase{"FieldsAfterTheFifthIgnored",
                  Reader::kCass,
                  "P,C,1,2,3,4,5",
                  {"P", "C", "2", "1", "3"}},
        CommaCase{
            "TextWithoutNumberKept", Reader::kCass, "P,C,abc,2,3", {"P", "C", "2", "abc", "3"}},
        CommaCase{"CommaNameCutToEight",
                  Reader::kCass,
                  "ABCDEFGHIJ,CODE123456,1,2,3",
                  {"ABCDEFGH", "CODE1234", "2", "1", "3"}},
        CommaCase{"OverlongLastNameLost", Reader::kCass, "ABCDEFGHI", {"", "", "0", "0", "0"}},
        CommaCase{"EmptyLine", Reader::kCass, "", {"", "", "0", "0", "0"}},
        CommaCase{
            "PtsFieldOrder", Reader::kPts, "P1,100,200,5,K1", {"P1", "K1", "200", "100", "5"}},
        CommaCase{"PtsOnlyAName", Reader::kPts, "P1", {"P1", "", "0", "0", "0"}},
        CommaCase{"PtsLongCoordinateCutToEleven",
                  Reader::kPts,
                  "P1,1 234.567 89012,2,3,K",
                  {"P1", "K", "2", "1234.567890", "3"}},
        CommaCase{"PtsCutHappensBeforeTheRangeTest",
                  Reader::kPts,
                  "P1,1.000000000000e10,2,3,K",
                  {"P1", "K", "2", "1.000000000", "3"}},
        CommaCase{
            "PtsOverlongCodeLost", Reader::kPts, "P1,1,2,3,CODE12345", {"P1", "", "2", "1", "3"}},
        CommaCase{"PtsEmptyCodeAsWritten", Reader::kPts, "P1,1,2,3,", {"P1", "", "2", "1", "3"}},
        CommaCase{"Sv300SkipsTheSequenceNumber",
                  Reader::kSv300,
                  "7,A1,,1.5,2.5,3.5",
                  {"A1", "", "1.5", "2.5", "3.5"}},
        CommaCase{"Sv300SequenceNumberNotRead",
                  Reader::kSv300,
                  "x y z,A1,K,1,2,3",
                  {"A1", "K", "1", "2", "3"}},
        CommaCase{"Sv300NothingAfterTheNumber", Reader::kSv300, "1,", {"", "", "0", "0", "0"}}),
    [](const auto& info) { return info.param.what; });

TEST(Sv300Reader, LineWithoutCommaCannotBeRead) {
  EXPECT_FALSE(parseSv300Line("").has_value());
  EXPECT_FALSE(parseSv300Line("1 A1 1 2 3").has_value());
}

// --- CSV ------------------------------------------------------------------------------

struct SplitCase {
  std::string line;
  std::vector<std::string> items;
};

class CommaTextSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(CommaTextSplit, Items) {
  EXPECT_EQ(splitCommaText(GetParam().line), GetParam().items);
}

std::string caseName(const std::string& line) {
  return test::caseNameOf(line);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommaTextSplit,
    testing::Values(SplitCase{"", {}}, SplitCase{"  \t", {}}, SplitCase{"A", {"A"}},
                    SplitCase{"A,B", {"A", "B"}}, SplitCase{"A,,B", {"A", "", "B"}},
                    SplitCase{"A, ,B", {"A", "", "B"}}, SplitCase{"A,", {"A"}},
                    SplitCase{",A", {"", "A"}}, SplitCase{"A B\tC", {"A", "B", "C"}},
                    SplitCase{"  A  ,  B  ", {"A", "B"}}, SplitCase{"\"A,B\",1", {"A,B", "1"}},
                    SplitCase{"\"A B\" C", {"A B", "C"}},
                    SplitCase{"\"say \"\"hi\"\"\",2", {"say \"hi\"", "2"}},
                    SplitCase{"\"\",1", {"", "1"}}, SplitCase{"\"A\"B,C", {"A", "B", "C"}},
                    SplitCase{"\"open,1", {"open,1"}},
                    SplitCase{std::string("A,B\0,C", 6), {"A", "B"}},
                    SplitCase{"\xb5\xe3,1", {"\xb5\xe3", "1"}}),
    [](const auto& info) { return caseName(info.param.line); });

struct CsvCase {
  const char* what;
  std::string line;
  Point point;
};

class CsvReader : public testing::TestWithParam<CsvCase> {};

TEST_P(CsvReader, GivesThePointLine) {
  expectPointLine(parseCsvLine(GetParam().line), GetParam().point);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CsvReader,
    testing::Values(CsvCase{"QuotedNameWithComma", "\"A,B\",1,2", {"A,B", "", "1", "2", "0.000"}},
                    CsvCase{"BlanksSeparate", "P1 100 200", {"P1", "", "100", "200", "0.000"}},
                    CsvCase{"AsWritten",
                            "\"P1\",\"1.5\",\"2.5\",\"3.5\",\"K1\"",
                            {"P1", "K1", "1.5", "2.5", "3.5"}},
                    CsvCase{"EmptyNBecomesZero", "P1,,2,3", {"P1", "", "0.000", "2", "3"}},
                    CsvCase{"QuotedBlankNIsEmpty", "P1,\" \",2,3", {"P1", "", "0.000", "2", "3"}},
                    CsvCase{"NoRangeTestNoConversion",
                            "P1,99999999,abc,-0",
                            {"P1", "", "99999999", "abc", "-0"}},
                    CsvCase{"ItemsTrimmed", "\" P1\t\",\" 1 \",2,3", {"P1", "", "1", "2", "3"}},
                    CsvCase{"EmptyLine", "", {"", "", "0.000", "0.000", "0.000"}},
                    // Fields that would overrun their column are cut to it.
                    CsvCase{"OverlongFieldsCut",
                            "ABCDEFGHIJK,123456789012345,-1000000.000,2,LONGCODE99",
                            {"ABCDEFGH", "LONGCODE", "12345678901", "-1000000.00", "2"}},
                    CsvCase{"TwoByteCharactersCountTwice",
                            "\xb5\xe3\xb5\xe3\xb5\xe3\xb5\xe3\xb5\xe3,1,2",
                            {"\xb5\xe3\xb5\xe3\xb5\xe3\xb5\xe3", "", "1", "2", "0.000"}}),
    [](const auto& info) { return info.param.what; });

// --- SCS2002 ----------------------------------------------------------------------------

TEST(Scs2002Reader, RewritesCoordinatesWithThreeDecimals) {
  const auto points = convertScs2002Lines({"1", "A1", "", "12.3456", "-5", "20000000", "E"});
  ASSERT_TRUE(points.has_value());
  ASSERT_EQ(points->size(), 1u);
  expectPointLine(points->front(), {"A1", "", "12.346", "-5.000", "0.000"});
}

TEST(Scs2002Reader, ReadsEveryGroupOfFive) {
  const auto points = convertScs2002Lines({" 2 ", " P1 ", "K1", "0.0625", "1.0005", "abc", "P2",
                                           "  K2", "10000000", "-1000000", "-0.0004", "E\t"});
  ASSERT_TRUE(points.has_value());
  ASSERT_EQ(points->size(), 2u);
  expectPointLine((*points)[0], {"P1", "K1", "0.063", "1.000", "0.000"});
  // A value at the ends of the range is twelve characters long: cut to eleven,
  // it keeps its value.
  expectPointLine((*points)[1], {"P2", "  K2", "10000000.00", "-1000000.00", "0.000"});
}

TEST(Scs2002Reader, CutsNamesAndCodesToEightBytes) {
  const auto points = convertScs2002Lines({"1", "ABCDEFGHIJ", "CODE123456", "1", "2", "3", "E"});
  ASSERT_TRUE(points.has_value());
  expectPointLine(points->front(), {"ABCDEFGH", "CODE1234", "1.000", "2.000", "3.000"});
}

TEST(Scs2002Reader, FormatErrors) {
  const std::vector<std::string> good = {"1", "A1", "", "1", "2", "3", "E"};
  ASSERT_TRUE(convertScs2002Lines(good).has_value());

  auto changed = [&good](std::size_t i, const char* text) {
    auto lines = good;
    lines[i] = text;
    return lines;
  };
  EXPECT_FALSE(convertScs2002Lines(changed(0, "01")).has_value());
  EXPECT_FALSE(convertScs2002Lines(changed(0, "+1")).has_value());
  EXPECT_FALSE(convertScs2002Lines(changed(6, "e")).has_value());
  EXPECT_FALSE(convertScs2002Lines(changed(6, "END")).has_value());

  auto eleven = good;
  eleven.insert(eleven.begin() + 6, {"B", "", "1", "2"});
  EXPECT_FALSE(convertScs2002Lines(eleven).has_value());  // 11 mod 5 is 1
  EXPECT_FALSE(convertScs2002Lines({}).has_value());
  EXPECT_FALSE(convertScs2002Lines({"0", "E"}).has_value());
  EXPECT_FALSE(convertScs2002Lines({"1", "A", "", "1", "2", "E"}).has_value());
  // Count line 2 with one point.
  EXPECT_FALSE(convertScs2002Lines(changed(0, "2")).has_value());
}

// --- Writers ----------------------------------------------------------------------------

// Whole files of every format are pinned in ExchangeFileTest; here what the
// writers do to the fields themselves.
const std::string kWithCode = buildPointLine(" A1", "K1", "100.5", "200.25", "-3");

TEST(Writers, TakeEveryFieldTrimmed) {
  EXPECT_EQ(formatPtsLine(kWithCode), "A1,200.25,100.5,-3,K1");
  EXPECT_EQ(formatScs2002Point(kWithCode), "A1\r\nK1\r\n100.5\r\n200.25\r\n-3\r\n");
  EXPECT_EQ(formatSv300Line(kWithCode), "A1,K1,100.5,200.25,-3");
  EXPECT_EQ(formatCassLine(kWithCode), "A1,K1,200.25,100.5,-3");
}

TEST(Writers, CsvEscapesNothing) {
  EXPECT_EQ(formatCsvLine(buildPointLine("A\"B", "", "1", "2", "3")), "\"A\"B\",\"1\",\"2\",\"3\"");
}

TEST(Writers, DxfPointAndTextEntities) {
  EXPECT_EQ(formatDxfPoint(kWithCode),
            "0\r\nPOINT\r\n8\r\npoint\r\n"
            "10\r\n200.25\r\n20\r\n100.5\r\n30\r\n-3\r\n"
            "0\r\nTEXT\r\n8\r\nPT#\r\n"
            "10\r\n200.25\r\n20\r\n100.5\r\n30\r\n-3\r\n"
            "40\r\n0.2\r\n1\r\nA1");
}

}  // namespace
}  // namespace vel
