#include "ui/PlanWindow.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QShortcut>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cstring>

#include "card/CrsMemory.h"
#include "exchange/ExchangeFile.h"
#include "exchange/FormatRegistry.h"
#include "exchange/PlanPoints.h"
#include "exchange/PointOutput.h"
#include "gis/GisFormats.h"
#include "messages/Messages.h"
#include "records/NumberText.h"
#include "store/ModelLayout.h"
#include "ui/AnsiText.h"
#include "ui/CrsDialog.h"
#include "ui/DialogFolders.h"
#include "ui/Language.h"
#include "ui/NameDialog.h"

namespace vel {

namespace {

struct FormatChoice {
  std::optional<DrawingFormat> format;  // none: the plan's points, in a GeoPackage
  const char* suffix;
};
// In the order of the save dialog's filter list.
constexpr FormatChoice kFormats[] = {{DrawingFormat::kPng, "png"},
                                     {DrawingFormat::kSvg, "svg"},
                                     {DrawingFormat::kPdf, "pdf"},
                                     {std::nullopt, "gpkg"}};
constexpr int kFormatCount = static_cast<int>(std::size(kFormats));

QString number(double value) {
  return QString::fromStdString(formatThreeDecimals(value));
}

QString signedNumber(double value) {
  const QString text = number(value);
  return value > 0.0 && text != QStringLiteral("0.000") ? QLatin1Char('+') + text : text;
}

// A job name may hold '/', '*' and the like, which a file name cannot.
QString fileNameFor(const QString& jobName) {
  QString name = jobName.trimmed();
  for (QChar& c : name) {
    if (QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('_');
  }
  return name.isEmpty() ? QStringLiteral("plan") : name;
}

// One SVG text element: other viewers set it in their own font as one run,
// where the generator writes a piece at a fixed place for each script.
QByteArray svgText(double x, double y, const QFont& font, const QString& text) {
  QStringList families;
  for (const QString& family : font.families()) {
    families << (family.contains(QLatin1Char(' ')) ? QLatin1Char('\'') + family + QLatin1Char('\'')
                                                    : family);
  }
  return QStringLiteral(
             "<text x=\"%1\" y=\"%2\" font-family=\"%3\" font-size=\"%4\" fill=\"#000000\" "
             "xml:space=\"preserve\">%5</text>\n")
      .arg(x)
      .arg(y)
      .arg(families.join(QStringLiteral(", ")).toHtmlEscaped())
      .arg(font.pixelSize())
      .arg(text.toHtmlEscaped())
      .toUtf8();
}

}  // namespace

PlanContent cardPlan(CardSession& card, JobSlot job, const QString& imageName) {
  PlanContent content;
  content.imageName = imageName;
  if (card.isKnownPointFile(job)) {
    content.jobName = QCoreApplication::translate("vel::PlanWindow", "已知点");
  } else {
    content.jobName = ansiToQString(card.jobName(job));
    content.knownPoints = planPoints(card.points(card.knownPointFile()));
  }
  content.caption = QCoreApplication::translate("vel::PlanWindow", "图形:") + content.jobName;
  content.points = planPoints(card.points(job));
  content.surveyPoints = outputPoints(card.points(job));
  content.imagePath = card.imagePath();
  return content;
}

void showPlanWindow(PlanContent content, Prompts& prompts, QWidget* parent) {
  PlanWindow window(std::move(content), prompts, parent);
  window.exec();
}

PlanWindow::PlanWindow(PlanContent content, Prompts& prompts, QWidget* parent)
    : QDialog(parent),
      prompts_(prompts),
      imageName_(std::move(content.imageName)),
      jobName_(std::move(content.jobName)),
      jobPointCount_(static_cast<int>(content.points.size())),
      knownPointCount_(static_cast<int>(content.knownPoints.size())),
      surveyPoints_(std::move(content.surveyPoints)),
      imagePath_(std::move(content.imagePath)) {
  chooseCrs = [this](const std::string& current) { return askCrs(current, this); };
  setObjectName(QStringLiteral("PlanWindow"));
  setWindowTitle(content.caption);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  applyWindowLook(this, scale_);
  resize(scale_(960), scale_(720));
  // Wide enough for a pair of the longest names' inverse line in two lines of
  // the status line.
  setMinimumSize(scale_(640), scale_(320));

  view = new PlanView(scale_, this);
  fitButton = makeLinkButton(this, "fitButton", tr("全图"), scale_);
  codesCheckBox = new QCheckBox(tr("显示编码"), this);
  codesCheckBox->setObjectName(QStringLiteral("codesCheckBox"));
  knownCheckBox = new QCheckBox(tr("显示已知点"), this);
  knownCheckBox->setObjectName(QStringLiteral("knownCheckBox"));
  knownCheckBox->setVisible(knownPointCount_ > 0);
  saveButton = makeLinkButton(this, "saveButton", tr("保存图形"), scale_);
  cursorLabel = new QLabel(this);
  cursorLabel->setObjectName(QStringLiteral("cursorLabel"));
  cursorLabel->setMinimumWidth(scale_(250));
  selectionLabel = new QLabel(this);
  selectionLabel->setObjectName(QStringLiteral("selectionLabel"));
  selectionLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  selectionLabel->setWordWrap(true);
  cursorLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  selectionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Return in a drawing means nothing; no button waits for it.
  for (QPushButton* button : {fitButton, saveButton}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  // A click on them leaves the keys with the view; Tab still reaches them.
  for (QWidget* control : std::initializer_list<QWidget*>{fitButton, codesCheckBox, knownCheckBox,
                                                          saveButton}) {
    control->setFocusPolicy(Qt::TabFocus);
  }
  auto* saveKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
  connect(saveKey, &QShortcut::activated, this, &PlanWindow::saveButtonClick);
  auto* findKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
  connect(findKey, &QShortcut::activated, this, &PlanWindow::findPoint);

  auto* controls = new QHBoxLayout;
  controls->setSpacing(scale_(18));
  controls->addWidget(fitButton);
  controls->addWidget(codesCheckBox);
  controls->addWidget(knownCheckBox);
  controls->addStretch();
  controls->addWidget(saveButton);
  auto* status = new QHBoxLayout;
  status->addWidget(cursorLabel);
  status->addWidget(selectionLabel, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(scale_(10), scale_(8), scale_(10), scale_(8));
  layout->setSpacing(scale_(6));
  layout->addLayout(controls);
  layout->addWidget(view, 1);
  layout->addLayout(status);

  saveDialog.title = tr("保存图形");
  saveDialog.filter = tr("PNG 图像") + QStringLiteral("|*.png|") + tr("SVG 图形") +
                      QStringLiteral("|*.svg|") + tr("PDF 文档") + QStringLiteral("|*.pdf|") +
                      tr("GeoPackage（点）") + QStringLiteral("|*.gpkg");
  saveDialog.filterIndex = 1;
  // No default extension: the chosen filter decides it, not a fixed one.
  saveDialog.fileName = fileNameFor(jobName_);
  saveDialog.overwritePrompt = true;

  connect(fitButton, &QPushButton::clicked, view, &PlanView::fitAll);
  connect(codesCheckBox, &QCheckBox::toggled, view, &PlanView::setCodesVisible);
  connect(knownCheckBox, &QCheckBox::toggled, view, &PlanView::setKnownVisible);
  connect(saveButton, &QPushButton::clicked, this, &PlanWindow::saveButtonClick);
  connect(view, &PlanView::cursorMoved, this, &PlanWindow::showCursor);
  connect(view, &PlanView::cursorLeft, cursorLabel, &QLabel::clear);
  connect(view, &PlanView::selectionChanged, this, &PlanWindow::showSelection);

  view->setPoints(std::move(content.points), std::move(content.knownPoints));
  view->setFocus();
}

QString PlanWindow::titleLine() const {
  QString line =
      tr("图像 %1    工作文件 %2    点数 %3").arg(imageName_, jobName_).arg(jobPointCount_);
  if (view->knownVisible()) line += tr("    已知点 %1").arg(knownPointCount_);
  line += tr("    日期 ") + date_.toString(Qt::ISODate);
  return line;
}

void PlanWindow::showCursor(double n, double e) {
  cursorLabel->setText(QStringLiteral("N %1   E %2").arg(number(n), number(e)));
}

void PlanWindow::showSelection() {
  const int first = view->firstSelected();
  const int second = view->secondSelected();
  if (first < 0) {
    selectionLabel->clear();
    return;
  }
  const PlanPoint& a = view->point(first);
  if (second < 0) {
    QString text = tr("点 %1  N %2  E %3  Z %4")
                       .arg(ansiToQString(a.name), number(a.n), number(a.e), number(a.z));
    if (!a.code.empty()) text += tr("  编码 ") + ansiToQString(a.code);
    selectionLabel->setText(text);
    return;
  }
  selectionLabel->setText(inverseLine());
}

QString PlanWindow::inverseLine() const {
  const int first = view->firstSelected();
  const int second = view->secondSelected();
  if (first < 0 || second < 0) return QString();
  const PlanPoint& a = view->point(first);
  const PlanPoint& b = view->point(second);
  const GroundPoint from{a.n, a.e};
  const GroundPoint to{b.n, b.e};
  const double bearing = bearingDegrees(from, to);
  return tr("%1 → %2  平距 %3 m  方位角 %4 (%5)  高差 %6 m")
      .arg(ansiToQString(a.name), ansiToQString(b.name), number(horizontalDistance(from, to)),
           QString::fromStdString(bearingDmsText(bearing)),
           QString::fromStdString(bearingDecimalText(bearing)),
           signedNumber(heightDifference(a.z, b.z)));
}

void PlanWindow::findPoint() {
  std::array<char, kNameLength> buffer{};
  if (showNameDialog(tr("查找点"), tr("输入点名："), buffer, kNameLength, this) != 1) return;
  const std::string name(buffer.data(), strnlen(buffer.data(), buffer.size()));
  const int index = findPlanPoint(view->points(), view->shownCount(), name);
  if (index < 0) {
    prompts_.showOk(this, tr("查找点"), tr("没有名为 %1 的点").arg(ansiToQString(name)),
                    PromptIcon::kInformation);
    return;
  }
  view->centreOn(index);
}

void PlanWindow::saveButtonClick() {
  if (!askSaveFile(prompts_, this, saveDialog, FileKind::kDrawing,
                   QString::fromStdString(imagePath_))) {
    return;
  }
  QString path = saveDialog.fileName;
  const QString suffix = QFileInfo(path).suffix().toLower();
  const FormatChoice* choice = nullptr;
  for (const FormatChoice& f : kFormats) {
    if (suffix == QLatin1String(f.suffix)) choice = &f;
  }
  if (!choice) {
    // A name typed without one of the extensions gets the chosen filter's.
    const int index = std::clamp(saveDialog.filterIndex, 1, kFormatCount) - 1;
    choice = &kFormats[index];
    path += QLatin1Char('.') + QLatin1String(choice->suffix);
  }
  saveDialog.filterIndex = static_cast<int>(choice - kFormats) + 1;
  if (!choice->format) {
    savePoints(path);
    return;
  }
  if (!saveDrawing(path, *choice->format)) {
    prompts_.showOk(this, tr("警告"), tr("图形文件无法写入：") + QDir::toNativeSeparators(path),
                    PromptIcon::kExclamation);
  }
}

void PlanWindow::savePoints(const QString& path) {
  const std::optional<std::string> crs = chooseCrs(rememberedCrs(imagePath_));
  if (!crs) return;
  rememberCrs(imagePath_, *crs);
  const ExchangeFormatEntry* format = FormatRegistry::instance().byId(kGeoPackageFormat);
  WriteResult result;
  result.kind = WriteResult::Kind::kFailed;
  if (format != nullptr)
    result = format->write(qStringToPath(path).string(), surveyPoints_, {*crs});
  if (!result.written()) {
    prompts_.showOk(this, tr("警告"), messageText(writeProblemText(result, interfaceLanguage())),
                    PromptIcon::kExclamation);
  }
}

QStringList PlanWindow::titleLines() const {
  QStringList lines{titleLine()};
  if (const QString inverse = inverseLine(); !inverse.isEmpty()) lines << inverse;
  return lines;
}

QFont PlanWindow::titleFont() const {
  return scale_.font(14);
}

int PlanWindow::titleHeight() const {
  return scale_(30) + (titleLines().size() - 1) * scale_(20);
}

double PlanWindow::titleBaseline(int line) const {
  const QFontMetricsF metrics(titleFont());
  // The first line in the middle of the first 30 pixels, the next 20 below.
  return (scale_(30) - metrics.height()) / 2.0 + metrics.ascent() + line * scale_(20);
}

QSize PlanWindow::drawingSize() const {
  return QSize(view->width(), view->height() + titleHeight());
}

void PlanWindow::renderDrawing(QPainter& painter, bool withTitle) const {
  const QSize size = drawingSize();
  const int title = titleHeight();
  painter.fillRect(QRect(0, 0, size.width(), title), Qt::white);
  if (withTitle) {
    painter.setFont(titleFont());
    painter.setPen(Qt::black);
    const QStringList lines = titleLines();
    for (int i = 0; i < lines.size(); ++i) {
      painter.drawText(QPointF(scale_(12), titleBaseline(i)), lines[i]);
    }
  }
  painter.setPen(QPen(QColor(160, 160, 160), 1.0));
  painter.drawLine(QPointF(0.0, title - 0.5), QPointF(size.width(), title - 0.5));
  painter.save();
  painter.translate(0, title);
  painter.setClipRect(QRect(0, 0, view->width(), view->height()));
  view->paintPlan(painter);
  painter.restore();
}

bool PlanWindow::saveDrawing(const QString& path, DrawingFormat format) {
  // Drawn in memory, then put in place whole: a failure leaves the old file.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!renderDrawingTo(buffer, format)) return false;
  buffer.close();
  return replaceFileWhole(qStringToPath(path).string(),
                          std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

bool PlanWindow::renderDrawingTo(QIODevice& device, DrawingFormat format) {
  const QSize size = drawingSize();
  switch (format) {
    case DrawingFormat::kPng: {
      QImage image(size, QImage::Format_RGB32);
      image.fill(Qt::white);
      QPainter painter(&image);
      renderDrawing(painter);
      painter.end();
      return image.save(&device, "PNG");
    }
    case DrawingFormat::kSvg: {
      QSvgGenerator svg;
      svg.setSize(size);
      svg.setViewBox(QRect(QPoint(0, 0), size));
      svg.setTitle(titleLine());
      // The generator writes into a buffer first, for the title lines to be
      // added as texts of their own.
      QByteArray bytes;
      QBuffer buffer(&bytes);
      buffer.open(QIODevice::WriteOnly);
      svg.setOutputDevice(&buffer);
      QPainter painter;
      if (!painter.begin(&svg)) return false;
      renderDrawing(painter, false);
      if (!painter.end()) return false;
      const qsizetype end = bytes.lastIndexOf("</svg>");
      if (end < 0) return false;
      QByteArray texts;
      const QStringList lines = titleLines();
      for (int i = 0; i < lines.size(); ++i) {
        texts += svgText(scale_(12), titleBaseline(i), titleFont(), lines[i]);
      }
      bytes.insert(end, texts);
      return device.write(bytes) == bytes.size();
    }
    case DrawingFormat::kPdf: {
      QPdfWriter pdf(&device);
      pdf.setTitle(titleLine());
      pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                    QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
      QPainter painter;
      if (!painter.begin(&pdf)) return false;
      // The drawing as large as the page allows, its proportions kept.
      const double factor = std::min(static_cast<double>(pdf.width()) / size.width(),
                                     static_cast<double>(pdf.height()) / size.height());
      painter.scale(factor, factor);
      renderDrawing(painter);
      return painter.end();
    }
  }
  return false;
}

}  // namespace vel
