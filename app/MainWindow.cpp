#include "app/MainWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "app/CardDiscovery.h"
#include "app/CardWatcher.h"
#include "card/UsedCapacity.h"
#include "messages/MessageTexts.h"
#include "records/ListLines.h"
#include "records/PointNames.h"
#include "ui/AnsiText.h"
#include "ui/ImportWindow.h"
#include "ui/JobViewer.h"
#include "ui/Language.h"
#include "ui/PlanWindow.h"
#include "ui/RestoreWindow.h"
#include "ui/SessionTexts.h"

namespace vel {
namespace {

// Design sizes of a 1024-pixel-high screen.
constexpr int kClientWidth = 599;
constexpr int kClientHeight = 769;
constexpr int kTabWidth = 133;
constexpr int kTabHeight = 26;
constexpr int kTabCaptionMargin = 6;
constexpr int kButtonHeight = 24;
constexpr int kButtonYs[] = {48, 123, 197, 272, 347, 422};
// Wide enough for "Select record area" and "Format record area".
constexpr int kTopButtonWidth = 160;

const QColor kInactiveTabColour(224, 238, 254);

// The window's texts, translated where they are shown (MainWindow::tr).
constexpr const char* kNoModel = QT_TRANSLATE_NOOP("vel::MainWindow", "不确定");
constexpr const char* kNoRecordArea = QT_TRANSLATE_NOOP("vel::MainWindow", "未选取记录区");

constexpr const char* kFormatQuestion = QT_TRANSLATE_NOOP(
    "vel::MainWindow",
    "选取的记录区未格式化或存在错误,需格式化后才能正常存储数据。\r\n\r\n现在格式化该记录区吗?");
constexpr const char* kFormatWarning = QT_TRANSLATE_NOOP(
    "vel::MainWindow",
    "格式化将删除全站记录区内全部数据,并且不能恢复。\r\n\r\n你确定要执行此操作吗？");
constexpr const char* kImageInUse =
    QT_TRANSLATE_NOOP("vel::MainWindow", "记录区文件正被其他程序使用！");
constexpr const char* kRestoredFromJournal =
    QT_TRANSLATE_NOOP("vel::MainWindow",
                      "记录区上次的修改没有完成（程序中断或存储卡被拔出），已恢复到修改前的状态。");
constexpr const char* kWarningCaption = QT_TRANSLATE_NOOP("vel::MainWindow", "警告");

constexpr const char* kJobCaption = QT_TRANSLATE_NOOP("vel::MainWindow", "工作文件");
constexpr const char* kKnownPointCaption = QT_TRANSLATE_NOOP("vel::MainWindow", "已知点");
constexpr const char* kCodeCaption = QT_TRANSLATE_NOOP("vel::MainWindow", "特征码");

// The program's settings: ~/.config/vel-reader/vel-reader.conf.
QSettings programSettings() {
  return QSettings(QStringLiteral("vel-reader"), QStringLiteral("vel-reader"));
}
const QString kKeepSnapshotsKey = QStringLiteral("keepSnapshots");

// A name buffer of the entry dialogs: 8 characters and a terminator that no
// dialog writes.
using NameBuffer = std::array<char, kNameLength + 1>;

std::string nameOf(const NameBuffer& buffer) {
  return std::string(buffer.data(), ::strnlen(buffer.data(), kNameLength));
}

void setName(NameBuffer& buffer, const std::string& name) {
  buffer.fill('\0');
  name.copy(buffer.data(), kNameLength);
}

// A known point's row as the list shows it, from the values just typed.
QString knownPointRow(const std::string& name, const PointValues& values) {
  return ansiToQString(knownPointText(name, values[0], values[1], values[2]));
}

struct TabCaption {
  struct {
    const char* source;
    const char* comment;  // tells the tab's word from the dialogs' caption
  } text;
  int x;
  int y;
};
// Each caption lands on its own tab because the tabs are 133 pixels wide.
constexpr TabCaption kTabCaptions[] = {
    {QT_TRANSLATE_NOOP3("vel::MainWindow", "工作文件", "page tab"), 35, 5},
    {QT_TRANSLATE_NOOP3("vel::MainWindow", "已知点", "page tab"), 180, 5},
    {QT_TRANSLATE_NOOP3("vel::MainWindow", "特征码", "page tab"), 310, 5}};

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  if (name) label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  return label;
}

// Fills a list in one go; a full known-point file has 3072 rows.
void fillList(QListWidget* list, const std::vector<std::string>& lines) {
  QStringList rows;
  rows.reserve(static_cast<int>(lines.size()));
  for (const std::string& line : lines) rows << ansiToQString(line);
  list->setUpdatesEnabled(false);
  list->clear();
  list->addItems(rows);
  list->setUpdatesEnabled(true);
}

}  // namespace

MainWindow::MainWindow(CardSession& session, Prompts& prompts, const CardMedia& media,
                       const std::filesystem::path& imageToOpen, QWidget* parent)
    : QWidget(parent), session_(session), prompts_(prompts), media_(media) {
  buildWindow();
  connectPages();
  connectWindows();
  loaded_ = false;
  pages->setCurrentIndex(0);
  setKeepSnapshots(programSettings().value(kKeepSnapshotsKey, true).toBool());
  selectAtStartup(imageToOpen);
  cardWatcher_ = new CardWatcher(media_, this);
  cardWatcher_->cardAppeared = [this](const CardPresets& presets) { offerCard(presets); };
  cardWatcher_->start();
}

MainWindow::~MainWindow() = default;

// --- Building the window ------------------------------------------------------

void MainWindow::buildWindow() {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("Veldra V2.1"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  applyWindowLook(this, scale_);
  setFixedSize(scale_(kClientWidth), scale_(kClientHeight));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }

  buildSummary();
  buildPages();
  pressFocusedButtonsOnReturn(this);

  openDialog.title = tr("打开全站记录区文件");
  openDialog.filter = tr("全站记录区文件") + QStringLiteral("(*.VEL)|*.VEL");
  openDialog.defaultExt = QStringLiteral("vel");
}

void MainWindow::buildSummary() {
  topPanel = makePanel(this, "topPanel", QFrame::Raised, 1);
  scale_.place(topPanel, 14, 16, 570, 158);
  summaryPanel = makePanel(topPanel, "summaryPanel", QFrame::Sunken, 1, Qt::white);
  scale_.place(summaryPanel, 10, 9, 340, 140);

  // The captions reach to the values, room that the English needs; the
  // last stops at the gauge.
  struct Row {
    const char* caption;
    int y;
    int width;
  };
  constexpr Row kRows[] = {{QT_TR_NOOP("机  型："), 12, 126},
                           {QT_TR_NOOP("记录区："), 37, 126},
                           {QT_TR_NOOP("工作文件数："), 62, 126},
                           {QT_TR_NOOP("已知点数："), 87, 126},
                           {QT_TR_NOOP("记录区占用："), 112, 96}};
  for (const Row& row : kRows) {
    QLabel* caption = makeLabel(summaryPanel, nullptr, tr(row.caption));
    scale_.place(caption, 12, row.y, row.width, 20);
  }
  modelLabel = makeLabel(summaryPanel, "modelLabel", tr(kNoModel));
  scale_.place(modelLabel, 139, 12, 195, 20);
  imageNameLabel = makeLabel(summaryPanel, "imageNameLabel", tr(kNoRecordArea));
  scale_.place(imageNameLabel, 139, 37, 195, 20);
  jobCountLabel = makeLabel(summaryPanel, "jobCountLabel", QStringLiteral("0"));
  scale_.place(jobCountLabel, 139, 62, 195, 20);
  knownPointCountLabel = makeLabel(summaryPanel, "knownPointCountLabel", QStringLiteral("0"));
  scale_.place(knownPointCountLabel, 139, 87, 195, 20);
  usageGauge = new PercentGauge(summaryPanel);
  usageGauge->setObjectName(QStringLiteral("usageGauge"));
  scale_.place(usageGauge, 108, 110, 229, 20);

  selectImageButton = makeLinkButton(topPanel, "selectImageButton", tr("选取记录区"), scale_);
  scale_.place(selectImageButton, 405, 42, kTopButtonWidth, kButtonHeight);
  formatButton = makeLinkButton(topPanel, "formatButton", tr("格式化记录区"), scale_);
  scale_.place(formatButton, 405, 92, kTopButtonWidth, kButtonHeight);
  restoreButton = makeLinkButton(topPanel, "restoreButton", tr("恢复备份"), scale_);
  scale_.place(restoreButton, 405, 130, kTopButtonWidth, kButtonHeight);
  connect(selectImageButton, &QPushButton::clicked, this, &MainWindow::onSelectImage);
  connect(formatButton, &QPushButton::clicked, this, &MainWindow::onFormat);
  connect(restoreButton, &QPushButton::clicked, this, &MainWindow::onRestore);
}

void MainWindow::buildPages() {
  pagesPanel = makePanel(this, "pagesPanel", QFrame::Raised, 1);
  scale_.place(pagesPanel, 14, 184, 570, 570);
  pages = new OwnerDrawnPageControl(scale_(kTabWidth), scale_(kTabHeight), pagesPanel);
  pages->setObjectName(QStringLiteral("pages"));
  scale_.place(pages, 5, 5, 560, 560);
  pages->ownerDrawnTabBar()->setDrawTab(
      [this](QPainter& painter, int index, const QRect& rect, bool active) {
        drawPageTab(painter, index, rect, active);
      });

  jobPage = buildJobPage();
  knownPointPage = buildKnownPointPage();
  codePage = buildCodePage();
  // The captions are drawn by drawPageTab; these name the tabs for
  // accessibility only.
  int tab = 0;
  for (QWidget* sheet : {jobPage, knownPointPage, codePage}) {
    const TabCaption& caption = kTabCaptions[tab++];
    pages->addTab(sheet, tr(caption.text.source, caption.text.comment));
  }
  for (QWidget* sheet : {jobPage, knownPointPage, codePage}) {
    QPalette palette = sheet->palette();
    palette.setColor(QPalette::Window, windowColour());
    sheet->setPalette(palette);
    sheet->setAutoFillBackground(true);
  }

  // Nothing to act on until a record area is loaded.
  pagesPanel->setVisible(false);
  pagesPanel->setEnabled(false);
}

// One link button of a page's column.
struct MainWindow::PageButton {
  QPushButton*& button;
  const char* name;
  const char* caption;
};

// The page buttons stand in a column right of the list, at fixed heights.
void MainWindow::placeButtonColumn(QWidget* sheet, int x, int width,
                                   std::initializer_list<PageButton> buttons) {
  int i = 0;
  for (const PageButton& b : buttons) {
    b.button = makeLinkButton(sheet, b.name, tr(b.caption), scale_);
    scale_.place(b.button, x, kButtonYs[i++], width, kButtonHeight);
  }
}

QWidget* MainWindow::buildJobPage() {
  auto* sheet = new QWidget;
  sheet->setObjectName(QStringLiteral("jobPage"));
  jobList = makeOwnerDrawnList(sheet, "jobList", QColor(0, 0, 255), scale_);
  jobList->setItemDelegate(new NumberedRowDelegate(scale_, jobList));
  scale_.place(jobList, 8, 8, 379, 516);

  placeButtonColumn(sheet, 410, 130,
                    {{viewJobButton, "viewJobButton", QT_TR_NOOP("查  阅")},
                     {newJobButton, "newJobButton", QT_TR_NOOP("新  建")},
                     {deleteJobButton, "deleteJobButton", QT_TR_NOOP("删  除")},
                     {renameJobButton, "renameJobButton", QT_TR_NOOP("改  名")},
                     {enterPointsButton, "enterPointsButton", QT_TR_NOOP("输入坐标")},
                     {importPointsButton, "importPointsButton", QT_TR_NOOP("从文件导入坐标")}});
  return sheet;
}

QWidget* MainWindow::buildKnownPointPage() {
  auto* sheet = new QWidget;
  sheet->setObjectName(QStringLiteral("knownPointPage"));
  const struct {
    const char* text;
    int x;
  } headings[] = {{QT_TR_NOOP("点  号"), 10}, {"N/X", 140}, {"E/Y", 251}, {"Z", 364}};
  for (const auto& heading : headings) {
    QLabel* label = makeLabel(sheet, nullptr, tr(heading.text));
    scale_.place(label, heading.x, 12, 80, 20);
  }
  auto* rule = new QFrame(sheet);
  rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  scale_.place(rule, 8, 34, 427, 2);

  knownPointList = makeOwnerDrawnList(sheet, "knownPointList", Qt::black, scale_);
  knownPointList->setItemDelegate(new PlainRowDelegate(scale_, knownPointList));
  scale_.place(knownPointList, 8, 40, 427, 481);

  placeButtonColumn(sheet, 452, 95,
                    {{enterKnownPointsButton, "enterKnownPointsButton", QT_TR_NOOP("输入坐标")},
                     {importKnownPointsButton, "importKnownPointsButton", QT_TR_NOOP("从文件导入")},
                     {deleteKnownPointButton, "deleteKnownPointButton", QT_TR_NOOP("删  除")},
                     {clearKnownPointsButton, "clearKnownPointsButton", QT_TR_NOOP("清  空")}});
  return sheet;
}

QWidget* MainWindow::buildCodePage() {
  auto* sheet = new QWidget;
  sheet->setObjectName(QStringLiteral("codePage"));
  codeList = makeOwnerDrawnList(sheet, "codeList", Qt::black, scale_);
  codeList->setItemDelegate(new NumberedRowDelegate(scale_, codeList));
  scale_.place(codeList, 8, 8, 425, 516);

  placeButtonColumn(sheet, 452, 95,
                    {{enterCodesButton, "enterCodesButton", QT_TR_NOOP("输  入")},
                     {deleteCodeButton, "deleteCodeButton", QT_TR_NOOP("删  除")},
                     {clearCodesButton, "clearCodesButton", QT_TR_NOOP("清  空")}});
  return sheet;
}

void MainWindow::drawPageTab(QPainter& painter, int, const QRect& rect, bool active) {
  painter.fillRect(rect, active ? windowColour() : kInactiveTabColour);
  // The captions stand at fixed places of the page control, whichever tab is
  // being drawn; the next tab's fill covers what lies outside this one.
  const QPoint barOffset = pages->tabBar()->pos();
  painter.setFont(font());
  painter.setPen(Qt::black);
  const QFontMetrics metrics(painter.font());
  int tab = 0;
  for (const TabCaption& caption : kTabCaptions) {
    const QString text = tr(caption.text.source, caption.text.comment);
    // A caption longer than the Chinese one moves left so that it ends
    // within its own tab.
    const int tabEnd = barOffset.x() + (++tab) * scale_(kTabWidth) - scale_(kTabCaptionMargin);
    const int x = std::min(scale_(caption.x), tabEnd - metrics.horizontalAdvance(text));
    const QPoint at = QPoint(x, scale_(caption.y)) - barOffset;
    painter.drawText(QRect(at, QSize(scale_(kTabWidth), scale_(kTabHeight))),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  }
}

// --- Start-up and close -------------------------------------------------------

void MainWindow::selectAtStartup(const std::filesystem::path& imageToOpen) {
  if (!imageToOpen.empty()) {
    // The dialog opened later starts beside it.
    openDialog.initialDir = pathToQString(imageToOpen.parent_path());
    openDialog.fileName = pathToQString(imageToOpen);
    loadSelectedImage();
    return;
  }
  const CardPresets presets = discoverCard(media_);
  if (!presets.initialDir.empty()) openDialog.initialDir = pathToQString(presets.initialDir);
  if (!presets.fileName.empty()) openDialog.fileName = pathToQString(presets.fileName);
  onSelectImage();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  onClose();
  event->accept();
}

void MainWindow::onClose() {
  session_.close();
}

QWidget* MainWindow::dialogParent() {
  return isVisible() ? this : nullptr;
}

// --- Record-area selection and formatting --------------------------------------

void MainWindow::setLoaded(bool loaded) {
  loaded_ = loaded;
  pagesPanel->setEnabled(loaded);
  // Once shown, the pages stay in view; an image that is not loaded only
  // disables them.
  if (loaded) pagesPanel->setVisible(true);
}

bool MainWindow::pagesUsable() const {
  return loaded_ && session_.isOpen();
}

void MainWindow::onSelectImage() {
  if (prompts_.openFile(dialogParent(), openDialog)) loadSelectedImage();
}

void MainWindow::loadSelectedImage() {
  setLoaded(false);
  const std::filesystem::path path = qStringToPath(openDialog.fileName);
  const OpenStatus opened = session_.open(path.string(), [this] {
    return prompts_.askYesNo(dialogParent(), tr("选取记录区"), tr(kFormatQuestion),
                             PromptIcon::kQuestion);
  });
  switch (opened) {
    case OpenStatus::kLoaded:
      break;
    case OpenStatus::kInUse:
      prompts_.showOk(dialogParent(), tr(kWarningCaption), tr(kImageInUse),
                      PromptIcon::kExclamation);
      return;
    case OpenStatus::kWriteFailed:
      // A half-written record area is no record area: it stays unloaded.
      prompts_.showOk(dialogParent(), tr(kWarningCaption), messageText(kCardWriteFailedText),
                      PromptIcon::kExclamation);
      return;
    case OpenStatus::kMissing:
      return;
    case OpenStatus::kNotRecognised:
      // An area that could not be offered for formatting says why.
      if (!changeRefusalText(session_).isEmpty()) {
        prompts_.showOk(dialogParent(), tr("提示"), changeRefusalText(session_),
                        PromptIcon::kInformation);
      }
      return;
  }
  setLoaded(true);
  if (session_.restoredFromJournal()) {
    prompts_.showOk(dialogParent(), tr("提示"), tr(kRestoredFromJournal), PromptIcon::kInformation);
  }
  if (const QString found = journalFindingText(session_); !found.isEmpty()) {
    prompts_.showOk(dialogParent(), tr("提示"), found, PromptIcon::kInformation);
  }
  // Said once: the image can only be read.
  if (const QString refusal = changeRefusalText(session_); !refusal.isEmpty()) {
    prompts_.showOk(dialogParent(), tr("提示"), refusal, PromptIcon::kInformation);
  }

  refreshSummary();
  refreshJobList();
  if (session_.jobCount() != 0) {
    // A current job byte that names no listed job falls back to the first.
    jobList->setCurrentRow(session_.currentJob().value_or(JobPosition{0}).value);
  }
  refreshKnownPointList();
  refreshCodeList();
}

bool MainWindow::changesUsable() {
  return pagesUsable() && changesAllowed(session_, prompts_, dialogParent());
}

void MainWindow::onFormat() {
  if (!session_.isOpen() || !changesAllowed(session_, prompts_, dialogParent())) return;
  if (!prompts_.askYesNo(dialogParent(), tr(kWarningCaption), tr(kFormatWarning),
                         PromptIcon::kExclamation)) {
    return;
  }
  // A format the card did not take leaves the area as it was.
  if (!act(FormatArea{})) return;
  refreshSummary();
  clearLists();
}

void MainWindow::setKeepSnapshots(bool keep) {
  session_.setSnapshotFolder(keep ? &snapshotFolder_ : nullptr);
  QSettings settings = programSettings();
  if (settings.value(kKeepSnapshotsKey, true).toBool() != keep) {
    settings.setValue(kKeepSnapshotsKey, keep);
  }
}

void MainWindow::onRestore() {
  RestoreWindow window(session_, snapshotFolder_, prompts_, this);
  connect(window.keepSnapshotsBox, &QCheckBox::toggled, this, &MainWindow::setKeepSnapshots);
  window.restored = [this] { reloadImage(); };
  window.reportWriteFailure = [this] { reportWriteFailure(); };
  window.exec();
}

void MainWindow::reloadImage() {
  setLoaded(session_.recognised());
  refreshSummary();
  refreshJobList();
  if (jobList->count() > 0 && jobList->currentRow() < 0) jobList->setCurrentRow(0);
  refreshKnownPointList();
  refreshCodeList();
}

void MainWindow::dropVanishedImage() {
  // Nothing more may go to a file that is not on the card any more.
  session_.close();
  setLoaded(false);
  modelLabel->setText(tr(kNoModel));
  imageNameLabel->setText(tr(kNoRecordArea));
  jobCountLabel->setText(QStringLiteral("0"));
  knownPointCountLabel->setText(QStringLiteral("0"));
  usageGauge->setProgress(0);
  clearLists();
  // Asked once the window that met the failure (the job viewer, say) has
  // closed, so that no window goes on showing the image let go.
  QTimer::singleShot(0, this, [this] {
    if (session_.isOpen()) return;
    if (prompts_.askYesNo(
            dialogParent(), tr("选取记录区"),
            tr("记录区文件已不存在（存储卡可能已被拔出）。\r\n\r\n现在重新选取记录区吗？"),
            PromptIcon::kQuestion)) {
      onSelectImage();
    }
  });
}

void MainWindow::offerCard(const CardPresets& presets) {
  if (pagesUsable()) return;
  const QString question = tr("发现存储卡：%1\r\n\r\n现在打开其中的记录区吗？")
                               .arg(QDir::toNativeSeparators(pathToQString(presets.initialDir)));
  if (!prompts_.askYesNo(dialogParent(), tr("选取记录区"), question, PromptIcon::kQuestion)) return;
  openDialog.initialDir = pathToQString(presets.initialDir);
  if (presets.fileName.empty()) {
    onSelectImage();
    return;
  }
  openDialog.fileName = pathToQString(presets.fileName);
  loadSelectedImage();
}

void MainWindow::clearLists() {
  jobList->clear();
  knownPointList->clear();
  codeList->clear();
}

// --- Summary and lists --------------------------------------------------------

QString MainWindow::imageFileName() const {
  return QFileInfo(QDir::fromNativeSeparators(openDialog.fileName)).fileName();
}

// A right click on a list offers the plan of the job under the mouse, or of
// the known points.
void MainWindow::connectPlanMenu(QListWidget* list) {
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list, &QListWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
    if (!pagesUsable()) return;
    if (list == jobList) {
      const int row = jobList->indexAt(at).row();
      if (row < 0) return;
      jobList->setCurrentRow(row);
    }
    planMenu->popup(list->viewport()->mapToGlobal(at));
    planMenuList_ = list;
  });
}

void MainWindow::onShowPlan() {
  if (!pagesUsable()) return;
  JobSlot job = session_.knownPointFile();
  if (planMenuList_ == jobList) {
    const int row = selectedRow(jobList);
    if (row < 0) return;
    job = session_.jobAt(JobPosition{row});
  }
  showPlanWindow(cardPlan(session_, job, imageFileName()), prompts_, this);
}

void MainWindow::refreshSummary() {
  if (!session_.isOpen()) return;
  const CardSummary summary = session_.summary();
  imageNameLabel->setText(imageFileName());
  modelLabel->setText(QString::fromLatin1(modelName(summary.model)));
  jobCountLabel->setText(QString::number(summary.jobs));
  knownPointCountLabel->setText(QString::number(summary.knownPoints));
  usageGauge->setProgress(summary.usedPercent);
}

void MainWindow::refreshJobList() {
  const int selected = jobList->currentRow();
  fillList(jobList, session_.jobLines());
  if (selected >= 0 && selected < jobList->count()) jobList->setCurrentRow(selected);
}

void MainWindow::refreshKnownPointList() {
  fillList(knownPointList, session_.knownPointLines());
  if (knownPointList->count() > 0) knownPointList->setCurrentRow(0);
}

void MainWindow::refreshCodeList() {
  fillList(codeList, session_.featureCodes());
  if (codeList->count() > 0) codeList->setCurrentRow(0);
}

bool MainWindow::act(const Action& action) {
  return showOutcome(session_.run(action));
}

bool MainWindow::showOutcome(const Outcome& outcome) {
  switch (outcome.kind) {
    case Outcome::Kind::kNotBackedUp:
      showNotBackedUp(prompts_, dialogParent(), outcome.backup);
      break;
    case Outcome::Kind::kWriteFailed:
      reportWriteFailure();
      break;
    case Outcome::Kind::kRefused:
      if (const QString text = refusalMessage(outcome.refusal); !text.isEmpty()) {
        prompts_.showTimedMessage(this, text);
      }
      break;
    case Outcome::Kind::kNotAllowed:
      prompts_.showOk(dialogParent(), tr("提示"), notAllowedMessage(outcome),
                      PromptIcon::kInformation);
      break;
    case Outcome::Kind::kDone:
      break;
  }
  if (outcome.unconfirmed) {
    prompts_.showOk(dialogParent(), tr("提示"), messageText(kCommitUnconfirmedText),
                    PromptIcon::kInformation);
  }
  return outcome.done();
}

void MainWindow::reportWriteFailure() {
  prompts_.showOk(dialogParent(), tr(kWarningCaption), messageText(kCardWriteFailedText),
                  PromptIcon::kExclamation);
  if (!session_.isOpen()) return;
  if (session_.imageGone()) {
    dropVanishedImage();
    return;
  }
  // The session is back to what the card holds; so are the lists.
  setLoaded(session_.recognised());
  refreshSummary();
  refreshJobList();
  refreshKnownPointList();
  refreshCodeList();
}

int selectedRow(const QListWidget* list) {
  const QListWidgetItem* item = list->currentItem();
  return item && item->isSelected() ? list->currentRow() : -1;
}

// --- The pages ---------------------------------------------------------------------

// The job viewer and the coordinate import, opened by the pages.
void MainWindow::connectWindows() {
  openJobViewer = [this](JobSlot job) {
    showJobViewer(job, session_, prompts_, openDialog.fileName, this,
                  [this] { reportWriteFailure(); });
  };
  importCoordinates = [this](JobSlot target, int& formatId) {
    const ImportHost host{session_, prompts_,
                          [this](const Outcome& outcome) { return showOutcome(outcome); }, this};
    return vel::importCoordinates(target, formatId, host) == 1;
  };
}

void MainWindow::connectPages() {
  connect(newJobButton, &QPushButton::clicked, this, &MainWindow::onNewJob);
  connect(deleteJobButton, &QPushButton::clicked, this, &MainWindow::onDeleteJob);
  connect(renameJobButton, &QPushButton::clicked, this, &MainWindow::onRenameJob);
  connect(viewJobButton, &QPushButton::clicked, this, &MainWindow::onViewJob);
  connect(enterPointsButton, &QPushButton::clicked, this, &MainWindow::onEnterPoints);
  connect(importPointsButton, &QPushButton::clicked, this, &MainWindow::onImportPoints);

  connect(enterKnownPointsButton, &QPushButton::clicked, this, &MainWindow::onEnterKnownPoints);
  connect(importKnownPointsButton, &QPushButton::clicked, this, &MainWindow::onImportKnownPoints);
  connect(deleteKnownPointButton, &QPushButton::clicked, this, &MainWindow::onDeleteKnownPoint);
  connect(clearKnownPointsButton, &QPushButton::clicked, this, &MainWindow::onClearKnownPoints);

  connect(enterCodesButton, &QPushButton::clicked, this, &MainWindow::onEnterCodes);
  connect(deleteCodeButton, &QPushButton::clicked, this, &MainWindow::onDeleteCode);
  connect(clearCodesButton, &QPushButton::clicked, this, &MainWindow::onClearCodes);

  planMenu = new QMenu(this);
  planMenu->setObjectName(QStringLiteral("planMenu"));
  QAction* showPlan = planMenu->addAction(tr("显示图形"));
  showPlan->setObjectName(QStringLiteral("showPlanAction"));
  connect(showPlan, &QAction::triggered, this, &MainWindow::onShowPlan);
  connectPlanMenu(jobList);
  connectPlanMenu(knownPointList);

  for (QListWidget* list : {jobList, knownPointList, codeList}) {
    list->installEventFilter(this);
  }
  // A double click anywhere in the list, on a row or below the last one.
  jobList->viewport()->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Delete) {
      if (watched == jobList) {
        onJobListKey(key);
        return true;
      }
      if (watched == knownPointList) {
        onKnownPointListKey(key);
        return true;
      }
      if (watched == codeList) {
        onCodeListKey(key);
        return true;
      }
    }
  }
  if (event->type() == QEvent::MouseButtonDblClick && watched == jobList->viewport()) {
    onJobListDoubleClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

// --- Job files page ---------------------------------------------------------------

void MainWindow::onNewJob() {
  if (!changesUsable()) return;
  NameBuffer name{};
  if (entryDialogs_->enterName(dialogParent(), tr("新建工作文件"), tr("输入文件名："), name,
                               kNameLength) != 1) {
    return;
  }
  if (!act(CreateJob{nameOf(name)})) return;
  // A new job always takes the last position.
  refreshJobList();
  jobList->setCurrentRow(jobList->count() - 1);
  refreshSummary();
}

void MainWindow::onDeleteJob() {
  if (!changesUsable()) return;
  const int row = selectedRow(jobList);
  if (row < 0) return;
  const QString name = ansiToQString(session_.jobName(session_.jobAt(JobPosition{row})));
  if (!prompts_.askYesNo(dialogParent(), tr(kJobCaption), tr("删除工作文件%1吗？").arg(name),
                         PromptIcon::kQuestion)) {
    return;
  }
  if (!act(DeleteJob{JobPosition{row}})) return;
  refreshSummary();
  removeRowKeepingSelection(jobList, row);
}

void MainWindow::onRenameJob() {
  if (!changesUsable()) return;
  const int row = selectedRow(jobList);
  if (row < 0) return;
  NameBuffer name{};
  if (entryDialogs_->enterName(dialogParent(), tr("工作文件改名"), tr("输入新文件名："), name,
                               kNameLength) != 1) {
    return;
  }
  if (!act(RenameJob{session_.jobAt(JobPosition{row}), nameOf(name)})) return;
  jobList->item(row)->setText(ansiToQString(session_.jobLines().at(static_cast<size_t>(row))));
}

void MainWindow::onViewJob() {
  if (!pagesUsable()) return;
  const int row = selectedRow(jobList);
  if (row < 0 || !openJobViewer) return;
  openJobViewer(session_.jobAt(JobPosition{row}));
  // A card pulled out while the viewer was open has been let go.
  if (!pagesUsable()) return;
  // The viewer may have deleted records: counts and capacity changed.
  refreshJobList();
  refreshSummary();
}

void MainWindow::onJobListDoubleClick() {
  onViewJob();
}

void MainWindow::onJobListKey(int key) {
  if (key == Qt::Key_Delete) onDeleteJob();
}

void MainWindow::onEnterPoints() {
  if (!changesUsable()) return;
  const int row = selectedRow(jobList);
  if (row < 0) return;
  if (enterPoints(session_.jobAt(JobPosition{row}), tr(kJobCaption))) refreshJobList();
}

// The coordinate dialog opens again after each stored point, with the next
// name proposed, until it is cancelled or the card refuses a point.
bool MainWindow::enterPoints(JobSlot target, const QString& caption) {
  if (!showOutcome(roomFor(target))) return false;
  const bool knownPoints = session_.isKnownPointFile(target);
  NameBuffer name{};
  PointValues values{};
  bool stored = false;
  while (entryDialogs_->enterCoordinates(dialogParent(), caption, 0,
                                         std::span<char, kNameLength>(name.data(), kNameLength),
                                         values) == 1) {
    if (!pagesUsable() || !act(AddPoint{target, nameOf(name), values[0], values[1], values[2]})) {
      break;
    }
    if (knownPoints) knownPointList->addItem(knownPointRow(nameOf(name), values));
    refreshSummary();
    stored = true;
    std::string next = nameOf(name);
    vel::nextPointName(next);
    setName(name, next);
  }
  return stored;
}

Outcome MainWindow::roomFor(JobSlot target) {
  const Refusal full = session_.roomForEntry(target);
  return full == Refusal::kNone ? Outcome::ok() : Outcome::refusedFor(full);
}

void MainWindow::onImportPoints() {
  if (!changesUsable()) return;
  const int row = selectedRow(jobList);
  if (row < 0) return;
  const JobSlot job = session_.jobAt(JobPosition{row});
  if (!showOutcome(roomFor(job)) || !importCoordinates) return;
  if (!importCoordinates(job, importFormatChoice) || !pagesUsable()) return;
  refreshJobList();
  refreshSummary();
}

// --- Known points page ------------------------------------------------------------

void MainWindow::onEnterKnownPoints() {
  if (!changesUsable()) return;
  // The store's order, which free places left by deletions may change.
  if (enterPoints(session_.knownPointFile(), tr(kKnownPointCaption))) refreshKnownPointList();
}

void MainWindow::onImportKnownPoints() {
  if (!changesUsable()) return;
  const JobSlot file = session_.knownPointFile();
  if (!showOutcome(roomFor(file)) || !importCoordinates) return;
  if (!importCoordinates(file, importFormatChoice) || !pagesUsable()) return;
  refreshKnownPointList();
  refreshSummary();
}

void MainWindow::onDeleteKnownPoint() {
  if (!changesUsable()) return;
  const int row = selectedRow(knownPointList);
  if (row < 0) return;
  const JobSlot file = session_.knownPointFile();
  const QString name = ansiToQString(session_.pointName(file, row));
  if (!prompts_.askYesNo(dialogParent(), tr(kKnownPointCaption), tr("删除点号%1吗？").arg(name),
                         PromptIcon::kQuestion)) {
    return;
  }
  if (!act(DeleteRecord{file, row})) return;
  refreshSummary();
  removeRowKeepingSelection(knownPointList, row);
}

void MainWindow::onClearKnownPoints() {
  if (!pagesUsable() || knownPointList->count() == 0 || !changesUsable()) return;
  if (!prompts_.askYesNo(dialogParent(), tr(kKnownPointCaption), tr("删除全部已知点吗？"),
                         PromptIcon::kQuestion)) {
    return;
  }
  if (!act(ClearKnownPoints{})) return;
  knownPointList->clear();
  refreshSummary();
}

void MainWindow::onKnownPointListKey(int key) {
  if (key == Qt::Key_Delete) onDeleteKnownPoint();
}

// --- Feature codes page -----------------------------------------------------------

void MainWindow::onEnterCodes() {
  if (!changesUsable()) return;
  NameBuffer code{};
  while (entryDialogs_->enterName(dialogParent(), tr(kCodeCaption), tr("输入特征码："), code,
                                  kNameLength) == 1) {
    if (!act(AddFeatureCode{nameOf(code)})) return;
    codeList->addItem(ansiToQString(nameOf(code)));
    codeList->setCurrentRow(codeList->count() - 1);
    code.fill('\0');  // the dialog opens empty again
  }
}

void MainWindow::onDeleteCode() {
  if (!changesUsable()) return;
  const int row = selectedRow(codeList);
  if (row < 0) return;
  if (!act(DeleteFeatureCode{row})) return;
  removeRowKeepingSelection(codeList, row);
}

void MainWindow::onClearCodes() {
  if (!pagesUsable() || codeList->count() == 0 || !changesUsable()) return;
  if (!prompts_.askYesNo(dialogParent(), tr(kCodeCaption), tr("删除所有特征码吗？"),
                         PromptIcon::kQuestion)) {
    return;
  }
  if (!act(ClearFeatureCodes{})) return;
  codeList->clear();
}

void MainWindow::onCodeListKey(int key) {
  if (key == Qt::Key_Delete) onDeleteCode();
}

}  // namespace vel
