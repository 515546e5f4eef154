#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "records/PointLine.h"
#include "records/SurveyRecord.h"

namespace vel {
namespace {

// Lays out a record the way the instrument does, byte by byte, without the
// store's conversions.
class RecordBytes {
 public:
  RecordBytes(bool bigEndian, uint8_t kind) : big_(bigEndian) { bytes_[0] = kind; }

  RecordBytes& text(int at, std::string_view s) {
    std::memcpy(bytes_.data() + at, s.data(), s.size());
    return *this;
  }
  RecordBytes& u32(int at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
      bytes_[at + i] = static_cast<uint8_t>(v >> (big_ ? 24 - 8 * i : 8 * i));
    return *this;
  }
  RecordBytes& u16(int at, uint16_t v) {
    for (int i = 0; i < 2; ++i)
      bytes_[at + i] = static_cast<uint8_t>(v >> (big_ ? 8 - 8 * i : 8 * i));
    return *this;
  }
  RecordBytes& real(int at, float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u32(at, u);
  }
  RecordBytes& fixed(int at, int32_t whole, int16_t thousandths) {
    u32(at, static_cast<uint32_t>(whole));
    return u16(at + 4, static_cast<uint16_t>(thousandths));
  }
  const std::array<uint8_t, 42>& bytes() const { return bytes_; }

 private:
  bool big_;
  std::array<uint8_t, 42> bytes_{};
};

// Records read the same on both byte orders once each field is in its order.
class OnBothByteOrders : public testing::TestWithParam<bool> {
 protected:
  bool big() const { return GetParam(); }
  ImageByteOrder order() const { return ImageByteOrder(!GetParam()); }
  RecordBytes record(uint8_t kind) const { return RecordBytes(big(), kind); }
  std::string textOf(const RecordBytes& r) const { return recordText(order(), r.bytes()); }
};

INSTANTIATE_TEST_SUITE_P(ByteOrders, OnBothByteOrders, testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Big" : "Little"; });

TEST_P(OnBothByteOrders, AngleRecordsShowAngleTwoFirstAndBacksightAngleOneFirst) {
  auto angles = [&](uint8_t kind) {
    return record(kind).text(1, "A1").real(19, 1.5f).u32(27, 324000).u32(31, 45296);
  };
  EXPECT_EQ(textOf(angles(kANG)), "ANG:  A1,1.500,12.3456,90.0000");
  EXPECT_EQ(textOf(angles(kBKB)), "BKB:  A1,1.500,90.0000,12.3456");
}

TEST_P(OnBothByteOrders, DistanceRecordShowsTheDistanceLastAndThenItsCode) {
  const auto r = record(kDIST)
                     .text(1, "P7")
                     .text(10, "TREE")
                     .real(19, 1.7f)
                     .real(23, 25.4321f)
                     .u32(27, 325815)
                     .u32(31, 1000000);
  EXPECT_EQ(textOf(r), "DIST: P7,1.700,277.4640,90.3015,25.432,TREE");
}

TEST_P(OnBothByteOrders, CoordinateRecordsShowRealValueAndNEZ) {
  auto coords = [&](uint8_t kind) {
    return record(kind)
        .text(1, "C9")
        .real(19, -2.5f)
        .fixed(23, 1234, 567)
        .fixed(29, -12, -345)
        .fixed(35, 0, -5);
  };
  EXPECT_EQ(textOf(coords(kCRD)), "CRD:  C9,-2.500,1234.567,-12.345,-0.005");
  EXPECT_EQ(textOf(coords(kCRD).text(10, "K1")), "CRD:  C9,-2.500,1234.567,-12.345,-0.005,K1");
  EXPECT_EQ(textOf(coords(kSTN)), "STN:  C9,-2.500,1234.567,-12.345,-0.005");
  EXPECT_EQ(textOf(coords(kBS).text(10, "K2")), "BS:  C9,-2.500,1234.567,-12.345,-0.005,K2");
}

TEST_P(OnBothByteOrders, PointRecordNeverShowsACode) {
  const auto r = record(kPT)
                     .text(1, "PT1")
                     .text(10, "JUNK")
                     .fixed(19, 100, 0)
                     .fixed(25, 200, 250)
                     .fixed(31, -1, -1);
  EXPECT_EQ(textOf(r), "PT:   PT1,100.000,200.250,-1.001");
}

TEST_P(OnBothByteOrders, NameEndsAtItsNulOrAfterNineBytes) {
  EXPECT_EQ(textOf(record(kANG).text(1, "ABCDEFGH")), "ANG:  ABCDEFGH,0.000,0.0000,0.0000");
  EXPECT_EQ(textOf(record(kANG)), "ANG:  ,0.000,0.0000,0.0000");
  // Nine bytes without a NUL, then the code right behind.
  EXPECT_EQ(textOf(record(kSTN).text(1, "ABCDEFGHI").text(10, "CODE56789")),
            "STN:  ABCDEFGHI,0.000,0.000,0.000,0.000,CODE56789");
  // A code with a NUL first is absent, whatever follows.
  EXPECT_EQ(textOf(record(kCRD).text(11, "X")), "CRD:  ,0.000,0.000,0.000,0.000");
}

TEST_P(OnBothByteOrders, NegativeStoredAngleShowsAsALargeAngle) {
  EXPECT_EQ(textOf(record(kBKB).u32(27, 0xFFFFFFFF)), "BKB:  ,0.000,13398.2815,0.0000");
}

TEST_P(OnBothByteOrders, DecodingLeavesTheBufferAsItWas) {
  const auto r = record(kCRD).text(1, "C9").real(19, 3.25f).fixed(23, 1, 2).u32(29, 77);
  const auto before = r.bytes();
  const std::string first = textOf(r);
  EXPECT_EQ(r.bytes(), before);
  EXPECT_EQ(textOf(r), first);
}

TEST_P(OnBothByteOrders, PointLinesOfPointAndSurveyRecords) {
  const auto pt = record(kPT)
                      .text(1, "A1")
                      .text(10, "JUNK")
                      .fixed(19, 100, 0)
                      .fixed(25, 200, 0)
                      .fixed(31, 5, 0);
  EXPECT_EQ(pointLineFromPointRecord(order(), pt.bytes()),
            buildPointLine("A1", "", "100.000", "200.000", "5.000"));

  const auto crd = record(kCRD)
                       .text(1, "C9")
                       .text(10, "K1")
                       .real(19, 9.0f)
                       .fixed(23, 1234, 567)
                       .fixed(29, -12, -345)
                       .fixed(35, 0, -5);
  const std::string line = pointLineFromSurveyRecord(order(), crd.bytes());
  EXPECT_EQ(line, buildPointLine("C9", "K1", "1234.567", "-12.345", "-0.005"));
  EXPECT_EQ(pointLineCode(line), "K1");
  EXPECT_EQ(pointLineCode(pointLineFromSurveyRecord(order(), record(kSTN).bytes())), "");
}

TEST_P(OnBothByteOrders, BuiltPointRecordReadsBackAsWritten) {
  std::array<uint8_t, 42> buffer;
  buffer.fill(0xEE);
  buildPointRecord(order(), "ABCDEFGHIJ", {1234, 567}, {-12, -345}, {0, -5}, buffer);
  const auto expected =
      record(kPT).text(1, "ABCDEFGH").fixed(19, 1234, 567).fixed(25, -12, -345).fixed(31, 0, -5);
  EXPECT_EQ(buffer, expected.bytes());
  EXPECT_EQ(recordText(order(), buffer), "PT:   ABCDEFGH,1234.567,-12.345,-0.005");
}

TEST_P(OnBothByteOrders, ReusedBufferKeepsNoTraceOfALongerName) {
  std::array<uint8_t, 42> buffer{};
  buildPointRecord(order(), "LONGNAME", {1, 0}, {2, 0}, {3, 0}, buffer);
  buildPointRecord(order(), "P2", {4, 0}, {5, 0}, {6, 0}, buffer);
  EXPECT_EQ(buffer,
            record(kPT).text(1, "P2").fixed(19, 4, 0).fixed(25, 5, 0).fixed(31, 6, 0).bytes());
}

TEST(SurveyRecordBytes, PointRecordOnABigEndianImage) {
  std::array<uint8_t, 42> buffer{};
  buildPointRecord(ImageByteOrder(false), "P1", {-12, -345}, {0x00002080, 1}, {0, 0}, buffer);
  const std::array<uint8_t, 42> expected = {
      4,    'P',  '1',  0, 0, 0,    0,    0,    0,    0,    0,    0,    0,    0,
      0,    0,    0,    0, 0, 0xFF, 0xFF, 0xFF, 0xF4, 0xFE, 0xA7, 0x00, 0x00, 0x20,
      0x80, 0x00, 0x01, 0, 0, 0,    0,    0,    0,    0,    0,    0,    0,    0};
  EXPECT_EQ(buffer, expected);
}

TEST(SurveyRecordBytes, PointRecordOnALittleEndianImage) {
  std::array<uint8_t, 42> buffer{};
  buildPointRecord(ImageByteOrder(true), "P1", {-12, -345}, {0x00002080, 1}, {0, 0}, buffer);
  const std::array<uint8_t, 42> expected = {
      4,    'P',  '1',  0, 0, 0,    0,    0,    0,    0,    0,    0,    0,    0,
      0,    0,    0,    0, 0, 0xF4, 0xFF, 0xFF, 0xFF, 0xA7, 0xFE, 0x80, 0x20, 0x00,
      0x00, 0x01, 0x00, 0, 0, 0,    0,    0,    0,    0,    0,    0,    0,    0};
  EXPECT_EQ(buffer, expected);
}

TEST(SurveyRecordText, UnknownKindsShowOnlyTheirLabel) {
  for (int kind : {7, 200, 255}) {
    std::array<uint8_t, 42> bytes{};
    bytes.fill('A');
    bytes[0] = static_cast<uint8_t>(kind);
    EXPECT_EQ(recordText(ImageByteOrder(), bytes), "Unknown Record");
  }
}

struct AngleCase {
  uint32_t seconds;
  const char* text;
};

class AngleText : public testing::TestWithParam<AngleCase> {};

TEST_P(AngleText, DegreesMinutesSecondsBehindOnePoint) {
  EXPECT_EQ(angleText(GetParam().seconds), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Angles, AngleText,
                         testing::Values(AngleCase{45296, "12.3456"}, AngleCase{324000, "90.0000"},
                                         AngleCase{3723, "1.0203"}, AngleCase{0, "0.0000"},
                                         AngleCase{1295999, "359.5959"},
                                         AngleCase{65536u * 3600u, "0.0000"},
                                         AngleCase{4294967295u, "13398.2815"}),
                         [](const auto& info) {
                           return "Seconds" + std::to_string(info.param.seconds);
                         });

}  // namespace
}  // namespace vel
