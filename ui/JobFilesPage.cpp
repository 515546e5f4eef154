#include "ui/JobFilesPage.h"

#include <QEvent>

#include "records/ListLines.h"
#include "ui/AnsiText.h"
#include "ui/Controls.h"

namespace vel {
namespace {

constexpr const char* kJobCaption = QT_TRANSLATE_NOOP("vel::JobFilesPage", "工作文件");

}  // namespace

JobFilesPage::JobFilesPage(PageHost& host) : ListPage(host, "jobPage") {
  list = makeOwnerDrawnList(this, "jobList", QColor(0, 0, 255), scale_);
  list->setItemDelegate(new NumberedRowDelegate(scale_, list));
  scale_.place(list, 8, 8, 379, 516);

  placeButtonColumn(
      410, 130,
      {{viewJobButton, "viewJobButton", QT_TR_NOOP("查  阅"), Needs::kLoadedArea,
        [this] { viewJob(); }},
       {newJobButton, "newJobButton", QT_TR_NOOP("新  建"), Needs::kChanges, [this] { newJob(); }},
       {deleteJobButton, "deleteJobButton", QT_TR_NOOP("删  除"), Needs::kChanges,
        [this] { deleteJob(); }},
       {renameJobButton, "renameJobButton", QT_TR_NOOP("改  名"), Needs::kChanges,
        [this] { renameJob(); }},
       {enterPointsButton, "enterPointsButton", QT_TR_NOOP("输入坐标"), Needs::kChanges,
        [this] { enterPoints(); }},
       {importPointsButton, "importPointsButton", QT_TR_NOOP("从文件导入坐标"), Needs::kChanges,
        [this] { importPoints(); }}});
  onDeleteKey(Needs::kChanges, [this] { deleteJob(); });
  allowManyRows(list, [this](const std::vector<int>& rows) {
    return rowsAsText(session_.jobLines(), rows, jobListFields);
  });
  list->viewport()->installEventFilter(this);
  addPlanMenu([this](int row) -> std::optional<JobSlot> {
    if (row < 0) return std::nullopt;
    list->setCurrentRow(row);
    return session_.jobAt(JobPosition{row});
  });
}

bool JobFilesPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    if (allowed(Needs::kLoadedArea)) viewJob();
    return true;
  }
  return ListPage::eventFilter(watched, event);
}

void JobFilesPage::refresh() {
  const int selected = list->currentRow();
  fillList(list, session_.jobLines());
  if (selected >= 0 && selected < list->count()) list->setCurrentRow(selected);
}

void JobFilesPage::selectCurrentJob() {
  if (list->count() == 0) return;
  // A current job byte that names no listed job falls back to the first.
  list->setCurrentRow(session_.currentJob().value_or(JobPosition{0}).value);
}

std::optional<JobSlot> JobFilesPage::selectedJob() const {
  const int row = selectedRow(list);
  if (row < 0) return std::nullopt;
  return session_.jobAt(JobPosition{row});
}

void JobFilesPage::newJob() {
  NameBuffer name{};
  if (host_.entryDialogs().enterName(host_.dialogParent(), tr("新建工作文件"), tr("输入文件名："),
                                     name, kNameLength) != 1) {
    return;
  }
  if (!act(CreateJob{nameOf(name)})) return;
  // A new job always takes the last position.
  refresh();
  list->setCurrentRow(list->count() - 1);
  host_.refreshSummary();
}

void JobFilesPage::deleteJob() {
  if (const std::vector<int> rows = selectedRows(list); rows.size() > 1) {
    deleteJobs(rows);
    return;
  }
  const int row = selectedRow(list);
  if (row < 0) return;
  const QString name = ansiToQString(session_.jobName(session_.jobAt(JobPosition{row})));
  if (!host_.prompts().askYesNo(host_.dialogParent(), tr(kJobCaption),
                                tr("删除工作文件%1吗？").arg(name), PromptIcon::kQuestion)) {
    return;
  }
  if (!act(DeleteJob{JobPosition{row}})) return;
  host_.refreshSummary();
  removeRowKeepingSelection(list, row);
}

// Several selected jobs: one question, one change, one snapshot.
void JobFilesPage::deleteJobs(const std::vector<int>& rows) {
  if (!host_.prompts().askYesNo(host_.dialogParent(), tr(kJobCaption),
                                tr("删除选中的%1个工作文件吗？").arg(rows.size()),
                                PromptIcon::kQuestion)) {
    return;
  }
  std::vector<JobPosition> jobs;
  for (int row : rows) jobs.push_back(JobPosition{row});
  if (!act(DeleteJobs{jobs})) return;
  host_.refreshSummary();
  refreshSelecting(rows.front());
}

void JobFilesPage::renameJob() {
  const int row = selectedRow(list);
  if (row < 0) return;
  NameBuffer name{};
  if (host_.entryDialogs().enterName(host_.dialogParent(), tr("工作文件改名"), tr("输入新文件名："),
                                     name, kNameLength) != 1) {
    return;
  }
  if (!act(RenameJob{session_.jobAt(JobPosition{row}), nameOf(name)})) return;
  list->item(row)->setText(ansiToQString(session_.jobLines().at(static_cast<size_t>(row))));
}

void JobFilesPage::viewJob() {
  const std::optional<JobSlot> job = selectedJob();
  if (!job) return;
  host_.viewJob(*job);
  // A card pulled out while the viewer was open has been let go.
  if (!host_.pagesUsable()) return;
  // The viewer may have deleted records: counts and capacity changed.
  refresh();
  host_.refreshSummary();
}

void JobFilesPage::enterPoints() {
  const std::optional<JobSlot> job = selectedJob();
  if (job && ListPage::enterPoints(*job, tr(kJobCaption), {})) refresh();
}

void JobFilesPage::importPoints() {
  const std::optional<JobSlot> job = selectedJob();
  if (!job || !importInto(*job)) return;
  refresh();
  host_.refreshSummary();
}

}  // namespace vel
