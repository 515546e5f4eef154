#include "tests/support/ModalDriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

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

void answerFileDialog(QDialog& dialog, int filterIndex, const QString& name) {
  auto* filters = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  auto* nameField = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(filters, nullptr);
  ASSERT_NE(nameField, nullptr);
  QTest::keyClick(filters, Qt::Key_Home);
  for (int i = 1; i < filterIndex; ++i) QTest::keyClick(filters, Qt::Key_Down);
  ASSERT_EQ(filters->currentIndex(), filterIndex - 1);
  // Typing replaces a file selected in the list only while the field has the focus.
  dialog.activateWindow();
  nameField->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return nameField->hasFocus(); }, 2000));
  QTest::keyClick(nameField, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(nameField, name);
  QTest::keyClick(nameField, Qt::Key_Return);
}

}  // namespace vel::test
