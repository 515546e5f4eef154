// What the card session answers, in the interface's language: why the
// image takes no change, what opening found of a change cut short, what an
// action came to, and what a snapshot was kept before. The windows show
// these; none of them is taken apart again.
#pragma once

#include <QString>

#include "card/CardSession.h"

class QWidget;

namespace vel {

class Prompts;

// Empty when the image takes changes.
QString changeRefusalText(const CardSession& card);
// Empty when opening found nothing to tell.
QString journalFindingText(const CardSession& card);

// True when the image takes changes; otherwise says why (an information
// box) and answers false. Asked before a change asks the user anything.
bool changesAllowed(const CardSession& card, Prompts& prompts, QWidget* parent);

// A refusal's popup text; empty for one that says nothing.
QString refusalMessage(Refusal refusal);
// Why an action met an image that takes no change.
QString notAllowedMessage(const Outcome& outcome);
// A snapshot's action and contents as the restore window lists them.
QString snapshotActionMessage(const Snapshot& snapshot);
QString snapshotContentsMessage(const Snapshot& snapshot);
// Why a file gave no points.
QString readProblemMessage(const ReadProblem& problem);

// A snapshot that could not be kept before an action, which was therefore
// not done: why, in a warning box.
void showNotBackedUp(Prompts& prompts, QWidget* parent, const SnapshotFailure& failure);

}  // namespace vel
