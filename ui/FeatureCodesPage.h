// The feature codes page: the card's code library, codes typed in until the
// dialog is cancelled, one deleted without a question, all cleared after one.
#pragma once

#include "ui/ListPage.h"

namespace vel {

class FeatureCodesPage final : public ListPage {
  Q_OBJECT
 public:
  explicit FeatureCodesPage(PageHost& host);

  void refresh() override;

  QPushButton* enterCodesButton;
  QPushButton* deleteCodeButton;
  QPushButton* clearCodesButton;

 private:
  void enterCodes();
  void deleteCode();
  void clearCodes();
};

}  // namespace vel
