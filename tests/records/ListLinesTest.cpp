// The list rows the main window and velcard show for jobs and known points.
#include <gtest/gtest.h>

#include "TestImage.h"
#include "card/CardSession.h"
#include "records/ListLines.h"
#include "records/SurveyRecord.h"

namespace vel {
namespace {

using test::Bytes;
using test::Card;

// The lists as the session reads them from the card's image, the store's
// writes committed first.
std::vector<std::string> jobLines(Card& card) {
  EXPECT_TRUE(card.store.commitImage());
  CardSession session;
  EXPECT_EQ(session.open(card.image.path()), OpenStatus::kLoaded);
  return session.jobLines();
}

std::vector<std::string> knownLines(Card& card) {
  EXPECT_TRUE(card.store.commitImage());
  CardSession session;
  EXPECT_EQ(session.open(card.image.path()), OpenStatus::kLoaded);
  return session.knownPointLines();
}

TEST(JobListLines, ShowNameAndCountAndMarkTheCurrentJob) {
  Card card(kRX3_8);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("OTHER"), 0);
  ASSERT_EQ(s.createJob("TEST"), 1);
  for (int i = 0; i < 12; ++i) ASSERT_EQ(test::appendPoint(s, 1, "P"), kDone);
  EXPECT_EQ(jobLines(card),
            (std::vector<std::string>{" OTHER                0", " TEST                12"}));
  card.patch(0x0100, {1});
  EXPECT_EQ(jobLines(card),
            (std::vector<std::string>{" OTHER                0", "*TEST                12"}));
  card.patch(0x0400 + 16 + 9, {0x30, 0x39});  // 12345 records
  ASSERT_EQ(s.renameJob(1, "ABCDEFGH"), kDone);
  EXPECT_EQ(jobLines(card).at(1), "*ABCDEFGH         12345");
}

TEST(JobListLines, OnRX9_32AddTheCreationDate) {
  Card card(kRX9_32);
  RecordAreaStore& s = card.store;
  ASSERT_EQ(s.createJob("JOB1"), 0);
  for (int i = 0; i < 7; ++i) ASSERT_EQ(test::appendPoint(s, 0, "P"), kDone);
  EXPECT_EQ(jobLines(card), std::vector<std::string>{" JOB1           7      24-03-07  9:05"});
  card.patch(0x0120, {0});
  EXPECT_EQ(jobLines(card), std::vector<std::string>{"*JOB1           7      24-03-07  9:05"});
}

struct DateCase {
  JobTime time;
  const char* text;
};

TEST(JobDates, ShowTwoDigitYearAndSpacePaddedHour) {
  const DateCase cases[] = {{{2024, 3, 7, 9, 5}, "24-03-07  9:05"},
                            {{1999, 12, 31, 23, 59}, "99-12-31 23:59"},
                            {{2000, 1, 1, 0, 0}, "00-01-01  0:00"},
                            {{2105, 10, 9, 10, 0}, "05-10-09 10:00"}};
  for (const DateCase& c : cases) EXPECT_EQ(formatJobDate(c.time), c.text);
}

TEST(KnownPointLines, ShowNameAndWideCoordinates) {
  for (int model : {kRX3_8, kRX9_32}) {
    SCOPED_TRACE(modelName(model));
    Card card(model);
    RecordAreaStore& s = card.store;
    ASSERT_EQ(test::addKnownPoint(s, "A1", {1234, 500}, {0, -250}, {12, 0}), kDone);
    ASSERT_EQ(test::addKnownPoint(s, "ABCDEFGH", {-999999, -999}, {9999999, 999}, {0, 0}), kDone);
    EXPECT_EQ(knownLines(card),
              (std::vector<std::string>{"A1           1234.500        -0.250        12.000 ",
                                        "ABCDEFGH  -999999.999   9999999.999         0.000 "}));
  }
}

TEST(KnownPointLines, ReadTheCoordinatesInTheImageByteOrder) {
  Card big(kRX3_8);
  ASSERT_EQ(test::addKnownPoint(big.store, "A1", {1234, 500}, {0, -250}, {12, 0}), kDone);
  EXPECT_EQ(big.bytes(0x4000 + 19, 18),
            (Bytes{0x00, 0x00, 0x04, 0xD2, 0x01, 0xF4, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x06, 0x00,
                   0x00, 0x00, 0x0C, 0x00, 0x00}));
  Card little(kRX9_32);
  ASSERT_EQ(test::addKnownPoint(little.store, "A1", {1234, 500}, {0, -250}, {12, 0}), kDone);
  EXPECT_EQ(little.bytes(0x4000 + 19, 18),
            (Bytes{0xD2, 0x04, 0x00, 0x00, 0xF4, 0x01, 0x00, 0x00, 0x00, 0x00, 0x06, 0xFF, 0x0C,
                   0x00, 0x00, 0x00, 0x00, 0x00}));

  // The same bytes read in the other byte order give other values.
  const Bytes record = little.bytes(0x4000, kRecordSize);
  const RecordView view(record.data(), kRecordSize);
  EXPECT_EQ(knownPointLine(ImageByteOrder(true), view),
            "A1           1234.500        -0.250        12.000 ");
  EXPECT_NE(knownPointLine(ImageByteOrder(false), view),
            knownPointLine(ImageByteOrder(true), view));
}

DirectoryEntry jobEntry(std::string_view name, uint16_t count, JobTime created) {
  DirectoryEntry entry = DirectoryEntry::named(name);
  entry.recordCount = count;
  entry.created = created;
  return entry;
}

// Rows copied to the clipboard: the columns' blanks give way to tabs, and a
// name keeps the blanks inside it.
TEST(ListRowFields, CutTheColumnsWhereTheRowsPutThem) {
  const struct {
    const char* what;
    std::string (*fields)(std::string_view);
    std::string row;
    std::string copied;
  } cases[] = {
      {"known point", knownPointFields, knownPointText("A1", {1234, 500}, {0, -250}, {12, 0}),
       "A1\t1234.500\t-0.250\t12.000"},
      {"known point with a full name and wide values", knownPointFields,
       knownPointText("AB CDEFG", {-999999, -999}, {9999999, 999}, {0, 0}),
       "AB CDEFG\t-999999.999\t9999999.999\t0.000"},
      {"current job, dated", jobListFields,
       jobListLine(jobEntry("JOB 1", 25, {2024, 5, 6, 7, 8}), true, true),
       "JOB 1\t25\t24-05-06  7:08"},
      {"job without a date", jobListFields,
       jobListLine(jobEntry("ABCDEFGH", 3072, {}), false, false), "ABCDEFGH\t3072"},
      {"PT record", recordFields, "PT:   P1,1234.567,-12.345,-0.005",
       "PT\tP1\t1234.567\t-12.345\t-0.005"},
      {"BS record, its label one blank shorter", recordFields, "BS:  B1,0.000,1.000,2.000,3.000",
       "BS\tB1\t0.000\t1.000\t2.000\t3.000"},
      {"unknown record", recordFields, "Unknown Record", "Unknown Record"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.fields(c.row), c.copied) << c.what;
}

}  // namespace
}  // namespace vel
