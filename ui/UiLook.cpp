#include "ui/UiLook.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QPalette>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace vel {
namespace {

constexpr double kDesignScreenHeight = 1024.0;
double fixedScale = 0.0;  // 0: follow the screen

}  // namespace

QColor windowColour() {
  return QColor(209, 231, 252);
}

double screenScale() {
  if (fixedScale > 0.0) return fixedScale;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 1.0;
  return screen->geometry().height() / kDesignScreenHeight;
}

ScopedScreenScale::ScopedScreenScale(double scale) : previous_(fixedScale) {
  fixedScale = scale;
}
ScopedScreenScale::~ScopedScreenScale() {
  fixedScale = previous_;
}

int Scaler::operator()(int designPixels) const {
  return static_cast<int>(std::lround(designPixels * scale_));
}

QRect Scaler::rect(int x, int y, int w, int h) const {
  return QRect((*this)(x), (*this)(y), (*this)(w), (*this)(h));
}

QFont Scaler::font(int designPixels) const {
  QFont font;
  font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                    QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                    QStringLiteral("Noto Serif CJK SC"), QStringLiteral("serif")});
  // Rounded down: a text scaled with its window never outgrows the room the
  // design gave it (16 pixels on an 800-pixel screen are 12, not 13).
  font.setPixelSize(std::max(1, static_cast<int>(designPixels * scale_)));
  return font;
}

void Scaler::place(QWidget* widget, int x, int y, int w, int h) const {
  widget->setGeometry(rect(x, y, w, h));
}

QSettings programSettings() {
  return QSettings(QStringLiteral("vel-reader"), QStringLiteral("vel-reader"));
}

int textWidth(const QWidget* widget) {
  QString text;
  if (auto* label = qobject_cast<const QLabel*>(widget)) {
    if (label->wordWrap() || label->textFormat() == Qt::RichText) return 0;
    text = label->text();
  } else if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
    text = button->text().remove(QLatin1Char('&'));
  }
  if (text.isEmpty()) return 0;
  const QFontMetrics metrics(widget->font());
  int width = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    width = std::max(width, metrics.horizontalAdvance(line));
  }
  if (auto* box = qobject_cast<const QCheckBox*>(widget)) {
    // The box and the gap before the text, as the style adds them.
    return box->sizeHint().width() - metrics.horizontalAdvance(box->text()) + width;
  }
  if (auto* button = qobject_cast<const QPushButton*>(widget)) {
    if (button->isFlat()) return width;  // the link buttons: no padding
    const QStyle* style = button->style();
    return width + 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                        style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
  }
  auto* label = qobject_cast<const QLabel*>(widget);
  const QMargins margins = label->contentsMargins();
  return width + 2 * label->margin() + std::max(label->indent(), 0) + margins.left() +
         margins.right() + 2 * label->frameWidth();
}

void fitTextWidths(QWidget* window) {
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    QWidget* parent = widget->parentWidget();
    if (!parent || (parent->layout() && parent->layout()->indexOf(widget) >= 0)) continue;
    const int needed = textWidth(widget);
    if (needed <= widget->width()) continue;
    const QRect placed = widget->geometry();
    int right = parent->contentsRect().right() + 1;
    for (const QObject* object : parent->children()) {
      auto* sibling = qobject_cast<const QWidget*>(object);
      if (!sibling || sibling == widget || sibling->isWindow()) continue;
      const QRect other = sibling->geometry();
      const bool beside = other.left() >= placed.right() && other.top() < placed.bottom() &&
                          other.bottom() > placed.top();
      if (beside) right = std::min(right, other.left());
    }
    widget->resize(std::max(placed.width(), std::min(needed, right - placed.left())),
                   placed.height());
  }
}

void applyWindowLook(QWidget* window, const Scaler& scale) {
  QPalette palette = window->palette();
  palette.setColor(QPalette::Window, windowColour());
  window->setPalette(palette);
  window->setAutoFillBackground(true);
  window->setFont(scale.font());
}

QPushButton* makeLinkButton(QWidget* parent, const char* name, const QString& caption,
                            const Scaler& scale) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setFlat(true);
  button->setCursor(Qt::PointingHandCursor);
  QFont font = scale.font();
  font.setUnderline(true);
  button->setFont(font);
  button->setStyleSheet(
      QStringLiteral("QPushButton { color: rgb(0, 0, 255); border: none; background: transparent;"
                     " text-align: left; padding: 0px; }"
                     "QPushButton:disabled { color: rgb(128, 128, 160); }"));
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

QFrame* makePanel(QWidget* parent, const char* name, QFrame::Shadow bevel, int bevelWidth,
                  const QColor& colour) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setFrameStyle(QFrame::Panel | bevel);
  panel->setLineWidth(bevelWidth);
  if (colour.isValid()) {
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, colour);
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
  }
  return panel;
}

}  // namespace vel
