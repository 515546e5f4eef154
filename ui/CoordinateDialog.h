// The coordinate entry dialog: N, E and Z of one point and its name. The
// dialog only edits text and hands back the values; its callers store them.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <cstdint>
#include <span>

#include "store/FixedValue.h"
#include "store/ModelLayout.h"
#include "ui/UiLook.h"

namespace vel {

// N, E and Z.
using PointValues = std::array<FixedValue, 3>;

class CoordinateDialog final : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kCoordinateLength = 12;

  explicit CoordinateDialog(QWidget* owner = nullptr);

  // Key hooks: `key` is the typed character; the hook may replace it, or set
  // it to 0 to discard it. filterCoordinateKey serves N, E and Z alike.
  void filterCoordinateKey(QLineEdit* edit, char32_t& key);
  void filterNameKey(char32_t& key);
  // Focus leaving N, E or Z.
  void leaveCoordinate(QLineEdit* edit);

  // 1 after a complete confirmation, otherwise 0.
  uint8_t result() const { return result_; }
  // Set by the confirmation only.
  const PointValues& values() const { return values_; }

  QLabel* titleLabel;  // title
  QLabel* northLabel;
  QLabel* eastLabel;
  QLabel* heightLabel;
  QLabel* nameLabel;
  QLineEdit* northEdit;   // N
  QLineEdit* eastEdit;    // E
  QLineEdit* heightEdit;  // Z
  QLineEdit* nameEdit;    // point name
  QPushButton* okButton;
  QPushButton* cancelButton;

 public slots:
  void onOk();
  void onCancel();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Escape cancels only from N, E and Z; elsewhere it does nothing.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool isCoordinateField(const QObject* object) const;
  // The text as parseFixed reads it, written back as formatFixed shows it.
  FixedValue normalise(QLineEdit* edit);

  Scaler scale_;
  uint8_t result_ = 0;
  PointValues values_{};
};

// Shows the dialog modally over `owner`. With `preset` not 0 the coordinate
// fields open with the values; the name field opens with the buffer's text
// (up to its first NUL). On 1 the buffer holds the confirmed name, its first
// 8 bytes padded with NUL (no terminator follows a name of 8), and `values`
// the coordinates; on 0 both are left as they were.
uint8_t showCoordinateDialog(const QString& caption, uint8_t preset,
                             std::span<char, kNameLength> name, PointValues& values,
                             QWidget* owner = nullptr);

}  // namespace vel
