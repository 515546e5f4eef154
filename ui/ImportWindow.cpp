#include "ui/ImportWindow.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <algorithm>

#include "exchange/CoordinateImport.h"
#include "exchange/FormatRegistry.h"
#include "exchange/GridCellCheck.h"
#include "messages/MessageTexts.h"
#include "ui/AnsiText.h"
#include "ui/Controls.h"
#include "ui/Language.h"
#include "ui/SessionTexts.h"

namespace vel {
namespace {

QStringList headerTexts() {
  return {QCoreApplication::translate("vel::ImportWindow", "   点    号"),
          QStringLiteral("       N"), QStringLiteral("       E"), QStringLiteral("       Z")};
}

using Column = CoordinateGrid::Column;

}  // namespace

FileDialogSettings importDialogSettings(int formatId) {
  const std::vector<const ExchangeFormatEntry*> readers = FormatRegistry::instance().readers();
  FileDialogSettings settings;
  settings.filter = formatFilter(readers);
  // A choice that names no readable format offers the first one.
  settings.filterIndex = std::max(placeOf(readers, formatId), 1);
  settings.defaultExt = QStringLiteral("*.QPL");
  settings.initialDir = QCoreApplication::applicationDirPath();
  return settings;
}

uint8_t importCoordinates(JobSlot target, int& formatId, const ImportHost& host) {
  FileDialogSettings openDialog = importDialogSettings(formatId);
  if (!host.prompts.openFile(host.parent, openDialog)) return 0;
  const ExchangeFormatEntry* format =
      formatAt(FormatRegistry::instance().readers(), openDialog.filterIndex);
  if (format == nullptr) return 0;
  formatId = format->id;

  ImportWindow form(openDialog.fileName, formatId, host);
  form.target = target;
  form.exec();
  return form.importResult;
}

ImportWindow::ImportWindow(const QString& fileName, int formatId, const ImportHost& host)
    : QDialog(host.parent), host_(host) {
  setObjectName(QStringLiteral("ImportWindow"));
  setWindowTitle(tr("坐标编辑"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  applyWindowLook(this, scale_);
  setFixedSize(scale_(497), scale_(632));

  grid = new CoordinateGrid(
      {Column::kText, Column::kCoordinate, Column::kCoordinate, Column::kCoordinate}, headerTexts(),
      kImportGridRows, scale_, this);
  grid->setObjectName(QStringLiteral("grid"));
  grid->horizontalHeader()->setDefaultSectionSize(scale_(118));
  scale_.place(grid, 0, 0, 497, 577);
  grid->setRangeNotice([this] {
    host_.prompts.showOk(this, tr("提示"), messageText(kCoordinateRangeText),
                         PromptIcon::kInformation);
  });

  confirmButton = makeLinkButton(this, "confirmButton", tr("确  定"), scale_);
  scale_.place(confirmButton, 136, 592, 80, 26);
  cancelButton = makeLinkButton(this, "cancelButton", tr("取  消"), scale_);
  scale_.place(cancelButton, 288, 592, 80, 26);
  connect(confirmButton, &QPushButton::clicked, this, &ImportWindow::onConfirm);
  connect(cancelButton, &QPushButton::clicked, this, &ImportWindow::onCancel);
  clearDefaultButtons(this);

  readFile(fileName, formatId);
}

void ImportWindow::keyPressEvent(QKeyEvent* event) {
  if (isReturnKey(*event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void ImportWindow::readFile(const QString& fileName, int formatId) {
  const ExchangeFormatEntry* format = FormatRegistry::instance().byId(formatId);
  if (format == nullptr || !format->reads()) return;
  const ReadResult file = format->read(qStringToPath(fileName).string());
  if (file.read()) {
    grid->cells()->fillRows(importGridCells(file.points));
    return;
  }
  if (file.problem.kind == ReadProblem::Kind::kCountMismatch) {
    host_.prompts.showOk(host_.parent, tr("警告"), messageText(kImportFormatErrorText),
                         PromptIcon::kExclamation);
    return;
  }
  host_.prompts.showOk(host_.parent, tr("警告"), messageText(kImportFailedText),
                       PromptIcon::kExclamation);
  // Then what went wrong, as the program reports any error of its own.
  host_.prompts.showOk(host_.parent, QCoreApplication::applicationName(),
                       readProblemMessage(file.problem), PromptIcon::kExclamation);
}

void ImportWindow::onConfirm() {
  if (!grid->leaveCellForButton()) return;
  const Outcome outcome = host_.card.run(ImportRows{target, grid->cells()->rowsAsAnsi<4>()});
  if (host_.showOutcome) host_.showOutcome(outcome);
  // Stored, or stopped by a refusal after its first row: the user confirmed.
  const bool stored = outcome.done() || (outcome.refused() && !outcome.firstRowRefused);
  importResult = stored ? 1 : 0;
  accept();
}

void ImportWindow::onCancel() {
  importResult = 0;
  reject();
}

}  // namespace vel
