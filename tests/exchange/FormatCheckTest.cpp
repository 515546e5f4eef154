// The check of a text file's type before it is read: a file of each of the
// six formats, as this program writes them, opened as each of the six types.
#include <gtest/gtest.h>

#include "exchange/ExchangeFile.h"
#include "exchange/ExchangeFormats.h"
#include "exchange/FormatCheck.h"
#include "records/PointLine.h"

namespace vel {
namespace {

std::vector<std::string> fileLines(int format) {
  const std::vector<std::string> points = {
      buildPointLine("A1", "K1", "3380000.125", "512300.5", "12.5"),
      buildPointLine("B2", "", "-0.005", "7", "0.000"),
      buildPointLine("C3", "TREE", "30", "20", ""),
  };
  return splitTextLines(exchangeFileText(format, points));
}

TEST(FormatCheckTest, EachFormatOpenedAsEachTypeIsOfferedItsOwn) {
  for (int actual = kQplFormat; actual <= kCsvFormat; ++actual) {
    const std::vector<std::string> lines = fileLines(actual);
    for (int chosen = kQplFormat; chosen <= kCsvFormat; ++chosen) {
      // PTS (name, E, N, Z, code) has the shape of an unquoted CSV (name, N,
      // E, Z, code): no check can tell them apart, so a PTS file opened as
      // CSV is read as told.
      const bool sameShape = actual == kPtsFormat && chosen == kCsvFormat;
      const int expected = chosen == actual || sameShape ? 0 : actual;
      EXPECT_EQ(suggestedTextFormat(chosen, lines), expected)
          << "a file of format " << actual << " opened as " << chosen;
    }
  }
}

TEST(FormatCheckTest, AMisfitNamesItsFirstLineAndAFileOfNoFormatHasNoSuggestion) {
  const std::vector<std::string> lines = {"", "P1,,1.0,2.0,3", "just words", "P3,,1,2,3"};
  const FormatFit fit = checkTextFormat(kCassFormat, lines);
  EXPECT_FALSE(fit.fits);
  EXPECT_EQ(fit.line, 3u);
  EXPECT_EQ(fit.text, "just words");
  EXPECT_EQ(suggestedTextFormat(kCassFormat, lines), 0);
  // An SCS2002 file whose N is no number, and a count line of words.
  EXPECT_EQ(checkTextFormat(kScs2002Format, {"1", "P1", "", "x", "2", "3", "E"}).line, 4u);
  EXPECT_EQ(checkTextFormat(kScs2002Format, {"three", "P1"}).line, 1u);
  // Lines past the first 20 are not looked at.
  std::vector<std::string> many(kCheckedLines, "P1,,1,2,3");
  many.push_back("not a point");
  EXPECT_TRUE(checkTextFormat(kCassFormat, many).fits);
}

}  // namespace
}  // namespace vel
