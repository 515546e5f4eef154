// The name and code entry dialog: one line of text under a prompt, limited to
// the characters names and codes may hold, small letters typed as capitals.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdint>
#include <span>

#include "ui/UiLook.h"

namespace vel {

class NameDialog final : public QDialog {
  Q_OBJECT
 public:
  explicit NameDialog(QWidget* owner = nullptr);

  // Key hook of the field: `key` is the typed character; the hook may
  // replace it, or set it to 0 to discard it.
  void filterNameKey(char32_t& key);

  // 1 once the user confirmed a text, otherwise 0.
  uint8_t result() const { return result_; }

  QLabel* promptLabel;  // the prompt
  QLineEdit* nameEdit;
  QPushButton* okButton;  // the default button
  QPushButton* cancelButton;

 public slots:
  void onOk();
  void onCancel();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Escape cancels only from the field.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  Scaler scale_;
  uint8_t result_ = 0;
};

// Shows the dialog modally over `owner`, the field preset with the buffer's
// text (up to its first NUL) and taking at most `maxLength` characters. When
// it closes, confirmed or not, the buffer's first `maxLength` bytes receive
// the field's text without leading and trailing blanks, padded with NUL; the
// byte after them is left as it was, so the caller's terminator stays. The
// buffer needs room for maxLength bytes; 1 = confirmed (a non-empty text).
uint8_t showNameDialog(const QString& caption, const QString& prompt, std::span<char> buffer,
                       int maxLength, QWidget* owner = nullptr);

}  // namespace vel
