// Entry dialogs for tests: replay scripted entries and record every dialog
// that was opened. An unscripted dialog is cancelled.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/EntryDialogs.h"

namespace vel::test {

struct OpenedEntry {
  enum class Kind { kCoordinates, kName };
  Kind kind;
  QString caption;
  QString prompt;          // name dialog only
  std::string preset;      // the buffer's text when the dialog opened
  uint8_t presetFlag = 0;  // coordinate dialog only
  int maxLength = 0;       // name dialog only
};

class ScriptedEntryDialogs final : public EntryDialogs {
 public:
  // The user confirms a point; without a name the proposed one is kept.
  void answerPoint(std::optional<std::string> name, FixedValue n, FixedValue e, FixedValue z);
  void cancelPoint();
  // The user confirms (or cancels, leaving `text` in the field) a name.
  void answerName(const std::string& text);
  void cancelName(const std::string& text = std::string());

  uint8_t enterCoordinates(QWidget* owner, const QString& caption, uint8_t preset,
                           std::span<char, kNameLength> name, PointValues& values) override;
  uint8_t enterName(QWidget* owner, const QString& caption, const QString& prompt,
                    std::span<char> buffer, int maxLength) override;

  // Called each time a dialog opens, before it is answered: a test looks at
  // the window between two entries.
  std::function<void()> whenOpened;

  std::vector<OpenedEntry> opened;
  std::vector<std::string> presets(OpenedEntry::Kind kind) const;
  size_t unusedAnswers() const { return points_.size() + names_.size(); }

 private:
  struct Point {
    bool confirmed;
    std::optional<std::string> name;
    PointValues values;
  };
  struct Name {
    bool confirmed;
    std::string text;
  };
  std::deque<Point> points_;
  std::deque<Name> names_;
};

}  // namespace vel::test
