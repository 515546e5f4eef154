// Recognising the instrument model of an image, and formatting a record area.
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "TestImage.h"

namespace vel {
namespace {

using test::Bytes;
using test::Card;
using test::TempImage;

// --- Formatting writes exactly the empty tables of the model ---------------------

struct ByteRun {
  long long offset;
  Bytes pattern;
  int times = 1;
};

struct FreshFormat {
  const char* name;
  int model;
  int sectors;
  std::vector<ByteRun> runs;  // every byte formatting writes
};

std::ostream& operator<<(std::ostream& out, const FreshFormat& f) {
  return out << f.name;
}

Bytes ff(int n) {
  return Bytes(static_cast<size_t>(n), 0xFF);
}

const FreshFormat kFreshFormats[] = {
    {"RX3_8_8320",
     kRX3_8,
     8320,
     {{0x0100, {0xFF}},
      {0x0101, {0xC1, 0x80}},  // 49536 free records
      {0x0103, {0x00, 0x00}},
      {0x0105, {0xCC, 0x88}},
      {0x0110, ff(64)},
      {0x0180, ff(128)},
      {0x0C00, {0xFF, 0x00}, 1032},
      {0x1500, ff(65 * 128)}}},
    {"RX3_8_8704",
     kRX3_8,
     8704,
     {{0x0100, {0xFF}},
      {0x0101, {0xCA, 0x80}},  // 51840
      {0x0103, {0x00, 0x00}},
      {0x0105, {0xCC, 0x77}},
      {0x0110, ff(64)},
      {0x0180, ff(128)},
      {0x0C00, {0xFF, 0x00}, 1080},
      {0x1500, ff(68 * 128)}}},
    {"RX2_8",
     kRX2_8,
     8320,
     {{0x0100, {0xFF}},
      {0x0101, {0xC1, 0x80}},
      {0x0103, {0x00, 0x00}},
      {0x0105, {0xDD, 0x88}},
      {0x0110, ff(64)},
      {0x0180, ff(128)},
      {0x0C00, {0xFF, 0x00}, 1032},
      {0x1500, ff(65 * 128)}}},
    {"RX3_32",
     kRX3_32,
     8312,
     {{0x0100, {0x88, 0xCC}},
      {0x0120, {0xFF}},
      {0x0122, {0x50, 0xC1}},  // 49488, little-endian
      {0x0126, {0x00, 0x00}},
      {0x0140, ff(64)},
      {0x0180, ff(128)},
      {0x0C00, {0xFF, 0x00}, 1031},
      {0x1500, ff(65 * 128)}}},
    {"RX9_32",
     kRX9_32,
     8312,
     {{0x0100, {0x99, 0xDD}},
      {0x0120, {0xFF}},
      {0x0122, {0x50, 0xC1}},
      {0x0126, {0x00, 0x00}},
      {0x0140, ff(64)},
      {0x0180, ff(128)},
      {0x0C00, {0xFF, 0x00}, 1031},
      {0x1500, ff(65 * 128)}}},
};

class FreshlyFormatted : public ::testing::TestWithParam<FreshFormat> {};

TEST_P(FreshlyFormatted, ImageHoldsTheEmptyTablesAndNothingElseChanged) {
  const FreshFormat& f = GetParam();
  const uint8_t fill = 0x5A;  // not a byte formatting writes anywhere
  Card card(f.model, f.sectors, fill);

  Bytes expected(static_cast<size_t>(f.sectors) * 256, fill);
  for (const ByteRun& run : f.runs) {
    for (int i = 0; i < run.times; ++i) {
      test::put(expected, run.offset + i * static_cast<long long>(run.pattern.size()), run.pattern);
    }
  }
  EXPECT_TRUE(test::sameImage(card.bytes(), expected));
}

TEST_P(FreshlyFormatted, IsRecognisedAsTheSameModelAndEmpty) {
  const FreshFormat& f = GetParam();
  Card card(f.model, f.sectors, 0x00);
  const int blocks = f.sectors / 8 - 8;

  RecordAreaStore other;
  ASSERT_TRUE(other.openImage(card.image.path()));
  ASSERT_EQ(other.detectModel(), kModelRecognised);
  other.loadTables();
  for (RecordAreaStore* store : {&card.store, &other}) {
    SCOPED_TRACE(store == &other ? "store that detected the image" : "store that formatted it");
    EXPECT_EQ(store->instrumentModel(), f.model);
    EXPECT_EQ(store->sectorCount(), f.sectors);
    EXPECT_EQ(store->blockCount(), blocks);
    EXPECT_EQ(store->capacity(), blocks * 48);
    EXPECT_EQ(store->freeRecords(), blocks * 48);
    EXPECT_EQ(store->jobCount(), 0);
    EXPECT_EQ(store->featureCodeCount(), 0);
    EXPECT_EQ(store->recordCount(store->knownPointFile()), 0);
    EXPECT_FALSE(store->locateRecord(store->knownPointFile(), 0).has_value());
    EXPECT_FALSE(store->hasCurrentJob());
    EXPECT_EQ(store->currentJob(), 0xFF);
    for (int b = 0; b < blocks; b += 97) {
      EXPECT_EQ(store->allocationEntry(b).owner, 0xFF);
      EXPECT_EQ(store->allocationEntry(b).count, 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryModel, FreshlyFormatted, ::testing::ValuesIn(kFreshFormats),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Formatting, EmptiesARecognisedRecordAreaAndKeepsItsModel) {
  Card card(kRX2_8);
  RecordAreaStore& store = card.store;
  ASSERT_EQ(store.createJob("JOB1"), 0);
  ASSERT_EQ(test::appendPoint(store, 0, "P1"), kDone);
  ASSERT_EQ(test::appendPoint(store, store.knownPointFile(), "K1"), kDone);
  ASSERT_EQ(store.addFeatureCode("TREE"), 0);

  ASSERT_EQ(card.store.detectModel(), kModelRecognised);
  card.store.loadTables();
  ASSERT_EQ(store.formatRecordArea(), kDone);
  EXPECT_EQ(store.instrumentModel(), kRX2_8);
  EXPECT_EQ(store.jobCount(), 0);
  EXPECT_EQ(store.freeRecords(), 49536);
  EXPECT_EQ(store.featureCodeCount(), 0);
  EXPECT_EQ(store.recordCount(store.knownPointFile()), 0);
  EXPECT_EQ(card.bytes(0x0105, 2), (Bytes{0xDD, 0x88}));
  // The directory, code table and data blocks keep their old bytes.
  EXPECT_EQ(card.bytes(0x0400, 5), (Bytes{'J', 'O', 'B', '1', 0}));
  EXPECT_EQ(card.bytes(0x0200, 5), (Bytes{'T', 'R', 'E', 'E', 0}));
  EXPECT_EQ(card.bytes(0x4001, 2), (Bytes{'P', '1'}));
}

TEST(StoreAtStart, AssumesTheCommonestModelWithNothingLoaded) {
  RecordAreaStore store;
  EXPECT_EQ(store.instrumentModel(), kRX3_8);
  EXPECT_EQ(store.sectorCount(), 8320);
  EXPECT_EQ(store.blockCount(), 1032);
  EXPECT_EQ(store.capacity(), 49536);
  EXPECT_EQ(store.layout(), 0);
  EXPECT_FALSE(store.byteOrder().littleEndian());
  EXPECT_EQ(store.entrySize(), 16);
  EXPECT_EQ(store.jobLimit(), 128);
  EXPECT_EQ(store.knownPointFile(), 128);
  EXPECT_EQ(store.currentJob(), 0xFF);
  EXPECT_EQ(store.freeRecords(), 0);
  EXPECT_EQ(store.detectModel(), kNoImage);
}

TEST(ModelNames, FollowTheModelIndex) {
  EXPECT_STREQ(modelName(0), "RX3-8");
  EXPECT_STREQ(modelName(1), "RX2-8");
  EXPECT_STREQ(modelName(2), "RX3-32");
  EXPECT_STREQ(modelName(3), "RX9-32");
  EXPECT_STREQ(modelName(4), "");
  EXPECT_STREQ(modelName(-1), "");
}

// --- Detection -----------------------------------------------------------------

struct Patch {
  long long offset;
  Bytes bytes;
};

struct Geometry {
  int model, sectors, layout;
  bool littleEndian;
  int blocks, capacity, jobLimit, entrySize, knownPointFile;
};

constexpr Geometry kRX3_8Geometry{kRX3_8, 8320, 0, false, 1032, 49536, 128, 16, 128};
constexpr Geometry kRX3_8LongGeometry{kRX3_8, 8704, 0, false, 1080, 51840, 128, 16, 128};
constexpr Geometry kRX2_8Geometry{kRX2_8, 8320, 0, false, 1032, 49536, 128, 16, 128};
constexpr Geometry kRX3_32Geometry{kRX3_32, 8312, 1, true, 1031, 49488, 128, 16, 128};
constexpr Geometry kRX9_32Geometry{kRX9_32, 8312, 1, true, 1031, 49488, 32, 64, 32};

void expectGeometry(const RecordAreaStore& store, const Geometry& g) {
  EXPECT_EQ(store.instrumentModel(), g.model);
  EXPECT_EQ(store.sectorCount(), g.sectors);
  EXPECT_EQ(store.layout(), g.layout);
  EXPECT_EQ(store.byteOrder().littleEndian(), g.littleEndian);
  EXPECT_EQ(store.blockCount(), g.blocks);
  EXPECT_EQ(store.capacity(), g.capacity);
  EXPECT_EQ(store.jobLimit(), g.jobLimit);
  EXPECT_EQ(store.entrySize(), g.entrySize);
  EXPECT_EQ(store.knownPointFile(), g.knownPointFile);
}

struct DetectCase {
  const char* name;
  std::vector<Patch> patches;  // on an image of 0xFF bytes
  uint8_t result;
  std::optional<Geometry> geometry;  // when recognised
};

std::ostream& operator<<(std::ostream& out, const DetectCase& c) {
  return out << c.name;
}

Bytes jobOrder(std::initializer_list<int> entries) {
  Bytes table(128, 0xFF);
  int i = 0;
  for (int e : entries) table[i++] = static_cast<uint8_t>(e);
  return table;
}

Bytes listingAll(int n, int emptyFrom) {
  Bytes table(128, 0xFF);
  for (int i = 0; i < n && i < emptyFrom; ++i) table[i] = static_cast<uint8_t>(i);
  return table;
}

const DetectCase kDetectCases[] = {
    {"CC88AtLayout0Address", {{0x0105, {0xCC, 0x88}}}, kModelRecognised, kRX3_8Geometry},
    {"CC88AtLayout0AddressBesidesOtherLayout1Word",
     {{0x0100, {0x88, 0xCD}}, {0x0105, {0xCC, 0x88}}},
     kModelRecognised,
     kRX3_8Geometry},
    {"CC77IsTheLongRX3_8", {{0x0105, {0xCC, 0x77}}}, kModelRecognised, kRX3_8LongGeometry},
    {"DD88IsRX2_8", {{0x0105, {0xDD, 0x88}}}, kModelRecognised, kRX2_8Geometry},
    {"88CCAtLayout1AddressWinsOverLayout0Word",
     {{0x0100, {0x88, 0xCC}}, {0x0105, {0xDD, 0x88}}},
     kModelRecognised,
     kRX3_32Geometry},
    {"99DDIsRX9_32", {{0x0100, {0x99, 0xDD}}}, kModelRecognised, kRX9_32Geometry},
    // Words in the wrong byte order are not format words.
    {"CC88AtLayout1Address", {{0x0100, {0xCC, 0x88}}}, kModelNotRecognised, {}},
    {"88CCAtLayout0Address", {{0x0105, {0x88, 0xCC}}}, kModelNotRecognised, {}},
    {"DD99AtLayout1Address", {{0x0100, {0xDD, 0x99}}}, kModelNotRecognised, {}},
    // Unknown format word: the job order table decides between 2 and 0.
    {"JobOrder012", {{0x0180, jobOrder({0, 1, 2})}}, kModelJobOrderPlausible, {}},
    {"JobOrderEmpty", {}, kModelNotRecognised, {}},
    {"JobOrderEntryAfterEmpty", {{0x0180, jobOrder({0xFF, 3})}}, kModelNotRecognised, {}},
    {"JobOrderGapThenEntry", {{0x0180, jobOrder({0, 1, 0xFF, 0xFF, 7})}}, kModelNotRecognised, {}},
    {"JobOrderDuplicate", {{0x0180, jobOrder({4, 4})}}, kModelNotRecognised, {}},
    {"JobOrderLaterDuplicate", {{0x0180, jobOrder({5, 0, 5})}}, kModelNotRecognised, {}},
    {"JobOrderEntry128Accepted", {{0x0180, jobOrder({128})}}, kModelJobOrderPlausible, {}},
    {"JobOrderEntry129", {{0x0180, jobOrder({0, 129})}}, kModelNotRecognised, {}},
    {"JobOrderFull", {{0x0180, listingAll(128, 128)}}, kModelJobOrderPlausible, {}},
    {"JobOrder127Listed", {{0x0180, listingAll(128, 127)}}, kModelJobOrderPlausible, {}},
    {"JobOrderZeros", {{0x0180, Bytes(128, 0)}}, kModelNotRecognised, {}},
};

class Detection : public ::testing::TestWithParam<DetectCase> {};

TEST_P(Detection, TellsTheModelFromTheFormatWord) {
  const DetectCase& c = GetParam();
  TempImage image(test::kSize8320);
  for (const Patch& p : c.patches) image.write(p.offset, p.bytes);
  RecordAreaStore store;
  ASSERT_TRUE(store.openImage(image.path()));
  EXPECT_EQ(store.detectModel(), c.result);
  if (c.geometry) {
    expectGeometry(store, *c.geometry);
    EXPECT_TRUE(store.modelSettled());
  } else {
    // Unrecognised: the start model stays, in layout 0 terms.
    expectGeometry(store, kRX3_8Geometry);
    EXPECT_FALSE(store.modelSettled());
  }
  Bytes untouched(0x4000, 0xFF);
  for (const Patch& p : c.patches) test::put(untouched, p.offset, p.bytes);
  EXPECT_TRUE(test::sameImage(image.read(0, 0x4000), untouched)) << "detection only reads";
}

INSTANTIATE_TEST_SUITE_P(Cases, Detection, ::testing::ValuesIn(kDetectCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Detection, OfAnUnknownImageKeepsTheLastModelButUsesLayout0Terms) {
  Card rx9(kRX9_32);
  TempImage blank(test::kSize8320);
  RecordAreaStore store;
  ASSERT_TRUE(store.openImage(rx9.image.path()));
  ASSERT_EQ(store.detectModel(), kModelRecognised);
  store.closeImage();
  ASSERT_TRUE(store.openImage(blank.path()));
  EXPECT_EQ(store.detectModel(), kModelNotRecognised);
  EXPECT_EQ(store.instrumentModel(), kRX9_32);
  EXPECT_EQ(store.sectorCount(), 8312);
  EXPECT_EQ(store.layout(), 0);
  EXPECT_FALSE(store.byteOrder().littleEndian());
  EXPECT_EQ(store.entrySize(), 16);
  EXPECT_EQ(store.jobLimit(), 128);
  EXPECT_EQ(store.knownPointFile(), 128);
}

TEST(Detection, WithoutAnImageReports255) {
  RecordAreaStore store;
  EXPECT_EQ(store.detectModel(), kNoImage);
  TempImage image(test::kSize8320);
  ASSERT_TRUE(store.openImage(image.path()));
  store.closeImage();
  EXPECT_EQ(store.detectModel(), kNoImage);
}

// A truncated card: what could not be read is not taken for a format word.
TEST(Detection, OfAnImageShorterThanItsHeaderFailsItsReads) {
  {
    TempImage empty(0);
    RecordAreaStore store;
    ASSERT_TRUE(store.openImage(empty.path()));
    EXPECT_EQ(store.detectModel(), kNoImage) << "neither word could be read";
  }
  {
    TempImage tiny(0x0101);  // one byte of the layout 1 word
    RecordAreaStore store;
    ASSERT_TRUE(store.openImage(tiny.path()));
    EXPECT_EQ(store.detectModel(), kNoImage);
  }
  {
    TempImage shortImage(0x0106);  // the layout 1 word, half of the layout 0 word
    shortImage.write(0x0105, {0xCC});
    RecordAreaStore store;
    ASSERT_TRUE(store.openImage(shortImage.path()));
    EXPECT_EQ(store.detectModel(), kModelNotRecognised);
  }
  {
    // Job order table cut short: its missing bytes are no evidence of jobs.
    TempImage shortImage(0x0183);
    shortImage.write(0x0180, {0, 1, 2});
    RecordAreaStore store;
    ASSERT_TRUE(store.openImage(shortImage.path()));
    EXPECT_EQ(store.detectModel(), kModelNotRecognised);
  }
}

// --- The model formatting gives an image detection did not recognise ------------

struct UnrecognisedCase {
  const char* name;
  long long size;
  std::optional<Geometry> recognisedBefore;  // a model detected earlier in this run
  Geometry formattedAs;
  Patch formatWord;
};

std::ostream& operator<<(std::ostream& out, const UnrecognisedCase& c) {
  return out << c.name;
}

const UnrecognisedCase kUnrecognisedCases[] = {
    {"LongSizeIsRX3_8With8704", test::kSize8704, {}, kRX3_8LongGeometry, {0x0105, {0xCC, 0x77}}},
    {"LongSizeAfterRX9_32",
     test::kSize8704,
     kRX9_32Geometry,
     kRX3_8LongGeometry,
     {0x0105, {0xCC, 0x77}}},
    {"Size8320IsRX3_8", test::kSize8320, {}, kRX3_8Geometry, {0x0105, {0xCC, 0x88}}},
    {"Size8320AfterRX2_8IsRX2_8",
     test::kSize8320,
     kRX2_8Geometry,
     kRX2_8Geometry,
     {0x0105, {0xDD, 0x88}}},
    {"Size8320AfterRX3_32IsRX3_8",
     test::kSize8320,
     kRX3_32Geometry,
     kRX3_8Geometry,
     {0x0105, {0xCC, 0x88}}},
    {"Size8320AfterLongRX3_8IsRX3_8With8320",
     test::kSize8320,
     kRX3_8LongGeometry,
     kRX3_8Geometry,
     {0x0105, {0xCC, 0x88}}},
    {"Size8312IsRX3_32", test::kSize8312, {}, kRX3_32Geometry, {0x0100, {0x88, 0xCC}}},
    {"Size8312AfterRX9_32IsRX9_32",
     test::kSize8312,
     kRX9_32Geometry,
     kRX9_32Geometry,
     {0x0100, {0x99, 0xDD}}},
    {"Size8312AfterRX2_8IsRX3_32",
     test::kSize8312,
     kRX2_8Geometry,
     kRX3_32Geometry,
     {0x0100, {0x88, 0xCC}}},
    {"OtherSizeIsRX3_8", 3000000, {}, kRX3_8Geometry, {0x0105, {0xCC, 0x88}}},
    {"OtherSizeAfterRX9_32IsRX9_32",
     3000000,
     kRX9_32Geometry,
     kRX9_32Geometry,
     {0x0100, {0x99, 0xDD}}},
    {"OtherSizeAfterRX2_8IsRX2_8", 3000000, kRX2_8Geometry, kRX2_8Geometry, {0x0105, {0xDD, 0x88}}},
    {"OtherSizeAfterRX3_32IsRX3_32",
     3000000,
     kRX3_32Geometry,
     kRX3_32Geometry,
     {0x0100, {0x88, 0xCC}}},
};

class FormattingUnrecognised : public ::testing::TestWithParam<UnrecognisedCase> {};

TEST_P(FormattingUnrecognised, UsesOneModelThatDetectionThenRecognises) {
  const UnrecognisedCase& c = GetParam();
  RecordAreaStore store(test::fixedClock());
  std::unique_ptr<Card> earlier;
  if (c.recognisedBefore) {
    earlier = std::make_unique<Card>(c.recognisedBefore->model, c.recognisedBefore->sectors);
    ASSERT_TRUE(store.openImage(earlier->image.path()));
    ASSERT_EQ(store.detectModel(), kModelRecognised);
    store.closeImage();
  }
  TempImage blank(c.size, 0x00);
  ASSERT_TRUE(store.openImage(blank.path()));
  ASSERT_NE(store.detectModel(), kModelRecognised);

  EXPECT_EQ(store.modelForUnrecognisedImage(),
            std::make_pair(c.formattedAs.model, c.formattedAs.sectors));
  ASSERT_EQ(store.formatRecordArea(), kDone);
  ASSERT_TRUE(store.commitImage());
  store.loadTables();
  expectGeometry(store, c.formattedAs);
  EXPECT_EQ(store.freeRecords(), c.formattedAs.capacity);
  EXPECT_EQ(blank.read(c.formatWord.offset, 2), c.formatWord.bytes);

  // Everything of the model, free count and allocation table included.
  const int blocks = c.formattedAs.blocks;
  const long long freeCount = c.formattedAs.layout == 0 ? 0x0101 : 0x0122;
  const Bytes capacity =
      c.formattedAs.littleEndian
          ? Bytes{uint8_t(c.formattedAs.capacity & 0xFF), uint8_t(c.formattedAs.capacity >> 8)}
          : Bytes{uint8_t(c.formattedAs.capacity >> 8), uint8_t(c.formattedAs.capacity & 0xFF)};
  EXPECT_EQ(blank.read(freeCount, 2), capacity);
  EXPECT_EQ(blank.read(0x0C00 + 2 * (blocks - 1), 4), (Bytes{0xFF, 0x00, 0x00, 0x00}))
      << "allocation table of exactly " << blocks << " blocks";

  RecordAreaStore fresh;
  ASSERT_TRUE(fresh.openImage(blank.path()));
  ASSERT_EQ(fresh.detectModel(), kModelRecognised);
  expectGeometry(fresh, c.formattedAs);
  fresh.loadTables();
  EXPECT_EQ(fresh.freeRecords(), c.formattedAs.capacity);
  EXPECT_EQ(fresh.jobCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(BySizeAndHistory, FormattingUnrecognised,
                         ::testing::ValuesIn(kUnrecognisedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FormattingUnrecognised, OnlyRecognitionCountsAsTheLastModel) {
  Card rx2(kRX2_8);
  Card rx3(kRX3_8);
  RecordAreaStore store;
  ASSERT_TRUE(store.openImage(rx2.image.path()));
  ASSERT_EQ(store.detectModel(), kModelRecognised);
  store.closeImage();
  ASSERT_TRUE(store.openImage(rx3.image.path()));
  ASSERT_EQ(store.detectModel(), kModelRecognised);
  store.closeImage();

  TempImage blank(test::kSize8320);
  ASSERT_TRUE(store.openImage(blank.path()));
  ASSERT_EQ(store.detectModel(), kModelNotRecognised);
  ASSERT_EQ(store.formatRecordArea(), kDone);
  ASSERT_TRUE(store.commitImage());
  EXPECT_EQ(blank.read(0x0105, 2), (Bytes{0xCC, 0x88})) << "RX3-8 was recognised last";
}

// --- Another store opening the same image sees everything ---------------------

TEST(Reopening, ShowsTheSameJobsRecordsPointsAndCodes) {
  for (int model : {kRX3_8, kRX9_32}) {
    SCOPED_TRACE(modelName(model));
    Card card(model);
    RecordAreaStore& s = card.store;
    ASSERT_EQ(s.createJob("ALPHA"), 0);
    ASSERT_EQ(s.createJob("BETA"), 1);
    for (int i = 0; i < 50; ++i) ASSERT_EQ(test::appendPoint(s, 1, "B" + std::to_string(i)), kDone);
    ASSERT_EQ(test::appendPoint(s, 0, "A0"), kDone);
    ASSERT_EQ(test::appendPoint(s, s.knownPointFile(), "K0"), kDone);
    ASSERT_EQ(s.addFeatureCode("ROAD"), 0);
    ASSERT_EQ(s.deleteJob(0), kDone);
    ASSERT_TRUE(s.commitImage());

    RecordAreaStore other(test::fixedClock());
    ASSERT_TRUE(other.openImage(card.image.path()));
    ASSERT_EQ(other.detectModel(), kModelRecognised);
    other.loadTables();
    EXPECT_EQ(other.jobCount(), 1);
    EXPECT_EQ(other.jobSlotAt(0), 1);
    EXPECT_EQ(other.jobName(1), "BETA");
    EXPECT_EQ(other.recordCount(1), 50);
    EXPECT_EQ(test::namesOf(other, 1), test::namesOf(s, 1));
    EXPECT_EQ(other.freeRecords(), s.freeRecords());
    EXPECT_EQ(other.freeRecords(), other.capacity() - 51);
    EXPECT_EQ(other.recordCount(other.knownPointFile()), 1);
    EXPECT_EQ(other.featureCodeAt(0), "ROAD");
    EXPECT_EQ(other.jobEntry(other.jobSlotAt(0)).name, s.jobEntry(s.jobSlotAt(0)).name);
    for (int b = 0; b < other.blockCount(); ++b) {
      ASSERT_EQ(other.allocationEntry(b).owner, s.allocationEntry(b).owner) << "block " << b;
      ASSERT_EQ(other.allocationEntry(b).count, s.allocationEntry(b).count) << "block " << b;
    }
  }
}

}  // namespace
}  // namespace vel
