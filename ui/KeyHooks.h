// Per-key hooks of the entry fields: a window sees each typed character
// before its line edit does and may let it pass, replace it or discard it.
#pragma once

#include <QLineEdit>
#include <QValidator>
#include <functional>
#include <optional>

class QKeyEvent;

namespace vel {

// The character a key types, as the hooks see it: Enter is 13 and Escape 27
// even though the toolkit gives them no text; keys that type nothing (arrows,
// function keys) give nothing and reach the field untouched.
std::optional<char32_t> typedCharacter(const QKeyEvent& event);

// Runs `hook` on a key press meant for `edit`. The hook may change the
// character or set it to 0. True when the event is used up: the hook
// discarded or replaced the character (a replacement is typed into the field
// here). False lets the key go on to the field unchanged.
bool runKeyHook(QLineEdit* edit, QKeyEvent& event, const std::function<void(char32_t&)>& hook);

// Applies a character filter to every change of a field's text, so that
// pasted text obeys the same rule as typed text. Control characters, which a
// key only ever uses for editing, never become part of the text.
class CharacterFilterValidator final : public QValidator {
 public:
  using Filter = std::optional<char32_t> (*)(char32_t);
  CharacterFilterValidator(Filter filter, QObject* parent);
  State validate(QString& input, int& pos) const override;

 private:
  Filter filter_;
};

}  // namespace vel
