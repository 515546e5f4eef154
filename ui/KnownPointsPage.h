// The known points page: the card's known-point file as rows of name, N, E
// and Z, points typed or imported into it, one deleted or all cleared.
#pragma once

#include "ui/ListPage.h"

namespace vel {

class KnownPointsPage final : public ListPage {
  Q_OBJECT
 public:
  explicit KnownPointsPage(PageHost& host);

  void refresh() override;

  QPushButton* enterKnownPointsButton;
  QPushButton* importKnownPointsButton;
  QPushButton* deleteKnownPointButton;
  QPushButton* clearKnownPointsButton;

 private:
  void enterPoints();
  void importPoints();
  void deletePoint();
  void deletePoints(const std::vector<int>& rows);
  void clearPoints();
};

}  // namespace vel
