#include "ui/SessionTexts.h"

#include <QCoreApplication>
#include <QDir>

#include "messages/MessageTexts.h"
#include "messages/Messages.h"
#include "ui/AnsiText.h"
#include "ui/Language.h"
#include "ui/Prompts.h"

namespace vel {

QString changeRefusalText(const CardSession& card) {
  return messageText(
      changeRefusalText(card.changeRefusal(), card.sizeMisfit(), interfaceLanguage()));
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

QString refusalMessage(Refusal refusal) {
  return messageText(refusalText(refusal, interfaceLanguage()));
}

QString notAllowedMessage(const Outcome& outcome) {
  return messageText(
      changeRefusalText(outcome.notAllowedBecause, outcome.misfit, interfaceLanguage()));
}

QString snapshotActionMessage(const Snapshot& snapshot) {
  return messageText(snapshotActionText(snapshot, interfaceLanguage()));
}

QString snapshotContentsMessage(const Snapshot& snapshot) {
  return messageText(snapshotContentsText(snapshot, interfaceLanguage()));
}

QString readProblemMessage(const ReadProblem& problem) {
  return messageText(readProblemText(problem, interfaceLanguage()));
}

void showNotBackedUp(Prompts& prompts, QWidget* parent, const SnapshotFailure& failure) {
  prompts.showOk(parent, QCoreApplication::translate("Prompts", "警告"),
                 messageText(notBackedUpText(failure, interfaceLanguage())),
                 PromptIcon::kExclamation);
}

}  // namespace vel
