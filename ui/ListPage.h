// What the main window's three pages share: the window that holds them (a
// PageHost), one list with a column of link buttons beside it, the guard
// that lets a handler run only while a record area is loaded (and, for a
// change, while the image takes changes), the Delete key, and the typed
// entry of points.
#pragma once

#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "card/CardSession.h"
#include "ui/EntryDialogs.h"
#include "ui/Prompts.h"
#include "ui/UiLook.h"

class QMenu;

namespace vel {

// The window that holds the pages: the session it shows and how it shows
// what an action came to.
class PageHost {
 public:
  virtual CardSession& session() const = 0;
  virtual Prompts& prompts() const = 0;
  virtual EntryDialogs& entryDialogs() const = 0;
  virtual const Scaler& scale() const = 0;
  // Dialogs sit over the window once it is shown; before that they stand alone.
  virtual QWidget* dialogParent() = 0;
  // True while a record area is loaded: an image that is open but not loaded
  // (format declined) must not receive the tables of the one shown before.
  virtual bool pagesUsable() const = 0;
  // Shows what an action came to; true when it was done.
  virtual bool showOutcome(const Outcome& outcome) = 0;
  // A write the card did not take: says so and shows what the card holds.
  virtual void reportWriteFailure() = 0;
  virtual void refreshSummary() = 0;
  // The selected image's path, as the open dialog gave it.
  virtual QString imagePath() const = 0;
  // The job viewer, returning when it has closed.
  virtual void viewJob(JobSlot job) = 0;
  // The coordinate import into the target; true when the user confirmed an
  // import that stored rows.
  virtual bool importPoints(JobSlot target) = 0;

 protected:
  ~PageHost() = default;
};

// A name buffer of the entry dialogs: 8 characters and a terminator that no
// dialog writes.
using NameBuffer = std::array<char, kNameLength + 1>;
std::string nameOf(const NameBuffer& buffer);

// Fills a list in one go; a full known-point file has 3072 rows.
void fillList(QListWidget* list, const std::vector<std::string>& lines);

// The row a handler acts on: the current row when it is selected, else -1.
int selectedRow(const QListWidget* list);

class ListPage : public QWidget {
  Q_OBJECT
 public:
  // The page's list from the session.
  virtual void refresh() = 0;
  void clear() { list->clear(); }
  // The list from the session after several rows went: the row that moved
  // into the first one's place is selected, or the last row.
  void refreshSelecting(int row);

  QListWidget* list = nullptr;
  // The right-click menu of the list, "显示图形"; none on the codes page.
  QMenu* planMenu = nullptr;

 protected:
  ListPage(PageHost& host, const char* objectName);

  // What a handler needs before it may run.
  enum class Needs {
    kLoadedArea,  // a loaded record area
    kChanges,     // ... that takes changes; otherwise the reason is said
  };
  // The one guard of every handler of the page.
  bool allowed(Needs needs);

  struct Button {
    QPushButton*& button;
    const char* name;
    const char* caption;  // translated in the page's own context
    Needs needs;
    std::function<void()> handler;
  };
  // The link buttons in a column right of the list, at fixed heights, each
  // running its handler under the guard.
  void placeButtonColumn(int x, int width, std::initializer_list<Button> buttons);
  // The Delete key in the list runs `handler` under the guard.
  void onDeleteKey(Needs needs, std::function<void()> handler);
  // A right click on the list offers "显示图形": the plan of the job that
  // planOf gives for the row clicked (-1: below the rows), if any.
  void addPlanMenu(std::function<std::optional<JobSlot>(int row)> planOf);

  bool act(const Action& action) { return host_.showOutcome(host_.session().run(action)); }
  // Typed points into the target, one per confirmed dialog, until it is
  // cancelled or the card refuses one; true when any was stored.
  bool enterPoints(JobSlot target, const QString& caption,
                   const std::function<void(const std::string& name, const PointValues&)>& stored);
  // Asks for a file and shows the import window; true when rows were stored.
  bool importInto(JobSlot target);
  // Empties the list and what it shows after one question; an empty list is
  // left alone, without a word about a read-only image. True when cleared.
  bool clearAfterAsking(const QString& caption, const QString& question, const Action& clear);
  // What an entry into the target meets first: a refusal when it is full.
  Outcome roomFor(JobSlot target);
  void showPlan(JobSlot job);

  bool eventFilter(QObject* watched, QEvent* event) override;

  PageHost& host_;
  CardSession& session_;
  const Scaler& scale_;

 private:
  std::function<void()> deleteKey_;
  std::optional<JobSlot> planJob_;  // what the open plan menu would show
};

}  // namespace vel
