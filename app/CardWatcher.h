// Notices a card put in while the program runs: looks at the media now and
// then with the same discovery as at start-up, and tells once of each card
// that appears. A card that was there when it started looking, or at the
// last look, is no news; one taken out and put back is.
#pragma once

#include <QObject>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <set>

#include "app/CardDiscovery.h"

namespace vel {

class CardWatcher final : public QObject {
 public:
  explicit CardWatcher(const CardMedia& media, QObject* parent = nullptr);

  // Called with the presets of a card that has just appeared.
  std::function<void(const CardPresets&)> cardAppeared;

  // Starts looking every intervalMs; the card there now counts as seen.
  void start(int intervalMs = 2000);
  // One look, as the timer takes it.
  void look();

 private:
  const CardMedia& media_;
  QTimer timer_;
  // The cards' VEL folders at the last look.
  std::set<std::filesystem::path> cardsSeen();
  std::set<std::filesystem::path> lastCards_;
};

}  // namespace vel
