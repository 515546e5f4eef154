// Prompts for tests: replays scripted answers and records everything shown.
// An unscripted question gets what pressing Enter would give: "No" (the
// default button) or a cancelled dialog.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "ui/Prompts.h"

namespace vel::test {

struct ShownPrompt {
  enum class Kind { kYesNo, kOk, kOpenFile, kSaveFile, kTimedMessage };
  Kind kind;
  QString caption;
  QString text;
  PromptIcon icon = PromptIcon::kInformation;
  FileDialogSettings dialog;  // the settings as the dialog was shown
  bool yesIsDefault = false;  // a Yes/No box whose default button is "Yes"
};

class ScriptedPrompts final : public Prompts {
 public:
  void answerYesNo(bool yes) { yesNo_.push_back(yes); }
  // The user picks `path` (and, in a save dialog, the filter `filterIndex`);
  // an empty path takes the file name the dialog was preset with.
  void answerFile(const QString& path, std::optional<int> filterIndex = std::nullopt);
  void cancelFile();

  bool askYesNo(QWidget* parent, const QString& caption, const QString& text, PromptIcon icon,
                bool yesIsDefault = false) override;
  void showOk(QWidget* parent, const QString& caption, const QString& text,
              PromptIcon icon) override;
  bool openFile(QWidget* parent, FileDialogSettings& settings) override;
  bool saveFile(QWidget* parent, FileDialogSettings& settings) override;
  void showTimedMessage(QWidget* parent, const QString& text) override;

  // Runs while the next open dialog is up, as if the user waited in it.
  std::function<void()> whileNextOpenDialog;

  std::vector<ShownPrompt> shown;
  std::vector<ShownPrompt> shownOf(ShownPrompt::Kind kind) const;
  QStringList timedMessages() const;
  // Scripted answers nobody asked for: a flow that stopped earlier than the
  // test expected.
  size_t unusedAnswers() const { return yesNo_.size() + files_.size(); }

 private:
  bool fileDialog(ShownPrompt::Kind kind, FileDialogSettings& settings);

  std::deque<bool> yesNo_;
  std::deque<std::optional<std::pair<QString, std::optional<int>>>> files_;
};

}  // namespace vel::test
