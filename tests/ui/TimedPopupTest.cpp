// The timed popup on its own: its timer, what closes it and what does not,
// and its size.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "tests/support/QtPrinters.h"
#include "ui/TimedPopup.h"

namespace vel {
namespace {

class TimedPopupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    popup = std::make_unique<TimedPopup>();
    popup->setMessage(QStringLiteral("有文件重名，创建文件失败！"));
    popup->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup.get()));
  }

  ScopedScreenScale designScale{1.0};
  std::unique_ptr<TimedPopup> popup;
};

TEST_F(TimedPopupTest, ItsTimerRunsTwoSecondsOnceFromCreation) {
  EXPECT_TRUE(popup->timer->isActive());
  EXPECT_TRUE(popup->timer->isSingleShot());
  EXPECT_EQ(popup->timer->interval(), 2000);
  EXPECT_TRUE(popup->windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(TimedPopupTest, AClickOnThePanelClosesIt) {
  QTest::mouseClick(popup->panel, Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_FALSE(popup->isVisible());
}

TEST_F(TimedPopupTest, AClickOnTheTextDoesNot) {
  QTest::mouseClick(popup->messageLabel, Qt::LeftButton, {}, popup->messageLabel->rect().center());
  QTest::mouseDClick(popup->messageLabel, Qt::LeftButton, {}, popup->messageLabel->rect().center());
  EXPECT_TRUE(popup->isVisible());
  QTest::mouseDClick(popup->panel, Qt::LeftButton, {}, QPoint(popup->width() - 8, 8));
  EXPECT_FALSE(popup->isVisible());
}

TEST_F(TimedPopupTest, EnterAndEscapeDoNotCloseIt) {
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Space}) {
    QTest::keyClick(popup.get(), key);
    EXPECT_TRUE(popup->isVisible()) << key;
  }
}

TEST_F(TimedPopupTest, TheWindowIsTheTextWithThirtyPixelsOnEverySide) {
  const QFontMetrics metrics(popup->messageLabel->font());
  for (const QString& text :
       {QStringLiteral("文件已满！"),
        QStringLiteral("特征码库已满，无法再输入!特征码库已满，无法再输入!")}) {
    popup->setMessage(text);
    EXPECT_EQ(popup->width(), metrics.horizontalAdvance(text) + 60) << text.toStdString();
    EXPECT_EQ(popup->height(), metrics.height() + 60);
    EXPECT_EQ(popup->messageLabel->pos(), QPoint(30, 30));
    EXPECT_EQ(popup->panel->geometry(), popup->rect());
  }
  EXPECT_EQ(popup->messageLabel->font().pixelSize(), 16);
  EXPECT_EQ(popup->messageLabel->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(popup->palette().color(QPalette::Window), QColor(209, 231, 252));
}

TEST(ShowTimedMessage, ReturnsByItselfAfterTwoSeconds) {
  ScopedScreenScale designScale{1.0};
  QElapsedTimer clock;
  clock.start();
  ShowTimedMessage(QStringLiteral("文件已满！"));
  const qint64 elapsed = clock.elapsed();
  EXPECT_GE(elapsed, 1990);
  EXPECT_LT(elapsed, 6000);
}

}  // namespace
}  // namespace vel
