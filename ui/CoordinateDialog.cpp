#include "ui/CoordinateDialog.h"

#include <QKeyEvent>

#include "records/CharacterFilters.h"
#include "ui/AnsiText.h"
#include "ui/KeyHooks.h"

namespace vel {
namespace {

// Design sizes of a 1024-pixel-high screen.
constexpr int kClientWidth = 354;
constexpr int kClientHeight = 233;
constexpr int kTitlePixels = 19;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const Scaler& scale,
                  int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->move(scale(x), scale(y));
  label->adjustSize();
  return label;
}

QLineEdit* makeEdit(QWidget* parent, const char* name, int maxLength, const Scaler& scale, int y,
                    CharacterFilterValidator::Filter filter) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setMaxLength(maxLength);
  edit->setValidator(new CharacterFilterValidator(filter, edit));
  scale.place(edit, 120, y, 200, 24);
  return edit;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const Scaler& scale, int x) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  scale.place(button, x, 189, 75, 26);
  return button;
}

}  // namespace

CoordinateDialog::CoordinateDialog(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("CoordinateDialog"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setModal(true);
  applyWindowLook(this, scale_);
  setFixedSize(scale_(kClientWidth), scale_(kClientHeight));

  titleLabel = makeLabel(this, "titleLabel", tr("输入坐标 "), scale_, 20, 19);
  titleLabel->setFont(scale_.font(kTitlePixels));
  titleLabel->adjustSize();
  northLabel = makeLabel(this, "northLabel", QStringLiteral("N: "), scale_, 84, 55);
  eastLabel = makeLabel(this, "eastLabel", QStringLiteral("E: "), scale_, 84, 85);
  heightLabel = makeLabel(this, "heightLabel", QStringLiteral("Z: "), scale_, 84, 116);
  nameLabel = makeLabel(this, "nameLabel", tr("点 号: "), scale_, 51, 146);

  northEdit = makeEdit(this, "northEdit", kCoordinateLength, scale_, 52, filterCoordinateCharacter);
  eastEdit = makeEdit(this, "eastEdit", kCoordinateLength, scale_, 82, filterCoordinateCharacter);
  heightEdit =
      makeEdit(this, "heightEdit", kCoordinateLength, scale_, 112, filterCoordinateCharacter);
  nameEdit = makeEdit(this, "nameEdit", kNameLength, scale_, 142, filterNameCharacter);
  okButton = makeButton(this, "okButton", tr("确  定"), scale_, 136);
  cancelButton = makeButton(this, "cancelButton", tr("取  消"), scale_, 232);

  setTabOrder(northEdit, eastEdit);
  setTabOrder(eastEdit, heightEdit);
  setTabOrder(heightEdit, nameEdit);
  setTabOrder(nameEdit, okButton);
  setTabOrder(okButton, cancelButton);
  for (QLineEdit* edit : {northEdit, eastEdit, heightEdit, nameEdit})
    edit->installEventFilter(this);

  connect(okButton, &QPushButton::clicked, this, &CoordinateDialog::onOk);
  connect(cancelButton, &QPushButton::clicked, this, &CoordinateDialog::onCancel);

  // The callers propose the name, so the entry starts with the coordinates.
  fitTextWidths(this);
  northEdit->setFocus();
}

bool CoordinateDialog::isCoordinateField(const QObject* object) const {
  return object == northEdit || object == eastEdit || object == heightEdit;
}

FixedValue CoordinateDialog::normalise(QLineEdit* edit) {
  const FixedValue value = parseFixed(qStringToAnsi(edit->text()));
  edit->setText(QString::fromStdString(formatFixed(value)));
  return value;
}

void CoordinateDialog::filterCoordinateKey(QLineEdit* edit, char32_t& key) {
  if (key == 27) {
    onCancel();
    key = 0;  // handled: the dialog is closing
    return;
  }
  if (key == 13) {
    normalise(edit);
    QLineEdit* next = edit == northEdit ? eastEdit : edit == eastEdit ? heightEdit : nameEdit;
    next->setFocus(Qt::TabFocusReason);
    key = 0;  // handled: no default button may see it
    return;
  }
  key = filterCoordinateCharacter(key).value_or(0);
}

void CoordinateDialog::filterNameKey(char32_t& key) {
  if (key == 13) {
    onOk();
    key = 0;
    return;
  }
  key = filterNameCharacter(key).value_or(0);
}

void CoordinateDialog::leaveCoordinate(QLineEdit* edit) {
  // Leaving an empty field keeps it empty, so that confirming finds it.
  if (!edit->text().isEmpty()) normalise(edit);
}

void CoordinateDialog::onOk() {
  PointValues values;
  QLineEdit* const fields[] = {northEdit, eastEdit, heightEdit};
  for (int i = 0; i < 3; ++i) {
    if (fields[i]->text().isEmpty()) {
      fields[i]->setFocus(Qt::TabFocusReason);
      return;
    }
    values[i] = normalise(fields[i]);
  }
  if (nameEdit->text().isEmpty()) {
    nameEdit->setFocus(Qt::TabFocusReason);
    return;
  }
  values_ = values;
  result_ = 1;
  accept();
}

void CoordinateDialog::onCancel() {
  result_ = 0;
  reject();
}

bool CoordinateDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == northEdit || watched == eastEdit || watched == heightEdit || watched == nameEdit) {
    auto* edit = static_cast<QLineEdit*>(watched);
    if (event->type() == QEvent::KeyPress) {
      return runKeyHook(edit, *static_cast<QKeyEvent*>(event), [&](char32_t& key) {
        if (isCoordinateField(edit)) {
          filterCoordinateKey(edit, key);
        } else {
          filterNameKey(key);
        }
      });
    }
    if (event->type() == QEvent::FocusOut && isCoordinateField(edit)) leaveCoordinate(edit);
  }
  return QDialog::eventFilter(watched, event);
}

void CoordinateDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

uint8_t showCoordinateDialog(const QString& caption, uint8_t preset,
                             std::span<char, kNameLength> name, PointValues& values,
                             QWidget* owner) {
  CoordinateDialog dialog(owner);
  dialog.setWindowTitle(caption);
  if (preset != 0) {
    dialog.northEdit->setText(QString::fromStdString(formatFixed(values[0])));
    dialog.eastEdit->setText(QString::fromStdString(formatFixed(values[1])));
    dialog.heightEdit->setText(QString::fromStdString(formatFixed(values[2])));
  }
  dialog.nameEdit->setText(bufferText(name));
  dialog.exec();

  if (dialog.result() == 1) {
    values = dialog.values();
    copyTrimmedText(dialog.nameEdit->text(), name);
  }
  return dialog.result();
}

}  // namespace vel
