// The coordinate import: a file chosen in one of six formats is shown in an
// editable grid, and each confirmed row is stored as a PT record into a job
// or the known-point file.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "card/CardSession.h"
#include "exchange/FeatureTable.h"
#include "store/ImageByteOrder.h"
#include "ui/CoordinateGrid.h"
#include "ui/Prompts.h"
#include "ui/UiLook.h"

namespace vel {

// What the import needs of the main window.
struct ImportHost {
  CardSession& card;
  Prompts& prompts;
  // Shows what the import came to, as the main window shows an action's outcome.
  std::function<bool(const Outcome&)> showOutcome;
  QWidget* parent = nullptr;
};

// Asks for a file, preselecting the format numbered formatId and writing the
// chosen one back, then shows the import window over host.parent. 1 when the
// user confirmed, 0 when the dialog or the window was cancelled or grid row
// 1 could not be stored.
uint8_t importCoordinates(JobSlot target, int& formatId, const ImportHost& host);

// The format a text file is read in: the one chosen, or, when its first
// lines do not fit it and fit another, that one if the user agrees (asked
// with "Yes" the default); a file that fits none is said to be so.
int checkedTextFormat(const QString& fileName, int formatId, const ImportHost& host);

// The open dialog as importCoordinates sets it up: every format that reads,
// in the registry's order, in the folder of the program.
FileDialogSettings importDialogSettings(int formatId);

class ImportWindow final : public QDialog {
  Q_OBJECT
 public:
  // Reads and converts the file while the window is created; a file that
  // cannot be taken over is reported and leaves the grid empty.
  ImportWindow(const QString& fileName, int formatId, const ImportHost& host);

  JobSlot target;
  // 1 confirmed, 0 cancelled or closed, or grid row 1 refused by the store.
  uint8_t importResult = 0;

  // "确  定": stores every row with a name, N and E, then closes; not when
  // the cell being typed into is refused.
  void onConfirm();
  // "取  消".
  void onCancel();

  CoordinateGrid* grid;
  QPushButton* confirmButton;
  QPushButton* cancelButton;
  // A GIS or CAD file's fields for the name and the height (guessed from
  // their names; the height else the geometry's Z), and whether the
  // vertices of lines come too. Null for the text formats.
  QComboBox* nameFieldBox = nullptr;
  QComboBox* heightFieldBox = nullptr;
  QCheckBox* linesBox = nullptr;

 protected:
  // Return only finishes a cell: it must never store the grid.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void readFile(const QString& fileName, int formatId);
  // A GIS file: its table read (again, when the lines are asked for) and
  // the roles' choices filled; false when it cannot be read.
  bool readTable();
  void addRoleChoices();
  // The grid filled from the table with the roles chosen.
  void fillFromTable();
  void reportReadProblem(const ReadProblem& problem);
  // Why a cell is marked: a name that breaks the exchange files, or a GIS
  // file's longer name cut to 8 bytes; empty for none.
  QString cellMark(int row, int column) const;

  ImportHost host_;
  Scaler scale_;
  const ExchangeFormatEntry* format_ = nullptr;
  std::string path_;
  FeatureTable table_;
  std::map<int, std::string> longNames_;
  // Rows whose coordinates the text file had longer: which (bit 0 N, 1 E, 2 Z).
  std::map<std::size_t, unsigned> cutCells_;  // rows whose GIS name was longer than 8 bytes
};

}  // namespace vel
