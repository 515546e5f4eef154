// Where the file dialogs start. An open dialog starts where the user last
// took a file of that kind, else in the home folder. A save dialog starts in
// the folder last written to for that kind, else in Documents (or home), and
// never on the card: what a user writes out belongs on the computer, not on
// the instrument's card, unless they go there themselves.
#pragma once

#include <QString>

#include "ui/Prompts.h"

namespace vel {

enum class FileKind {
  kImport,   // coordinate files read into a job or the known points
  kExport,   // a job's points written out
  kDrawing,  // the plan view saved as a picture or a GeoPackage
};

struct StartFolderFacts {
  bool saving = false;
  QString lastFolder;  // empty: none used yet, or it is gone
  QString imagePath;   // the open record area's file; empty: none
  QString home;
  QString documents;  // empty: there is none
};

// The card that holds an image: the folder above its VEL folder, else the
// image's own folder.
QString cardFolderOf(const QString& imagePath);
// Whether the folder is the card's or inside it.
bool isOnCard(const QString& folder, const QString& imagePath);
// The rule above, on the facts given.
QString chooseStartFolder(const StartFolderFacts& facts);

// The rule on this computer's folders and the folder kept for the kind in
// the program's settings.
QString startFolder(FileKind kind, bool saving, const QString& imagePath = {});
// Keeps the folder of a file the user has just chosen for the kind.
void rememberFolder(FileKind kind, const QString& chosenFile);

// The save dialog of a window that keeps its settings between saves: it
// starts in startFolder (unless the window names a folder) with the last
// file's name alone, so that it does not follow that file back onto the
// card. True when the user chose a file: its path and filter are then in
// settings and its folder is remembered for the kind.
bool askSaveFile(Prompts& prompts, QWidget* parent, FileDialogSettings& settings, FileKind kind,
                 const QString& imagePath);

}  // namespace vel
