#include "ui/CoordinateGrid.h"

#include <QColor>
#include <QCoreApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>

#include "exchange/GridCellCheck.h"
#include "records/CharacterFilters.h"

namespace vel {
namespace {

constexpr int kDefaultRowHeight = 24;

// A text of at most so many GBK bytes; the cells end up as GBK in the files.
class GbkLengthValidator final : public QValidator {
 public:
  GbkLengthValidator(int bytes, QObject* parent) : QValidator(parent), bytes_(bytes) {}
  State validate(QString& input, int&) const override {
    return qStringToAnsi(input).size() <= static_cast<std::size_t>(bytes_) ? Acceptable : Invalid;
  }

 private:
  int bytes_;
};

class GridCellDelegate final : public QStyledItemDelegate {
 public:
  explicit GridCellDelegate(CoordinateGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    // Characters come only through the key filter; an input method would bypass it.
    editor->setAttribute(Qt::WA_InputMethodEnabled, false);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      line->setFrame(false);
      if (grid_->textByteLimit() > 0 && grid_->isTextColumn(index.column())) {
        line->setMaxLength(grid_->textByteLimit());
        line->setValidator(new GbkLengthValidator(grid_->textByteLimit(), line));
      }
    }
    grid_->editorOpened(editor, index);
    return editor;
  }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      grid_->markEdited();
      if (grid_->filterKey(object, grid_->editorColumn(), key)) return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

 private:
  CoordinateGrid* grid_;
};

}  // namespace

// --- GridCells -------------------------------------------------------------------

GridCells::GridCells(const QStringList& headers, int rows, QObject* parent)
    : QAbstractTableModel(parent),
      headers_(headers),
      rows_(rows),
      columns_(static_cast<int>(headers.size())),
      cells_(static_cast<std::size_t>(rows) * headers.size()) {}

int GridCells::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int GridCells::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant GridCells::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole || role == Qt::EditRole) return cell(index.row(), index.column());
  if ((role == Qt::BackgroundRole || role == Qt::ToolTipRole) && marker_) {
    const QString reason = marker_(index.row(), index.column());
    if (reason.isEmpty()) return {};
    if (role == Qt::ToolTipRole) return reason;
    return QColor(255, 205, 205);
  }
  return {};
}

bool GridCells::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  // An editor opened and closed on a cell hands back what it was shown.
  const QString text = value.toString();
  if (text != cell(index.row(), index.column())) setCell(index.row(), index.column(), text);
  return true;
}

Qt::ItemFlags GridCells::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

QVariant GridCells::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columns_) return {};
  if (role == Qt::DisplayRole) return headers_[section];
  // The header texts place themselves with their leading blanks.
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

QString GridCells::cell(int row, int column) const {
  return ansiToQString(cellBytes(row, column));
}

void GridCells::setCell(int row, int column, const QString& text) {
  setCellBytes(row, column, qStringToAnsi(text));
}

const std::string& GridCells::cellBytes(int row, int column) const {
  return cells_.at(static_cast<std::size_t>(row) * columns_ + column);
}

void GridCells::setCellBytes(int row, int column, std::string bytes) {
  std::string& stored = cells_.at(static_cast<std::size_t>(row) * columns_ + column);
  if (stored == bytes) return;
  stored = std::move(bytes);
  const QModelIndex changed = index(row, column);
  emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

// --- the guarded selection ----------------------------------------------------------

// Every move of the current cell, by key, mouse or program, passes through
// setCurrentIndex; a refused move also keeps the selection that would have
// come with it.
class CoordinateGrid::GuardedSelection final : public QItemSelectionModel {
 public:
  GuardedSelection(CoordinateGrid* grid, QAbstractItemModel* model)
      : QItemSelectionModel(model, grid), grid_(grid) {}

  void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override {
    refused_ = false;
    if (index != currentIndex() && !grid_->mayLeave(currentIndex(), index)) {
      refused_ = true;
      return;
    }
    QItemSelectionModel::setCurrentIndex(index, command);
  }

  using QItemSelectionModel::select;
  void select(const QItemSelection& selection, SelectionFlags command) override {
    if (refused_) return;
    QItemSelectionModel::select(selection, command);
  }

  void endOfEvent() { refused_ = false; }

 private:
  CoordinateGrid* grid_;
  bool refused_ = false;
};

// --- CoordinateGrid ---------------------------------------------------------------

CoordinateGrid::CoordinateGrid(std::vector<Column> columns, const QStringList& headers, int rows,
                               const Scaler& scale, QWidget* parent)
    : QTableView(parent), columns_(std::move(columns)), cells_(new GridCells(headers, rows, this)) {
  setModel(cells_);
  guard_ = new GuardedSelection(this, cells_);
  QItemSelectionModel* previous = selectionModel();
  setSelectionModel(guard_);
  delete previous;
  setItemDelegate(new GridCellDelegate(this));

  setFont(scale.font());
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed |
                  QAbstractItemView::EditKeyPressed);
  setTabKeyNavigation(false);  // Tab leaves the grid, as in the other controls
  setShowGrid(true);
  setWordWrap(false);
  setCornerButtonEnabled(false);

  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(scale(kDefaultRowHeight));
  QHeaderView* header = horizontalHeader();
  header->setSectionsClickable(false);
  header->setHighlightSections(false);
  header->setFixedHeight(scale(kDefaultRowHeight));
  header->setFont(scale.font());
  // The header row takes the window's colour.
  const QColor colour = windowColour();
  header->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: rgb(%1, %2, %3);"
                                       " border: 0px; border-right: 1px solid gray;"
                                       " border-bottom: 1px solid gray; padding: 0px; }")
                            .arg(colour.red())
                            .arg(colour.green())
                            .arg(colour.blue()));

  setCurrentIndex(cells_->index(0, 0));
}

bool CoordinateGrid::isTextColumn(int column) const {
  return column >= 0 && column < static_cast<int>(columns_.size()) &&
         columns_[column] == Column::kText;
}

std::optional<char32_t> CoordinateGrid::filterCellKey(int column, char32_t c) const {
  if (column < 0 || column >= static_cast<int>(columns_.size())) return std::nullopt;
  return isTextColumn(column) ? filterNameCharacter(c) : filterCoordinateCharacter(c);
}

bool CoordinateGrid::leaveCell(const QModelIndex& leaving) {
  if (!edited_) return true;
  edited_ = false;
  if (!leaving.isValid() || leaving.column() >= static_cast<int>(columns_.size())) return true;
  const int row = leaving.row();
  const int column = leaving.column();
  const std::string& text = cells_->cellBytes(row, column);
  if (isTextColumn(column)) {
    cells_->setCellBytes(row, column, checkTextCell(text));
    return true;
  }
  const std::optional<std::string> checked = checkCoordinateCell(text);
  if (!checked) {
    if (rangeNotice_) rangeNotice_();
    return false;
  }
  cells_->setCellBytes(row, column, *checked);
  return true;
}

void CoordinateGrid::commitOpenEditor() {
  if (editor_) commitData(editor_);
}

bool CoordinateGrid::leaveCellForButton() {
  commitOpenEditor();
  if (!leaveCell(currentIndex())) {
    if (editor_) {
      editor_->setFocus();
    } else {
      setFocus();
    }
    return false;
  }
  if (editor_) closeEditor(editor_, QAbstractItemDelegate::NoHint);
  return true;
}

bool CoordinateGrid::mayLeave(const QModelIndex& from, const QModelIndex&) {
  // What is typed in the editor is the cell's text from here on.
  if (editor_ && editorIndex_ == from) commitData(editor_);
  if (!leaveCell(from)) return false;
  if (editor_) closeEditor(editor_, QAbstractItemDelegate::NoHint);
  return true;
}

bool CoordinateGrid::filterKey(QObject* target, int column, QKeyEvent* event) {
  const QString text = event->text();
  if (text.isEmpty()) return false;
  QString kept;
  for (const char32_t c : text.toUcs4()) {
    if (const std::optional<char32_t> passed = filterCellKey(column, c)) {
      kept += QString::fromUcs4(&*passed, 1);
    }
  }
  if (kept == text) return false;
  event->accept();
  if (kept.isEmpty()) return true;
  QKeyEvent changed(event->type(), event->key(), event->modifiers(), kept, event->isAutoRepeat(),
                    static_cast<ushort>(event->count()));
  if (target == this) {
    QTableView::keyPressEvent(&changed);
  } else {
    QCoreApplication::sendEvent(target, &changed);
  }
  return true;
}

void CoordinateGrid::editorOpened(QWidget* editor, const QModelIndex& index) {
  editor_ = editor;
  editorIndex_ = index;
}

void CoordinateGrid::endOfEvent() {
  guard_->endOfEvent();
}

void CoordinateGrid::keyPressEvent(QKeyEvent* event) {
  markEdited();
  if (state() != EditingState && filterKey(this, currentIndex().column(), event)) {
    endOfEvent();
    return;
  }
  QTableView::keyPressEvent(event);
  endOfEvent();
}

void CoordinateGrid::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  endOfEvent();
}

void CoordinateGrid::mouseMoveEvent(QMouseEvent* event) {
  QTableView::mouseMoveEvent(event);
  endOfEvent();
}

void CoordinateGrid::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  endOfEvent();
}

void CoordinateGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  endOfEvent();
}

bool CoordinateGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  // Only the current cell is edited: after a refused move a click elsewhere
  // must not open an editor there.
  if (index.isValid() && index != currentIndex()) return false;
  return QTableView::edit(index, trigger, event);
}

void CoordinateGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Tab in an editor ends the edit; it does not walk on to the next cell.
  if (hint == QAbstractItemDelegate::EditNextItem ||
      hint == QAbstractItemDelegate::EditPreviousItem) {
    hint = QAbstractItemDelegate::NoHint;
  }
  if (editor == editor_) editor_ = nullptr;
  QTableView::closeEditor(editor, hint);
  endOfEvent();
}

}  // namespace vel
