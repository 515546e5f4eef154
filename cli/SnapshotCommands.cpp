#include "cli/SnapshotCommands.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "card/ImageFileAccess.h"
#include "messages/Messages.h"

namespace vel::cli {
namespace {

// The words of a command with its own options taken out: flags that stand
// alone, and `--to NEW`.
struct SnapshotArgs {
  std::vector<std::string> words;
  bool all = false;
  bool fromOtherCard = false;
  std::optional<std::string> to;
};

SnapshotArgs splitArgs(CommandArgs args, bool restoring) {
  SnapshotArgs split;
  for (size_t i = 0; i < args.size(); ++i) {
    if (!restoring && args[i] == "--all") {
      split.all = true;
    } else if (restoring && args[i] == "--from-other-card") {
      split.fromOtherCard = true;
    } else if (restoring && args[i] == "--to") {
      if (i + 1 == args.size()) failUsage("--to takes the new file's name");
      split.to = args[++i];
    } else {
      split.words.push_back(args[i]);
    }
  }
  return split;
}

// The image's file name as its folder lists it, under which its snapshots
// are kept.
std::string imageNameOf(const std::string& image) {
  return listedSpelling(image).filename().string();
}

void printSnapshots(const std::vector<Snapshot>& snapshots, bool withPlace, Streams& io) {
  for (size_t i = 0; i < snapshots.size(); ++i) {
    const Snapshot& s = snapshots[i];
    io.out << i + 1 << "  " << snapshotTimeText(s.time) << "  " << snapshotActionText(s, asWritten)
           << "  " << snapshotContentsText(s, asWritten);
    if (withPlace) io.out << "  " << (s.place.empty() ? "?" : s.place);
    io.out << '\n';
  }
}

const Snapshot& numbered(const std::vector<Snapshot>& snapshots, const std::string& text,
                         const std::string& imageName) {
  const int number = parseIndex(text, "N");
  if (number < 1 || static_cast<size_t>(number) > snapshots.size()) {
    failIo("no snapshot " + text + " of " + imageName);
  }
  return snapshots[static_cast<size_t>(number) - 1];
}

// restore IMAGE N --to NEW: the image itself may be lost; nothing of it is opened.
int restoreToNewFile(const SnapshotArgs& split) {
  const std::string name = imageNameOf(split.words[0]);
  const SnapshotFolder folder(defaultSnapshotFolder());
  const std::vector<Snapshot> snapshots = folder.list(name);
  const Snapshot& snapshot = numbered(snapshots, split.words[1], name);
  struct stat info {};
  if (::lstat(split.to->c_str(), &info) == 0) failIo(*split.to + " already exists");
  const int error = folder.restoreToNewFile(snapshot, *split.to);
  if (error == EBADMSG) failIo("snapshot " + split.words[1] + " of " + name + " is damaged");
  if (error != 0) failIo("cannot write " + *split.to + ": " + std::strerror(error));
  return kExitDone;
}

}  // namespace

int backupCommand(CommandArgs args, Streams& io) {
  ImageSession image(args[0], io);
  // Asked for by name: kept even under --no-backup, and of a card that takes no change.
  image.card().setSnapshotFolder(&image.snapshots());
  image.checked(image.card().backUp());
  return kExitDone;
}

int backupsCommand(CommandArgs args, Streams& io) {
  const SnapshotArgs split = splitArgs(args, false);
  if (split.words.size() != 1) failUsage("wrong number of arguments for backups");
  // Listed by the image's name and card: the image itself is not opened.
  const std::string& image = split.words[0];
  const SnapshotFolder folder(defaultSnapshotFolder());
  const std::string name = imageNameOf(image);
  if (split.all) {
    printSnapshots(folder.list(name), true, io);
  } else {
    printSnapshots(folder.list(name, imageOrigin(listedSpelling(image)).card), false, io);
  }
  return kExitDone;
}

int restoreCommand(CommandArgs args, Streams& io) {
  const SnapshotArgs split = splitArgs(args, true);
  if (split.words.size() != 2) failUsage("wrong number of arguments for restore");
  parseIndex(split.words[1], "N");
  if (split.to) return restoreToNewFile(split);

  ImageSession image(split.words[0], io);
  image.requireChangesAllowed();
  CardSession& card = image.card();
  // N counts what `backups` lists: this card's snapshots, or every card's
  // when one of another card is asked for.
  const std::vector<Snapshot> snapshots =
      split.fromOtherCard ? image.snapshots().list(card.imageName())
                          : image.snapshots().list(card.imageName(), card.origin().card);
  const Snapshot& snapshot = numbered(snapshots, split.words[1], card.imageName());
  const Outcome restored =
      card.run(RestoreSnapshot{&image.snapshots(), snapshot, split.fromOtherCard});
  // A snapshot that does not fit is no refusal of the card: nothing was tried.
  if (restored.refused()) {
    throw CommandFailure{kExitUsage, refusalText(restored.refusal, asWritten)};
  }
  image.checked(restored);
  return kExitDone;
}

}  // namespace vel::cli
