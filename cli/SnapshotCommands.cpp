#include "cli/SnapshotCommands.h"

#include <filesystem>

#include "records/MessageTexts.h"

namespace vel::cli {

int backupCommand(CommandArgs args, Streams& io) {
  ImageSession image(args[0], io);
  // Asked for by name: kept even under --no-backup.
  image.card().setSnapshotFolder(&image.snapshots());
  image.checked(image.card().keepSnapshot(kManualSnapshotAction));
  return kExitDone;
}

int backupsCommand(CommandArgs args, Streams& io) {
  // Listed by the image's file name: the image itself is not opened.
  const std::string name = std::filesystem::path(args[0]).filename().string();
  const std::vector<Snapshot> snapshots = SnapshotFolder(defaultSnapshotFolder()).list(name);
  for (size_t i = 0; i < snapshots.size(); ++i) {
    const Snapshot& s = snapshots[i];
    io.out << i + 1 << "  " << snapshotTimeText(s.time) << "  " << s.action << "  " << s.summary
           << '\n';
  }
  return kExitDone;
}

int restoreCommand(CommandArgs args, Streams& io) {
  const int number = parseIndex(args[1], "N");
  ImageSession image(args[0], io);
  const std::vector<Snapshot> snapshots = image.snapshots().list(image.card().imageName());
  if (number < 1 || static_cast<size_t>(number) > snapshots.size()) {
    failIo("no snapshot " + args[1] + " of " + image.card().imageName());
  }
  const CardResult restored =
      image.card().restore(image.snapshots(), snapshots[static_cast<size_t>(number) - 1]);
  // A snapshot that does not fit is no refusal of the card: nothing was tried.
  if (restored.status == CardResult::kRefused) throw CommandFailure{kExitUsage, restored.message};
  image.checked(restored);
  image.finishChanges();
  return kExitDone;
}

}  // namespace vel::cli
