#include "app/MainWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "app/CardDiscovery.h"
#include "app/CardWatcher.h"
#include "card/UsedCapacity.h"
#include "messages/MessageTexts.h"
#include "ui/AnsiText.h"
#include "ui/ImportWindow.h"
#include "ui/JobViewer.h"
#include "ui/Language.h"
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
// Wide enough for "Select record area" and "Format record area".
constexpr int kTopButtonWidth = 160;
constexpr int kButtonHeight = 24;

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

const QString kKeepSnapshotsKey = QStringLiteral("keepSnapshots");

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

}  // namespace

MainWindow::MainWindow(CardSession& session, Prompts& prompts, const CardMedia& media,
                       const std::filesystem::path& imageToOpen, QWidget* parent)
    : QWidget(parent), session_(session), prompts_(prompts), media_(media) {
  buildWindow();
  connectWindows();
  loaded_ = false;
  pages->setCurrentIndex(0);
  setKeepSnapshots(programSettings().value(kKeepSnapshotsKey, true).toBool());
  // Watching starts before the first selection, so that a card put in while
  // its dialog is open is offered once the dialog has closed.
  cardWatcher_ = new CardWatcher(media_, this);
  cardWatcher_->cardAppeared = [this](const CardPresets& presets) { offerCard(presets); };
  cardWatcher_->start();
  selectAtStartup(imageToOpen);
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
  fitTextWidths(this);

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
  snapshotsOffLabel = makeLabel(topPanel, "snapshotsOffLabel", tr("自动备份已关闭"));
  QPalette offPalette = snapshotsOffLabel->palette();
  offPalette.setColor(QPalette::WindowText, QColor(192, 0, 0));
  snapshotsOffLabel->setPalette(offPalette);
  snapshotsOffLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // From the top panel's right edge leftwards, as far as the text needs.
  const int offWidth = std::max(scale_(kTopButtonWidth), textWidth(snapshotsOffLabel));
  snapshotsOffLabel->setGeometry(scale_(565) - offWidth, scale_(12), offWidth,
                                 scale_(kButtonHeight));
  snapshotsOffLabel->hide();
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

  jobPage = new JobFilesPage(*this);
  knownPointPage = new KnownPointsPage(*this);
  codePage = new FeatureCodesPage(*this);
  // The captions are drawn by drawPageTab; these name the tabs for
  // accessibility only.
  int tab = 0;
  for (QWidget* sheet : std::initializer_list<QWidget*>{jobPage, knownPointPage, codePage}) {
    const TabCaption& caption = kTabCaptions[tab++];
    pages->addTab(sheet, tr(caption.text.source, caption.text.comment));
  }

  // Nothing to act on until a record area is loaded.
  pagesPanel->setVisible(false);
  pagesPanel->setEnabled(false);
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
  session_.close();
  event->accept();
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
  choosingImage_ = true;
  const bool chosen = prompts_.openFile(dialogParent(), openDialog);
  choosingImage_ = false;
  if (chosen) loadSelectedImage();
  if (const std::optional<CardPresets> card = std::exchange(cardWhileChoosing_, std::nullopt)) {
    offerCard(*card);
  }
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
  refreshPages();
  jobPage->selectCurrentJob();
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
  snapshotsOffLabel->setVisible(!keep);
  QSettings settings = programSettings();
  if (settings.value(kKeepSnapshotsKey, true).toBool() != keep) {
    settings.setValue(kKeepSnapshotsKey, keep);
  }
}

void MainWindow::onRestore() {
  RestoreWindow window(session_, snapshotFolder_, prompts_, this);
  window.keepSnapshotsChanged = [this](bool keep) { setKeepSnapshots(keep); };
  window.restored = [this] { reloadImage(); };
  window.reportWriteFailure = [this] { reportWriteFailure(); };
  window.exec();
}

void MainWindow::reloadImage() {
  setLoaded(session_.recognised());
  refreshSummary();
  refreshPages();
  if (jobPage->list->count() > 0 && jobPage->list->currentRow() < 0) {
    jobPage->list->setCurrentRow(0);
  }
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
  // The next selection starts on the card, whatever the answer.
  openDialog.initialDir = pathToQString(presets.initialDir);
  if (!presets.fileName.empty()) openDialog.fileName = pathToQString(presets.fileName);
  if (choosingImage_) {
    cardWhileChoosing_ = presets;
    return;
  }
  const QString question = tr("发现存储卡：%1\r\n\r\n现在打开其中的记录区吗？")
                               .arg(QDir::toNativeSeparators(pathToQString(presets.initialDir)));
  if (!prompts_.askYesNo(dialogParent(), tr("选取记录区"), question, PromptIcon::kQuestion)) return;
  if (presets.fileName.empty()) {
    onSelectImage();
    return;
  }
  loadSelectedImage();
}

void MainWindow::clearLists() {
  jobPage->clear();
  knownPointPage->clear();
  codePage->clear();
}

// --- Summary and lists --------------------------------------------------------

QString MainWindow::imageFileName() const {
  return QFileInfo(QDir::fromNativeSeparators(openDialog.fileName)).fileName();
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

void MainWindow::viewJob(JobSlot job) {
  if (openJobViewer) openJobViewer(job);
}

bool MainWindow::importPoints(JobSlot target) {
  return importCoordinates && importCoordinates(target, importFormatChoice);
}

void MainWindow::refreshPages() {
  jobPage->refresh();
  knownPointPage->refresh();
  codePage->refresh();
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
  refreshPages();
}

}  // namespace vel
