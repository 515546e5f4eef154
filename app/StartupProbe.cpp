#include "app/StartupProbe.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace vel {
namespace {

constexpr int kPollMilliseconds = 5;
constexpr int kSettleMilliseconds = 400;  // lets the X server draw before a screenshot

class FirstPaintWatcher final : public QObject {
 public:
  FirstPaintWatcher(QWidget* window, const QElapsedTimer& started)
      : QObject(window), window_(window), started_(started) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      // The children paint in the same pass; a zero timer runs after it.
      QTimer::singleShot(0, this, [this] { report(); });
    }
    return false;
  }

 private:
  void report() {
    std::printf("vel-reader: main window shown after %lld ms\n",
                static_cast<long long>(started_.elapsed()));
    std::fflush(stdout);
    const QString shot = qEnvironmentVariable("VEL_READER_PROBE_SHOT");
    if (shot.isEmpty()) {
      QApplication::quit();
      return;
    }
    QTimer::singleShot(kSettleMilliseconds, this, [this, shot] {
      const QRect area = window_->frameGeometry();
      QScreen* screen = window_->screen();
      const QPixmap pixels = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
      if (!pixels.save(shot))
        std::fprintf(stderr, "vel-reader: cannot write %s\n", qPrintable(shot));
      QApplication::quit();
    });
  }

  QWidget* window_;
  QElapsedTimer started_;
  bool seen_ = false;
};

}  // namespace

bool startupProbeWanted() {
  return qEnvironmentVariableIsSet("VEL_READER_PROBE");
}

void armStartupDialogAnswer() {
  auto* poll = new QTimer(qApp);
  poll->setInterval(kPollMilliseconds);
  QObject::connect(poll, &QTimer::timeout, poll, [] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    // The file dialog takes its preset; without one, and for any question
    // (an unformatted image), the answer is the dialog's cancel or "No".
    if (qobject_cast<QFileDialog*>(dialog)) dialog->accept();
    if (dialog->isVisible()) dialog->reject();
  });
  poll->start();
}

void reportWhenShown(QWidget* window, const QElapsedTimer& started) {
  window->installEventFilter(new FirstPaintWatcher(window, started));
}

}  // namespace vel
