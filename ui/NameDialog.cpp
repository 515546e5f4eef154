#include "ui/NameDialog.h"

#include <QKeyEvent>
#include <algorithm>

#include "records/CharacterFilters.h"
#include "ui/AnsiText.h"
#include "ui/KeyHooks.h"

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

NameDialog::NameDialog(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("NameDialog"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  setModal(true);
  applyWindowLook(this, scale_);
  setFixedSize(scale_(kClientWidth), scale_(kClientHeight));

  promptLabel = new QLabel(this);
  promptLabel->setObjectName(QStringLiteral("promptLabel"));
  promptLabel->setTextFormat(Qt::PlainText);
  promptLabel->move(scale_(25), scale_(16));

  nameEdit = new QLineEdit(this);
  nameEdit->setObjectName(QStringLiteral("nameEdit"));
  nameEdit->setValidator(new CharacterFilterValidator(filterNameCharacter, nameEdit));
  scale_.place(nameEdit, 24, 38, 226, 24);
  nameEdit->installEventFilter(this);

  okButton = makeButton(this, "okButton", tr("确 定"), scale_, 56);
  cancelButton = makeButton(this, "cancelButton", tr("取  消"), scale_, 144);
  okButton->setDefault(true);
  setTabOrder(nameEdit, okButton);
  setTabOrder(okButton, cancelButton);

  connect(okButton, &QPushButton::clicked, this, &NameDialog::onOk);
  connect(cancelButton, &QPushButton::clicked, this, &NameDialog::onCancel);
  fitTextWidths(this);
  nameEdit->setFocus();
}

void NameDialog::filterNameKey(char32_t& key) {
  if (key == 27) {
    onCancel();
    key = 0;  // handled: the dialog is closing
    return;
  }
  // Enter is a control character: it goes on to the default button.
  key = filterNameCharacter(key).value_or(0);
}

void NameDialog::onOk() {
  if (nameEdit->text().isEmpty()) return;
  result_ = 1;
  accept();
}

void NameDialog::onCancel() {
  result_ = 0;
  reject();
}

bool NameDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == nameEdit && event->type() == QEvent::KeyPress) {
    return runKeyHook(nameEdit, *static_cast<QKeyEvent*>(event),
                      [this](char32_t& key) { filterNameKey(key); });
  }
  return QDialog::eventFilter(watched, event);
}

void NameDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

uint8_t showNameDialog(const QString& caption, const QString& prompt, std::span<char> buffer,
                       int maxLength, QWidget* owner) {
  const size_t length = std::min(buffer.size(), static_cast<size_t>(std::max(maxLength, 0)));
  NameDialog dialog(owner);
  dialog.setWindowTitle(caption);
  dialog.promptLabel->setText(prompt);
  dialog.promptLabel->adjustSize();
  dialog.nameEdit->setMaxLength(static_cast<int>(length));
  dialog.nameEdit->setText(bufferText(buffer.first(length)));
  dialog.exec();

  copyTrimmedText(dialog.nameEdit->text(), buffer.first(length));
  return dialog.result();
}

}  // namespace vel
