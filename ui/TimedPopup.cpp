#include "ui/TimedPopup.h"

#include <QKeyEvent>

namespace vel {
namespace {

constexpr int kMargin = 30;
constexpr int kBevelWidth = 3;

}  // namespace

TimedPopup::TimedPopup(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      panel(new ClickablePanel(this)),
      messageLabel(new QLabel(panel)),
      timer(new QTimer(this)) {
  setObjectName(QStringLiteral("TimedPopup"));
  applyWindowLook(this, scale_);
  panel->setObjectName(QStringLiteral("panel"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(std::max(1, scale_(kBevelWidth)));

  messageLabel->setObjectName(QStringLiteral("messageLabel"));
  messageLabel->setFont(scale_.font());
  QPalette palette = messageLabel->palette();
  palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
  messageLabel->setPalette(palette);
  messageLabel->setTextFormat(Qt::PlainText);
  // The label has no click handler of its own: a click on the text must not
  // reach the panel underneath.
  messageLabel->setAttribute(Qt::WA_NoMousePropagation);

  connect(panel, &ClickablePanel::clicked, this, &TimedPopup::onPanelClick);
  connect(panel, &ClickablePanel::doubleClicked, this, &TimedPopup::onPanelDoubleClick);
  timer->setSingleShot(true);
  timer->setTimerType(Qt::PreciseTimer);  // a coarse timer may fire 5 % early
  timer->setInterval(kDisplayMilliseconds);
  connect(timer, &QTimer::timeout, this, &TimedPopup::onTimer);
  timer->start();
  setMessage(QString());
}

void TimedPopup::setMessage(const QString& text) {
  messageLabel->setText(text);
  const QFontMetrics metrics(messageLabel->font());
  messageLabel->setGeometry(scale_(kMargin), scale_(kMargin), metrics.horizontalAdvance(text),
                            metrics.height());
  setFixedSize(messageLabel->width() + 2 * scale_(kMargin),
               messageLabel->height() + 2 * scale_(kMargin));
  panel->setGeometry(rect());
}

void TimedPopup::keyPressEvent(QKeyEvent* event) {
  event->accept();
}

void TimedPopup::onTimer() {
  done(QDialog::Accepted);
}
void TimedPopup::onPanelClick() {
  done(QDialog::Accepted);
}
void TimedPopup::onPanelDoubleClick() {
  done(QDialog::Accepted);
}

void ShowTimedMessage(const QString& text, QWidget* over) {
  TimedPopup popup(over);
  popup.setMessage(text);
  popup.setWindowModality(Qt::ApplicationModal);
  if (over) {
    const QPoint centre = over->mapToGlobal(over->rect().center());
    popup.move(centre - QPoint(popup.width() / 2, popup.height() / 2));
  }
  popup.exec();
}

}  // namespace vel
