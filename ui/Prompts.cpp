#include "ui/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "card/TypedFileName.h"
#include "ui/AnsiText.h"
#include "ui/Language.h"
#include "ui/TimedPopup.h"

namespace vel {
namespace {

QMessageBox::Icon boxIcon(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::kQuestion:
      return QMessageBox::Question;
    case PromptIcon::kExclamation:
      return QMessageBox::Warning;
    case PromptIcon::kInformation:
      return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}

std::unique_ptr<QMessageBox> makeBox(QWidget* parent, const QString& caption, const QString& text,
                                     PromptIcon icon) {
  // The texts keep their CR LF line ends; a label wants LF alone.
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  auto box = std::make_unique<QMessageBox>(parent);
  box->setWindowTitle(caption);
  box->setText(shown);
  box->setTextFormat(Qt::PlainText);
  box->setIcon(boxIcon(icon));
  return box;
}

bool runFileDialog(QWidget* parent, FileDialogSettings& settings, QFileDialog::AcceptMode mode) {
  const std::unique_ptr<QFileDialog> dialog = makeFileDialog(parent, settings, mode);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return false;
  readBackFileDialog(*dialog, settings);
  return true;
}

}  // namespace

std::unique_ptr<QMessageBox> makeYesNoBox(QWidget* parent, const QString& caption,
                                          const QString& text, PromptIcon icon, bool yesIsDefault) {
  auto box = makeBox(parent, caption, text, icon);
  box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  box->setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
  box->setEscapeButton(QMessageBox::No);
  return box;
}

std::unique_ptr<QMessageBox> makeOkBox(QWidget* parent, const QString& caption, const QString& text,
                                       PromptIcon icon) {
  auto box = makeBox(parent, caption, text, icon);
  box->setStandardButtons(QMessageBox::Ok);
  box->setDefaultButton(QMessageBox::Ok);
  return box;
}

QStringList nameFiltersOf(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& description = parts[i];
    QString masks = parts[i + 1];
    masks.replace(QLatin1Char(';'), QLatin1Char(' '));
    // The dialog takes its masks from the parentheses that end a filter;
    // most descriptions already end in their own.
    if (description.endsWith(QLatin1Char('(') + masks + QLatin1Char(')'))) {
      filters << description;
    } else {
      filters << description + QStringLiteral(" (") + masks + QLatin1Char(')');
    }
  }
  return filters;
}

namespace {

QString nameFilterExtension(const QString& nameFilter) {
  // The masks stand in the parentheses that end the filter; the first one names it.
  static const QRegularExpression lastParentheses(QStringLiteral("\\(([^()]*)\\)\\s*$"));
  const QRegularExpressionMatch masks = lastParentheses.match(nameFilter);
  if (!masks.hasMatch()) return {};
  const QString first = masks.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts).value(0);
  static const QRegularExpression plainExtension(QStringLiteral("^\\*\\.([^*?./\\\\]+)$"));
  return plainExtension.match(first).captured(1);
}

}  // namespace

QString dialogExtension(const FileDialogSettings& settings, int filterIndex) {
  const QStringList filters = nameFiltersOf(settings.filter);
  if (filterIndex >= 1 && filterIndex <= filters.size()) {
    const QString extension = nameFilterExtension(filters[filterIndex - 1]);
    if (!extension.isEmpty()) return extension;
  }
  QString extension = settings.defaultExt;
  while (extension.startsWith(QLatin1Char('*')) || extension.startsWith(QLatin1Char('.'))) {
    extension.remove(0, 1);
  }
  return extension;
}

std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const FileDialogSettings& settings,
                                            QFileDialog::AcceptMode mode) {
  auto dialog = std::make_unique<QFileDialog>(parent, settings.title);
  // Qt's own dialog everywhere: it compares masks without regard to letter
  // case, so an image shows whether it ends in .VEL or .vel.
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setFilter(QDir::AllEntries | QDir::AllDirs | QDir::NoDotAndDotDot);
  dialog->setAcceptMode(mode);
  // The dialog does not insist that the file exists; opening a missing one
  // simply fails afterwards.
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setOption(QFileDialog::DontConfirmOverwrite, !settings.overwritePrompt);
  dialog->setSizeGripEnabled(true);

  const QStringList filters = nameFiltersOf(settings.filter);
  dialog->setNameFilters(filters);
  if (settings.filterIndex >= 1 && settings.filterIndex <= filters.size()) {
    dialog->selectNameFilter(filters[settings.filterIndex - 1]);
  }
  if (mode == QFileDialog::AcceptSave) {
    // The dialog adds the suffix itself before it asks about replacing a
    // file, so the suffix follows the filter the user picks.
    dialog->setDefaultSuffix(dialogExtension(settings, settings.filterIndex));
    QFileDialog* shown = dialog.get();
    QObject::connect(
        shown, &QFileDialog::filterSelected, shown, [shown, settings](const QString& filter) {
          const auto index = shown->nameFilters().indexOf(filter);
          shown->setDefaultSuffix(dialogExtension(settings, static_cast<int>(index) + 1));
        });
  }
  // An open dialog adds none: readBackFileDialog completes the name as typed,
  // which may also find the file under another letter case of its extension.

  if (!settings.initialDir.isEmpty()) dialog->setDirectory(settings.initialDir);
  if (!settings.fileName.isEmpty()) dialog->selectFile(settings.fileName);
  return dialog;
}

void readBackFileDialog(const QFileDialog& dialog, FileDialogSettings& settings) {
  const qsizetype index = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
  if (index >= 0) settings.filterIndex = static_cast<int>(index) + 1;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return;
  const QByteArray extension = QFile::encodeName(dialogExtension(settings, settings.filterIndex));
  const std::filesystem::path chosen =
      completeTypedFileName(qStringToPath(files.first()), extension.toStdString(),
                            dialog.acceptMode() == QFileDialog::AcceptOpen);
  settings.fileName = QDir::toNativeSeparators(pathToQString(chosen));
}

bool QtPrompts::askYesNo(QWidget* parent, const QString& caption, const QString& text,
                         PromptIcon icon, bool yesIsDefault) {
  return makeYesNoBox(parent, caption, text, icon, yesIsDefault)->exec() == QMessageBox::Yes;
}

void QtPrompts::showOk(QWidget* parent, const QString& caption, const QString& text,
                       PromptIcon icon) {
  makeOkBox(parent, caption, text, icon)->exec();
}

bool QtPrompts::openFile(QWidget* parent, FileDialogSettings& settings) {
  return runFileDialog(parent, settings, QFileDialog::AcceptOpen);
}

bool QtPrompts::saveFile(QWidget* parent, FileDialogSettings& settings) {
  return runFileDialog(parent, settings, QFileDialog::AcceptSave);
}

void QtPrompts::showTimedMessage(QWidget* parent, const QString& text) {
  ShowTimedMessage(text, parent);
}

}  // namespace vel
