// The coordinate import: a file chosen in one of six formats is shown in an
// editable grid, and each confirmed row is stored as a PT record into a job
// or the known-point file.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <cstdint>
#include <functional>

#include "store/ImageByteOrder.h"
#include "ui/CoordinateGrid.h"
#include "ui/Prompts.h"
#include "ui/UiLook.h"

namespace vel {

// What the import needs of the main window.
struct ImportHost {
  Prompts& prompts;
  // The open image's byte order, for the records built.
  ImageByteOrder byteOrder;
  // The main window's AppendRecordChecked: stores one record and shows the
  // store's refusals (and a failed write); false when it was not stored.
  std::function<bool(uint8_t slot, uint8_t length, const uint8_t* record)> appendRecordChecked;
  QWidget* parent = nullptr;
};

// Asks for a file, preselecting the format formatIndex (1 to 6) and writing
// the chosen one back, then shows the import window over host.parent. 1 when
// the user confirmed, 0 when the dialog or the window was cancelled or grid
// row 1 could not be stored.
uint8_t importCoordinates(uint8_t target, unsigned& formatIndex, const ImportHost& host);

// The open dialog as importCoordinates sets it up: the six readable formats,
// in the folder of the program.
FileDialogSettings importDialogSettings(unsigned formatIndex);

class ImportWindow final : public QDialog {
  Q_OBJECT
 public:
  // Reads and converts the file while the window is created; a file that
  // cannot be taken over is reported and leaves the grid empty.
  ImportWindow(const QString& fileName, int formatIndex, const ImportHost& host);

  uint8_t target = 0;
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
  void readFile(const QString& fileName, int formatIndex);

  ImportHost host_;
  Scaler scale_;
};

}  // namespace vel
