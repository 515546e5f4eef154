#include "exchange/Unit4.h"

#include <QCoreApplication>
#include <QHeaderView>

#include "app/AnsiText.h"
#include "app/Controls.h"
#include "exchange/CoordinateImport.h"
#include "exchange/ExchangeFormats.h"
#include "exchange/GridCellCheck.h"
#include "store/RecordAreaStore.h"

namespace vel {
namespace {

const QString kCaption = QStringLiteral("坐标编辑");
const QString kOpenFilter = QStringLiteral(
    "全站坐标记录文件(*.QPL)|*.QPL|拓普康 GTS700/600/800 Points(*.pts)|*.pts|"
    "SCS2002 坐标文件(*.dat)|*.dat|SV300坐标文件(*.dat)|*.dat|CASS5.X文件(*.DAT)|*.DAT|"
    "文本文件(逗号分隔)(*.CSV)|*.CSV");
const QString kWarning = QStringLiteral("警告");

const QStringList& headerTexts() {
  static const QStringList texts{QStringLiteral("   点    号"), QStringLiteral("       N"),
                                 QStringLiteral("       E"), QStringLiteral("       Z")};
  return texts;
}

using Column = CoordinateGrid::Column;

}  // namespace

FileDialogSettings importDialogSettings(unsigned formatIndex) {
  FileDialogSettings settings;
  settings.filter = kOpenFilter;
  // A choice that names no readable format offers the first one.
  settings.filterIndex = isImportFormat(static_cast<int>(formatIndex)) ? static_cast<int>(formatIndex)
                                                                       : kQplFormat;
  settings.defaultExt = QStringLiteral("*.QPL");
  settings.initialDir = QCoreApplication::applicationDirPath();
  return settings;
}

uint8_t importCoordinates(uint8_t target, unsigned& formatIndex, const ImportHost& host) {
  FileDialogSettings OpenDialog1 = importDialogSettings(formatIndex);
  if (!host.prompts.openFile(host.parent, OpenDialog1)) return 0;
  formatIndex = static_cast<unsigned>(OpenDialog1.filterIndex);

  TForm4 form(OpenDialog1.fileName, OpenDialog1.filterIndex, host);
  form.Target = target;
  form.exec();
  return form.ImportResult;
}

TForm4::TForm4(const QString& fileName, int formatIndex, const ImportHost& host)
    : QDialog(host.parent), host_(host) {
  setObjectName(QStringLiteral("Form4"));
  setWindowTitle(kCaption);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  applyWindowLook(this, scale_);
  setFixedSize(scale_(497), scale_(632));

  StringGrid1 = new CoordinateGrid(
      {Column::kText, Column::kCoordinate, Column::kCoordinate, Column::kCoordinate}, headerTexts(),
      kImportGridRows, scale_, this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->horizontalHeader()->setDefaultSectionSize(scale_(118));
  scale_.place(StringGrid1, 0, 0, 497, 577);
  StringGrid1->setRangeNotice([this] {
    host_.prompts.showOk(this, QStringLiteral("提示"), QString::fromUtf8(kCoordinateRangeText),
                         PromptIcon::kInformation);
  });

  ImButton1 = makeLinkButton(this, "ImButton1", QStringLiteral("确  定"), scale_);
  scale_.place(ImButton1, 136, 592, 80, 26);
  ImButton2 = makeLinkButton(this, "ImButton2", QStringLiteral("取  消"), scale_);
  scale_.place(ImButton2, 288, 592, 80, 26);
  connect(ImButton1, &QPushButton::clicked, this, &TForm4::ImButton1Click);
  connect(ImButton2, &QPushButton::clicked, this, &TForm4::ImButton2Click);
  clearDefaultButtons(this);

  FormCreate(fileName, formatIndex);
}

void TForm4::keyPressEvent(QKeyEvent* event) {
  if (isReturnKey(*event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TForm4::FormCreate(const QString& fileName, int formatIndex) {
  const ImportedFile file = readImportFile(qStringToPath(fileName).string(), formatIndex);
  switch (file.status) {
    case ImportStatus::kRead:
      StringGrid1->cells()->fillRows(importGridCells(file.pointLines));
      break;
    case ImportStatus::kFormatError:
      host_.prompts.showOk(host_.parent, kWarning, QString::fromUtf8(kImportFormatErrorText),
                           PromptIcon::kExclamation);
      break;
    case ImportStatus::kFailed:
      host_.prompts.showOk(host_.parent, kWarning, QString::fromUtf8(kImportFailedText),
                           PromptIcon::kExclamation);
      // Then what went wrong, as the program reports any error of its own.
      host_.prompts.showOk(host_.parent, QCoreApplication::applicationName(),
                           QString::fromUtf8(file.problem), PromptIcon::kExclamation);
      break;
  }
}

void TForm4::ImButton1Click() {
  const auto append = [this](uint8_t slot, const uint8_t* record) {
    return host_.appendRecordChecked && host_.appendRecordChecked(slot, kRecordSize, record);
  };
  if (!StringGrid1->leaveCellForButton()) return;
  ImportResult =
      storeImportRows(StringGrid1->cells()->rowsAsAnsi<4>(), Target, host_.byteOrder, append);
  accept();
}

void TForm4::ImButton2Click() {
  ImportResult = 0;
  reject();
}

}  // namespace vel
