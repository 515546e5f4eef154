#include "records/Unit2.h"

#include <QKeyEvent>

#include "app/AnsiText.h"
#include "app/KeyHooks.h"
#include "records/CharacterFilters.h"

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

TForm2::TForm2(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("Form2"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setModal(true);
  applyWindowLook(this, scale_);
  setFixedSize(scale_(kClientWidth), scale_(kClientHeight));

  Label5 = makeLabel(this, "Label5", QStringLiteral("输入坐标 "), scale_, 20, 19);
  Label5->setFont(scale_.font(kTitlePixels));
  Label5->adjustSize();
  Label1 = makeLabel(this, "Label1", QStringLiteral("N: "), scale_, 84, 55);
  Label2 = makeLabel(this, "Label2", QStringLiteral("E: "), scale_, 84, 85);
  Label3 = makeLabel(this, "Label3", QStringLiteral("Z: "), scale_, 84, 116);
  Label4 = makeLabel(this, "Label4", QStringLiteral("点 号: "), scale_, 51, 146);

  Edit1 = makeEdit(this, "Edit1", kCoordinateLength, scale_, 52, filterCoordinateCharacter);
  Edit2 = makeEdit(this, "Edit2", kCoordinateLength, scale_, 82, filterCoordinateCharacter);
  Edit3 = makeEdit(this, "Edit3", kCoordinateLength, scale_, 112, filterCoordinateCharacter);
  Edit4 = makeEdit(this, "Edit4", kNameLength, scale_, 142, filterNameCharacter);
  ImButton1 = makeButton(this, "ImButton1", QStringLiteral("确  定"), scale_, 136);
  ImButton2 = makeButton(this, "ImButton2", QStringLiteral("取  消"), scale_, 232);

  setTabOrder(Edit1, Edit2);
  setTabOrder(Edit2, Edit3);
  setTabOrder(Edit3, Edit4);
  setTabOrder(Edit4, ImButton1);
  setTabOrder(ImButton1, ImButton2);
  for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4}) edit->installEventFilter(this);

  connect(ImButton1, &QPushButton::clicked, this, &TForm2::ImButton1Click);
  connect(ImButton2, &QPushButton::clicked, this, &TForm2::ImButton2Click);

  // The callers propose the name, so the entry starts with the coordinates.
  Edit1->setFocus();
}

bool TForm2::isCoordinateField(const QObject* object) const {
  return object == Edit1 || object == Edit2 || object == Edit3;
}

FixedValue TForm2::normalise(QLineEdit* edit) {
  const FixedValue value = parseFixed(qStringToAnsi(edit->text()));
  edit->setText(QString::fromStdString(formatFixed(value)));
  return value;
}

void TForm2::Edit1KeyPress(QLineEdit* edit, char32_t& key) {
  if (key == 27) {
    ImButton2Click();
    key = 0;  // handled: the dialog is closing
    return;
  }
  if (key == 13) {
    normalise(edit);
    QLineEdit* next = edit == Edit1 ? Edit2 : edit == Edit2 ? Edit3 : Edit4;
    next->setFocus(Qt::TabFocusReason);
    key = 0;  // handled: no default button may see it
    return;
  }
  key = filterCoordinateCharacter(key).value_or(0);
}

void TForm2::Edit4KeyPress(char32_t& key) {
  if (key == 13) {
    ImButton1Click();
    key = 0;
    return;
  }
  key = filterNameCharacter(key).value_or(0);
}

void TForm2::Edit1Exit(QLineEdit* edit) {
  // Leaving an empty field keeps it empty, so that confirming finds it.
  if (!edit->text().isEmpty()) normalise(edit);
}

void TForm2::ImButton1Click() {
  PointValues values;
  QLineEdit* const fields[] = {Edit1, Edit2, Edit3};
  for (int i = 0; i < 3; ++i) {
    if (fields[i]->text().isEmpty()) {
      fields[i]->setFocus(Qt::TabFocusReason);
      return;
    }
    values[i] = normalise(fields[i]);
  }
  if (Edit4->text().isEmpty()) {
    Edit4->setFocus(Qt::TabFocusReason);
    return;
  }
  values_ = values;
  result_ = 1;
  accept();
}

void TForm2::ImButton2Click() {
  result_ = 0;
  reject();
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Edit1 || watched == Edit2 || watched == Edit3 || watched == Edit4) {
    auto* edit = static_cast<QLineEdit*>(watched);
    if (event->type() == QEvent::KeyPress) {
      return runKeyHook(edit, *static_cast<QKeyEvent*>(event), [&](char32_t& key) {
        if (isCoordinateField(edit)) {
          Edit1KeyPress(edit, key);
        } else {
          Edit4KeyPress(key);
        }
      });
    }
    if (event->type() == QEvent::FocusOut && isCoordinateField(edit)) Edit1Exit(edit);
  }
  return QDialog::eventFilter(watched, event);
}

void TForm2::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

uint8_t showCoordinateDialog(const QString& caption, uint8_t preset,
                             std::span<char, kNameLength> name, PointValues& values,
                             QWidget* owner) {
  TForm2 dialog(owner);
  dialog.setWindowTitle(caption);
  if (preset != 0) {
    dialog.Edit1->setText(QString::fromStdString(formatFixed(values[0])));
    dialog.Edit2->setText(QString::fromStdString(formatFixed(values[1])));
    dialog.Edit3->setText(QString::fromStdString(formatFixed(values[2])));
  }
  dialog.Edit4->setText(bufferText(name));
  dialog.exec();

  if (dialog.result() == 1) {
    values = dialog.values();
    copyTrimmedText(dialog.Edit4->text(), name);
  }
  return dialog.result();
}

}  // namespace vel
