// The coordinate reference system of the card's N and E, chosen from PROJ's
// list by its EPSG code or words of its name ("CGCS2000 117"), or local
// coordinates (a site grid, no CRS). The list answers as the user types.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <optional>
#include <string>

namespace vel {

class CrsDialog final : public QDialog {
  Q_OBJECT
 public:
  // `current`: "EPSG:4548", or "" for local coordinates; it is shown chosen.
  explicit CrsDialog(const std::string& current, QWidget* parent = nullptr);

  // The chosen item's CRS: "EPSG:N", or "" for local coordinates.
  std::string chosen() const;
  // Shows the local item, then the CRSs the words find.
  void search(const QString& words);

  QLineEdit* searchEdit;
  QListWidget* crsList;
  QLabel* countLabel;  // how many were found, when more than are listed
  QDialogButtonBox* buttons;

 protected:
  // Up and Down move in the list while the search field has the focus.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::string current_;
};

// Shows the dialog modally; nothing when it is cancelled.
std::optional<std::string> askCrs(const std::string& current, QWidget* parent);

}  // namespace vel
