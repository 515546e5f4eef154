// The main window: the summary of the selected record area, the pages of job
// files, known points and feature codes, and the selection and formatting of
// a record area. It decides when the session opens and closes an image.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "card/CardSession.h"
#include "ui/Controls.h"
#include "ui/EntryDialogs.h"
#include "ui/Prompts.h"
#include "ui/UiLook.h"

namespace vel {

class CardMedia;
class CardWatcher;
struct CardPresets;

class MainWindow final : public QWidget {
  Q_OBJECT
 public:
  // Builds the window, then runs selectAtStartup: card discovery and one
  // record-area selection, before the window is shown. An image named by the
  // caller (the command line, a double-clicked file) is loaded instead of
  // asking for one.
  MainWindow(CardSession& session, Prompts& prompts, const CardMedia& media,
             const std::filesystem::path& imageToOpen = {}, QWidget* parent = nullptr);
  ~MainWindow() override;

  // --- The summary and the lists, rebuilt from the session -------------------
  void refreshSummary();
  void refreshJobList();
  void refreshKnownPointList();
  void refreshCodeList();

  // Runs an action through the session and shows what it came to; true when
  // it was done.
  bool act(const Action& action);
  // Shows what an action came to: a refusal's text with the timed popup, a
  // write failure, a snapshot not kept or an image that takes no change
  // with their boxes. True when it was done.
  bool showOutcome(const Outcome& outcome);

  // A write the card did not take: says so, then shows what the card holds;
  // when the image's file is gone (the card pulled out), the image is let go
  // and a new selection offered.
  void reportWriteFailure();

  // True while a record area is loaded. The page handlers act only then: an
  // image that is open but not loaded (format declined) must not receive the
  // tables of the one shown before.
  bool pagesUsable() const;
  // pagesUsable(), and the image takes changes: otherwise says why. Every
  // handler that changes the card asks it before it asks anything else.
  bool changesUsable();

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

  // The job viewer and the coordinate import are windows of their own; whoever
  // builds them sets these. Unset, their buttons do nothing.
  // openJobViewer(job) returns when the viewer has closed.
  std::function<void(JobSlot)> openJobViewer;
  // importCoordinates(target, format choice): true when the user confirmed
  // an import that stored rows.
  std::function<bool(JobSlot, int&)> importCoordinates;

  Prompts& prompts() const { return prompts_; }
  CardSession& session() const { return session_; }
  const Scaler& scale() const { return scale_; }

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

  QFrame* pagesPanel;  // pages
  OwnerDrawnPageControl* pages;
  QWidget* jobPage;
  QWidget* knownPointPage;
  QWidget* codePage;

  QListWidget* jobList;
  QPushButton* viewJobButton;
  QPushButton* newJobButton;
  QPushButton* deleteJobButton;
  QPushButton* renameJobButton;
  QPushButton* enterPointsButton;
  QPushButton* importPointsButton;

  QListWidget* knownPointList;
  QPushButton* enterKnownPointsButton;
  QPushButton* importKnownPointsButton;
  QPushButton* deleteKnownPointButton;
  QPushButton* clearKnownPointsButton;

  QListWidget* codeList;
  QPushButton* enterCodesButton;
  QPushButton* deleteCodeButton;
  QPushButton* clearCodesButton;

  // The right-click menu of the job list and the known-point list: "显示图形".
  QMenu* planMenu;

  // The open dialog's settings; its fileName is the selected image's path.
  FileDialogSettings openDialog;
  // The format both import buttons offer first (its number); lives for one run.
  int importFormatChoice = 1;

 public slots:
  void onSelectImage();
  void onFormat();
  void onRestore();

  // Job files page.
  void onNewJob();
  void onDeleteJob();
  void onRenameJob();
  void onViewJob();
  void onEnterPoints();
  void onImportPoints();
  void onJobListKey(int key);
  void onJobListDoubleClick();

  // Known points page.
  void onEnterKnownPoints();
  void onImportKnownPoints();
  void onDeleteKnownPoint();
  void onClearKnownPoints();
  void onKnownPointListKey(int key);

  // Feature codes page.
  void onEnterCodes();
  void onDeleteCode();
  void onClearCodes();
  void onCodeListKey(int key);

  // The plan of the job the menu was opened on, or of the known points.
  void onShowPlan();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // The Delete key in the three lists and the double click in the job list.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void selectAtStartup(const std::filesystem::path& imageToOpen);
  // Opens the image openDialog names and shows what it holds.
  void loadSelectedImage();
  void onClose();
  void buildWindow();
  void buildSummary();
  void buildPages();
  QWidget* buildJobPage();
  struct PageButton;
  void placeButtonColumn(QWidget* sheet, int x, int width,
                         std::initializer_list<PageButton> buttons);
  QWidget* buildKnownPointPage();
  QWidget* buildCodePage();
  void clearLists();
  void connectPages();
  void connectWindows();
  // Removes a row after its item was deleted from the store and selects the
  // same index again, or row 0 when it was the last row.
  void setLoaded(bool loaded);
  // Dialogs sit over the window once it is shown; before that (start-up)
  // they stand alone.
  QWidget* dialogParent();

  void connectPlanMenu(QListWidget* list);
  // The selected image's file name, without its folder.
  QString imageFileName() const;

  // Typed points into the target, one per confirmed dialog; true when any was stored.
  bool enterPoints(JobSlot target, const QString& caption);
  // What an entry into the target meets first: a refusal when it is full.
  Outcome roomFor(JobSlot target);

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
  QListWidget* planMenuList_ = nullptr;  // the list the plan menu was opened on
  QtEntryDialogs qtEntryDialogs_;
  EntryDialogs* entryDialogs_ = &qtEntryDialogs_;
};

// The row a handler acts on: the current row when it is selected, else -1.
int selectedRow(const QListWidget* list);

}  // namespace vel
