#include "ui/RestoreWindow.h"

#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "messages/MessageTexts.h"
#include "ui/AnsiText.h"
#include "ui/Controls.h"
#include "ui/Language.h"
#include "ui/SessionTexts.h"

namespace vel {
namespace {

QString utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

RestoreWindow::RestoreWindow(CardSession& card, const SnapshotFolder& folder, Prompts& prompts,
                             QWidget* parent)
    : QDialog(parent), card_(card), folder_(folder), prompts_(prompts) {
  setObjectName(QStringLiteral("RestoreWindow"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  applyWindowLook(this, scale_);
  setFixedSize(scale_(800), scale_(540));
  const QString imageName = utf8(card_.imageName());
  const QString caption = tr("恢复备份");
  setWindowTitle(card_.isOpen() ? caption + QStringLiteral(" - ") + imageName : caption);

  listCaption = new QLabel(tr("备份（新的在前）："), this);
  scale_.place(listCaption, 12, 10, 400, 20);
  snapshotList = new QTreeWidget(this);
  snapshotList->setObjectName(QStringLiteral("snapshotList"));
  snapshotList->setHeaderLabels({tr("时间"), tr("操作"), tr("内容"), tr("来源")});
  snapshotList->setRootIsDecorated(false);
  snapshotList->setUniformRowHeights(true);
  snapshotList->setSelectionMode(QAbstractItemView::SingleSelection);
  snapshotList->setColumnWidth(0, scale_(160));
  snapshotList->setColumnWidth(1, scale_(220));
  snapshotList->setColumnWidth(2, scale_(250));
  snapshotList->header()->setStretchLastSection(true);
  scale_.place(snapshotList, 12, 32, 776, 250);

  previewCaption = new QLabel(tr("所选备份的工作文件："), this);
  scale_.place(previewCaption, 12, 292, 400, 20);
  previewList = new QListWidget(this);
  previewList->setObjectName(QStringLiteral("previewList"));
  previewList->setSelectionMode(QAbstractItemView::NoSelection);
  previewList->setFocusPolicy(Qt::NoFocus);
  scale_.place(previewList, 12, 314, 776, 140);

  keepSnapshotsBox = new QCheckBox(tr("删除、改名、导入、格式化前自动备份"), this);
  keepSnapshotsBox->setObjectName(QStringLiteral("keepSnapshotsBox"));
  keepSnapshotsBox->setChecked(card_.snapshotFolder() != nullptr);
  scale_.place(keepSnapshotsBox, 12, 466, 580, 24);  // up to the buttons, for the English
  connect(keepSnapshotsBox, &QCheckBox::clicked, this, &RestoreWindow::onKeepSnapshotsClicked);
  folderLabel = new QLabel(tr("备份文件夹：") + QString::fromStdString(folder_.path()), this);
  folderLabel->setObjectName(QStringLiteral("folderLabel"));
  folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  scale_.place(folderLabel, 12, 500, 576, 24);

  restoreButton = makeLinkButton(this, "restoreButton", tr("恢  复"), scale_);
  scale_.place(restoreButton, 600, 466, 80, 26);
  closeButton = makeLinkButton(this, "closeButton", tr("关  闭"), scale_);
  scale_.place(closeButton, 700, 466, 80, 26);
  restoreToFileButton = makeLinkButton(this, "restoreToFileButton", tr("恢复到新文件"), scale_);
  scale_.place(restoreToFileButton, 600, 500, 180, 26);
  newFileDialog.title = tr("恢复到新文件");
  newFileDialog.filter =
      translatedFilter("vel::RestoreWindow", {{QT_TR_NOOP("记录区文件"), "*.VEL"}});
  newFileDialog.defaultExt = QStringLiteral("VEL");
  connect(restoreButton, &QPushButton::clicked, this, &RestoreWindow::onRestore);
  connect(restoreToFileButton, &QPushButton::clicked, this, &RestoreWindow::onRestoreToFile);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(snapshotList, &QTreeWidget::currentItemChanged, this, [this] { showPreview(); });
  clearDefaultButtons(this);
  fitTextWidths(this);
  fill();
}

// Turning snapshots off takes away the way back from a mistake: asked first.
void RestoreWindow::onKeepSnapshotsClicked(bool keep) {
  if (!keep &&
      !prompts_.askYesNo(this, windowTitle(),
                         tr("关闭后，删除、改名、导入和格式化之前不再自动备份，出错后无法恢复。"
                            "\r\n\r\n确定要关闭自动备份吗？"),
                         PromptIcon::kExclamation)) {
    keepSnapshotsBox->setChecked(true);
    return;
  }
  if (keepSnapshotsChanged) keepSnapshotsChanged(keep);
}

void RestoreWindow::fill() {
  const bool open = card_.isOpen();
  if (open) {
    snapshots_ = folder_.list(card_.imageName());
  } else {
    // No image: every snapshot kept, for one whose image is lost.
    snapshots_ = folder_.all();
    std::reverse(snapshots_.begin(), snapshots_.end());
  }
  snapshotList->clear();
  QList<QTreeWidgetItem*> rows;
  for (const Snapshot& s : snapshots_) {
    const QString place = s.place.empty() ? tr("（未记录）") : utf8(s.place);
    auto* row = new QTreeWidgetItem({utf8(snapshotTimeText(s.time)), snapshotActionMessage(s),
                                     snapshotContentsMessage(s), place});
    // Shown, so the user sees it is there, but greyed: restore refuses it.
    const bool fits = open && card_.snapshotFits(s);
    const bool otherCard = open && !fromCard(s, card_.origin().card);
    for (int column = 0; column < 4; ++column) {
      QString tip = row->text(column);
      if (open && !fits) tip = tr("与当前记录区的大小或机型不同，不能恢复");
      if (fits && otherCard) tip = tr("来自另一张存储卡：%1").arg(place);
      row->setToolTip(column, tip);
      if (open && !fits) {
        row->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
      }
    }
    rows << row;
  }
  snapshotList->addTopLevelItems(rows);
  if (!rows.isEmpty()) snapshotList->setCurrentItem(rows.first());
  showPreview();
}

void RestoreWindow::showPreview() {
  previewList->clear();
  const int row = snapshotList->indexOfTopLevelItem(snapshotList->currentItem());
  if (row < 0) return;
  bool recognised = false;
  const auto lines = snapshotJobLines(folder_, snapshotAt(row), &recognised);
  if (!lines) {
    previewList->addItem(tr("（备份文件已损坏或丢失）"));
  } else if (!recognised) {
    previewList->addItem(tr("（未识别的记录区）"));
  } else {
    for (const std::string& line : *lines) previewList->addItem(ansiToQString(line));
  }
}

int RestoreWindow::chosenRow() const {
  return snapshotList->indexOfTopLevelItem(snapshotList->currentItem());
}

void RestoreWindow::onRestore() {
  const int row = chosenRow();
  if (row < 0 || !card_.isOpen() || !changesAllowed(card_, prompts_, this)) return;
  const Snapshot snapshot = snapshotAt(row);
  // Another card's jobs over this card's: only when the user says so, for
  // this very snapshot.
  const bool otherCard = !fromCard(snapshot, card_.origin().card);
  if (otherCard && card_.snapshotFits(snapshot)) {
    const QString warning =
        tr("这个备份来自另一张存储卡（%1），当前记录区在 %2。\r\n\r\n仍然用它替换当前记录区吗？")
            .arg(utf8(snapshot.place), utf8(card_.origin().place));
    if (!prompts_.askYesNo(this, tr("恢复备份"), warning, PromptIcon::kExclamation)) return;
  }
  const QString question =
      tr("把记录区恢复成%1“%2”之前的样子吗？\r\n\r\n记录区现在的内容将被替换。")
          .arg(utf8(snapshotTimeText(snapshot.time)), snapshotActionMessage(snapshot));
  if (!prompts_.askYesNo(this, tr("恢复备份"), question, PromptIcon::kQuestion)) return;

  const Outcome outcome = card_.run(RestoreSnapshot{&folder_, snapshot, otherCard});
  switch (outcome.kind) {
    case Outcome::Kind::kNotBackedUp:
      showNotBackedUp(prompts_, this, outcome.backup);
      return;
    case Outcome::Kind::kRefused:
      prompts_.showOk(this, tr("警告"), refusalMessage(outcome.refusal), PromptIcon::kExclamation);
      return;
    case Outcome::Kind::kWriteFailed:
      if (reportWriteFailure) reportWriteFailure();
      return;
    case Outcome::Kind::kNotAllowed:
      prompts_.showOk(this, tr("提示"), notAllowedMessage(outcome), PromptIcon::kInformation);
      return;
    case Outcome::Kind::kDone:
      break;
  }
  if (restored) restored();
  fill();
  prompts_.showTimedMessage(this, tr("已恢复备份"));
}

void RestoreWindow::onRestoreToFile() {
  const int row = chosenRow();
  if (row < 0) return;
  const Snapshot snapshot = snapshotAt(row);
  newFileDialog.fileName = utf8(snapshot.imageName);
  // A new file only: one that is there is never replaced.
  newFileDialog.overwritePrompt = false;
  if (!prompts_.saveFile(this, newFileDialog)) return;
  const std::filesystem::path path = qStringToPath(newFileDialog.fileName);
  const int error = folder_.restoreToNewFile(snapshot, path);
  if (error == 0) {
    prompts_.showTimedMessage(this, tr("已恢复到新文件"));
    return;
  }
  const QString file = QDir::toNativeSeparators(newFileDialog.fileName);
  QString why;
  if (error == EEXIST) {
    why = tr("文件%1已存在，没有写入。").arg(file);
  } else if (error == EBADMSG) {
    why = messageText(kSnapshotDamagedText);
  } else {
    why = tr("无法写入文件%1：").arg(file) + QString::fromLocal8Bit(std::strerror(error));
  }
  prompts_.showOk(this, tr("警告"), why, PromptIcon::kExclamation);
}

void RestoreWindow::keyPressEvent(QKeyEvent* event) {
  // A restore replaces the whole card: only a click or Space starts one.
  if (isReturnKey(*event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace vel
