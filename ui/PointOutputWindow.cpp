#include "ui/PointOutputWindow.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>

#include "card/CrsMemory.h"
#include "card/ImageFileAccess.h"
#include "exchange/FormatRegistry.h"
#include "exchange/GridCellCheck.h"
#include "exchange/PointOutput.h"
#include "gis/GisFormats.h"
#include "messages/MessageTexts.h"
#include "messages/Messages.h"
#include "ui/AnsiText.h"
#include "ui/Controls.h"
#include "ui/CrsDialog.h"
#include "ui/DialogFolders.h"
#include "ui/Language.h"
#include "ui/PlanWindow.h"

namespace vel {
namespace {

QStringList headerTexts() {
  return {QCoreApplication::translate("vel::PointOutputWindow", "   点    号"),
          QStringLiteral("      N"), QStringLiteral("      E"), QStringLiteral("      Z"),
          QCoreApplication::translate("vel::PointOutputWindow", "  特  征  码")};
}

using Column = CoordinateGrid::Column;

}  // namespace

FileDialogSettings pointOutputDialogSettings() {
  FileDialogSettings settings;
  settings.filter = formatFilter(FormatRegistry::instance().writers());
  settings.filterIndex = 1;
  settings.defaultExt = QStringLiteral("*.QPL");
  settings.overwritePrompt = true;
  return settings;
}

void showPointOutput(CardSession& card, JobSlot job, Prompts& prompts, const QString& imagePath,
                     QWidget* parent) {
  PointOutputWindow form(card, prompts, parent);
  form.job = job;
  form.imagePath = imagePath;
  form.exec();
}

PointOutputWindow::PointOutputWindow(CardSession& card, Prompts& prompts, QWidget* parent)
    : QDialog(parent),
      saveDialog(pointOutputDialogSettings()),
      chooseCrs([this](const std::string& current) { return askCrs(current, this); }),
      card_(card),
      prompts_(prompts) {
  setObjectName(QStringLiteral("PointOutputWindow"));
  setWindowTitle(tr("输出点坐标"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  applyWindowLook(this, scale_);
  setFixedSize(scale_(592), scale_(753));

  grid = new CoordinateGrid(
      {Column::kText, Column::kCoordinate, Column::kCoordinate, Column::kCoordinate, Column::kText},
      headerTexts(), kOutputGridRows, scale_, this);
  grid->setObjectName(QStringLiteral("grid"));
  grid->horizontalHeader()->setDefaultSectionSize(scale_(113));
  scale_.place(grid, 0, 0, 592, 694);
  // Names and codes never grow past what a point line carries, even before
  // the cell is left.
  grid->setTextByteLimit(kNameLength);
  grid->setRangeNotice([this] {
    prompts_.showOk(this, tr("提示"), messageText(kCoordinateRangeText), PromptIcon::kInformation);
  });

  saveButton = makeLinkButton(this, "saveButton", tr("保  存"), scale_);
  scale_.place(saveButton, 177, 711, 75, 26);
  saveAsButton = makeLinkButton(this, "saveAsButton", tr("另 存 为"), scale_);
  scale_.place(saveAsButton, 345, 711, 88, 26);
  connect(saveButton, &QPushButton::clicked, this, &PointOutputWindow::onSave);
  planButton = makeLinkButton(this, "planButton", tr("图形"), scale_);
  scale_.place(planButton, 480, 711, 50, 26);
  connect(saveAsButton, &QPushButton::clicked, this, &PointOutputWindow::onSaveAs);
  connect(planButton, &QPushButton::clicked, this, &PointOutputWindow::onShowPlan);
  clearDefaultButtons(this);
  fitTextWidths(this);
}

void PointOutputWindow::keyPressEvent(QKeyEvent* event) {
  if (isReturnKey(*event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void PointOutputWindow::showEvent(QShowEvent* event) {
  if (!shown_) fill();
  QDialog::showEvent(event);
}

void PointOutputWindow::fill() {
  shown_ = true;
  shownPoints_ = outputPoints(card_.points(job));
  grid->cells()->fillRows(outputGridCells(shownPoints_));
}

void PointOutputWindow::onSave() {
  if (!grid->leaveCellForButton()) return;
  writePointFile(!saved_);
}

void PointOutputWindow::onSaveAs() {
  if (!grid->leaveCellForButton()) return;
  writePointFile(true);
}

bool PointOutputWindow::writePointFile(bool ask) {
  if (ask && !askSaveFile(prompts_, this, saveDialog, FileKind::kExport, imagePath)) {
    return false;
  }
  collectGridPoints();
  const std::filesystem::path target = qStringToPath(saveDialog.fileName);
  const ExchangeFormatEntry* format =
      formatAt(FormatRegistry::instance().writers(), saveDialog.filterIndex);
  // The card's own image is never an output, by whatever name it is chosen.
  const bool isImage = !imagePath.isEmpty() && isSameFile(target, qStringToPath(imagePath));
  WriteContext context{rememberedCrs(card_.imagePath())};
  if (ask && format != nullptr && isGisFormat(format->id)) {
    const std::optional<std::string> crs = chooseCrs(context.crs);
    if (!crs) return false;
    context.crs = *crs;
    rememberCrs(card_.imagePath(), *crs);
  }
  WriteResult result;
  if (isImage || format == nullptr) {
    result.kind = WriteResult::Kind::kFailed;
  } else {
    result = format->write(target.string(), points_, context);
  }
  if (!result.written()) {
    // A file that was not written is no save: "保  存" keeps asking until one is.
    // The seven formats' failure keeps its words; the GIS formats say why.
    const QString why = result.kind == WriteResult::Kind::kFailed
                            ? tr("文件写入失败！")
                            : messageText(writeProblemText(result, interfaceLanguage()));
    prompts_.showOk(this, tr("警告"), why, PromptIcon::kExclamation);
    return false;
  }
  saved_ = true;
  if (const std::string cut = coordinatesCutText(result, interfaceLanguage()); !cut.empty()) {
    prompts_.showOk(this, tr("提示"), messageText(cut), PromptIcon::kInformation);
  }
  return true;
}

void PointOutputWindow::onShowPlan() {
  showPlanWindow(cardPlan(card_, job, QFileInfo(imagePath).fileName()), prompts_, this);
}

void PointOutputWindow::collectGridPoints() {
  grid->commitOpenEditor();
  points_ = vel::collectGridPoints(grid->cells()->rowsAsAnsi<5>(), shownPoints_);
}

}  // namespace vel
