#include "ui/FeatureCodesPage.h"

#include "ui/AnsiText.h"
#include "ui/Controls.h"

namespace vel {
namespace {

constexpr const char* kCaption = QT_TRANSLATE_NOOP("vel::FeatureCodesPage", "特征码");

}  // namespace

FeatureCodesPage::FeatureCodesPage(PageHost& host) : ListPage(host, "codePage") {
  list = makeOwnerDrawnList(this, "codeList", Qt::black, scale_);
  list->setItemDelegate(new NumberedRowDelegate(scale_, list));
  scale_.place(list, 8, 8, 425, 516);

  placeButtonColumn(452, 95,
                    {{enterCodesButton, "enterCodesButton", QT_TR_NOOP("输  入"), Needs::kChanges,
                      [this] { enterCodes(); }},
                     {deleteCodeButton, "deleteCodeButton", QT_TR_NOOP("删  除"), Needs::kChanges,
                      [this] { deleteCode(); }},
                     {clearCodesButton, "clearCodesButton", QT_TR_NOOP("清  空"),
                      Needs::kLoadedArea, [this] { clearCodes(); }}});
  onDeleteKey(Needs::kChanges, [this] { deleteCode(); });
  allowManyRows(list, [this](const std::vector<int>& rows) {
    return rowsAsText(session_.featureCodes(), rows,
                      [](std::string_view code) { return std::string(code); });
  });
}

void FeatureCodesPage::refresh() {
  fillList(list, session_.featureCodes());
  if (list->count() > 0) list->setCurrentRow(0);
}

void FeatureCodesPage::enterCodes() {
  NameBuffer code{};
  while (host_.entryDialogs().enterName(host_.dialogParent(), tr(kCaption), tr("输入特征码："),
                                        code, kNameLength) == 1) {
    if (!act(AddFeatureCode{nameOf(code)})) return;
    list->addItem(ansiToQString(nameOf(code)));
    list->setCurrentRow(list->count() - 1);
    code.fill('\0');  // the dialog opens empty again
  }
}

void FeatureCodesPage::deleteCode() {
  // One code goes without a question; several are asked for once.
  if (const std::vector<int> rows = selectedRows(list); rows.size() > 1) {
    if (host_.prompts().askYesNo(host_.dialogParent(), tr(kCaption),
                                 tr("删除选中的%1个特征码吗？").arg(rows.size()),
                                 PromptIcon::kQuestion) &&
        act(DeleteFeatureCodes{rows})) {
      refreshSelecting(rows.front());
    }
    return;
  }
  const int row = selectedRow(list);
  if (row < 0) return;
  if (!act(DeleteFeatureCode{row})) return;
  removeRowKeepingSelection(list, row);
}

void FeatureCodesPage::clearCodes() {
  clearAfterAsking(tr(kCaption), tr("删除所有特征码吗？"), ClearFeatureCodes{});
}

}  // namespace vel
