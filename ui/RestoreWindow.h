// The snapshots kept of the open image's name (of every card, each with
// where it came from), or of every image when none is open, newest first,
// with a preview of the chosen one's job list. "恢  复" puts the chosen one
// back over the image after asking (and asking again for one of another
// card); "恢复到新文件" writes it into a new file, for an image that is lost.
// The window also holds the switch that turns the snapshots before
// destructive actions on and off.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>
#include <vector>

#include "card/CardSession.h"
#include "ui/Prompts.h"
#include "ui/UiLook.h"

namespace vel {

class RestoreWindow final : public QDialog {
  Q_OBJECT
 public:
  RestoreWindow(CardSession& card, const SnapshotFolder& folder, Prompts& prompts,
                QWidget* parent = nullptr);

  // Called after a restore reached the card: the caller shows the image anew.
  std::function<void()> restored;
  // Called when the card did not take the restore: the caller reports it.
  std::function<void()> reportWriteFailure;

  // Lists the snapshots again (the newest first) and selects the first.
  void fill();
  // The snapshot a row shows.
  const Snapshot& snapshotAt(int row) const { return snapshots_.at(static_cast<size_t>(row)); }

  QLabel* listCaption;
  QTreeWidget* snapshotList;  // time, action, summary, where it came from
  QLabel* previewCaption;
  QListWidget* previewList;   // the chosen snapshot's job list
  QCheckBox* keepSnapshotsBox;
  // The user turned the snapshots on, or confirmed turning them off.
  std::function<void(bool keep)> keepSnapshotsChanged;
  QLabel* folderLabel;
  QPushButton* restoreButton;
  QPushButton* restoreToFileButton;
  QPushButton* closeButton;
  // The save dialog of "恢复到新文件"; fileName is the file last written.
  FileDialogSettings newFileDialog;

 public slots:
  void onRestore();
  void onRestoreToFile();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void onKeepSnapshotsClicked(bool keep);
  void showPreview();
  int chosenRow() const;

  CardSession& card_;
  const SnapshotFolder& folder_;
  Prompts& prompts_;
  Scaler scale_;
  std::vector<Snapshot> snapshots_;
};

}  // namespace vel
