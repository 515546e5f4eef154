// The job files page: the card's jobs with their record counts, and what is
// done to a job: viewed, made, deleted, renamed, points typed or imported into it.
#pragma once

#include "ui/ListPage.h"

namespace vel {

class JobFilesPage final : public ListPage {
  Q_OBJECT
 public:
  explicit JobFilesPage(PageHost& host);

  void refresh() override;
  // Selects the instrument's current job, or the first when it names none.
  void selectCurrentJob();

  QPushButton* viewJobButton;
  QPushButton* newJobButton;
  QPushButton* deleteJobButton;
  QPushButton* renameJobButton;
  QPushButton* enterPointsButton;
  QPushButton* importPointsButton;

 protected:
  // A double click anywhere in the list, on a row or below the last one, views the job.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void newJob();
  void deleteJob();
  void deleteJobs(const std::vector<int>& rows);
  void renameJob();
  void viewJob();
  void enterPoints();
  void importPoints();
  // The job of the selected row; none when no row is selected.
  std::optional<JobSlot> selectedJob() const;
};

}  // namespace vel
