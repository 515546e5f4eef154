// The plan window: the plan view of one job (or of the known points) with its
// controls, the status line under the mouse and for the selected points, and
// the drawing saved as PNG, SVG or PDF with a title line.
#pragma once

#include <QCheckBox>
#include <QDate>
#include <QDialog>
#include <QIODevice>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "card/CardSession.h"
#include "records/PlanGeometry.h"
#include "ui/PlanView.h"
#include "ui/Prompts.h"
#include "ui/UiLook.h"

class QPainter;

namespace vel {

// What the window shows; the caller reads it from the card beforehand.
struct PlanContent {
  QString caption;
  QString imageName;
  QString jobName;
  std::vector<PlanPoint> points;
  std::vector<PlanPoint> knownPoints;  // none: nothing to lay over the job
  // The job's points as the card holds them, for a GeoPackage of the plan,
  // and the image whose CRS they are in.
  std::vector<SurveyPoint> surveyPoints = {};
  std::string imagePath = {};
};

// Opens the window modally over `parent` and returns when it has closed.
void showPlanWindow(PlanContent content, Prompts& prompts, QWidget* parent = nullptr);

// The plan of a job, with the known points to lay over it, or of the
// known-point file itself, read from the card and shown as above.
PlanContent cardPlan(CardSession& card, JobSlot job, const QString& imageName);

enum class DrawingFormat { kPng, kSvg, kPdf };

class PlanWindow final : public QDialog {
  Q_OBJECT
 public:
  PlanWindow(PlanContent content, Prompts& prompts, QWidget* parent = nullptr);

  // "图像 … 工作文件 … 点数 … 日期 …", the first line of every saved drawing.
  QString titleLine() const;
  // The inverse calculation of the two selected points, as the status line
  // shows it; empty unless two are selected. A drawing has it under its title.
  QString inverseLine() const;
  // Writes the title line (and the inverse line) and the view as it is shown;
  // false when the file cannot be written.
  bool saveDrawing(const QString& path, DrawingFormat format);
  bool renderDrawingTo(QIODevice& device, DrawingFormat format);
  // The day printed in the title line; today unless a test fixes it.
  void setDrawingDate(QDate date) { date_ = date; }

  PlanView* view;
  QPushButton* fitButton;
  QCheckBox* codesCheckBox;
  QCheckBox* knownCheckBox;  // hidden when there are no known points
  QPushButton* saveButton;
  QLabel* cursorLabel;     // N and E under the mouse
  QLabel* selectionLabel;  // the selected point, or the pair's inverse calculation

  // The save dialog as the window keeps it between saves.
  FileDialogSettings saveDialog;
  // Asks for the CRS before a GeoPackage is saved; the CRS dialog unless a
  // test sets another.
  std::function<std::optional<std::string>(const std::string& current)> chooseCrs;

 private:
  void saveButtonClick();
  // Asks for a point name, then centres on that point and selects it.
  void findPoint();
  // The plan's points in a GeoPackage, in the CRS the user chooses.
  void savePoints(const QString& path);
  void showCursor(double n, double e);
  void showSelection();
  QSize drawingSize() const;
  int titleHeight() const;
  QStringList titleLines() const;
  // The title lines' font, and the baseline of line `line` of them.
  QFont titleFont() const;
  double titleBaseline(int line) const;
  // `withTitle` false leaves the title lines to the caller.
  void renderDrawing(QPainter& painter, bool withTitle = true) const;

  Prompts& prompts_;
  Scaler scale_;
  QString imageName_;
  QString jobName_;
  int jobPointCount_ = 0;
  int knownPointCount_ = 0;
  QDate date_ = QDate::currentDate();
  std::vector<SurveyPoint> surveyPoints_;
  std::string imagePath_;
};

}  // namespace vel
