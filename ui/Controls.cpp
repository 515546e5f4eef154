#include "ui/Controls.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

#include "ui/AnsiText.h"

namespace vel {
namespace {

constexpr int kRowHeight = 25;
const QColor kNumberBlue(0, 0, 255);

void fillRow(QPainter& painter, const QStyleOptionViewItem& option, bool selected) {
  const QPalette::ColorRole role = selected ? QPalette::Highlight : QPalette::Base;
  painter.fillRect(option.rect, option.palette.brush(QPalette::Active, role));
}

void drawFocusRect(QPainter& painter, const QStyleOptionViewItem& option, const QColor& colour) {
  if (!(option.state & QStyle::State_HasFocus)) return;
  painter.setPen(QPen(colour, 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(option.rect.adjusted(0, 0, -1, -1));
}

// Ctrl+C in a list: the selected rows' text on the clipboard.
class RowCopier final : public QObject {
 public:
  RowCopier(QListWidget* list, std::function<QString(const std::vector<int>&)> rowsText)
      : QObject(list), list_(list), rowsText_(std::move(rowsText)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
      const std::vector<int> rows = selectedRows(list_);
      if (!rows.empty()) QGuiApplication::clipboard()->setText(rowsText_(rows));
      return true;
    }
    return false;
  }

 private:
  QListWidget* list_;
  std::function<QString(const std::vector<int>&)> rowsText_;
};

}  // namespace

void allowManyRows(QListWidget* list,
                   std::function<QString(const std::vector<int>& rows)> rowsText) {
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->installEventFilter(new RowCopier(list, std::move(rowsText)));
}

QString rowsAsText(const std::vector<std::string>& lines, const std::vector<int>& rows,
                   std::string (*fields)(std::string_view)) {
  QString text;
  for (int row : rows) {
    if (row < 0 || static_cast<size_t>(row) >= lines.size()) continue;
    text += ansiToQString(fields(lines[static_cast<size_t>(row)])) + QLatin1Char('\n');
  }
  return text;
}

std::vector<int> selectedRows(const QListWidget* list) {
  std::vector<int> rows;
  for (const QModelIndex& index : list->selectionModel()->selectedIndexes()) {
    rows.push_back(index.row());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

QListWidget* makeOwnerDrawnList(QWidget* parent, const char* name, const QColor& fontColour,
                                const Scaler& scale) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setFont(scale.font());
  list->setUniformItemSizes(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  QPalette palette = list->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, fontColour);
  list->setPalette(palette);
  return list;
}

NumberedRowDelegate::NumberedRowDelegate(const Scaler& scale, QObject* parent)
    : QStyledItemDelegate(parent), scale_(scale) {}

QString NumberedRowDelegate::numberText(int row) {
  return QString::number(row + 1) + QStringLiteral(".  ");
}

void NumberedRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
  painter->save();
  const bool selected = option.state & QStyle::State_Selected;
  fillRow(*painter, option, selected);

  painter->setFont(option.font);
  const QFontMetrics metrics(option.font);
  const QRect& row = option.rect;
  const int top = row.top() + scale_(5);
  const int height = row.bottom() - top + 1;
  const QString number = numberText(index.row());
  const int numberLeft = row.left() + scale_(10);
  const int numberWidth = metrics.horizontalAdvance(number);
  constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;

  painter->setPen(selected ? QColor(Qt::white) : kNumberBlue);
  painter->drawText(QRect(numberLeft, top, numberWidth, height), kFlags, number);
  const int textLeft = numberLeft + numberWidth;
  painter->setPen(selected ? QColor(Qt::white) : QColor(Qt::black));
  painter->drawText(QRect(textLeft, top, std::max(0, row.right() - textLeft + 1), height), kFlags,
                    index.data(Qt::DisplayRole).toString());

  drawFocusRect(*painter, option, selected ? QColor(Qt::white) : QColor(Qt::black));
  painter->restore();
}

QSize NumberedRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return QSize(option.rect.width(), scale_(kRowHeight));
}

PlainRowDelegate::PlainRowDelegate(const Scaler& scale, QObject* parent)
    : QStyledItemDelegate(parent), scale_(scale) {}

void PlainRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  painter->save();
  const bool selected = option.state & QStyle::State_Selected;
  fillRow(*painter, option, selected);
  painter->setFont(option.font);
  const QColor textColour =
      option.palette.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text);
  painter->setPen(textColour);
  painter->drawText(option.rect.adjusted(scale_(2), 0, 0, 0),
                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                    index.data(Qt::DisplayRole).toString());
  drawFocusRect(*painter, option, textColour);
  painter->restore();
}

QSize PlainRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return QSize(option.rect.width(), scale_(kRowHeight));
}

OwnerDrawnTabBar::OwnerDrawnTabBar(int tabWidth, int tabHeight, QWidget* parent)
    : QTabBar(parent), tabWidth_(tabWidth), tabHeight_(tabHeight) {
  setExpanding(false);
  setUsesScrollButtons(false);
  setDrawBase(false);
}

QSize OwnerDrawnTabBar::tabSizeHint(int) const {
  return QSize(tabWidth_, tabHeight_);
}

void OwnerDrawnTabBar::paintEvent(QPaintEvent* event) {
  if (!drawTab_) {
    QTabBar::paintEvent(event);
    return;
  }
  QPainter painter(this);
  for (int i = 0; i < count(); ++i) drawTab_(painter, i, tabRect(i), i == currentIndex());
}

OwnerDrawnPageControl::OwnerDrawnPageControl(int tabWidth, int tabHeight, QWidget* parent)
    : QTabWidget(parent), bar_(new OwnerDrawnTabBar(tabWidth, tabHeight)) {
  setTabBar(bar_);
}

PercentGauge::PercentGauge(QWidget* parent) : QWidget(parent) {}

void PercentGauge::setProgress(int percent) {
  progress_ = std::clamp(percent, 0, 100);
  update();
}

void PercentGauge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect frame = rect().adjusted(0, 0, -1, -1);
  const QRect inside = rect().adjusted(1, 1, -1, -1);
  painter.fillRect(inside, Qt::white);
  QRect bar = inside;
  bar.setWidth(inside.width() * progress_ / 100);
  painter.fillRect(bar, QColor(0, 0, 160));
  painter.setPen(QColor(128, 128, 128));
  painter.drawRect(frame);

  // The number is black on the empty part and white on the bar.
  const QString text = QString::number(progress_) + QLatin1Char('%');
  painter.setFont(font());
  painter.save();
  painter.setClipRect(inside.adjusted(bar.width(), 0, 0, 0));
  painter.setPen(Qt::black);
  painter.drawText(inside, Qt::AlignCenter, text);
  painter.restore();
  painter.setClipRect(bar);
  painter.setPen(Qt::white);
  painter.drawText(inside, Qt::AlignCenter, text);
}

ClickablePanel::ClickablePanel(QWidget* parent) : QFrame(parent) {}

void ClickablePanel::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void ClickablePanel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (click) emit clicked();
}

void ClickablePanel::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) emit doubleClicked();
}

void clearDefaultButtons(QWidget* window) {
  for (QPushButton* button : window->findChildren<QPushButton*>()) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
}

bool isReturnKey(const QKeyEvent& event) {
  return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

void pressFocusedButtonsOnReturn(QWidget* window) {
  // Outside a dialog an auto-default button is pressed by Return and Enter
  // when it has the focus, and nothing else changes.
  for (QPushButton* button : window->findChildren<QPushButton*>()) button->setAutoDefault(true);
}

void selectRowOrLast(QListWidget* list, int row) {
  list->clearSelection();
  list->setCurrentRow(list->count() > 0 ? std::min(row, list->count() - 1) : -1);
}

void removeRowKeepingSelection(QListWidget* list, int row) {
  const int next = row == list->count() - 1 ? 0 : row;
  delete list->takeItem(row);
  list->setCurrentRow(list->count() > 0 ? next : -1);
}

}  // namespace vel
