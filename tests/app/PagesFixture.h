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

  // A 42-byte record of a slot as the card holds it.
  std::vector<uint8_t> recordBytes(uint8_t slot, int number) {
    std::vector<uint8_t> record(kRecordSize);
    EXPECT_EQ(store.readRecord(slot, number, kRecordSize, record.data()), kDone);
    return record;
  }

  // Every point name of a slot, in record order.
  std::vector<std::string> pointNames(uint8_t slot) {
    std::vector<std::string> names;
    for (int i = 0; i < store.recordCount(slot); ++i)
      names.push_back(store.recordPointName(slot, i));
    return names;
  }

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
