#include "ui/ListPage.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <array>
#include <cstring>

#include "records/PointNames.h"
#include "ui/AnsiText.h"
#include "ui/Controls.h"
#include "ui/PlanWindow.h"
#include "ui/SessionTexts.h"

namespace vel {
namespace {

constexpr int kButtonHeight = 24;
constexpr int kPageWidth = 552;
constexpr int kPageHeight = 526;
constexpr int kButtonYs[] = {48, 123, 197, 272, 347, 422};

void setName(NameBuffer& buffer, const std::string& name) {
  buffer.fill('\0');
  name.copy(buffer.data(), kNameLength);
}

}  // namespace

std::string nameOf(const NameBuffer& buffer) {
  return std::string(buffer.data(), ::strnlen(buffer.data(), kNameLength));
}

void fillList(QListWidget* list, const std::vector<std::string>& lines) {
  QStringList rows;
  rows.reserve(static_cast<int>(lines.size()));
  for (const std::string& line : lines) rows << ansiToQString(line);
  list->setUpdatesEnabled(false);
  list->clear();
  list->addItems(rows);
  list->setUpdatesEnabled(true);
}

int selectedRow(const QListWidget* list) {
  const QListWidgetItem* item = list->currentItem();
  return item && item->isSelected() ? list->currentRow() : -1;
}

ListPage::ListPage(PageHost& host, const char* objectName)
    : host_(host), session_(host.session()), scale_(host.scale()) {
  setObjectName(QString::fromLatin1(objectName));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, windowColour());
  setPalette(palette);
  setAutoFillBackground(true);
  // The page's room in the page control, before the control lays it out.
  resize(scale_(kPageWidth), scale_(kPageHeight));
}

void ListPage::refreshSelecting(int row) {
  refresh();
  selectRowOrLast(list, row);
}

bool ListPage::allowed(Needs needs) {
  if (!host_.pagesUsable()) return false;
  return needs == Needs::kLoadedArea ||
         changesAllowed(session_, host_.prompts(), host_.dialogParent());
}

void ListPage::placeButtonColumn(int x, int width, std::initializer_list<Button> buttons) {
  int i = 0;
  for (const Button& b : buttons) {
    const QString caption = QCoreApplication::translate(metaObject()->className(), b.caption);
    b.button = makeLinkButton(this, b.name, caption, scale_);
    scale_.place(b.button, x, kButtonYs[i++], width, kButtonHeight);
    connect(b.button, &QPushButton::clicked, this,
            [this, needs = b.needs, handler = b.handler] {
              if (allowed(needs)) handler();
            });
  }
}

void ListPage::onDeleteKey(Needs needs, std::function<void()> handler) {
  deleteKey_ = [this, needs, handler = std::move(handler)] {
    if (allowed(needs)) handler();
  };
  list->installEventFilter(this);
}

bool ListPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list && event->type() == QEvent::KeyPress && deleteKey_ &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    deleteKey_();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void ListPage::addPlanMenu(std::function<std::optional<JobSlot>(int row)> planOf) {
  planMenu = new QMenu(this);
  planMenu->setObjectName(QStringLiteral("planMenu"));
  QAction* showPlanAction =
      planMenu->addAction(QCoreApplication::translate("vel::ListPage", "显示图形"));
  showPlanAction->setObjectName(QStringLiteral("showPlanAction"));
  connect(showPlanAction, &QAction::triggered, this, [this] {
    if (allowed(Needs::kLoadedArea) && planJob_) showPlan(*planJob_);
  });
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list, &QListWidget::customContextMenuRequested, this,
          [this, planOf = std::move(planOf)](const QPoint& at) {
            if (!host_.pagesUsable()) return;
            planJob_ = planOf(list->indexAt(at).row());
            if (planJob_) planMenu->popup(list->viewport()->mapToGlobal(at));
          });
}

void ListPage::showPlan(JobSlot job) {
  const QString imageName = QFileInfo(QDir::fromNativeSeparators(host_.imagePath())).fileName();
  showPlanWindow(cardPlan(session_, job, imageName), host_.prompts(), window());
}

bool ListPage::clearAfterAsking(const QString& caption, const QString& question,
                                const Action& clear) {
  if (list->count() == 0 || !changesAllowed(session_, host_.prompts(), host_.dialogParent())) {
    return false;
  }
  if (!host_.prompts().askYesNo(host_.dialogParent(), caption, question, PromptIcon::kQuestion) ||
      !act(clear)) {
    return false;
  }
  list->clear();
  return true;
}

Outcome ListPage::roomFor(JobSlot target) {
  const Refusal full = session_.roomForEntry(target);
  return full == Refusal::kNone ? Outcome::ok() : Outcome::refusedFor(full);
}

// The coordinate dialog opens again after each stored point, with the next
// name proposed, until it is cancelled or the card refuses a point.
bool ListPage::enterPoints(
    JobSlot target, const QString& caption,
    const std::function<void(const std::string& name, const PointValues&)>& stored) {
  if (!host_.showOutcome(roomFor(target))) return false;
  NameBuffer name{};
  PointValues values{};
  bool any = false;
  while (host_.entryDialogs().enterCoordinates(
             host_.dialogParent(), caption, 0,
             std::span<char, kNameLength>(name.data(), kNameLength), values) == 1) {
    if (!host_.pagesUsable() ||
        !act(AddPoint{target, nameOf(name), values[0], values[1], values[2]})) {
      break;
    }
    if (stored) stored(nameOf(name), values);
    host_.refreshSummary();
    any = true;
    std::string next = nameOf(name);
    nextPointName(next);
    setName(name, next);
  }
  return any;
}

bool ListPage::importInto(JobSlot target) {
  if (!host_.showOutcome(roomFor(target))) return false;
  return host_.importPoints(target) && host_.pagesUsable();
}

}  // namespace vel
