#include "ui/KeyHooks.h"

#include <QKeyEvent>

namespace vel {
namespace {

bool isControl(char32_t c) {
  return c < 32 || c == 127;
}

}  // namespace

std::optional<char32_t> typedCharacter(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return U'\r';
    case Qt::Key_Escape:
      return U'\x1b';
    default:
      break;
  }
  const QList<uint> text = event.text().toUcs4();
  if (text.size() != 1) return std::nullopt;
  return static_cast<char32_t>(text.front());
}

bool runKeyHook(QLineEdit* edit, QKeyEvent& event, const std::function<void(char32_t&)>& hook) {
  const std::optional<char32_t> typed = typedCharacter(event);
  if (!typed) return false;
  char32_t key = *typed;
  hook(key);
  if (key == *typed) return false;
  if (key != 0 && !isControl(key)) edit->insert(QString::fromUcs4(&key, 1));
  return true;
}

CharacterFilterValidator::CharacterFilterValidator(Filter filter, QObject* parent)
    : QValidator(parent), filter_(filter) {}

QValidator::State CharacterFilterValidator::validate(QString& input, int& pos) const {
  const QList<uint> characters = input.toUcs4();
  QString filtered;
  int filteredPos = 0;
  int consumed = 0;  // UTF-16 units of the input read so far
  for (const uint c : characters) {
    const int units = c > 0xFFFF ? 2 : 1;
    const std::optional<char32_t> kept = filter_(static_cast<char32_t>(c));
    if (kept && !isControl(*kept)) {
      const char32_t k = *kept;
      filtered += QString::fromUcs4(&k, 1);
      if (consumed < pos) filteredPos = static_cast<int>(filtered.size());
    }
    consumed += units;
  }
  input = filtered;
  pos = filteredPos;
  return Acceptable;
}

}  // namespace vel
