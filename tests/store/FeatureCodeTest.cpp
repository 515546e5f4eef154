// The feature-code library in the header: 64 code slots and their list order.
#include <gtest/gtest.h>

#include "TestImage.h"

namespace vel {
namespace {

using test::Bytes;
using test::Card;

std::vector<std::string> listedCodes(RecordAreaStore& s) {
  std::vector<std::string> codes;
  for (int p = 0; p < s.featureCodeCount(); ++p) codes.push_back(s.featureCodeAt(p));
  return codes;
}

long long codeOrderAddress(int model) {
  return model == kRX3_32 || model == kRX9_32 ? 0x0140 : 0x0110;
}

TEST(FeatureCodes, AreListedInTheOrderTheyWereAddedAndReuseFreedSlots) {
  for (int model : {kRX3_8, kRX3_32}) {
    SCOPED_TRACE(modelName(model));
    Card card(model);
    RecordAreaStore& s = card.store;
    const long long order = codeOrderAddress(model);

    const Bytes before = card.bytes();
    ASSERT_EQ(s.addFeatureCode("TREE"), 0);
    EXPECT_TRUE(
        test::changesOnlyWithin(before, card.bytes(), {{order, order + 63}, {0x0200, 0x0207}}));
    ASSERT_EQ(s.addFeatureCode("ROAD"), 1);
    ASSERT_EQ(s.addFeatureCode("WALL"), 2);
    EXPECT_EQ(card.bytes(order, 4), (Bytes{0, 1, 2, 0xFF}));
    EXPECT_EQ(card.bytes(0x0200, 5), (Bytes{'T', 'R', 'E', 'E', 0}));
    EXPECT_EQ(card.bytes(0x0208, 5), (Bytes{'R', 'O', 'A', 'D', 0}));
    EXPECT_EQ(card.bytes(0x0210, 5), (Bytes{'W', 'A', 'L', 'L', 0}));

    ASSERT_EQ(s.deleteFeatureCode(0), kDone);
    EXPECT_EQ(listedCodes(s), (std::vector<std::string>{"ROAD", "WALL"}));
    EXPECT_EQ(card.bytes(order, 3), (Bytes{1, 2, 0xFF}));
    EXPECT_EQ(card.bytes(0x0200, 4), (Bytes{'T', 'R', 'E', 'E'})) << "the text stays";

    ASSERT_EQ(s.addFeatureCode("PIT"), 0);
    EXPECT_EQ(listedCodes(s), (std::vector<std::string>{"ROAD", "WALL", "PIT"}));
    EXPECT_EQ(card.bytes(order, 4), (Bytes{1, 2, 0, 0xFF}));
    EXPECT_EQ(card.bytes(0x0200, 4), (Bytes{'P', 'I', 'T', 0}));
    EXPECT_EQ(s.featureCodeAt(3), "");
  }
}

TEST(FeatureCodes, OfEightCharactersFillTheirSlotAndReadBackWhole) {
  Card card(kRX3_8);
  ASSERT_EQ(card.store.addFeatureCode("ABCDEFGH"), 0);
  ASSERT_EQ(card.store.addFeatureCode("X"), 1);
  EXPECT_EQ(card.bytes(0x0200, 10), (Bytes{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'X', 0}));
  EXPECT_EQ(card.store.featureCodeAt(0), "ABCDEFGH");
  EXPECT_EQ(card.store.featureCodeAt(1), "X");

  ASSERT_EQ(card.store.addFeatureCode("LONGERTHAN8"), 2);
  EXPECT_EQ(card.store.featureCodeAt(2), "LONGERTH");
  EXPECT_EQ(card.bytes(0x0218, 1), Bytes{0xFF}) << "the next slot is not touched";
}

TEST(FeatureCodes, StopAtSixtyFour) {
  Card card(kRX9_32);
  RecordAreaStore& s = card.store;
  for (int i = 0; i < 64; ++i) ASSERT_EQ(s.addFeatureCode("C" + std::to_string(i)), i);
  EXPECT_EQ(s.featureCodeCount(), 64);
  EXPECT_EQ(s.featureCodeAt(63), "C63");
  const Bytes before = card.bytes();
  EXPECT_EQ(s.addFeatureCode("MORE"), kRefused);
  EXPECT_TRUE(test::sameImage(card.bytes(), before)) << "a refused code writes nothing";
  EXPECT_EQ(s.featureCodeCount(), 64);
}

TEST(FeatureCodes, ClearingEmptiesTheListButLeavesTheTexts) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.addFeatureCode("TREE"), 0);
  ASSERT_EQ(s.addFeatureCode("ROAD"), 1);
  const Bytes texts = card.bytes(0x0200, 512);
  EXPECT_EQ(s.clearFeatureCodes(), kDone);
  EXPECT_EQ(s.featureCodeCount(), 0);
  EXPECT_EQ(s.featureCodeAt(0), "");
  EXPECT_EQ(card.bytes(0x0110, 64), Bytes(64, 0xFF));
  EXPECT_EQ(card.bytes(0x0200, 512), texts);
  EXPECT_EQ(s.addFeatureCode("NEW"), 0);
}

TEST(FeatureCodes, DeletingPositionsBeyondTheTableIsRefused) {
  Card card(kRX3_8);
  ASSERT_EQ(card.store.addFeatureCode("TREE"), 0);
  const Bytes before = card.bytes();
  EXPECT_EQ(card.store.deleteFeatureCode(64), kRefused);
  EXPECT_EQ(card.store.deleteFeatureCode(200), kRefused);
  EXPECT_TRUE(test::sameImage(card.bytes(), before));
  EXPECT_EQ(card.store.featureCodeCount(), 1);
}

}  // namespace
}  // namespace vel
