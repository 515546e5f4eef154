#include "exchange/Unit6.h"

#include <QCoreApplication>
#include <QHeaderView>

#include "app/AnsiText.h"
#include "app/Controls.h"
#include "exchange/ExchangeFile.h"
#include "exchange/GridCellCheck.h"
#include "exchange/PointOutput.h"
#include "store/RecordAreaStore.h"

namespace vel {
namespace {

const QString kCaption = QStringLiteral("输出点坐标");
const QString kSaveFilter = QStringLiteral(
    "全站坐标记录文件(*.QPL)|*.QPL|拓普康 GTS700/600/800 Points(*.pts)|*.pts|"
    "SCS2002 坐标文件(*.dat)|*.dat|SV300坐标文件(*.dat)|*.dat|CASS5.X文件(*.DAT)|*.DAT|"
    "文本文件(逗号分隔)(*.CSV)|*.CSV|AutoCAD DXF 文件(*.DXF)|*.DXF");
const QString kWriteFailedText = QStringLiteral("文件写入失败！");

const QStringList& headerTexts() {
  static const QStringList texts{QStringLiteral("   点    号"), QStringLiteral("      N"),
                                 QStringLiteral("      E"), QStringLiteral("      Z"),
                                 QStringLiteral("  特  征  码")};
  return texts;
}

using Column = CoordinateGrid::Column;

}  // namespace

FileDialogSettings pointOutputDialogSettings() {
  FileDialogSettings settings;
  settings.filter = kSaveFilter;
  settings.filterIndex = 1;
  settings.defaultExt = QStringLiteral("*.QPL");
  settings.initialDir = QCoreApplication::applicationDirPath();
  settings.overwritePrompt = true;
  return settings;
}

void showPointOutput(uint8_t slot, RecordAreaStore& store, Prompts& prompts, QWidget* parent) {
  TForm6 form(store, prompts, parent);
  form.JobSlot = slot;
  form.exec();
}

TForm6::TForm6(RecordAreaStore& store, Prompts& prompts, QWidget* parent)
    : QDialog(parent), SaveDialog1(pointOutputDialogSettings()), store_(store), prompts_(prompts) {
  setObjectName(QStringLiteral("Form6"));
  setWindowTitle(kCaption);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  applyWindowLook(this, scale_);
  setFixedSize(scale_(592), scale_(753));

  StringGrid1 = new CoordinateGrid(
      {Column::kText, Column::kCoordinate, Column::kCoordinate, Column::kCoordinate, Column::kText},
      headerTexts(), kOutputGridRows, scale_, this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->horizontalHeader()->setDefaultSectionSize(scale_(113));
  scale_.place(StringGrid1, 0, 0, 592, 694);
  // Names and codes never grow past what a point line carries, even before
  // the cell is left.
  StringGrid1->setTextByteLimit(kNameLength);
  StringGrid1->setRangeNotice([this] {
    prompts_.showOk(this, QStringLiteral("提示"), QString::fromUtf8(kCoordinateRangeText),
                    PromptIcon::kInformation);
  });

  ImButton1 = makeLinkButton(this, "ImButton1", QStringLiteral("保  存"), scale_);
  scale_.place(ImButton1, 177, 711, 75, 26);
  ImButton2 = makeLinkButton(this, "ImButton2", QStringLiteral("另 存 为"), scale_);
  scale_.place(ImButton2, 345, 711, 88, 26);
  connect(ImButton1, &QPushButton::clicked, this, &TForm6::ImButton1Click);
  connect(ImButton2, &QPushButton::clicked, this, &TForm6::ImButton2Click);
  clearDefaultButtons(this);
}

void TForm6::keyPressEvent(QKeyEvent* event) {
  if (isReturnKey(*event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TForm6::showEvent(QShowEvent* event) {
  if (!shown_) FormShow();
  QDialog::showEvent(event);
}

void TForm6::FormShow() {
  shown_ = true;
  pointLines_ = jobPointLines(store_, JobSlot);
  StringGrid1->cells()->fillRows(outputGridCells(pointLines_));
}

void TForm6::ImButton1Click() {
  if (!StringGrid1->leaveCellForButton()) return;
  writePointFile(!saved_);
}

void TForm6::ImButton2Click() {
  if (!StringGrid1->leaveCellForButton()) return;
  writePointFile(true);
}

bool TForm6::writePointFile(bool ask) {
  if (ask && !prompts_.saveFile(this, SaveDialog1)) return false;
  collectGridLines();
  if (!writeExchangeFile(qStringToPath(SaveDialog1.fileName).string(), SaveDialog1.filterIndex,
                         pointLines_)) {
    // A file that was not written is no save: "保  存" keeps asking until one is.
    prompts_.showOk(this, QStringLiteral("警告"), kWriteFailedText, PromptIcon::kExclamation);
    return false;
  }
  saved_ = true;
  return true;
}

void TForm6::collectGridLines() {
  StringGrid1->commitOpenEditor();
  pointLines_ = vel::collectGridLines(StringGrid1->cells()->rowsAsAnsi<5>());
}

}  // namespace vel
