#include "app/Unit1.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <array>
#include <cstdio>
#include <cstring>

#include "app/AnsiText.h"
#include "app/CardDiscovery.h"
#include "app/PointNames.h"
#include "app/UsedCapacity.h"
#include "exchange/Unit4.h"
#include "records/ListLines.h"
#include "records/MessageTexts.h"
#include "records/Unit5.h"
#include "store/RecordAreaStore.h"

namespace vel {
namespace {

// Design sizes of a 1024-pixel-high screen.
constexpr int kClientWidth = 599;
constexpr int kClientHeight = 769;
constexpr int kTabWidth = 133;
constexpr int kTabHeight = 26;
constexpr int kButtonHeight = 24;
constexpr int kButtonYs[] = {48, 123, 197, 272, 347, 422};

const QColor kInactiveTabColour(224, 238, 254);

const QString kNoModel = QStringLiteral("不确定");
const QString kNoRecordArea = QStringLiteral("未选取记录区");

const QString kFormatQuestion = QStringLiteral(
    "选取的记录区未格式化或存在错误,需格式化后才能正常存储数据。\r\n\r\n现在格式化该记录区吗?");
const QString kFormatWarning =
    QStringLiteral("格式化将删除全站记录区内全部数据,并且不能恢复。\r\n\r\n你确定要执行此操作吗？");
const QString kWriteFailure = QString::fromUtf8(kCardWriteFailedText);
const QString kReadOnlyImage = QStringLiteral("无法以读写方式打开记录区文件！");
const QString kWarningCaption = QStringLiteral("警告");

const QString kJobCaption = QStringLiteral("工作文件");
const QString kKnownPointCaption = QStringLiteral("已知点");
const QString kCodeCaption = QStringLiteral("特征码");

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
  const char* text;
  int x;
  int y;
};
// Each caption lands on its own tab because the tabs are 133 pixels wide.
constexpr TabCaption kTabCaptions[] = {{"工作文件", 35, 5}, {"已知点", 180, 5}, {"特征码", 310, 5}};

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

TForm1::TForm1(RecordAreaStore& store, Prompts& prompts, const CardMedia& media, QWidget* parent)
    : QWidget(parent), store_(store), prompts_(prompts), media_(media) {
  buildWindow();
  connectPages();
  connectWindows();
  loaded_ = false;
  PageControl1->setCurrentIndex(0);
  FormCreate();
}

TForm1::~TForm1() = default;

// --- Building the window ------------------------------------------------------

void TForm1::buildWindow() {
  setObjectName(QStringLiteral("Form1"));
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

  OpenDialog1.title = QStringLiteral("打开全站记录区文件");
  OpenDialog1.filter = QStringLiteral("全站记录区文件(*.VEL)|*.VEL");
  OpenDialog1.defaultExt = QStringLiteral("vel");
}

void TForm1::buildSummary() {
  Panel2 = makePanel(this, "Panel2", QFrame::Raised, 1);
  scale_.place(Panel2, 14, 16, 570, 158);
  Panel3 = makePanel(Panel2, "Panel3", QFrame::Sunken, 1, Qt::white);
  scale_.place(Panel3, 10, 9, 340, 140);

  struct Row {
    const char* caption;
    int y;
  };
  constexpr Row kRows[] = {{"机  型：", 12},
                           {"记录区：", 37},
                           {"工作文件数：", 62},
                           {"已知点数：", 87},
                           {"记录区占用：", 112}};
  for (const Row& row : kRows) {
    QLabel* caption = makeLabel(Panel3, nullptr, QString::fromUtf8(row.caption));
    scale_.place(caption, 12, row.y, 96, 20);
  }
  Label13 = makeLabel(Panel3, "Label13", kNoModel);
  scale_.place(Label13, 139, 12, 195, 20);
  Label5 = makeLabel(Panel3, "Label5", kNoRecordArea);
  scale_.place(Label5, 139, 37, 195, 20);
  Label6 = makeLabel(Panel3, "Label6", QStringLiteral("0"));
  scale_.place(Label6, 139, 62, 195, 20);
  Label7 = makeLabel(Panel3, "Label7", QStringLiteral("0"));
  scale_.place(Label7, 139, 87, 195, 20);
  CGauge1 = new PercentGauge(Panel3);
  CGauge1->setObjectName(QStringLiteral("CGauge1"));
  scale_.place(CGauge1, 108, 110, 229, 20);

  SelVELButton = makeLinkButton(Panel2, "SelVELButton", QStringLiteral("选取记录区"), scale_);
  scale_.place(SelVELButton, 405, 42, 120, kButtonHeight);
  FormatVELButton =
      makeLinkButton(Panel2, "FormatVELButton", QStringLiteral("格式化记录区"), scale_);
  scale_.place(FormatVELButton, 405, 92, 120, kButtonHeight);
  connect(SelVELButton, &QPushButton::clicked, this, &TForm1::SelVELButtonClick);
  connect(FormatVELButton, &QPushButton::clicked, this, &TForm1::FormatVELButtonClick);
}

void TForm1::buildPages() {
  Panel1 = makePanel(this, "Panel1", QFrame::Raised, 1);
  scale_.place(Panel1, 14, 184, 570, 570);
  PageControl1 = new OwnerDrawnPageControl(scale_(kTabWidth), scale_(kTabHeight), Panel1);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  scale_.place(PageControl1, 5, 5, 560, 560);
  PageControl1->ownerDrawnTabBar()->setDrawTab(
      [this](QPainter& painter, int index, const QRect& rect, bool active) {
        PageControl1DrawTab(painter, index, rect, active);
      });

  TabSheet1 = buildJobPage();
  TabSheet2 = buildKnownPointPage();
  TabSheet3 = buildCodePage();
  // The captions are drawn by PageControl1DrawTab; these name the tabs for
  // accessibility only.
  PageControl1->addTab(TabSheet1, QStringLiteral("工作文件"));
  PageControl1->addTab(TabSheet2, QStringLiteral("已知点"));
  PageControl1->addTab(TabSheet3, QStringLiteral("特征码"));
  for (QWidget* sheet : {TabSheet1, TabSheet2, TabSheet3}) {
    QPalette palette = sheet->palette();
    palette.setColor(QPalette::Window, windowColour());
    sheet->setPalette(palette);
    sheet->setAutoFillBackground(true);
  }

  // Nothing to act on until a record area is loaded.
  Panel1->setVisible(false);
  Panel1->setEnabled(false);
}

// One link button of a page's column.
struct TForm1::PageButton {
  QPushButton*& button;
  const char* name;
  const char* caption;
};

// The page buttons stand in a column right of the list, at fixed heights.
void TForm1::placeButtonColumn(QWidget* sheet, int x, int width,
                               std::initializer_list<PageButton> buttons) {
  int i = 0;
  for (const PageButton& b : buttons) {
    b.button = makeLinkButton(sheet, b.name, QString::fromUtf8(b.caption), scale_);
    scale_.place(b.button, x, kButtonYs[i++], width, kButtonHeight);
  }
}

QWidget* TForm1::buildJobPage() {
  auto* sheet = new QWidget;
  sheet->setObjectName(QStringLiteral("TabSheet1"));
  JOBListBox = makeOwnerDrawnList(sheet, "JOBListBox", QColor(0, 0, 255), scale_);
  JOBListBox->setItemDelegate(new NumberedRowDelegate(scale_, JOBListBox));
  scale_.place(JOBListBox, 8, 8, 379, 516);

  placeButtonColumn(sheet, 410, 130,
                    {{ViewJOBButton, "ViewJOBButton", "查  阅"},
                     {NewJOBButton, "NewJOBButton", "新  建"},
                     {DelJOBButton, "DelJOBButton", "删  除"},
                     {RenameJOBButton, "RenameJOBButton", "改  名"},
                     {InputCoordToJOBButton, "InputCoordToJOBButton", "输入坐标"},
                     {ImportCoordButton, "ImportCoordButton", "从文件导入坐标"}});
  return sheet;
}

QWidget* TForm1::buildKnownPointPage() {
  auto* sheet = new QWidget;
  sheet->setObjectName(QStringLiteral("TabSheet2"));
  const struct {
    const char* text;
    int x;
  } headings[] = {{"点  号", 10}, {"N/X", 140}, {"E/Y", 251}, {"Z", 364}};
  for (const auto& heading : headings) {
    QLabel* label = makeLabel(sheet, nullptr, QString::fromUtf8(heading.text));
    scale_.place(label, heading.x, 12, 80, 20);
  }
  auto* rule = new QFrame(sheet);
  rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  scale_.place(rule, 8, 34, 427, 2);

  KnownCoordListBox = makeOwnerDrawnList(sheet, "KnownCoordListBox", Qt::black, scale_);
  KnownCoordListBox->setItemDelegate(new PlainRowDelegate(scale_, KnownCoordListBox));
  scale_.place(KnownCoordListBox, 8, 40, 427, 481);

  placeButtonColumn(sheet, 452, 95,
                    {{InputKnownCoordButton, "InputKnownCoordButton", "输入坐标"},
                     {ImportKnownCoordButton, "ImportKnownCoordButton", "从文件导入"},
                     {DelCoordButton, "DelCoordButton", "删  除"},
                     {DelAllKnownPtButton, "DelAllKnownPtButton", "清  空"}});
  return sheet;
}

QWidget* TForm1::buildCodePage() {
  auto* sheet = new QWidget;
  sheet->setObjectName(QStringLiteral("TabSheet3"));
  CodeListBox = makeOwnerDrawnList(sheet, "CodeListBox", Qt::black, scale_);
  CodeListBox->setItemDelegate(new NumberedRowDelegate(scale_, CodeListBox));
  scale_.place(CodeListBox, 8, 8, 425, 516);

  placeButtonColumn(sheet, 452, 95,
                    {{InputCodeButton, "InputCodeButton", "输  入"},
                     {DelCodeButton, "DelCodeButton", "删  除"},
                     {ClearCodeListButton, "ClearCodeListButton", "清  空"}});
  return sheet;
}

void TForm1::PageControl1DrawTab(QPainter& painter, int, const QRect& rect, bool active) {
  painter.fillRect(rect, active ? windowColour() : kInactiveTabColour);
  // The captions stand at fixed places of the page control, whichever tab is
  // being drawn; the next tab's fill covers what lies outside this one.
  const QPoint barOffset = PageControl1->tabBar()->pos();
  painter.setFont(font());
  painter.setPen(Qt::black);
  for (const TabCaption& caption : kTabCaptions) {
    const QPoint at = QPoint(scale_(caption.x), scale_(caption.y)) - barOffset;
    painter.drawText(QRect(at, QSize(scale_(kTabWidth), scale_(kTabHeight))),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     QString::fromUtf8(caption.text));
  }
}

// --- Start-up and close -------------------------------------------------------

void TForm1::FormCreate() {
  const CardPresets presets = discoverCard(media_);
  if (!presets.initialDir.empty()) OpenDialog1.initialDir = pathToQString(presets.initialDir);
  if (!presets.fileName.empty()) OpenDialog1.fileName = pathToQString(presets.fileName);
  SelVELButtonClick();
}

void TForm1::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TForm1::FormClose() {
  store_.closeImage();
}

QWidget* TForm1::dialogParent() {
  return isVisible() ? this : nullptr;
}

// --- Record-area selection and formatting --------------------------------------

void TForm1::setLoaded(bool loaded) {
  loaded_ = loaded;
  Panel1->setEnabled(loaded);
  // Once shown, the pages stay in view; an image that is not loaded only
  // disables them.
  if (loaded) Panel1->setVisible(true);
}

bool TForm1::PagesUsable() const {
  return loaded_ && store_.isOpen();
}

void TForm1::SelVELButtonClick() {
  if (!prompts_.openFile(dialogParent(), OpenDialog1)) return;

  setLoaded(false);
  const std::filesystem::path path = qStringToPath(OpenDialog1.fileName);
  const OpenStatus opened = session_.open(path.string(), [this] {
    return prompts_.askYesNo(dialogParent(), QStringLiteral("选取记录区"), kFormatQuestion,
                             PromptIcon::kQuestion);
  });
  switch (opened) {
    case OpenStatus::kLoaded:
      break;
    case OpenStatus::kReadOnly:
      // A card that takes no writes must not look like one that was never there.
      prompts_.showOk(dialogParent(), kWarningCaption, kReadOnlyImage, PromptIcon::kExclamation);
      return;
    case OpenStatus::kWriteFailed:
      // A half-written record area is no record area: it stays unloaded.
      prompts_.showOk(dialogParent(), kWarningCaption, kWriteFailure, PromptIcon::kExclamation);
      return;
    case OpenStatus::kMissing:
    case OpenStatus::kNotRecognised:
      return;
  }
  setLoaded(true);

  RefreshSummary();
  RefreshJOBList();
  if (store_.jobCount() != 0) {
    int row = 0;
    if (store_.hasCurrentJob()) {
      const int position = store_.jobPositionOf(store_.currentJob());
      // A current job byte that names no listed job falls back to the first.
      if (position < JOBListBox->count()) row = position;
    }
    JOBListBox->setCurrentRow(row);
  }
  RefreshKnownCoordList();
  RefreshCodeList();
}

void TForm1::FormatVELButtonClick() {
  if (!store_.isOpen()) return;
  if (!prompts_.askYesNo(dialogParent(), QStringLiteral("警告"), kFormatWarning,
                         PromptIcon::kExclamation)) {
    return;
  }
  const CardResult formatted = session_.format();
  if (!session_.finish().done() || !formatted.done()) {
    prompts_.showOk(dialogParent(), kWarningCaption, kWriteFailure, PromptIcon::kExclamation);
    // What the card now holds is neither the old area nor a new one.
    setLoaded(false);
  }
  RefreshSummary();
  clearLists();
}

void TForm1::clearLists() {
  JOBListBox->clear();
  KnownCoordListBox->clear();
  CodeListBox->clear();
}

// --- Summary and lists --------------------------------------------------------

void TForm1::RefreshSummary() {
  if (!store_.isOpen()) return;
  Label5->setText(QFileInfo(QDir::fromNativeSeparators(OpenDialog1.fileName)).fileName());
  Label13->setText(QString::fromLatin1(modelName(store_.instrumentModel())));
  Label6->setText(QString::number(store_.jobCount()));
  Label7->setText(QString::number(store_.recordCount(store_.knownPointFile())));
  CGauge1->SetProgress(usedCapacityPercent(store_.capacity(), store_.freeRecords()));
}

void TForm1::RefreshJOBList() {
  const int selected = JOBListBox->currentRow();
  fillList(JOBListBox, session_.jobLines());
  if (selected >= 0 && selected < JOBListBox->count()) JOBListBox->setCurrentRow(selected);
}

void TForm1::RefreshKnownCoordList() {
  fillList(KnownCoordListBox, session_.knownPointLines());
  if (KnownCoordListBox->count() > 0) KnownCoordListBox->setCurrentRow(0);
}

void TForm1::RefreshCodeList() {
  fillList(CodeListBox, session_.featureCodes());
  if (CodeListBox->count() > 0) CodeListBox->setCurrentRow(0);
}

bool TForm1::AppendRecordChecked(uint8_t slot, uint8_t length, const uint8_t* record) {
  if (!PagesUsable()) return false;
  // A record of another length is none the store takes.
  if (length != kRecordSize) return showOutcome(CardResult::refused(kRecordAreaFullText));
  return showOutcome(session_.appendRecord(slot, record));
}

bool TForm1::showOutcome(const CardResult& result) {
  if (result.writeFailed()) {
    ReportWriteFailure();
  } else if (result.status == CardResult::kRefused && !result.message.empty()) {
    prompts_.showTimedMessage(this, QString::fromUtf8(result.message.c_str()));
  }
  return result.done();
}

void TForm1::NextPointName(std::string& name) const {
  vel::NextPointName(name);
}

void TForm1::ReportWriteFailure() {
  prompts_.showOk(dialogParent(), kWarningCaption, kWriteFailure, PromptIcon::kExclamation);
  if (!store_.isOpen()) return;
  // Whatever part of the change did land is kept as it is, like the rest.
  session_.finish();
  store_.loadTables();
  RefreshSummary();
  RefreshJOBList();
  RefreshKnownCoordList();
  RefreshCodeList();
}

void TForm1::SyncImage() {
  if (store_.isOpen() && !session_.finish().done()) ReportWriteFailure();
}

int selectedRow(const QListWidget* list) {
  const QListWidgetItem* item = list->currentItem();
  return item && item->isSelected() ? list->currentRow() : -1;
}

// --- The pages ---------------------------------------------------------------------

// The job viewer and the coordinate import, opened by the pages.
void TForm1::connectWindows() {
  openJobViewer = [this](uint8_t slot) {
    showJobViewer(slot, store_, prompts_, this, [this] { ReportWriteFailure(); });
  };
  importCoordinates = [this](uint8_t target, unsigned& formatChoice) {
    const ImportHost host{prompts_, store_.byteOrder(),
                          [this](uint8_t slot, uint8_t length, const uint8_t* record) {
                            return AppendRecordChecked(slot, length, record);
                          },
                          this};
    return vel::importCoordinates(target, formatChoice, host);
  };
}

void TForm1::connectPages() {
  connect(NewJOBButton, &QPushButton::clicked, this, &TForm1::NewJOBButtonClick);
  connect(DelJOBButton, &QPushButton::clicked, this, &TForm1::DelJOBButtonClick);
  connect(RenameJOBButton, &QPushButton::clicked, this, &TForm1::RenameJOBButtonClick);
  connect(ViewJOBButton, &QPushButton::clicked, this, &TForm1::ViewJOBButtonClick);
  connect(InputCoordToJOBButton, &QPushButton::clicked, this, &TForm1::InputCoordToJOBButtonClick);
  connect(ImportCoordButton, &QPushButton::clicked, this, &TForm1::ImportCoordButtonClick);

  connect(InputKnownCoordButton, &QPushButton::clicked, this, &TForm1::InputKnownCoordButtonClick);
  connect(ImportKnownCoordButton, &QPushButton::clicked, this,
          &TForm1::ImportKnownCoordButtonClick);
  connect(DelCoordButton, &QPushButton::clicked, this, &TForm1::DelCoordButtonClick);
  connect(DelAllKnownPtButton, &QPushButton::clicked, this, &TForm1::DelAllKnownPtButtonClick);

  connect(InputCodeButton, &QPushButton::clicked, this, &TForm1::InputCodeButtonClick);
  connect(DelCodeButton, &QPushButton::clicked, this, &TForm1::DelCodeButtonClick);
  connect(ClearCodeListButton, &QPushButton::clicked, this, &TForm1::ClearCodeListButtonClick);

  for (QListWidget* list : {JOBListBox, KnownCoordListBox, CodeListBox}) {
    list->installEventFilter(this);
  }
  // A double click anywhere in the list, on a row or below the last one.
  JOBListBox->viewport()->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Delete) {
      if (watched == JOBListBox) {
        JOBListBoxKeyDown(key);
        return true;
      }
      if (watched == KnownCoordListBox) {
        KnownCoordListBoxKeyDown(key);
        return true;
      }
      if (watched == CodeListBox) {
        CodeListBoxKeyDown(key);
        return true;
      }
    }
  }
  if (event->type() == QEvent::MouseButtonDblClick && watched == JOBListBox->viewport()) {
    JOBListBoxDblClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

// --- Job files page ---------------------------------------------------------------

void TForm1::NewJOBButtonClick() {
  if (!PagesUsable()) return;
  NameBuffer name{};
  if (entryDialogs_->enterName(dialogParent(), QStringLiteral("新建工作文件"),
                               QStringLiteral("输入文件名："), name, kNameLength) != 1) {
    return;
  }
  if (!showOutcome(session_.createJob(nameOf(name)))) return;
  // A new job always takes the last position.
  const int position = JOBListBox->count();
  JOBListBox->addItem(ansiToQString(jobListLine(store_, position)));
  JOBListBox->setCurrentRow(position);
  RefreshSummary();
  SyncImage();
}

void TForm1::DelJOBButtonClick() {
  if (!PagesUsable()) return;
  const int row = selectedRow(JOBListBox);
  if (row < 0) return;
  const QString name = ansiToQString(store_.jobName(store_.jobSlotAt(row)));
  if (!prompts_.askYesNo(dialogParent(), kJobCaption,
                         QStringLiteral("删除工作文件%1吗？").arg(name), PromptIcon::kQuestion)) {
    return;
  }
  if (!showOutcome(session_.deleteJob(row))) return;
  RefreshSummary();
  removeRowKeepingSelection(JOBListBox, row);
  SyncImage();
}

void TForm1::RenameJOBButtonClick() {
  if (!PagesUsable()) return;
  const int row = selectedRow(JOBListBox);
  if (row < 0) return;
  NameBuffer name{};
  if (entryDialogs_->enterName(dialogParent(), QStringLiteral("工作文件改名"),
                               QStringLiteral("输入新文件名："), name, kNameLength) != 1) {
    return;
  }
  if (!showOutcome(session_.renameJob(store_.jobSlotAt(row), nameOf(name)))) return;
  JOBListBox->item(row)->setText(ansiToQString(jobListLine(store_, row)));
  SyncImage();
}

void TForm1::ViewJOBButtonClick() {
  if (!PagesUsable()) return;
  const int row = selectedRow(JOBListBox);
  if (row < 0 || !openJobViewer) return;
  openJobViewer(store_.jobSlotAt(row));
  // The viewer may have deleted records: counts and capacity changed.
  RefreshJOBList();
  RefreshSummary();
  SyncImage();
}

void TForm1::JOBListBoxDblClick() {
  ViewJOBButtonClick();
}

void TForm1::JOBListBoxKeyDown(int key) {
  if (key == Qt::Key_Delete) DelJOBButtonClick();
}

void TForm1::InputCoordToJOBButtonClick() {
  if (!PagesUsable()) return;
  const int row = selectedRow(JOBListBox);
  if (row < 0) return;
  if (enterPoints(store_.jobSlotAt(row), kJobCaption)) RefreshJOBList();
}

// The coordinate dialog opens again after each stored point, with the next
// name proposed, until it is cancelled or the card refuses a point.
bool TForm1::enterPoints(uint8_t slot, const QString& caption) {
  if (!showOutcome(session_.checkRoomForEntry(slot))) return false;
  const bool knownPoints = session_.isKnownPointFile(slot);
  NameBuffer name{};
  PointValues values{};
  bool stored = false;
  while (entryDialogs_->enterCoordinates(dialogParent(), caption, 0,
                                         std::span<char, kNameLength>(name.data(), kNameLength),
                                         values) == 1) {
    if (!PagesUsable() ||
        !showOutcome(session_.addPoint(slot, nameOf(name), values[0], values[1], values[2]))) {
      break;
    }
    if (knownPoints) KnownCoordListBox->addItem(knownPointRow(nameOf(name), values));
    RefreshSummary();
    stored = true;
    SyncImage();
    std::string next = nameOf(name);
    vel::NextPointName(next);
    setName(name, next);
  }
  return stored;
}

void TForm1::ImportCoordButtonClick() {
  if (!PagesUsable()) return;
  const int row = selectedRow(JOBListBox);
  if (row < 0) return;
  const uint8_t slot = store_.jobSlotAt(row);
  if (!showOutcome(session_.checkRoomForEntry(slot)) || !importCoordinates) return;
  if (importCoordinates(slot, ImportFormatChoice) == 1) {
    RefreshJOBList();
    RefreshSummary();
  }
  SyncImage();
}

// --- Known points page ------------------------------------------------------------

void TForm1::InputKnownCoordButtonClick() {
  if (!PagesUsable()) return;
  // The store's order, which free places left by deletions may change.
  if (enterPoints(store_.knownPointFile(), kKnownPointCaption)) RefreshKnownCoordList();
}

void TForm1::ImportKnownCoordButtonClick() {
  if (!PagesUsable()) return;
  if (!showOutcome(session_.checkRoomForEntry(store_.knownPointFile())) || !importCoordinates) return;
  if (importCoordinates(store_.knownPointFile(), ImportFormatChoice) == 1) {
    RefreshKnownCoordList();
    RefreshSummary();
  }
  SyncImage();
}

void TForm1::DelCoordButtonClick() {
  if (!PagesUsable()) return;
  const int row = selectedRow(KnownCoordListBox);
  if (row < 0) return;
  const uint8_t file = store_.knownPointFile();
  const QString name = ansiToQString(store_.recordPointName(file, row));
  if (!prompts_.askYesNo(dialogParent(), kKnownPointCaption,
                         QStringLiteral("删除点号%1吗？").arg(name), PromptIcon::kQuestion)) {
    return;
  }
  if (!showOutcome(session_.deleteRecord(file, row))) return;
  RefreshSummary();
  removeRowKeepingSelection(KnownCoordListBox, row);
  SyncImage();
}

void TForm1::DelAllKnownPtButtonClick() {
  if (!PagesUsable()) return;
  if (KnownCoordListBox->count() == 0) return;
  if (!prompts_.askYesNo(dialogParent(), kKnownPointCaption, QStringLiteral("删除全部已知点吗？"),
                         PromptIcon::kQuestion)) {
    return;
  }
  if (!showOutcome(session_.clearKnownPoints())) return;
  KnownCoordListBox->clear();
  RefreshSummary();
  SyncImage();
}

void TForm1::KnownCoordListBoxKeyDown(int key) {
  if (key == Qt::Key_Delete) DelCoordButtonClick();
}

// --- Feature codes page -----------------------------------------------------------

void TForm1::InputCodeButtonClick() {
  if (!PagesUsable()) return;
  NameBuffer code{};
  while (entryDialogs_->enterName(dialogParent(), kCodeCaption, QStringLiteral("输入特征码："),
                                  code, kNameLength) == 1) {
    if (!showOutcome(session_.addFeatureCode(nameOf(code)))) return;
    CodeListBox->addItem(ansiToQString(nameOf(code)));
    CodeListBox->setCurrentRow(CodeListBox->count() - 1);
    SyncImage();
    code.fill('\0');  // the dialog opens empty again
  }
}

void TForm1::DelCodeButtonClick() {
  if (!PagesUsable()) return;
  const int row = selectedRow(CodeListBox);
  if (row < 0) return;
  if (!showOutcome(session_.deleteFeatureCode(row))) return;
  removeRowKeepingSelection(CodeListBox, row);
  SyncImage();
}

void TForm1::ClearCodeListButtonClick() {
  if (!PagesUsable()) return;
  if (CodeListBox->count() == 0) return;
  if (!prompts_.askYesNo(dialogParent(), kCodeCaption, QStringLiteral("删除所有特征码吗？"),
                         PromptIcon::kQuestion)) {
    return;
  }
  if (!showOutcome(session_.clearFeatureCodes())) return;
  CodeListBox->clear();
  SyncImage();
}

void TForm1::CodeListBoxKeyDown(int key) {
  if (key == Qt::Key_Delete) DelCodeButtonClick();
}

}  // namespace vel
