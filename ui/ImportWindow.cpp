#include "ui/ImportWindow.h"

#include <QCoreApplication>
#include <QHeaderView>

#include "exchange/CoordinateImport.h"
#include "exchange/ExchangeFormats.h"
#include "exchange/GridCellCheck.h"
#include "store/RecordAreaStore.h"
#include "ui/AnsiText.h"
#include "ui/Controls.h"
#include "ui/Language.h"

namespace vel {
namespace {

// In the order of the exchange formats: the chosen filter's place is the format.
QString openFilter() {
  return translatedFilter(
      "vel::ImportWindow",
      {{QT_TRANSLATE_NOOP("vel::ImportWindow", "全站坐标记录文件"), "*.QPL"},
       {QT_TRANSLATE_NOOP("vel::ImportWindow", "拓普康 GTS700/600/800 Points"), "*.pts"},
       {QT_TRANSLATE_NOOP("vel::ImportWindow", "SCS2002 坐标文件"), "*.dat"},
       {QT_TRANSLATE_NOOP("vel::ImportWindow", "SV300坐标文件"), "*.dat"},
       {QT_TRANSLATE_NOOP("vel::ImportWindow", "CASS5.X文件"), "*.DAT"},
       {QT_TRANSLATE_NOOP("vel::ImportWindow", "文本文件(逗号分隔)"), "*.CSV"}});
}

QStringList headerTexts() {
  return {QCoreApplication::translate("vel::ImportWindow", "   点    号"),
          QStringLiteral("       N"), QStringLiteral("       E"), QStringLiteral("       Z")};
}

using Column = CoordinateGrid::Column;

}  // namespace

FileDialogSettings importDialogSettings(unsigned formatIndex) {
  FileDialogSettings settings;
  settings.filter = openFilter();
  // A choice that names no readable format offers the first one.
  settings.filterIndex =
      isImportFormat(static_cast<int>(formatIndex)) ? static_cast<int>(formatIndex) : kQplFormat;
  settings.defaultExt = QStringLiteral("*.QPL");
  settings.initialDir = QCoreApplication::applicationDirPath();
  return settings;
}

uint8_t importCoordinates(uint8_t target, unsigned& formatIndex, const ImportHost& host) {
  FileDialogSettings openDialog = importDialogSettings(formatIndex);
  if (!host.prompts.openFile(host.parent, openDialog)) return 0;
  formatIndex = static_cast<unsigned>(openDialog.filterIndex);

  ImportWindow form(openDialog.fileName, openDialog.filterIndex, host);
  form.target = target;
  form.exec();
  return form.importResult;
}

ImportWindow::ImportWindow(const QString& fileName, int formatIndex, const ImportHost& host)
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

  readFile(fileName, formatIndex);
}

void ImportWindow::keyPressEvent(QKeyEvent* event) {
  if (isReturnKey(*event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void ImportWindow::readFile(const QString& fileName, int formatIndex) {
  const ImportedFile file = readImportFile(qStringToPath(fileName).string(), formatIndex);
  switch (file.status) {
    case ImportStatus::kRead:
      grid->cells()->fillRows(importGridCells(file.pointLines));
      break;
    case ImportStatus::kFormatError:
      host_.prompts.showOk(host_.parent, tr("警告"), messageText(kImportFormatErrorText),
                           PromptIcon::kExclamation);
      break;
    case ImportStatus::kFailed:
      host_.prompts.showOk(host_.parent, tr("警告"), messageText(kImportFailedText),
                           PromptIcon::kExclamation);
      // Then what went wrong, as the program reports any error of its own.
      host_.prompts.showOk(host_.parent, QCoreApplication::applicationName(),
                           messageText(file.problem), PromptIcon::kExclamation);
      break;
  }
}

void ImportWindow::onConfirm() {
  const auto append = [this](uint8_t slot, const uint8_t* record) {
    return host_.appendRecordChecked && host_.appendRecordChecked(slot, kRecordSize, record);
  };
  if (!grid->leaveCellForButton()) return;
  importResult = storeImportRows(grid->cells()->rowsAsAnsi<4>(), target, host_.byteOrder, append);
  accept();
}

void ImportWindow::onCancel() {
  importResult = 0;
  reject();
}

}  // namespace vel
