// The timed popup: one line of text over the main window that goes away by
// itself after two seconds, or earlier on a click on its panel.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QTimer>

#include "ui/Controls.h"

namespace vel {

class TimedPopup final : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kDisplayMilliseconds = 2000;

  // The timer runs from here on.
  explicit TimedPopup(QWidget* owner = nullptr);

  // Sizes the label to the text and the window to the label with a margin of
  // 30 design pixels on every side.
  void setMessage(const QString& text);

  ClickablePanel* panel;
  QLabel* messageLabel;
  QTimer* timer;

 protected:
  // No key closes the popup: Enter and Escape go nowhere.
  void keyPressEvent(QKeyEvent* event) override;

 private slots:
  void onTimer();
  void onPanelClick();
  void onPanelDoubleClick();

 private:
  Scaler scale_;
};

// Shows the text centred on `over` (the main window) and returns when the
// popup has closed.
void ShowTimedMessage(const QString& text, QWidget* over = nullptr);

}  // namespace vel
