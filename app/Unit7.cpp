#include "app/Unit7.h"

#include <QKeyEvent>

namespace vel {
namespace {

constexpr int kMargin = 30;
constexpr int kBevelWidth = 3;

}  // namespace

TForm7::TForm7(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      Panel1(new ClickablePanel(this)),
      Label1(new QLabel(Panel1)),
      Timer1(new QTimer(this)) {
  setObjectName(QStringLiteral("Form7"));
  applyWindowLook(this, scale_);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setLineWidth(std::max(1, scale_(kBevelWidth)));

  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setFont(scale_.font());
  QPalette palette = Label1->palette();
  palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
  Label1->setPalette(palette);
  Label1->setTextFormat(Qt::PlainText);
  // The label has no click handler of its own: a click on the text must not
  // reach the panel underneath.
  Label1->setAttribute(Qt::WA_NoMousePropagation);

  connect(Panel1, &ClickablePanel::clicked, this, &TForm7::Panel1Click);
  connect(Panel1, &ClickablePanel::doubleClicked, this, &TForm7::Panel1DblClick);
  Timer1->setSingleShot(true);
  Timer1->setTimerType(Qt::PreciseTimer);  // a coarse timer may fire 5 % early
  Timer1->setInterval(kDisplayMilliseconds);
  connect(Timer1, &QTimer::timeout, this, &TForm7::Timer1Timer);
  Timer1->start();
  SetMessage(QString());
}

void TForm7::SetMessage(const QString& text) {
  Label1->setText(text);
  const QFontMetrics metrics(Label1->font());
  Label1->setGeometry(scale_(kMargin), scale_(kMargin), metrics.horizontalAdvance(text),
                      metrics.height());
  setFixedSize(Label1->width() + 2 * scale_(kMargin), Label1->height() + 2 * scale_(kMargin));
  Panel1->setGeometry(rect());
}

void TForm7::keyPressEvent(QKeyEvent* event) {
  event->accept();
}

void TForm7::Timer1Timer() {
  done(QDialog::Accepted);
}
void TForm7::Panel1Click() {
  done(QDialog::Accepted);
}
void TForm7::Panel1DblClick() {
  done(QDialog::Accepted);
}

void ShowTimedMessage(const QString& text, QWidget* over) {
  TForm7 popup(over);
  popup.SetMessage(text);
  popup.setWindowModality(Qt::ApplicationModal);
  if (over) {
    const QPoint centre = over->mapToGlobal(over->rect().center());
    popup.move(centre - QPoint(popup.width() / 2, popup.height() / 2));
  }
  popup.exec();
}

}  // namespace vel
