#include "ui/UiLook.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
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
  font.setPixelSize(std::max(1, (*this)(designPixels)));
  return font;
}

void Scaler::place(QWidget* widget, int x, int y, int w, int h) const {
  widget->setGeometry(rect(x, y, w, h));
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
