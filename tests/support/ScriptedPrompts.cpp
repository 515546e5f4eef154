#include "tests/support/ScriptedPrompts.h"

#include <utility>

namespace vel::test {

void ScriptedPrompts::answerFile(const QString& path, std::optional<int> filterIndex) {
  files_.emplace_back(std::make_pair(path, filterIndex));
}

void ScriptedPrompts::cancelFile() {
  files_.emplace_back(std::nullopt);
}

bool ScriptedPrompts::askYesNo(QWidget*, const QString& caption, const QString& text,
                               PromptIcon icon, bool yesIsDefault) {
  shown.push_back({ShownPrompt::Kind::kYesNo, caption, text, icon, {}, yesIsDefault});
  // Unanswered: the box's default button.
  if (yesNo_.empty()) return yesIsDefault;
  const bool answer = yesNo_.front();
  yesNo_.pop_front();
  return answer;
}

void ScriptedPrompts::showOk(QWidget*, const QString& caption, const QString& text,
                             PromptIcon icon) {
  shown.push_back({ShownPrompt::Kind::kOk, caption, text, icon, {}});
}

bool ScriptedPrompts::fileDialog(ShownPrompt::Kind kind, FileDialogSettings& settings) {
  shown.push_back({kind, settings.title, QString(), PromptIcon::kInformation, settings});
  if (files_.empty()) return false;
  const auto answer = files_.front();
  files_.pop_front();
  if (!answer) return false;
  if (!answer->first.isEmpty()) settings.fileName = answer->first;
  if (answer->second) settings.filterIndex = *answer->second;
  return true;
}

bool ScriptedPrompts::openFile(QWidget*, FileDialogSettings& settings) {
  if (const auto meanwhile = std::exchange(whileNextOpenDialog, nullptr)) meanwhile();
  return fileDialog(ShownPrompt::Kind::kOpenFile, settings);
}

bool ScriptedPrompts::saveFile(QWidget*, FileDialogSettings& settings) {
  return fileDialog(ShownPrompt::Kind::kSaveFile, settings);
}

void ScriptedPrompts::showTimedMessage(QWidget*, const QString& text) {
  shown.push_back(
      {ShownPrompt::Kind::kTimedMessage, QString(), text, PromptIcon::kInformation, {}});
}

std::vector<ShownPrompt> ScriptedPrompts::shownOf(ShownPrompt::Kind kind) const {
  std::vector<ShownPrompt> result;
  for (const ShownPrompt& prompt : shown) {
    if (prompt.kind == kind) result.push_back(prompt);
  }
  return result;
}

QStringList ScriptedPrompts::timedMessages() const {
  QStringList texts;
  for (const ShownPrompt& prompt : shownOf(ShownPrompt::Kind::kTimedMessage)) texts << prompt.text;
  return texts;
}

}  // namespace vel::test
