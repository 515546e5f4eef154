// The job viewer: every survey record of one job as a numbered line, single
// records deleted after a question, and the job's points passed on to the
// point output window.
#pragma once

#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <cstdint>
#include <functional>

#include "card/CardSession.h"
#include "ui/Prompts.h"
#include "ui/UiLook.h"

namespace vel {

// Opens the viewer for the job modally over `parent` and returns when it has
// closed. reportWriteFailure is the main window's report of a write the card
// did not take; without it the viewer shows the message itself.
void showJobViewer(JobSlot job, CardSession& card, Prompts& prompts, const QString& imagePath,
                   QWidget* parent = nullptr, std::function<void()> reportWriteFailure = {});

class JobViewer final : public QDialog {
  Q_OBJECT
 public:
  JobViewer(CardSession& card, Prompts& prompts, QWidget* parent = nullptr);

  JobSlot job;
  std::function<void()> reportWriteFailure;

  // Caption and list from the session; runs when the window is first shown,
  // unless called before.
  void fill();
  // "删除记录": deletes the selected record after a question.
  void onDeleteRecord();
  // "输出点坐标".
  void onOutputPoints();
  // "图形": the job's plan.
  void onShowPlan();

  QListWidget* recordList;
  QPushButton* deleteButton;
  QPushButton* outputButton;
  QPushButton* planButton;  // "图形"
  // The image's path: never an output file, and its name titles the plan.
  QString imagePath;

 protected:
  void showEvent(QShowEvent* event) override;
  // Return in the list must not ask to delete a record.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void setCountCaption(int count);

  CardSession& card_;
  Prompts& prompts_;
  Scaler scale_;
  QString baseCaption_;
  bool shown_ = false;
};

}  // namespace vel
