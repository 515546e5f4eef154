#include "tests/app/ModalDriver.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace vel::test {

ModalDriver::ModalDriver(std::function<void(QDialog&)> act, int timeoutMs) : act_(std::move(act)) {
  poll_.setInterval(5);
  QObject::connect(&poll_, &QTimer::timeout, [this] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    poll_.stop();
    acted_ = true;
    act_(*dialog);
  });
  poll_.start();

  watchdog_.setSingleShot(true);
  QObject::connect(&watchdog_, &QTimer::timeout, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      ADD_FAILURE() << "a modal dialog was still open: " << dialog->objectName().toStdString();
      dialog->reject();
    }
  });
  watchdog_.start(timeoutMs);
}

ModalDriver::~ModalDriver() = default;

}  // namespace vel::test
