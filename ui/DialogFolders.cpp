#include "ui/DialogFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "ui/UiLook.h"

namespace vel {
namespace {

QString cleaned(const QString& path) {
  return QDir::cleanPath(QDir::fromNativeSeparators(path));
}

QString settingsKey(FileKind kind) {
  switch (kind) {
    case FileKind::kImport:
      return QStringLiteral("folders/import");
    case FileKind::kExport:
      return QStringLiteral("folders/export");
    case FileKind::kDrawing:
      return QStringLiteral("folders/drawing");
  }
  return {};
}

}  // namespace

QString cardFolderOf(const QString& imagePath) {
  const QFileInfo image(cleaned(imagePath));
  const QDir folder = image.dir();
  if (folder.dirName().compare(QStringLiteral("VEL"), Qt::CaseInsensitive) == 0) {
    return cleaned(folder.absolutePath() + QStringLiteral("/.."));
  }
  return cleaned(folder.absolutePath());
}

bool isOnCard(const QString& folder, const QString& imagePath) {
  if (imagePath.isEmpty() || folder.isEmpty()) return false;
  const QString card = cardFolderOf(imagePath);
  const QString path = cleaned(folder);
  return path == card || path.startsWith(card.endsWith(QLatin1Char('/')) ? card : card + QLatin1Char('/'));
}

QString chooseStartFolder(const StartFolderFacts& facts) {
  const bool lastUsable =
      !facts.lastFolder.isEmpty() && !(facts.saving && isOnCard(facts.lastFolder, facts.imagePath));
  if (lastUsable) return facts.lastFolder;
  if (facts.saving && !facts.documents.isEmpty() && !isOnCard(facts.documents, facts.imagePath)) {
    return facts.documents;
  }
  return facts.home;
}

QString startFolder(FileKind kind, bool saving, const QString& imagePath) {
  StartFolderFacts facts;
  facts.saving = saving;
  facts.imagePath = imagePath;
  facts.home = QDir::homePath();
  const QString last = programSettings().value(settingsKey(kind)).toString();
  if (!last.isEmpty() && QFileInfo(last).isDir()) facts.lastFolder = last;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) facts.documents = documents;
  return QDir::toNativeSeparators(chooseStartFolder(facts));
}

bool askSaveFile(Prompts& prompts, QWidget* parent, FileDialogSettings& settings, FileKind kind,
                 const QString& imagePath) {
  FileDialogSettings dialog = settings;
  if (dialog.initialDir.isEmpty()) dialog.initialDir = startFolder(kind, true, imagePath);
  dialog.fileName = QFileInfo(settings.fileName).fileName();
  if (!prompts.saveFile(parent, dialog)) return false;
  settings.fileName = dialog.fileName;
  settings.filterIndex = dialog.filterIndex;
  rememberFolder(kind, settings.fileName);
  return true;
}

void rememberFolder(FileKind kind, const QString& chosenFile) {
  if (chosenFile.isEmpty()) return;
  const QString folder = QFileInfo(cleaned(chosenFile)).absolutePath();
  programSettings().setValue(settingsKey(kind), folder);
}

}  // namespace vel
