// The yardstick for the desktop program's start-up: the least a Qt program
// that shows a label and a list does from main() to its first drawn window,
// timed by the same probe as vel-reader (scripts/bench-startup runs both).
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <QWidget>

#include "app/StartupProbe.h"

int main(int argc, char** argv) {
  QElapsedTimer started;
  started.start();
  QApplication app(argc, argv);
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(new QLabel(QStringLiteral("label"), &window));
  auto* list = new QListWidget(&window);
  list->addItems({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
  layout->addWidget(list);
  window.resize(599, 769);
  vel::reportWhenShown(&window, started);
  window.show();
  return QApplication::exec();
}
