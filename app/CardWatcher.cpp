#include "app/CardWatcher.h"

namespace vel {

CardWatcher::CardWatcher(const CardMedia& media, QObject* parent)
    : QObject(parent), media_(media) {
  connect(&timer_, &QTimer::timeout, this, &CardWatcher::look);
}

std::set<std::filesystem::path> CardWatcher::cardsSeen() {
  std::set<std::filesystem::path> cards;
  for (const auto& medium : media_.folders()) {
    if (const auto card = cardFolderOf(medium)) cards.insert(*card);
  }
  return cards;
}

void CardWatcher::start(int intervalMs) {
  lastCards_ = cardsSeen();
  timer_.start(intervalMs);
}

void CardWatcher::look() {
  std::set<std::filesystem::path> cards = cardsSeen();
  std::vector<std::filesystem::path> appeared;
  for (const auto& card : cards) {
    if (!lastCards_.count(card)) appeared.push_back(card);
  }
  // Noted before anyone is told, so that a look taken while the user is
  // being asked does not tell of the same card again.
  lastCards_ = std::move(cards);
  if (!cardAppeared) return;
  for (const auto& card : appeared) cardAppeared(presetsOf(card));
}

}  // namespace vel
