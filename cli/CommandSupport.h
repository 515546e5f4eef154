// What every velcard command shares: exit statuses, the failure that ends a
// command, the opened image, and the reading of common arguments.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "card/CardSession.h"

namespace vel::cli {

// Exit statuses of velcard.
constexpr int kExitDone = 0;
constexpr int kExitUsage = 1;  // also unopenable files, I/O errors, bad import files
constexpr int kExitRefused = 2;
constexpr int kExitUnrecognised = 3;

// The words after the verb.
using CommandArgs = std::span<const std::string>;

struct Streams {
  std::ostream& out;
  std::ostream& err;
  // How long to wait for another program to let go of the image (--wait).
  std::chrono::milliseconds lockWait{std::chrono::seconds(10)};
  // Snapshots before the commands that remove or overwrite data (off with
  // --no-backup).
  bool snapshots = true;
  // The CRS of the image's N and E (--crs): "EPSG:N", or "" for local
  // coordinates; unset, the one last chosen for the image.
  std::optional<std::string> crs = std::nullopt;
};

// Ends a command. The message goes to stderr as it is (refusals carry the
// desktop program's own text, which may be empty); usage failures are
// followed by the list of commands.
struct CommandFailure {
  int status;
  std::string message;
  bool showUsage = false;
};

[[noreturn]] void failUsage(std::string message);
[[noreturn]] void failRefused(std::string message);
[[noreturn]] void failIo(std::string message);
// A text of the desktop program with the window's line ends (CR LF) made
// the terminal's (LF).
std::string withoutCarriageReturns(std::string_view text);
// The desktop program's text of a snapshot that could not be kept, exit 1.
[[noreturn]] void failNotBackedUp(const std::string& message);

// The image named on the command line, opened in place and locked for one
// command and closed when the command ends.
class ImageSession {
 public:
  // Opens and recognises the image, waiting up to io.lockWait for another
  // program that has it. Fails with kExitUsage when the file cannot be opened,
  // stays in use, or is the standard output. An interrupted change put back
  // from its journal is said once on io.err.
  ImageSession(std::string path, Streams& io);

  CardSession& card() { return card_; }
  // The folder the snapshots of this image are kept in, whether or not the
  // command keeps one.
  SnapshotFolder& snapshots() { return snapshots_; }
  const std::string& path() const { return path_; }

  // Detection must have recognised the image (its tables are then loaded).
  // Fails with kExitUnrecognised otherwise, before anything is written.
  void requireRecognisedImage();
  // The image must take changes: a write-protected card, a file of two
  // names, a link out of its folder or a size that does not fit the model
  // fail with kExitUsage and the reason, before anything is done.
  void requireChangesAllowed();

  // Runs one action and ends the command on a refusal (its text on stderr,
  // exit 2), an image that takes no change (the reason, exit 1), a write
  // that did not reach the file (an I/O error), or a snapshot that could
  // not be kept (its text, exit 1). A change done but whose last step the
  // card did not confirm is done: a warning on stderr.
  Outcome run(const Action& action);
  // The same for an outcome at hand.
  const Outcome& checked(const Outcome& outcome);

 private:
  [[noreturn]] void failNotAllowed(ChangeRefusal why, const SizeMisfit& misfit);

  Streams& io_;
  std::string path_;
  SnapshotFolder snapshots_{defaultSnapshotFolder()};
  CardSession card_;
  OpenStatus opened_ = OpenStatus::kMissing;
};

// A JOB argument: a job of the list, or with `--known` the known-point file.
struct JobTarget {
  JobSlot slot;
  JobPosition position{-1};  // -1 for the known-point file
  bool knownPointFile = false;
};
constexpr const char* kKnownPointArgument = "--known";

// Looks the name up as the desktop program does (case-insensitive); an
// unknown name, or `--known` where only a listed job will do, is a usage error.
JobTarget resolveJob(CardSession& card, const std::string& argument, bool knownAllowed);

// A job name, point name or feature code as the name dialog would have let it
// be typed, cut to 8 characters; an empty result is a usage error.
std::string typedName(const std::string& text, const char* what);

// A 0-based index: digits only. Values past the int range are clamped, they
// name nothing either way.
int parseIndex(const std::string& text, const char* what);

// "RX3-8", "RX2-8", "RX3-32" or "RX9-32" (any letter case) with optional
// SECTORS, which only RX3-8 takes and only as its second geometry.
ModelChoice parseModel(const std::string& name, const std::string* sectors);

}  // namespace vel::cli
