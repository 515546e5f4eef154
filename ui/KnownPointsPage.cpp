#include "ui/KnownPointsPage.h"

#include <QFrame>
#include <QLabel>

#include "records/ListLines.h"
#include "ui/AnsiText.h"
#include "ui/Controls.h"

namespace vel {
namespace {

constexpr const char* kCaption = QT_TRANSLATE_NOOP("vel::KnownPointsPage", "已知点");

}  // namespace

KnownPointsPage::KnownPointsPage(PageHost& host) : ListPage(host, "knownPointPage") {
  const struct {
    const char* text;
    int x;
  } headings[] = {{QT_TR_NOOP("点  号"), 10}, {"N/X", 140}, {"E/Y", 251}, {"Z", 364}};
  for (const auto& heading : headings) {
    auto* label = new QLabel(tr(heading.text), this);
    label->setTextFormat(Qt::PlainText);
    scale_.place(label, heading.x, 12, 80, 20);
  }
  auto* rule = new QFrame(this);
  rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  scale_.place(rule, 8, 34, 427, 2);

  list = makeOwnerDrawnList(this, "knownPointList", Qt::black, scale_);
  list->setItemDelegate(new PlainRowDelegate(scale_, list));
  scale_.place(list, 8, 40, 427, 481);

  placeButtonColumn(452, 95,
                    {{enterKnownPointsButton, "enterKnownPointsButton", QT_TR_NOOP("输入坐标"),
                      Needs::kChanges, [this] { enterPoints(); }},
                     {importKnownPointsButton, "importKnownPointsButton", QT_TR_NOOP("从文件导入"),
                      Needs::kChanges, [this] { importPoints(); }},
                     {deleteKnownPointButton, "deleteKnownPointButton", QT_TR_NOOP("删  除"),
                      Needs::kChanges, [this] { deletePoint(); }},
                     {clearKnownPointsButton, "clearKnownPointsButton", QT_TR_NOOP("清  空"),
                      Needs::kLoadedArea, [this] { clearPoints(); }}});
  onDeleteKey(Needs::kChanges, [this] { deletePoint(); });
  allowManyRows(list, [this](const std::vector<int>& rows) {
    return rowsAsText(session_.knownPointLines(), rows, knownPointFields);
  });
  addPlanMenu([this](int) { return std::optional<JobSlot>(session_.knownPointFile()); });
}

void KnownPointsPage::refresh() {
  fillList(list, session_.knownPointLines());
  if (list->count() > 0) list->setCurrentRow(0);
}

void KnownPointsPage::enterPoints() {
  // Rows are added as typed; the store's order, which free places left by
  // deletions may change, is shown once the typing ends.
  const bool stored = ListPage::enterPoints(
      session_.knownPointFile(), tr(kCaption),
      [this](const std::string& name, const PointValues& values) {
        list->addItem(ansiToQString(knownPointText(name, values[0], values[1], values[2])));
      });
  if (stored) refresh();
}

void KnownPointsPage::importPoints() {
  if (!importInto(session_.knownPointFile())) return;
  refresh();
  host_.refreshSummary();
}

void KnownPointsPage::deletePoint() {
  const std::vector<int> rows = selectedRows(list);
  if (rows.size() > 1) {
    deletePoints(rows);
    return;
  }
  const int row = selectedRow(list);
  if (row < 0) return;
  const JobSlot file = session_.knownPointFile();
  const QString name = ansiToQString(session_.pointName(file, row));
  if (!host_.prompts().askYesNo(host_.dialogParent(), tr(kCaption), tr("删除点号%1吗？").arg(name),
                                PromptIcon::kQuestion)) {
    return;
  }
  if (!act(DeleteRecord{file, row})) return;
  host_.refreshSummary();
  removeRowKeepingSelection(list, row);
}

// Several selected points: one question, one change, one snapshot.
void KnownPointsPage::deletePoints(const std::vector<int>& rows) {
  const QString question = tr("删除选中的%1个已知点吗？").arg(rows.size());
  if (!host_.prompts().askYesNo(host_.dialogParent(), tr(kCaption), question,
                                PromptIcon::kQuestion)) {
    return;
  }
  if (!act(DeleteRecords{session_.knownPointFile(), rows})) return;
  host_.refreshSummary();
  refreshSelecting(rows.front());
}

void KnownPointsPage::clearPoints() {
  if (clearAfterAsking(tr(kCaption), tr("删除全部已知点吗？"), ClearKnownPoints{})) {
    host_.refreshSummary();
  }
}

}  // namespace vel
