// The owner-drawn controls of the main window: numbered and plain list rows,
// the page tabs with their fixed captions, the percentage gauge, and a panel
// that reports clicks; and which key presses a window's buttons.
#pragma once

#include <QFrame>
#include <QKeyEvent>
#include <QListWidget>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/UiLook.h"

namespace vel {

// Windows whose buttons store, write or delete (the import, the output and the
// job viewer): no button is default or auto-default, so Return never presses
// one; only a click, or Space on the focused button, does. Call it once the
// buttons exist; the window also swallows Return itself (isReturnKey), since a
// QDialog hands a Return its children ignore to its default button.
void clearDefaultButtons(QWidget* window);
// Return, or Enter on the keypad.
bool isReturnKey(const QKeyEvent& event);

// The main window's link buttons: the one with the keyboard focus is pressed
// by Return or Enter as well as by Space.
void pressFocusedButtonsOnReturn(QWidget* window);

// Removes a row after its item was deleted and selects the same index again,
// or row 0 when the last row went; an emptied list has no selection.
void removeRowKeepingSelection(QListWidget* list, int row);

// Lets the list select several rows (Shift and Ctrl with a click or the
// arrows, Ctrl+A) and puts the selected rows on the clipboard with Ctrl+C, one
// line each in list order, as rowsText gives them.
void allowManyRows(QListWidget* list,
                   std::function<QString(const std::vector<int>& rows)> rowsText);
// The clipboard text of the rows: each line of a list's rows in the card's
// code page, through `fields`, ended by a line break.
QString rowsAsText(const std::vector<std::string>& lines, const std::vector<int>& rows,
                   std::string (*fields)(std::string_view));
// The selected rows in list order.
std::vector<int> selectedRows(const QListWidget* list);

// After rows were taken out: the row now at `row` is selected, or the last
// row when the list got shorter than that; an emptied list has no selection.
void selectRowOrLast(QListWidget* list, int row);

// A list box with a fixed row height and a white background whose rows are
// drawn by a delegate.
QListWidget* makeOwnerDrawnList(QWidget* parent, const char* name, const QColor& fontColour,
                                const Scaler& scale);

// Rows of the job list and the code list: the row number "n.  " in blue, then
// the row's text in black; both white on the selection colour.
class NumberedRowDelegate final : public QStyledItemDelegate {
 public:
  NumberedRowDelegate(const Scaler& scale, QObject* parent);
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  // "10.  " for the tenth row.
  static QString numberText(int row);

 private:
  Scaler scale_;
};

// Rows of the known point list: the text alone, vertically centred, in the
// list's font and the system's selection colours.
class PlainRowDelegate final : public QStyledItemDelegate {
 public:
  PlainRowDelegate(const Scaler& scale, QObject* parent);
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  Scaler scale_;
};

// Tabs of a fixed width that the owner paints: drawTab(painter, index, rect,
// active) is called once per tab, in tab order.
class OwnerDrawnTabBar final : public QTabBar {
 public:
  using DrawTab = std::function<void(QPainter&, int, const QRect&, bool)>;
  OwnerDrawnTabBar(int tabWidth, int tabHeight, QWidget* parent = nullptr);
  void setDrawTab(DrawTab drawTab) { drawTab_ = std::move(drawTab); }

 protected:
  QSize tabSizeHint(int index) const override;
  QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }
  void paintEvent(QPaintEvent* event) override;

 private:
  int tabWidth_;
  int tabHeight_;
  DrawTab drawTab_;
};

// A page control whose tab bar is an OwnerDrawnTabBar.
class OwnerDrawnPageControl final : public QTabWidget {
 public:
  OwnerDrawnPageControl(int tabWidth, int tabHeight, QWidget* parent = nullptr);
  OwnerDrawnTabBar* ownerDrawnTabBar() const { return bar_; }

 private:
  OwnerDrawnTabBar* bar_;
};

// A horizontal bar from 0 to 100 that also shows its number.
class PercentGauge final : public QWidget {
 public:
  explicit PercentGauge(QWidget* parent = nullptr);
  int progress() const { return progress_; }
  void setProgress(int percent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int progress_ = 0;
};

// A bevelled panel that tells of clicks and double clicks on itself; clicks
// on its children stay with them.
class ClickablePanel final : public QFrame {
  Q_OBJECT
 public:
  explicit ClickablePanel(QWidget* parent = nullptr);

 signals:
  void clicked();
  void doubleClicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  bool pressed_ = false;
};

}  // namespace vel
