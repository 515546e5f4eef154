// The point output window: the points of one job in an editable grid, saved
// in any of the seven exchange formats. It only reads the record area; edits
// change the file written, never the job.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "card/CardSession.h"
#include "ui/CoordinateGrid.h"
#include "ui/Prompts.h"
#include "ui/UiLook.h"

namespace vel {

// Opens the window for the job modally over `parent` and returns when it has closed.
void showPointOutput(CardSession& card, JobSlot job, Prompts& prompts,
                     const QString& imagePath = {}, QWidget* parent = nullptr);

// The save dialog as the window creates it: every format that writes, in
// the registry's order (QPL first), in the folder of the program.
FileDialogSettings pointOutputDialogSettings();

class PointOutputWindow final : public QDialog {
  Q_OBJECT
 public:
  PointOutputWindow(CardSession& card, Prompts& prompts, QWidget* parent = nullptr);

  JobSlot job;

  // Reads the job's points into the grid; runs once, when the window is
  // first shown, unless called before.
  void fill();
  // "保  存": asks for a file only until the first successful save. Neither
  // button acts while the cell being typed into is refused.
  void onSave();
  // "另 存 为": always asks.
  void onSaveAs();
  // "图形": the job's plan, as the card holds it (edits in the grid are not drawn).
  void onShowPlan();
  // True when the file was written.
  bool writePointFile(bool ask);
  // The grid's rows with a name, N and E as points, in order.
  void collectGridPoints();

  bool saved() const { return saved_; }
  // The points last collected from the grid.
  const std::vector<SurveyPoint>& points() const { return points_; }

  CoordinateGrid* grid;
  QPushButton* saveButton;
  QPushButton* saveAsButton;
  QPushButton* planButton;  // "图形"
  // The image's path: never an output file, and its name titles the plan.
  QString imagePath;
  // Lives as long as the window: "保  存" writes to its file in its format.
  FileDialogSettings saveDialog;
  // Asks for the CRS of the points before a GIS format is saved with "另 存 为"
  // (the one last chosen for the image is offered); nothing when cancelled.
  // The CRS dialog unless a test sets another.
  std::function<std::optional<std::string>(const std::string& current)> chooseCrs;

 protected:
  void showEvent(QShowEvent* event) override;
  // Return only finishes a cell: it must never write the file again.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  CardSession& card_;
  Prompts& prompts_;
  Scaler scale_;
  std::vector<SurveyPoint> shownPoints_;  // the job's points the grid was filled from
  std::vector<SurveyPoint> points_;       // collected back from the grid
  bool saved_ = false;
  bool shown_ = false;
};

}  // namespace vel
