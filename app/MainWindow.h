// The main window: the summary of the selected record area, the selection
// and formatting of a record area, the restore link, and the three pages (job
// files, known points, feature codes) it hands the session. It decides when
// the session opens and closes an image.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/CardDiscovery.h"
#include "card/CardSession.h"
#include "ui/Controls.h"
#include "ui/EntryDialogs.h"
#include "ui/FeatureCodesPage.h"
#include "ui/JobFilesPage.h"
#include "ui/KnownPointsPage.h"
#include "ui/ListPage.h"
#include "ui/Prompts.h"
#include "ui/UiLook.h"

namespace vel {

class CardMedia;
class CardWatcher;

class MainWindow final : public QWidget, public PageHost {
  Q_OBJECT
 public:
  // Builds the window, then runs selectAtStartup: card discovery and one
  // record-area selection, before the window is shown. An image named by the
  // caller (the command line, a double-clicked file) is loaded instead of
  // asking for one.
  MainWindow(CardSession& session, Prompts& prompts, const CardMedia& media,
             const std::filesystem::path& imageToOpen = {}, QWidget* parent = nullptr);
  ~MainWindow() override;

  // --- The summary and the pages, rebuilt from the session ---------------------
  void refreshSummary() override;
  void refreshPages();

  // Runs an action through the session and shows what it came to; true when
  // it was done.
  bool act(const Action& action);
  // Shows what an action came to: a refusal's text with the timed popup, a
  // write failure, a snapshot not kept or an image that takes no change
  // with their boxes. True when it was done.
  bool showOutcome(const Outcome& outcome) override;

  // A write the card did not take: says so, then shows what the card holds;
  // when the image's file is gone (the card pulled out), the image is let go
  // and a new selection offered.
  void reportWriteFailure() override;

  // True while a record area is loaded. The pages act only then.
  bool pagesUsable() const override;

  // Draws one page tab; called for each tab in order.
  void drawPageTab(QPainter& painter, int index, const QRect& rect, bool active);

  // Whether actions that remove or overwrite data keep a snapshot first; the
  // choice is kept in the program's settings.
  void setKeepSnapshots(bool keep);
  const SnapshotFolder& snapshotFolder() const { return snapshotFolder_; }

  // Looks for a card put in while the program runs.
  CardWatcher& cardWatcher() { return *cardWatcher_; }

  // The entry dialogs the pages open; the real ones unless a test sets others.
  void setEntryDialogs(EntryDialogs& dialogs) { entryDialogs_ = &dialogs; }

  Prompts& prompts() const override { return prompts_; }
  CardSession& session() const override { return session_; }
  const Scaler& scale() const override { return scale_; }
  EntryDialogs& entryDialogs() const override { return *entryDialogs_; }
  QWidget* dialogParent() override;
  QString imagePath() const override { return openDialog.fileName; }
  void viewJob(JobSlot job) override;
  bool importPoints(JobSlot target) override;

  // The job viewer and the coordinate import are windows of their own; they
  // are set to the real ones at construction, and a test may set others.
  // openJobViewer(job) returns when the viewer has closed.
  std::function<void(JobSlot)> openJobViewer;
  // importCoordinates(target, format choice): true when the user confirmed
  // an import that stored rows.
  std::function<bool(JobSlot, int&)> importCoordinates;

  // --- Controls ----------------------------------------------------------------
  QFrame* topPanel;              // top panel
  QFrame* summaryPanel;          // white summary panel
  QLabel* modelLabel;            // model
  QLabel* imageNameLabel;        // record area file name
  QLabel* jobCountLabel;         // job count
  QLabel* knownPointCountLabel;  // known point count
  PercentGauge* usageGauge;
  QPushButton* selectImageButton;
  QPushButton* formatButton;
  QPushButton* restoreButton;  // "恢复备份": the snapshots of the open image
  QLabel* snapshotsOffLabel;   // "自动备份已关闭", shown while no snapshots are kept

  QFrame* pagesPanel;  // pages
  OwnerDrawnPageControl* pages;
  JobFilesPage* jobPage;
  KnownPointsPage* knownPointPage;
  FeatureCodesPage* codePage;

  // The open dialog's settings; its fileName is the selected image's path.
  FileDialogSettings openDialog;
  // The format both import buttons offer first (its number); lives for one run.
  int importFormatChoice = 1;

 public slots:
  void onSelectImage();
  void onFormat();
  void onRestore();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void selectAtStartup(const std::filesystem::path& imageToOpen);
  // Opens the image openDialog names and shows what it holds.
  void loadSelectedImage();
  void buildWindow();
  void buildSummary();
  void buildPages();
  void clearLists();
  void connectWindows();
  void setLoaded(bool loaded);
  // The selected image's file name, without its folder.
  QString imageFileName() const;

  // Shows the image anew after it was replaced whole (a restore).
  void reloadImage();
  // The image's file is gone: lets it go, shows no record area, and offers
  // to select one.
  void dropVanishedImage();
  // A card put in while no record area is loaded: offers to open its image.
  void offerCard(const CardPresets& presets);

  CardSession& session_;
  SnapshotFolder snapshotFolder_{defaultSnapshotFolder()};
  CardWatcher* cardWatcher_ = nullptr;
  Prompts& prompts_;
  const CardMedia& media_;
  Scaler scale_;
  bool loaded_ = false;
  // The record-area dialog is open; a card that appears meanwhile waits in
  // cardWhileChoosing_ until it has closed.
  bool choosingImage_ = false;
  std::optional<CardPresets> cardWhileChoosing_;
  QtEntryDialogs qtEntryDialogs_;
  EntryDialogs* entryDialogs_ = &qtEntryDialogs_;
};

}  // namespace vel
