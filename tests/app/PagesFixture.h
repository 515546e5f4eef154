// The main window with a loaded record area, for the tests of its pages.
#pragma once

#include <QTest>

#include "tests/app/MainWindowFixture.h"

namespace vel::test {

using Entry = OpenedEntry::Kind;

inline FixedValue fixed(int32_t whole, int16_t thousandths = 0) {
  return FixedValue{whole, thousandths};
}

class PagesTest : public MainWindowTest {
 protected:
  // Loads a formatted image of the model after `fill` has put data in it.
  template <class Fill>
  void load(Fill&& fill, int model = kRX3_8) {
    image = makeImage("CARD.VEL", model);
    edit(image, fill);
    startWith(image);
    ASSERT_TRUE(form->pagesUsable());
  }
  void load() {
    load([](RecordAreaStore&) {});
  }

  // A 42-byte record of a job as the card holds it, read beside the window.
  std::vector<uint8_t> recordBytes(JobSlot job, int number) {
    std::vector<uint8_t> record(kRecordSize);
    edit(image, [&](RecordAreaStore& s) {
      EXPECT_EQ(s.readRecord(job.value, number, kRecordSize, record.data()), kDone);
    });
    return record;
  }

  // Every point name of a job, in record order.
  std::vector<std::string> pointNames(JobSlot job) {
    std::vector<std::string> names;
    for (int i = 0; i < session.recordCount(job); ++i) names.push_back(session.pointName(job, i));
    return names;
  }
  // The job at a position of the list.
  JobSlot jobAt(int position) const { return session.jobAt(JobPosition{position}); }

  std::vector<ShownPrompt> questions() const { return prompts.shownOf(Kind::kYesNo); }
  std::vector<ShownPrompt> notices() const { return prompts.shownOf(Kind::kOk); }

  void expectWriteFailureNotice() const {
    const auto shown = notices();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, QStringLiteral("警告"));
    EXPECT_EQ(shown[0].text, QStringLiteral("记录区写入失败，请检查存储卡！"));
    EXPECT_EQ(shown[0].icon, PromptIcon::kExclamation);
  }

  // Fills a slot up to `count` records through a store of its own.
  static void fillRecords(RecordAreaStore& s, uint8_t slot, int count) {
    const auto record = pointRecord("F");
    while (s.recordCount(slot) < count) {
      ASSERT_EQ(s.appendRecord(slot, kRecordSize, record.data()), kDone);
    }
  }

  std::filesystem::path image;
};

}  // namespace vel::test
