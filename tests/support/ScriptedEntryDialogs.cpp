#include "tests/support/ScriptedEntryDialogs.h"

#include <algorithm>
#include <cstring>

namespace vel::test {
namespace {

std::string textOf(std::span<const char> buffer) {
  return std::string(buffer.data(), std::find(buffer.begin(), buffer.end(), '\0') - buffer.begin());
}

// As the dialogs hand a text back: its first bytes, the rest of the field NUL.
void copyInto(const std::string& text, std::span<char> buffer) {
  std::fill(buffer.begin(), buffer.end(), '\0');
  std::memcpy(buffer.data(), text.data(), std::min(text.size(), buffer.size()));
}

}  // namespace

void ScriptedEntryDialogs::answerPoint(std::optional<std::string> name, FixedValue n, FixedValue e,
                                       FixedValue z) {
  points_.push_back({true, std::move(name), {n, e, z}});
}

void ScriptedEntryDialogs::cancelPoint() {
  points_.push_back({false, std::nullopt, {}});
}

void ScriptedEntryDialogs::answerName(const std::string& text) {
  names_.push_back({true, text});
}

void ScriptedEntryDialogs::cancelName(const std::string& text) {
  names_.push_back({false, text});
}

uint8_t ScriptedEntryDialogs::enterCoordinates(QWidget*, const QString& caption, uint8_t preset,
                                               std::span<char, kNameLength> name,
                                               PointValues& values) {
  opened.push_back({OpenedEntry::Kind::kCoordinates, caption, QString(), textOf(name), preset, 0});
  if (whenOpened) whenOpened();
  if (points_.empty()) return 0;
  const Point point = points_.front();
  points_.pop_front();
  if (!point.confirmed) return 0;
  if (point.name) copyInto(*point.name, name);
  values = point.values;
  return 1;
}

uint8_t ScriptedEntryDialogs::enterName(QWidget*, const QString& caption, const QString& prompt,
                                        std::span<char> buffer, int maxLength) {
  const std::span<char> field = buffer.first(std::min<size_t>(buffer.size(), maxLength));
  opened.push_back({OpenedEntry::Kind::kName, caption, prompt, textOf(field), 0, maxLength});
  if (whenOpened) whenOpened();
  if (names_.empty()) {
    copyInto(textOf(field), field);  // the preset goes back as it came
    return 0;
  }
  const Name name = names_.front();
  names_.pop_front();
  copyInto(name.text, field);
  return name.confirmed && !name.text.empty() ? 1 : 0;
}

std::vector<std::string> ScriptedEntryDialogs::presets(OpenedEntry::Kind kind) const {
  std::vector<std::string> result;
  for (const OpenedEntry& entry : opened) {
    if (entry.kind == kind) result.push_back(entry.preset);
  }
  return result;
}

}  // namespace vel::test
