// The look every window of the program shares: sizes designed for a screen
// 1024 pixels high and scaled to the real one when a window is created, the
// pale blue background, SimSun 16 px and the link-style buttons.
#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QPushButton>
#include <QRect>
#include <QSettings>
#include <QString>

namespace vel {

// RGB(209, 231, 252): the main window and every dialog it opens.
QColor windowColour();

// Screen height / 1024 for the primary screen, unless a test has fixed it.
double screenScale();

// Fixes the scale while it lives, so a test sees the design sizes on any
// screen (the offscreen screen is only 600 pixels high).
class ScopedScreenScale {
 public:
  explicit ScopedScreenScale(double scale);
  ~ScopedScreenScale();
  ScopedScreenScale(const ScopedScreenScale&) = delete;
  ScopedScreenScale& operator=(const ScopedScreenScale&) = delete;

 private:
  double previous_;
};

// Design sizes to screen sizes, for one window with its scale taken at creation.
class Scaler {
 public:
  explicit Scaler(double scale = screenScale()) : scale_(scale) {}
  double factor() const { return scale_; }
  int operator()(int designPixels) const;
  QRect rect(int x, int y, int w, int h) const;
  // "宋体" at the given design pixel size. Linux has no SimSun; fontconfig
  // knows no alias for it, so the Song/Ming face of the distribution stands in.
  QFont font(int designPixels = 16) const;
  // Places a child at its design position and size.
  void place(QWidget* widget, int x, int y, int w, int h) const;

 private:
  double scale_;
};

// The width a label, button or check box needs to show its whole text in its
// font, as the style draws it; 0 for other widgets and empty texts.
int textWidth(const QWidget* widget);
// Widens each placed label, button and check box of the window whose text is
// wider than the design width gave it: fonts differ from one system to the
// next. Each grows to the right as far as the next widget beside it or the
// edge of its parent allow. Widgets in layouts are left to their layouts.
void fitTextWidths(QWidget* window);

// The program's settings: $XDG_CONFIG_HOME/vel-reader/vel-reader.conf.
QSettings programSettings();

// Gives a window the program's background colour and font.
void applyWindowLook(QWidget* window, const Scaler& scale);

// A flat text button with a blue underlined caption and a hand cursor.
QPushButton* makeLinkButton(QWidget* parent, const char* name, const QString& caption,
                            const Scaler& scale);

// A bevelled panel; `colour` invalid keeps the parent's colour.
QFrame* makePanel(QWidget* parent, const char* name, QFrame::Shadow bevel, int bevelWidth,
                  const QColor& colour = QColor());

}  // namespace vel
