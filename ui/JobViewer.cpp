#include "ui/JobViewer.h"

#include <QFileInfo>

#include "card/CardSession.h"
#include "messages/MessageTexts.h"
#include "records/SurveyRecord.h"
#include "ui/AnsiText.h"
#include "ui/Controls.h"
#include "ui/Language.h"
#include "ui/PlanWindow.h"
#include "ui/PointOutputWindow.h"
#include "ui/SessionTexts.h"

namespace vel {

void showJobViewer(JobSlot job, CardSession& card, Prompts& prompts, const QString& imagePath,
                   QWidget* parent, std::function<void()> reportWriteFailure) {
  JobViewer form(card, prompts, parent);
  form.job = job;
  form.imagePath = imagePath;
  form.reportWriteFailure = std::move(reportWriteFailure);
  form.exec();
}

JobViewer::JobViewer(CardSession& card, Prompts& prompts, QWidget* parent)
    : QDialog(parent), card_(card), prompts_(prompts) {
  setObjectName(QStringLiteral("JobViewer"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  applyWindowLook(this, scale_);
  setFixedSize(scale_(592), scale_(753));

  recordList = makeOwnerDrawnList(this, "recordList", Qt::black, scale_);
  recordList->setItemDelegate(new NumberedRowDelegate(scale_, recordList));
  scale_.place(recordList, 0, 0, 592, 690);

  deleteButton = makeLinkButton(this, "deleteButton", tr("删除记录"), scale_);
  // Wide enough for "Delete record" and "Export points".
  scale_.place(deleteButton, 176, 712, 140, 26);
  outputButton = makeLinkButton(this, "outputButton", tr("输出点坐标"), scale_);
  scale_.place(outputButton, 328, 712, 140, 26);
  connect(deleteButton, &QPushButton::clicked, this, &JobViewer::onDeleteRecord);
  allowManyRows(recordList, [this](const std::vector<int>& rows) {
    return rowsAsText(card_.recordLines(job), rows, recordFields);
  });
  planButton = makeLinkButton(this, "planButton", tr("图形"), scale_);
  scale_.place(planButton, 480, 712, 50, 26);
  connect(outputButton, &QPushButton::clicked, this, &JobViewer::onOutputPoints);
  connect(planButton, &QPushButton::clicked, this, &JobViewer::onShowPlan);
  clearDefaultButtons(this);
  fitTextWidths(this);
}

void JobViewer::keyPressEvent(QKeyEvent* event) {
  if (isReturnKey(*event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void JobViewer::showEvent(QShowEvent* event) {
  if (!shown_) fill();
  QDialog::showEvent(event);
}

void JobViewer::setCountCaption(int count) {
  setWindowTitle(baseCaption_ + tr(" (记录总数:") + QString::number(count) + QLatin1Char(')'));
}

void JobViewer::fill() {
  shown_ = true;
  baseCaption_ = tr("查阅工作文件:") + ansiToQString(card_.jobName(job));
  // Row i stays record i for deletions, an unreadable record included.
  const std::vector<std::string> lines = card_.recordLines(job);
  const int count = static_cast<int>(lines.size());
  setCountCaption(count);

  QStringList rows;
  rows.reserve(count);
  for (const std::string& line : lines) rows << ansiToQString(line);
  recordList->clear();
  recordList->addItems(rows);
  if (count > 0) recordList->setCurrentRow(0);
}

void JobViewer::onDeleteRecord() {
  const std::vector<int> rows = selectedRows(recordList);
  if (rows.empty() || !changesAllowed(card_, prompts_, this)) return;
  // The row the deletion leaves selected: the first deleted one's place.
  const int row = rows.front();

  // Several selected records: one question, one change, one snapshot.
  const QString question =
      rows.size() > 1
          ? tr("删除选中的%1条记录吗？").arg(rows.size())
          : tr("删除点号为%1的记录吗？").arg(ansiToQString(card_.pointName(job, row)));
  if (!prompts_.askYesNo(this, tr("工作文件"), question, PromptIcon::kQuestion)) {
    return;
  }

  const Outcome outcome = card_.run(DeleteRecords{job, rows});
  switch (outcome.kind) {
    case Outcome::Kind::kDone:
      if (rows.size() == 1) {
        setCountCaption(recordList->count() - 1);
        removeRowKeepingSelection(recordList, row);
      } else {
        fill();
        selectRowOrLast(recordList, row);
      }
      return;
    case Outcome::Kind::kNotBackedUp:
      showNotBackedUp(prompts_, this, outcome.backup);
      return;
    case Outcome::Kind::kWriteFailed:
      // Show what the card holds now, not what was meant to be there.
      if (reportWriteFailure) {
        reportWriteFailure();
      } else {
        prompts_.showOk(this, tr("警告"), messageText(kCardWriteFailedText),
                        PromptIcon::kExclamation);
      }
      // The card was pulled out and its image let go: nothing left to show.
      if (!card_.isOpen()) {
        reject();
        return;
      }
      fill();
      if (row < recordList->count()) recordList->setCurrentRow(row);
      return;
    case Outcome::Kind::kRefused:
    case Outcome::Kind::kNotAllowed:
      return;
  }
}

void JobViewer::onOutputPoints() {
  showPointOutput(card_, job, prompts_, imagePath, this);
}

void JobViewer::onShowPlan() {
  showPlanWindow(cardPlan(card_, job, QFileInfo(imagePath).fileName()), prompts_, this);
}

}  // namespace vel
