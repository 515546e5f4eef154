// The snapshots kept of the open image's name, newest first, with a preview
// of the chosen one's job list; "恢  复" puts the chosen one back over the
// image after asking. The window also holds the switch that turns the
// snapshots before destructive actions on and off.
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
  QTreeWidget* snapshotList;  // time, action, summary
  QLabel* previewCaption;
  QListWidget* previewList;   // the chosen snapshot's job list
  QCheckBox* keepSnapshotsBox;
  QLabel* folderLabel;
  QPushButton* restoreButton;
  QPushButton* closeButton;

 public slots:
  void onRestore();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void showPreview();

  CardSession& card_;
  const SnapshotFolder& folder_;
  Prompts& prompts_;
  Scaler scale_;
  std::vector<Snapshot> snapshots_;
};

}  // namespace vel
