#include "records/Unit5.h"

#include "app/AnsiText.h"
#include "app/Controls.h"
#include "exchange/Unit6.h"
#include "records/MessageTexts.h"
#include "records/SurveyRecord.h"
#include "store/RecordAreaStore.h"

namespace vel {
namespace {

// The main window's words for a write the card did not take.
const QString kWriteFailure = QString::fromUtf8(kCardWriteFailedText);

}  // namespace

void showJobViewer(uint8_t slot, RecordAreaStore& store, Prompts& prompts, QWidget* parent,
                   std::function<void()> reportWriteFailure) {
  TForm5 form(store, prompts, parent);
  form.JobSlot = slot;
  form.ReportWriteFailure = std::move(reportWriteFailure);
  form.exec();
}

TForm5::TForm5(RecordAreaStore& store, Prompts& prompts, QWidget* parent)
    : QDialog(parent), store_(store), prompts_(prompts) {
  setObjectName(QStringLiteral("Form5"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  applyWindowLook(this, scale_);
  setFixedSize(scale_(592), scale_(753));

  ListBox1 = makeOwnerDrawnList(this, "ListBox1", Qt::black, scale_);
  ListBox1->setItemDelegate(new NumberedRowDelegate(scale_, ListBox1));
  scale_.place(ListBox1, 0, 0, 592, 690);

  ImButton1 = makeLinkButton(this, "ImButton1", QStringLiteral("删除记录"), scale_);
  scale_.place(ImButton1, 176, 712, 75, 26);
  ImButton2 = makeLinkButton(this, "ImButton2", QStringLiteral("输出点坐标"), scale_);
  scale_.place(ImButton2, 328, 712, 97, 26);
  connect(ImButton1, &QPushButton::clicked, this, &TForm5::ImButton1Click);
  connect(ImButton2, &QPushButton::clicked, this, &TForm5::ImButton2Click);
  clearDefaultButtons(this);
}

void TForm5::keyPressEvent(QKeyEvent* event) {
  if (isReturnKey(*event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TForm5::showEvent(QShowEvent* event) {
  if (!shown_) FormShow();
  QDialog::showEvent(event);
}

void TForm5::setCountCaption(int count) {
  setWindowTitle(baseCaption_ + QStringLiteral(" (记录总数:") + QString::number(count) +
                 QLatin1Char(')'));
}

void TForm5::FormShow() {
  shown_ = true;
  baseCaption_ = QStringLiteral("查阅工作文件:") + ansiToQString(store_.jobName(JobSlot));
  const int count = store_.recordCount(JobSlot);
  setCountCaption(count);

  QStringList rows;
  rows.reserve(count);
  std::array<uint8_t, kRecordSize> record{};
  for (int i = 0; i < count; ++i) {
    // A record the store cannot deliver keeps its row, so that row i stays
    // record i for deletions; it shows as a record of unknown kind.
    if (store_.readRecord(JobSlot, i, kRecordSize, record.data()) != kDone) record.fill(0xFF);
    rows << ansiToQString(recordText(store_.byteOrder(), record));
  }
  ListBox1->clear();
  ListBox1->addItems(rows);
  if (count > 0) ListBox1->setCurrentRow(0);
}

void TForm5::ImButton1Click() {
  const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
  if (selected.isEmpty()) return;
  const int row = ListBox1->row(selected.first());

  const QString name = ansiToQString(store_.recordPointName(JobSlot, row));
  const QString question = QStringLiteral("删除点号为%1的记录吗？").arg(name);
  if (!prompts_.askYesNo(this, QStringLiteral("工作文件"), question, PromptIcon::kQuestion)) {
    return;
  }

  uint8_t result = store_.deleteRecord(JobSlot, row);
  // The deletion is on the device before the viewer waits for the next click.
  if (result == kDone && !store_.syncImage()) result = kWriteFailed;
  if (result == kWriteFailed) {
    // Show what the card holds now, not what was meant to be there.
    if (ReportWriteFailure) {
      ReportWriteFailure();
    } else {
      prompts_.showOk(this, QStringLiteral("警告"), kWriteFailure, PromptIcon::kExclamation);
    }
    FormShow();
    if (row < ListBox1->count()) ListBox1->setCurrentRow(row);
    return;
  }
  if (result != kDone) return;

  setCountCaption(ListBox1->count() - 1);
  removeRowKeepingSelection(ListBox1, row);
}

void TForm5::ImButton2Click() {
  showPointOutput(JobSlot, store_, prompts_, this);
}

}  // namespace vel
