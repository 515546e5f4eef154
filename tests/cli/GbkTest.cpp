#include <gtest/gtest.h>

#include <string>

#include "store/Gbk.h"

namespace vel::cli {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(GbkTest, GbkBecomesUtf8AndBadBytesBecomeReplacementCharacters) {
  struct Case {
    std::string gbk;
    std::string utf8;
  };
  const Case cases[] = {
      {"", ""},
      {"JOB-1 %s\t~", "JOB-1 %s\t~"},
      {std::string("A\0B", 3), std::string("A\0B", 3)},
      {"\xB2\xE2\xCA\xD4", "测试"},
      {"P\xB5\xE3"
       "1",
       "P点1"},
      {"\x80", "€"},
      {"A\xB2", "A" + kReplacement},  // character cut off at the end
      {"\xFF"
       "AB",
       kReplacement + "AB"},            // no such lead byte
      {"\x81 X", kReplacement + " X"},  // lead byte without a trail byte
  };
  for (const Case& c : cases) EXPECT_EQ(gbkToUtf8(c.gbk), c.utf8) << c.gbk;
}

TEST(GbkTest, Utf8BecomesGbkAndWhatGbkCannotHoldBecomesAQuestionMark) {
  struct Case {
    std::string utf8;
    std::string gbk;
  };
  const Case cases[] = {
      {"JOB1", "JOB1"}, {"测试", "\xB2\xE2\xCA\xD4"}, {"A😀B", "A?B"},
      {"A\xC3", "A?"},  {"\xE6\xB5X", "?X"},
  };
  for (const Case& c : cases) EXPECT_EQ(utf8ToGbk(c.utf8), c.gbk) << c.utf8;
  EXPECT_EQ(gbkToUtf8(utf8ToGbk("已知点 K1")), "已知点 K1");
}

}  // namespace
}  // namespace vel::cli
