#include "records/Unit3.h"

#include <QKeyEvent>
#include <algorithm>

#include "app/AnsiText.h"
#include "app/KeyHooks.h"
#include "records/CharacterFilters.h"

namespace vel {
namespace {

// Design sizes of a 1024-pixel-high screen.
constexpr int kClientWidth = 272;
constexpr int kClientHeight = 114;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const Scaler& scale, int x) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  scale.place(button, x, 72, 75, 26);
  return button;
}

}  // namespace

TForm3::TForm3(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("Form3"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  setModal(true);
  applyWindowLook(this, scale_);
  setFixedSize(scale_(kClientWidth), scale_(kClientHeight));

  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setTextFormat(Qt::PlainText);
  Label1->move(scale_(25), scale_(16));

  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setValidator(new CharacterFilterValidator(filterNameCharacter, Edit1));
  scale_.place(Edit1, 24, 38, 226, 24);
  Edit1->installEventFilter(this);

  ImButton1 = makeButton(this, "ImButton1", QStringLiteral("确 定"), scale_, 56);
  ImButton2 = makeButton(this, "ImButton2", QStringLiteral("取  消"), scale_, 144);
  ImButton1->setDefault(true);
  setTabOrder(Edit1, ImButton1);
  setTabOrder(ImButton1, ImButton2);

  connect(ImButton1, &QPushButton::clicked, this, &TForm3::ImButton1Click);
  connect(ImButton2, &QPushButton::clicked, this, &TForm3::ImButton2Click);
  Edit1->setFocus();
}

void TForm3::Edit1KeyPress(char32_t& key) {
  if (key == 27) {
    ImButton2Click();
    key = 0;  // handled: the dialog is closing
    return;
  }
  // Enter is a control character: it goes on to the default button.
  key = filterNameCharacter(key).value_or(0);
}

void TForm3::ImButton1Click() {
  if (Edit1->text().isEmpty()) return;
  result_ = 1;
  accept();
}

void TForm3::ImButton2Click() {
  result_ = 0;
  reject();
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Edit1 && event->type() == QEvent::KeyPress) {
    return runKeyHook(Edit1, *static_cast<QKeyEvent*>(event),
                      [this](char32_t& key) { Edit1KeyPress(key); });
  }
  return QDialog::eventFilter(watched, event);
}

void TForm3::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

uint8_t showNameDialog(const QString& caption, const QString& prompt, std::span<char> buffer,
                       int maxLength, QWidget* owner) {
  const size_t length = std::min(buffer.size(), static_cast<size_t>(std::max(maxLength, 0)));
  TForm3 dialog(owner);
  dialog.setWindowTitle(caption);
  dialog.Label1->setText(prompt);
  dialog.Label1->adjustSize();
  dialog.Edit1->setMaxLength(static_cast<int>(length));
  dialog.Edit1->setText(bufferText(buffer.first(length)));
  dialog.exec();

  copyTrimmedText(dialog.Edit1->text(), buffer.first(length));
  return dialog.result();
}

}  // namespace vel
