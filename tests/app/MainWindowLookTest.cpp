// Renders the main window with a loaded card to PNG files in the build
// folder (main-window*.png), so the look can be checked by eye, and checks
// the colours that the owner-drawn parts must have.
#include <QTest>

#include "store/FixedValue.h"
#include "tests/app/MainWindowFixture.h"
#include "ui/TimedPopup.h"

#ifndef VEL_TEST_OUTPUT_DIR
#define VEL_TEST_OUTPUT_DIR "."
#endif

namespace vel::test {
namespace {

std::array<uint8_t, kRecordSize> pointAt(const ImageByteOrder& order, const std::string& name,
                                         FixedValue n, FixedValue e, FixedValue z) {
  auto record = pointRecord(name);
  order.fixedToImage(n, &record[19]);
  order.fixedToImage(e, &record[25]);
  order.fixedToImage(z, &record[31]);
  return record;
}

void fillDemo(RecordAreaStore& s) {
  const uint8_t job1 = s.createJob("JOB1");
  const uint8_t road = s.createJob("ROAD2");
  s.createJob("BRIDGE3");
  for (int i = 1; i <= 12; ++i) {
    s.appendRecord(job1, kRecordSize, pointRecord("P" + std::to_string(i)).data());
  }
  for (int i = 1; i <= 5; ++i) {
    s.appendRecord(road, kRecordSize, pointRecord("R" + std::to_string(i)).data());
  }
  const struct {
    const char* name;
    FixedValue n, e, z;
  } known[] = {{"K1", {3000, 0}, {5000, 0}, {40, 0}},
               {"K2", {3120, 456}, {4987, 250}, {41, 700}},
               {"BM1", {1234, 500}, {0, -500}, {0, 0}},
               {"GPS7", {12345, 678}, {67890, 123}, {105, 500}}};
  for (const auto& k : known) {
    s.appendRecord(s.knownPointFile(), kRecordSize,
                   pointAt(s.byteOrder(), k.name, k.n, k.e, k.z).data());
  }
  for (const char* code : {"TREE", "WALL", "ROAD", "POLE", "HOUSE", "FENCE", "GATE", "LAMP", "WELL",
                           "BRIDGE", "RIVER"}) {
    s.addFeatureCode(code);
  }
}

bool isBlue(QColor c) {
  return c.blue() > 200 && c.red() < 120 && c.green() < 120;
}
bool isDark(QColor c) {
  return c.red() < 90 && c.green() < 90 && c.blue() < 90;
}
bool isLight(QColor c) {
  return c.red() > 200 && c.green() > 200 && c.blue() > 200;
}

// Counts the pixels of `area` that pass `test`.
template <class Test>
int countPixels(const QImage& image, const QRect& area, Test test) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) n += test(image.pixelColor(x, y)) ? 1 : 0;
  }
  return n;
}

class MainWindowLookTest : public MainWindowTest {
 protected:
  QImage shot(const char* file) {
    const QImage image = form->grab().toImage();
    image.save(QStringLiteral(VEL_TEST_OUTPUT_DIR "/") + QString::fromLatin1(file));
    return image;
  }
  // A row's number area and text area in window coordinates.
  QRect numberArea(QListWidget* list, int row) const {
    const QRect r = list->visualItemRect(list->item(row));
    const int width = list->fontMetrics().horizontalAdvance(NumberedRowDelegate::numberText(row));
    return QRect(list->viewport()->mapTo(form.get(), r.topLeft() + QPoint(10, 5)),
                 QSize(width, 16));
  }
  QRect textArea(QListWidget* list, int row) const {
    const QRect number = numberArea(list, row);
    return QRect(number.topRight() + QPoint(1, 0), QSize(40, 16));
  }
};

TEST_F(MainWindowLookTest, TheLoadedWindowLooksAsDrawn) {
  const auto image = makeImage("SAMPLE.VEL");
  edit(image, fillDemo);
  startWith(image);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));

  const QImage jobs = shot("main-window.png");
  EXPECT_EQ(jobs.size(), QSize(599, 769));
  EXPECT_EQ(jobs.pixelColor(3, 3), QColor(209, 231, 252));

  // The active tab in the window's colour, the others paler.
  QTabBar* bar = form->pages->tabBar();
  const auto tabPixel = [&](const QImage& shown, int tab) {
    const QRect r = bar->tabRect(tab);
    return shown.pixelColor(bar->mapTo(form.get(), QPoint(r.left() + 4, r.bottom() - 2)));
  };
  EXPECT_EQ(tabPixel(jobs, 0), QColor(209, 231, 252));
  EXPECT_EQ(tabPixel(jobs, 1), QColor(224, 238, 254));
  EXPECT_EQ(tabPixel(jobs, 2), QColor(224, 238, 254));

  // Row numbers blue, texts black; the selected row (0) white on the selection colour.
  EXPECT_GT(countPixels(jobs, numberArea(form->jobPage->list, 1), isBlue), 0);
  EXPECT_GT(countPixels(jobs, textArea(form->jobPage->list, 1), isDark), 0);
  EXPECT_EQ(countPixels(jobs, numberArea(form->jobPage->list, 1), isDark), 0);
  EXPECT_EQ(countPixels(jobs, numberArea(form->jobPage->list, 0), isBlue), 0);
  EXPECT_GT(countPixels(jobs, numberArea(form->jobPage->list, 0), isLight), 0);

  form->pages->setCurrentIndex(1);
  const QImage known = shot("main-window-known.png");
  EXPECT_EQ(tabPixel(known, 1), QColor(209, 231, 252));
  EXPECT_EQ(tabPixel(known, 0), QColor(224, 238, 254));

  form->pages->setCurrentIndex(2);
  const QImage codes = shot("main-window-codes.png");
  ASSERT_GE(form->codePage->list->count(), 10);
  EXPECT_GT(countPixels(codes, numberArea(form->codePage->list, 9), isBlue), 0);
  EXPECT_GT(countPixels(codes, textArea(form->codePage->list, 9), isDark), 0);
}

TEST(TimedPopupLook, BlueTextOnTheWindowColour) {
  ScopedScreenScale designScale{1.0};
  TimedPopup popup;
  popup.setMessage(QStringLiteral("有文件重名，创建文件失败！"));
  const QImage image = popup.grab().toImage();
  image.save(QStringLiteral(VEL_TEST_OUTPUT_DIR "/timed-popup.png"));
  EXPECT_EQ(image.pixelColor(15, 15), QColor(209, 231, 252));
  EXPECT_GT(countPixels(image, popup.messageLabel->geometry(), isBlue), 0);
  EXPECT_EQ(countPixels(image, QRect(8, 8, image.width() - 16, 20), isBlue), 0);
}

}  // namespace
}  // namespace vel::test
