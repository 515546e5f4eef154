// The editable grid of the import and output windows: a fixed header, one
// row per point, a character filter on every typed key, and a check of the
// cell the selection leaves that can refuse the move.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableView>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/AnsiText.h"
#include "ui/UiLook.h"

class QKeyEvent;

namespace vel {

// The cells of the grid's rows as the files and the card hold them: GBK
// bytes. They become text only to be shown or edited, so a byte that is no
// GBK character shows as a replacement mark yet goes out unchanged unless
// that cell is typed into. The header texts are the view's header.
// Model row r is grid row r + 1 (grid row 0 is the header).
class GridCells final : public QAbstractTableModel {
 public:
  GridCells(const QStringList& headers, int rows, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // An edited text that still shows as the cell does leaves its bytes alone.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The cell as shown.
  QString cell(int row, int column) const;
  // A typed text; characters GBK cannot hold become '?'.
  void setCell(int row, int column, const QString& text);
  const std::string& cellBytes(int row, int column) const;
  void setCellBytes(int row, int column, std::string bytes);

  // Rows from the first on take the texts (GBK bytes); every other row is emptied.
  template <std::size_t N>
  void fillRows(const std::vector<std::array<std::string, N>>& rows);
  // Every row as GBK bytes.
  template <std::size_t N>
  std::vector<std::array<std::string, N>> rowsAsAnsi() const;

  // Why a cell is marked (shown tinted, the reason as its tooltip); an empty
  // reason leaves it plain. Asked afresh as the cells change.
  void setMarker(std::function<QString(int row, int column)> reason) {
    marker_ = std::move(reason);
  }

 private:
  QStringList headers_;
  int rows_;
  int columns_;
  std::vector<std::string> cells_;  // row by row
  std::function<QString(int row, int column)> marker_;
};

class CoordinateGrid final : public QTableView {
 public:
  enum class Column { kText, kCoordinate };

  CoordinateGrid(std::vector<Column> columns, const QStringList& headers, int rows,
                 const Scaler& scale, QWidget* parent = nullptr);

  GridCells* cells() const { return cells_; }

  // Editors of text columns refuse a text of more GBK bytes than this (0: no limit).
  void setTextByteLimit(int bytes) { textByteLimit_ = bytes; }
  int textByteLimit() const { return textByteLimit_; }

  // Shown when a typed coordinate is outside the range; the move is then refused.
  void setRangeNotice(std::function<void()> notice) { rangeNotice_ = std::move(notice); }

  // Set by any key pressed in the grid or its editor, cleared by the check.
  bool edited() const { return edited_; }

  bool isTextColumn(int column) const;
  // The open editor, if any.
  QWidget* cellEditor() const { return editor_; }
  // Puts what the open editor holds into its cell, unchecked.
  void commitOpenEditor();
  // A button is about to act on the grid. Clicking it takes no focus from the
  // grid, so the current cell is left here as a move would leave it: the
  // editor committed and, after a key, the cell checked and normalised. False
  // when the check refused the cell; it then keeps the editor and the focus.
  bool leaveCellForButton();

  // What a typed character becomes in a column; nothing discards it.
  std::optional<char32_t> filterCellKey(int column, char32_t c) const;
  void markEdited() { edited_ = true; }
  // The check of the cell the selection is about to leave; false refuses the move.
  bool leaveCell(const QModelIndex& leaving);

  // --- for the editor delegate ---------------------------------------------------
  // Key events of the grid and of its editor pass here first. True when the
  // event was dealt with: its characters discarded or sent on changed.
  bool filterKey(QObject* target, int column, QKeyEvent* event);
  void editorOpened(QWidget* editor, const QModelIndex& index);
  int editorColumn() const { return editorIndex_.column(); }

  using QTableView::edit;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  class GuardedSelection;
  bool mayLeave(const QModelIndex& from, const QModelIndex& to);
  void endOfEvent();

  std::vector<Column> columns_;
  GridCells* cells_;
  GuardedSelection* guard_;
  int textByteLimit_ = 0;
  std::function<void()> rangeNotice_;
  bool edited_ = false;
  QPointer<QWidget> editor_;
  QPersistentModelIndex editorIndex_;
};

// --- templates ----------------------------------------------------------------

template <std::size_t N>
void GridCells::fillRows(const std::vector<std::array<std::string, N>>& rows) {
  std::fill(cells_.begin(), cells_.end(), std::string());
  const std::size_t count = std::min(rows.size(), static_cast<std::size_t>(rows_));
  const std::size_t columns = std::min(N, static_cast<std::size_t>(columns_));
  for (std::size_t r = 0; r < count; ++r) {
    for (std::size_t c = 0; c < columns; ++c) cells_[r * columns_ + c] = rows[r][c];
  }
  // The shape stays: the current cell and the selection stay where they are.
  if (rows_ > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
}

template <std::size_t N>
std::vector<std::array<std::string, N>> GridCells::rowsAsAnsi() const {
  std::vector<std::array<std::string, N>> rows(rows_);
  const std::size_t columns = std::min(N, static_cast<std::size_t>(columns_));
  for (int r = 0; r < rows_; ++r) {
    for (std::size_t c = 0; c < columns; ++c) rows[r][c] = cells_[r * columns_ + c];
  }
  return rows;
}

}  // namespace vel
