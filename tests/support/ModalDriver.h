// Drives a modal dialog from inside its own event loop: a test arms the
// driver, then calls the function that shows the dialog and blocks.
#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>

namespace vel::test {

class ModalDriver {
 public:
  // `act` runs once, on the first modal dialog that opens. A dialog still
  // open `timeoutMs` after arming is rejected and the test fails, so that a
  // test whose keys do not close the dialog cannot hang.
  explicit ModalDriver(std::function<void(QDialog&)> act, int timeoutMs = 5000);
  ~ModalDriver();
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  bool acted() const { return acted_; }

 private:
  std::function<void(QDialog&)> act_;
  QTimer poll_;
  QTimer watchdog_;
  bool acted_ = false;
};

// Answers a real file dialog as a user would with the keyboard: picks the
// filter `filterIndex` (1-based) in its list, types `name` over what the name
// field holds and presses Return.
void answerFileDialog(QDialog& dialog, int filterIndex, const QString& name);

}  // namespace vel::test
