// The coordinate import: a file chosen in one of six formats is shown in an
// editable grid, and each confirmed row is stored as a PT record into a job
// or the known-point file.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <cstdint>
#include <functional>

#include "card/CardSession.h"
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

 protected:
  // Return only finishes a cell: it must never store the grid.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void readFile(const QString& fileName, int formatId);

  ImportHost host_;
  Scaler scale_;
};

}  // namespace vel
