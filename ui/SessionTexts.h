// What the card session tells of the open image, in the interface's
// language: why it takes no change, and what opening found of a change cut
// short. The windows show these; none of them is taken apart again.
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

}  // namespace vel
