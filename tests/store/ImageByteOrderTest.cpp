// Numbers in record fields, in the byte order of big- and little-endian images.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "TestImage.h"

namespace vel {
namespace {

using Bytes = std::vector<uint8_t>;

const ImageByteOrder kBig(false);
const ImageByteOrder kLittle(true);

TEST(ReverseBytes, ExchangesByteIWithByteNMinusOneMinusI) {
  const Bytes source = {1, 2, 3, 4, 5, 6, 7};
  const struct {
    int n;
    Bytes expected;
  } cases[] = {{1, {1, 2, 3, 4, 5, 6, 7}}, {2, {2, 1, 3, 4, 5, 6, 7}}, {3, {3, 2, 1, 4, 5, 6, 7}},
               {4, {4, 3, 2, 1, 5, 6, 7}}, {6, {6, 5, 4, 3, 2, 1, 7}}, {7, {7, 6, 5, 4, 3, 2, 1}}};
  for (const auto& c : cases) {
    Bytes bytes = source;
    reverseBytes(bytes.data(), c.n);
    EXPECT_EQ(bytes, c.expected) << "n = " << c.n;
  }
}

TEST(HeaderWords, AreSwappedOnlyOnBigEndianImages) {
  EXPECT_EQ(kBig.swapInt16(0x1234), 0x3412);
  EXPECT_EQ(kBig.swapInt16(0xC180), 0x80C1);
  EXPECT_EQ(kLittle.swapInt16(0x1234), 0x1234);
  // The same call converts both ways.
  EXPECT_EQ(kBig.swapInt16(kBig.swapInt16(0xBEEF)), 0xBEEF);
}

TEST(RecordFields, AreStoredMostSignificantByteFirstOnBigEndianImages) {
  Bytes field(4, 0xEE);
  kBig.int32ToImage(0x00002080, field.data());
  EXPECT_EQ(field, (Bytes{0x00, 0x00, 0x20, 0x80}));
  kBig.int32ToImage(-2, field.data());
  EXPECT_EQ(field, (Bytes{0xFF, 0xFF, 0xFF, 0xFE}));

  Bytes word(3, 0xEE);
  kBig.int16ToImage(0x1234, word.data());
  EXPECT_EQ(word, (Bytes{0x12, 0x34, 0xEE})) << "writes exactly two bytes";

  Bytes fixed(7, 0xEE);
  kBig.fixedToImage({-12, -345}, fixed.data());
  EXPECT_EQ(fixed, (Bytes{0xFF, 0xFF, 0xFF, 0xF4, 0xFE, 0xA7, 0xEE}));
}

TEST(RecordFields, AreStoredLeastSignificantByteFirstOnLittleEndianImages) {
  Bytes field(4, 0xEE);
  kLittle.int32ToImage(0x00002080, field.data());
  EXPECT_EQ(field, (Bytes{0x80, 0x20, 0x00, 0x00}));

  Bytes word(3, 0xEE);
  kLittle.int16ToImage(0x1234, word.data());
  EXPECT_EQ(word, (Bytes{0x34, 0x12, 0xEE}));

  Bytes fixed(7, 0xEE);
  kLittle.fixedToImage({-12, -345}, fixed.data());
  EXPECT_EQ(fixed, (Bytes{0xF4, 0xFF, 0xFF, 0xFF, 0xA7, 0xFE, 0xEE}));
}

TEST(RecordFields, ReadBackInTheirOwnByteOrder) {
  const Bytes bigInt = {0x00, 0x00, 0x20, 0x80};
  const Bytes littleInt = {0x80, 0x20, 0x00, 0x00};
  EXPECT_EQ(kBig.int32FromImage(bigInt.data()), 0x2080);
  EXPECT_EQ(kLittle.int32FromImage(littleInt.data()), 0x2080);

  const Bytes bigFloat = {0x3F, 0xC0, 0x00, 0x00};  // 1.5
  const Bytes littleFloat = {0x00, 0x00, 0xC0, 0x3F};
  EXPECT_FLOAT_EQ(kBig.float32FromImage(bigFloat.data()), 1.5f);
  EXPECT_FLOAT_EQ(kLittle.float32FromImage(littleFloat.data()), 1.5f);

  const Bytes bigFixed = {0xFF, 0xFF, 0xFF, 0xF4, 0xFE, 0xA7};
  const Bytes littleFixed = {0xF4, 0xFF, 0xFF, 0xFF, 0xA7, 0xFE};
  EXPECT_EQ(kBig.fixedFromImage(bigFixed.data()), (FixedValue{-12, -345}));
  EXPECT_EQ(kLittle.fixedFromImage(littleFixed.data()), (FixedValue{-12, -345}));
}

TEST(RecordFields, SurviveARoundTripInBothOrders) {
  const FixedValue values[] = {{0, 0}, {0, -1}, {1234, 500}, {-999999, -999}, {INT32_MAX, 999}};
  for (const ImageByteOrder* order : {&kBig, &kLittle}) {
    for (const FixedValue& v : values) {
      Bytes field(6);
      order->fixedToImage(v, field.data());
      EXPECT_EQ(order->fixedFromImage(field.data()), v)
          << "little-endian " << order->littleEndian();
    }
  }
}

// A record may be decoded again (the viewer and the point output both read it),
// so decoding must leave the bytes as they are.
TEST(RecordFields, DecodingLeavesTheRecordBytesAsTheyAre) {
  Bytes record = {0x00, 0x00, 0x20, 0x80, 0x3F, 0xC0, 0x00,
                  0x00, 0xFF, 0xFF, 0xFF, 0xF4, 0xFE, 0xA7};
  const Bytes original = record;
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_EQ(kBig.int32FromImage(&record[0]), 0x2080) << "pass " << pass;
    EXPECT_FLOAT_EQ(kBig.float32FromImage(&record[4]), 1.5f) << "pass " << pass;
    EXPECT_EQ(kBig.fixedFromImage(&record[8]), (FixedValue{-12, -345})) << "pass " << pass;
  }
  EXPECT_EQ(record, original);
}

}  // namespace
}  // namespace vel
