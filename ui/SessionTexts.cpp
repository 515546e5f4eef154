#include "ui/SessionTexts.h"

#include <QCoreApplication>
#include <QDir>

#include "records/MessageTexts.h"
#include "ui/AnsiText.h"
#include "ui/Language.h"
#include "ui/Prompts.h"

namespace vel {

QString changeRefusalText(const CardSession& card) {
  switch (card.changeRefusal()) {
    case ChangeRefusal::kNone:
      return {};
    case ChangeRefusal::kWriteProtected:
      return messageText(kWriteProtectedText);
    case ChangeRefusal::kHardLinked:
      return messageText(kHardLinkedText);
    case ChangeRefusal::kLinkLeavesFolder:
      return messageText(kLinkLeavesFolderText);
    case ChangeRefusal::kSizeMisfit: {
      const CardSession::SizeMisfit misfit = card.sizeMisfit();
      return messageText(kSizeMisfitText)
          .arg(misfit.size)
          .arg(QString::fromLatin1(modelName(misfit.model)))
          .arg(misfit.expected);
    }
  }
  return {};
}

QString journalFindingText(const CardSession& card) {
  switch (card.journalFinding()) {
    case JournalFinding::kNone:
    case JournalFinding::kRestored:  // the main window's own words
      return {};
    case JournalFinding::kSetAside:
      return messageText(kJournalSetAsideText)
          .arg(QDir::toNativeSeparators(pathToQString(card.journalSetAsidePath())));
    case JournalFinding::kShownAsBefore:
      return messageText(kJournalShownAsBeforeText);
    case JournalFinding::kOvertaken:
      return messageText(kJournalOvertakenText);
  }
  return {};
}

bool changesAllowed(const CardSession& card, Prompts& prompts, QWidget* parent) {
  const QString refusal = changeRefusalText(card);
  if (refusal.isEmpty()) return true;
  prompts.showOk(parent, QCoreApplication::translate("vel::MainWindow", "提示"), refusal,
                 PromptIcon::kInformation);
  return false;
}

}  // namespace vel
