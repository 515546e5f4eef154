#include "ui/ImportWindow.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSignalBlocker>
#include <algorithm>

#include "card/CrsMemory.h"
#include "exchange/CoordinateImport.h"
#include "exchange/ExchangeFile.h"
#include "exchange/FormatCheck.h"
#include "exchange/FormatRegistry.h"
#include "exchange/GridCellCheck.h"
#include "messages/MessageTexts.h"
#include "messages/Messages.h"
#include "records/PointLine.h"
#include "ui/AnsiText.h"
#include "ui/Controls.h"
#include "ui/DialogFolders.h"
#include "ui/Language.h"
#include "ui/SessionTexts.h"

namespace vel {
namespace {

QStringList headerTexts() {
  return {QCoreApplication::translate("vel::ImportWindow", "   点    号"),
          QStringLiteral("       N"), QStringLiteral("       E"), QStringLiteral("       Z")};
}

using Column = CoordinateGrid::Column;

}  // namespace

FileDialogSettings importDialogSettings(int formatId) {
  const std::vector<const ExchangeFormatEntry*> readers = FormatRegistry::instance().readers();
  FileDialogSettings settings;
  settings.filter = formatFilter(readers);
  // A choice that names no readable format offers the first one.
  settings.filterIndex = std::max(placeOf(readers, formatId), 1);
  settings.defaultExt = QStringLiteral("*.QPL");
  settings.initialDir = startFolder(FileKind::kImport, false);
  return settings;
}

int checkedTextFormat(const QString& fileName, int formatId, const ImportHost& host) {
  const std::optional<std::vector<std::string>> lines =
      readTextLines(qStringToPath(fileName).string());
  if (!lines) return formatId;  // the reading says why
  const FormatFit fit = checkTextFormat(formatId, *lines);
  if (fit.fits) return formatId;
  const Translate language = interfaceLanguage();
  if (const int fitting = suggestedTextFormat(formatId, *lines); fitting != 0) {
    const bool yes =
        host.prompts.askYesNo(host.parent, QCoreApplication::translate("vel::ImportWindow", "提示"),
                              messageText(formatSuggestionText(fitting, formatId, language)),
                              PromptIcon::kQuestion, true);
    return yes ? fitting : formatId;
  }
  host.prompts.showOk(host.parent, QCoreApplication::translate("vel::ImportWindow", "警告"),
                      messageText(formatMisfitText(formatId, fit.line, fit.text, language)),
                      PromptIcon::kExclamation);
  return formatId;
}

uint8_t importCoordinates(JobSlot target, int& formatId, const ImportHost& host) {
  FileDialogSettings openDialog = importDialogSettings(formatId);
  if (!host.prompts.openFile(host.parent, openDialog)) return 0;
  rememberFolder(FileKind::kImport, openDialog.fileName);
  const ExchangeFormatEntry* format =
      formatAt(FormatRegistry::instance().readers(), openDialog.filterIndex);
  if (format == nullptr) return 0;
  formatId = format->id;
  if (!format->readTable) formatId = checkedTextFormat(openDialog.fileName, formatId, host);

  ImportWindow form(openDialog.fileName, formatId, host);
  form.target = target;
  form.exec();
  return form.importResult;
}

ImportWindow::ImportWindow(const QString& fileName, int formatId, const ImportHost& host)
    : QDialog(host.parent), host_(host) {
  setObjectName(QStringLiteral("ImportWindow"));
  setWindowTitle(tr("坐标编辑"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  applyWindowLook(this, scale_);
  setFixedSize(scale_(497), scale_(632));

  grid = new CoordinateGrid(
      {Column::kText, Column::kCoordinate, Column::kCoordinate, Column::kCoordinate}, headerTexts(),
      kImportGridRows, scale_, this);
  grid->setObjectName(QStringLiteral("grid"));
  grid->horizontalHeader()->setDefaultSectionSize(scale_(118));
  scale_.place(grid, 0, 0, 497, 577);
  grid->setRangeNotice([this] {
    host_.prompts.showOk(this, tr("提示"), messageText(kCoordinateRangeText),
                         PromptIcon::kInformation);
  });

  confirmButton = makeLinkButton(this, "confirmButton", tr("确  定"), scale_);
  scale_.place(confirmButton, 136, 592, 80, 26);
  cancelButton = makeLinkButton(this, "cancelButton", tr("取  消"), scale_);
  scale_.place(cancelButton, 288, 592, 80, 26);
  connect(confirmButton, &QPushButton::clicked, this, &ImportWindow::onConfirm);
  connect(cancelButton, &QPushButton::clicked, this, &ImportWindow::onCancel);
  clearDefaultButtons(this);
  fitTextWidths(this);
  grid->cells()->setMarker([this](int row, int column) { return cellMark(row, column); });

  readFile(fileName, formatId);
}

void ImportWindow::keyPressEvent(QKeyEvent* event) {
  if (isReturnKey(*event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void ImportWindow::readFile(const QString& fileName, int formatId) {
  format_ = FormatRegistry::instance().byId(formatId);
  path_ = qStringToPath(fileName).string();
  if (format_ == nullptr || !format_->reads()) return;
  if (format_->readTable) {
    addRoleChoices();
    if (readTable()) fillFromTable();
    return;
  }
  const ReadResult file = format_->read(path_);
  if (file.read()) {
    grid->cells()->fillRows(importGridCells(file.points));
    for (const ReadResult::Cut& cut : file.cutPoints) cutCells_[cut.point] = cut.coordinates;
    if (const std::string cut = importCutText(file, interfaceLanguage()); !cut.empty()) {
      host_.prompts.showOk(host_.parent, tr("提示"), messageText(cut), PromptIcon::kInformation);
    }
    return;
  }
  reportReadProblem(file.problem);
}

void ImportWindow::addRoleChoices() {
  // Above the grid, which gives up the room; laid out by the texts' widths.
  scale_.place(grid, 0, 30, 497, 547);
  auto* bar = new QWidget(this);
  scale_.place(bar, 0, 0, 497, 30);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(scale_(6), 0, scale_(6), 0);
  nameFieldBox = new QComboBox(bar);
  nameFieldBox->setObjectName(QStringLiteral("nameFieldBox"));
  heightFieldBox = new QComboBox(bar);
  heightFieldBox->setObjectName(QStringLiteral("heightFieldBox"));
  linesBox = new QCheckBox(tr("线的顶点"), bar);
  linesBox->setObjectName(QStringLiteral("linesBox"));
  linesBox->setToolTip(tr("线和面的顶点也读入，点号为 L1, L2 …"));
  row->addWidget(new QLabel(tr("点号："), bar));
  row->addWidget(nameFieldBox, 1);
  row->addWidget(new QLabel(tr("高程："), bar));
  row->addWidget(heightFieldBox, 1);
  row->addWidget(linesBox);
  const auto refill = [this] { fillFromTable(); };
  connect(nameFieldBox, &QComboBox::currentIndexChanged, this, refill);
  connect(heightFieldBox, &QComboBox::currentIndexChanged, this, refill);
  connect(linesBox, &QCheckBox::toggled, this, [this] {
    if (readTable()) fillFromTable();
  });
}

bool ImportWindow::readTable() {
  ReadContext context;
  context.crs = rememberedCrs(host_.card.imagePath());
  context.lines = linesBox->isChecked();
  TableResult read = format_->readTable(path_, context);
  if (!read.read()) {
    table_ = {};
    reportReadProblem(read.problem);
    return false;
  }
  table_ = std::move(read.table);
  // The choices: every field, the guessed one chosen; the height may also
  // be the geometry's Z.
  const FieldRoles guessed = guessFieldRoles(table_.fields);
  const QSignalBlocker blockName(nameFieldBox);
  const QSignalBlocker blockHeight(heightFieldBox);
  nameFieldBox->clear();
  heightFieldBox->clear();
  nameFieldBox->addItem(tr("（无）"), -1);
  heightFieldBox->addItem(tr("（几何 Z）"), -1);
  for (std::size_t i = 0; i < table_.fields.size(); ++i) {
    const QString field = QString::fromStdString(table_.fields[i]);
    nameFieldBox->addItem(field, static_cast<int>(i));
    heightFieldBox->addItem(field, static_cast<int>(i));
  }
  nameFieldBox->setCurrentIndex(guessed.name + 1);
  heightFieldBox->setCurrentIndex(guessed.z + 1);
  return true;
}

void ImportWindow::fillFromTable() {
  FieldRoles roles;
  roles.name = nameFieldBox->currentData().toInt();
  roles.z = heightFieldBox->currentData().toInt();
  std::vector<SurveyPoint> points = tablePoints(table_, roles, "L");
  if (points.size() > static_cast<std::size_t>(kImportGridRows)) points.resize(kImportGridRows);
  longNames_.clear();
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (points[i].name.size() > kPointTextLimit) longNames_[static_cast<int>(i)] = points[i].name;
  }
  grid->cells()->fillRows(importGridCells(points));
}

void ImportWindow::reportReadProblem(const ReadProblem& problem) {
  if (problem.kind == ReadProblem::Kind::kCountMismatch) {
    host_.prompts.showOk(host_.parent, tr("警告"), messageText(kImportFormatErrorText),
                         PromptIcon::kExclamation);
    return;
  }
  host_.prompts.showOk(host_.parent, tr("警告"), messageText(kImportFailedText),
                       PromptIcon::kExclamation);
  // Then what went wrong, as the program reports any error of its own.
  host_.prompts.showOk(host_.parent, QCoreApplication::applicationName(),
                       readProblemMessage(problem), PromptIcon::kExclamation);
}

void ImportWindow::onConfirm() {
  if (!grid->leaveCellForButton()) return;
  std::vector<ImportRow> rows = grid->cells()->rowsAsAnsi<4>();
  // Marked rows whose names would break the files they are written to are
  // mended first: nothing is stored until they are.
  if (const std::vector<std::size_t> bad = rowsBreakingFiles(rows); !bad.empty()) {
    host_.prompts.showOk(this, tr("警告"),
                         messageText(nameBreaksFilesText(bad, interfaceLanguage())),
                         PromptIcon::kExclamation);
    return;
  }
  const Outcome outcome = host_.card.run(ImportRows{target, std::move(rows)});
  if (host_.showOutcome) host_.showOutcome(outcome);
  // Stored, or stopped by a refusal after its first row: the user confirmed.
  const bool stored = outcome.done() || (outcome.refused() && !outcome.firstRowRefused);
  importResult = stored ? 1 : 0;
  accept();
}

QString ImportWindow::cellMark(int row, int column) const {
  if (column != 0) {
    // A coordinate of the file cut to 11 characters, while the cell holds them.
    const auto cut = cutCells_.find(static_cast<std::size_t>(row));
    const bool marked = cut != cutCells_.end() && (cut->second & (1u << (column - 1))) != 0 &&
                        grid->cells()->cellBytes(row, column).size() == kPointCoordinateLimit;
    return marked ? messageText(kImportCoordinateCutCellText) : QString();
  }
  const std::string& name = grid->cells()->cellBytes(row, 0);
  if (breaksExchangeFiles(trimText(name))) return messageText(kNameBreaksFilesCellText);
  // A longer name of a GIS file, still as it was cut.
  const auto longer = longNames_.find(row);
  if (longer != longNames_.end() && name == cutText(longer->second, kPointTextLimit)) {
    return messageText(kNameCutCellText).arg(ansiToQString(longer->second));
  }
  return {};
}

void ImportWindow::onCancel() {
  importResult = 0;
  reject();
}

}  // namespace vel
