// The two entry dialogs as the pages of the main window reach them: the
// coordinate entry and the name and code entry. The real ones show the
// dialogs; tests put scripted answers in their place.
#pragma once

#include <QString>
#include <cstdint>
#include <span>

#include "ui/CoordinateDialog.h"

class QWidget;

namespace vel {

class EntryDialogs {
 public:
  virtual ~EntryDialogs() = default;
  // As showCoordinateDialog: 1 with the name and values filled in, 0 with
  // both untouched.
  virtual uint8_t enterCoordinates(QWidget* owner, const QString& caption, uint8_t preset,
                                   std::span<char, kNameLength> name, PointValues& values) = 0;
  // As showNameDialog: the buffer receives the text either way; 1 when confirmed.
  virtual uint8_t enterName(QWidget* owner, const QString& caption, const QString& prompt,
                            std::span<char> buffer, int maxLength) = 0;
};

class QtEntryDialogs final : public EntryDialogs {
 public:
  uint8_t enterCoordinates(QWidget* owner, const QString& caption, uint8_t preset,
                           std::span<char, kNameLength> name, PointValues& values) override;
  uint8_t enterName(QWidget* owner, const QString& caption, const QString& prompt,
                    std::span<char> buffer, int maxLength) override;
};

}  // namespace vel
