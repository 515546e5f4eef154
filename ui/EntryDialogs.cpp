#include "ui/EntryDialogs.h"

#include "ui/NameDialog.h"

namespace vel {

uint8_t QtEntryDialogs::enterCoordinates(QWidget* owner, const QString& caption, uint8_t preset,
                                         std::span<char, kNameLength> name, PointValues& values) {
  return showCoordinateDialog(caption, preset, name, values, owner);
}

uint8_t QtEntryDialogs::enterName(QWidget* owner, const QString& caption, const QString& prompt,
                                  std::span<char> buffer, int maxLength) {
  return showNameDialog(caption, prompt, buffer, maxLength, owner);
}

}  // namespace vel
