#include "ui/CrsDialog.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "gis/Crs.h"

namespace vel {
namespace {

constexpr std::size_t kListedCrs = 200;  // more than anyone reads; the words narrow it

QString itemText(const CrsEntry& entry) {
  QString text = QString::fromStdString(entry.code) + QStringLiteral("   ") +
                 QString::fromStdString(entry.name);
  if (!entry.meridian.empty())
    text += QStringLiteral(" (%1)").arg(QString::fromStdString(entry.meridian));
  return text;
}

}  // namespace

CrsDialog::CrsDialog(const std::string& current, QWidget* parent)
    : QDialog(parent), current_(current) {
  setObjectName(QStringLiteral("CrsDialog"));
  setWindowTitle(tr("坐标系"));
  auto* layout = new QVBoxLayout(this);
  auto* hint = new QLabel(
      tr("点的 N、E 所在的坐标系。输入 EPSG 代码或名称中的词（如 CGCS2000 117）："), this);
  hint->setWordWrap(true);
  layout->addWidget(hint);
  searchEdit = new QLineEdit(this);
  searchEdit->setObjectName(QStringLiteral("searchEdit"));
  searchEdit->setClearButtonEnabled(true);
  layout->addWidget(searchEdit);
  crsList = new QListWidget(this);
  crsList->setObjectName(QStringLiteral("crsList"));
  layout->addWidget(crsList);
  countLabel = new QLabel(this);
  countLabel->setObjectName(QStringLiteral("countLabel"));
  layout->addWidget(countLabel);
  buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(crsList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  connect(searchEdit, &QLineEdit::textChanged, this, &CrsDialog::search);
  searchEdit->installEventFilter(this);
  resize(560, 420);

  // The current choice is found by its code.
  searchEdit->setText(QString::fromStdString(current));
  search(searchEdit->text());
  searchEdit->setFocus();
}

void CrsDialog::search(const QString& words) {
  crsList->clear();
  auto* local = new QListWidgetItem(tr("本地坐标（无坐标系：工地的施工坐标）"), crsList);
  local->setData(Qt::UserRole, QString());
  const std::vector<const CrsEntry*> found =
      searchCrs(crsCatalog(), words.toStdString(), kListedCrs + 1);
  for (std::size_t i = 0; i < found.size() && i < kListedCrs; ++i) {
    auto* item = new QListWidgetItem(itemText(*found[i]), crsList);
    item->setData(Qt::UserRole, QString::fromStdString(found[i]->code));
  }
  countLabel->setText(found.size() > kListedCrs
                          ? tr("只列出前 %1 个，请输入更多的词。").arg(kListedCrs)
                          : QString());
  // The current CRS stays chosen while it is listed; else the first found.
  int row = crsList->count() > 1 ? 1 : 0;
  for (int i = 0; i < crsList->count(); ++i) {
    if (crsList->item(i)->data(Qt::UserRole).toString().toStdString() == current_ &&
        (i > 0 || words.trimmed().isEmpty())) {
      row = i;
    }
  }
  crsList->setCurrentRow(row);
}

std::string CrsDialog::chosen() const {
  const QListWidgetItem* item = crsList->currentItem();
  return item ? item->data(Qt::UserRole).toString().toStdString() : current_;
}

bool CrsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == searchEdit && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
        key == Qt::Key_PageDown) {
      QCoreApplication::sendEvent(crsList, event);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

std::optional<std::string> askCrs(const std::string& current, QWidget* parent) {
  CrsDialog dialog(current, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.chosen();
}

}  // namespace vel
