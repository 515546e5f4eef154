#include "cli/CommandSupport.h"

#include <strings.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "card/ImageFileAccess.h"
#include "messages/Messages.h"
#include "records/CharacterFilters.h"
#include "store/Gbk.h"

namespace vel::cli {

void failUsage(std::string message) {
  throw CommandFailure{kExitUsage, "velcard: " + std::move(message), true};
}

void failRefused(std::string message) {
  throw CommandFailure{kExitRefused, std::move(message)};
}

void failIo(std::string message) {
  throw CommandFailure{kExitUsage, "velcard: " + std::move(message)};
}

std::string withoutCarriageReturns(std::string_view text) {
  std::string lines;
  for (char c : text) {
    if (c != '\r') lines += c;
  }
  return lines;
}

void failNotBackedUp(const std::string& message) {
  throw CommandFailure{kExitUsage, withoutCarriageReturns(message)};
}

ImageSession::ImageSession(std::string path, Streams& io) : io_(io), path_(std::move(path)) {
  card_.setLockWait(io.lockWait);
  snapshots_.setLockWait(io.lockWait);
  if (io.snapshots) card_.setSnapshotFolder(&snapshots_);
  opened_ = card_.open(path_);
  if (opened_ == OpenStatus::kMissing || opened_ == OpenStatus::kWriteFailed) {
    const int error = card_.openError();
    failIo("cannot open image " + path_ +
           (error != 0 ? std::string(": ") + std::strerror(error) : ""));
  }
  if (opened_ == OpenStatus::kInUse) failIo(path_ + " is in use by another program");
  switch (card_.journalFinding()) {
    case JournalFinding::kRestored:
      io.err << "velcard: " << path_
             << " was put back as it was before an interrupted change (from " << card_.journalPath()
             << ")\n";
      break;
    case JournalFinding::kSetAside:
      io.err << "velcard: " << path_
             << ": a change was interrupted, but the image was written since (by the instrument?);"
                " nothing was put back and it is used as it is; the journal was kept as "
             << card_.journalSetAsidePath() << "\n";
      break;
    case JournalFinding::kShownAsBefore:
      io.err << "velcard: " << path_
             << ": a change was interrupted; the image cannot be written, so it is read as it "
                "was before that change\n";
      break;
    case JournalFinding::kOvertaken:
      io.err << "velcard: " << path_
             << ": a change was interrupted, but the image was written since; it is read as it "
                "is\n";
      break;
    case JournalFinding::kNone:
      break;
  }
  // Whatever is printed must not land in the image.
  if (descriptorIsFile(STDOUT_FILENO, path_)) failIo("standard output is the image " + path_);
}

void ImageSession::requireRecognisedImage() {
  if (opened_ != OpenStatus::kLoaded) {
    throw CommandFailure{kExitUnrecognised,
                         "velcard: " + path_ + ": not a recognised record-area image"};
  }
}

void ImageSession::requireChangesAllowed() {
  if (!card_.changesAllowed()) failNotAllowed(card_.changeRefusal(), card_.sizeMisfit());
}

void ImageSession::failNotAllowed(ChangeRefusal why, const SizeMisfit& misfit) {
  std::string reason;
  switch (why) {
    case ChangeRefusal::kWriteProtected:
      reason = "the card is write-protected (a read-only file or file system); it can only be read";
      break;
    case ChangeRefusal::kHardLinked:
      reason = "the file has more than one name (hard links); copy it to change it";
      break;
    case ChangeRefusal::kLinkLeavesFolder:
      reason = "it is named through a symlink to a file outside the link's folder";
      break;
    case ChangeRefusal::kSizeMisfit:
      reason = "its size (" + std::to_string(misfit.size) + " bytes) does not fit " +
               modelName(misfit.model) + " (" + std::to_string(misfit.expected) +
               " bytes); it can only be read";
      break;
    case ChangeRefusal::kNone:
      break;
  }
  failIo(path_ + " cannot be changed: " + reason);
}

const Outcome& ImageSession::checked(const Outcome& outcome) {
  switch (outcome.kind) {
    case Outcome::Kind::kNotAllowed:
      failNotAllowed(outcome.notAllowedBecause, outcome.misfit);
    case Outcome::Kind::kWriteFailed:
      failIo("write to image " + path_ + " failed");
    case Outcome::Kind::kRefused:
      failRefused(refusalText(outcome.refusal, asWritten));
    case Outcome::Kind::kNotBackedUp:
      failNotBackedUp(notBackedUpText(outcome.backup, asWritten));
    case Outcome::Kind::kDone:
      break;
  }
  if (outcome.unconfirmed) {
    io_.err << "velcard: warning: the change to " << path_
            << " is done, but the card did not confirm that its folder was written\n";
  }
  return outcome;
}

Outcome ImageSession::run(const Action& action) {
  return checked(card_.run(action));
}

JobTarget resolveJob(CardSession& card, const std::string& argument, bool knownAllowed) {
  if (argument == kKnownPointArgument) {
    if (!knownAllowed) failUsage("the known-point file is not a job for this command");
    return JobTarget{card.knownPointFile(), JobPosition{-1}, true};
  }
  // Names on the card are GBK; the user types what velcard printed, in UTF-8.
  const std::optional<JobPosition> position = card.findJob(utf8ToGbk(argument));
  if (!position) failUsage("no job named " + argument);
  return JobTarget{card.jobAt(*position), *position, false};
}

std::string typedName(const std::string& text, const char* what) {
  std::string name;
  for (char c : filterNameText(text)) {
    // The filter lets control characters through because in the dialog they are
    // editing keys (Backspace, Enter); in an argument they are no part of a name.
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte != 127) name += c;
  }
  if (name.size() > kNameLength) name.resize(kNameLength);
  if (name.empty()) failUsage(std::string(what) + " has no character a name can hold: " + text);
  return name;
}

int parseIndex(const std::string& text, const char* what) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
    failUsage(std::string(what) + " must be a number from 0: " + text);
  }
  long long value = 0;
  for (char c : text) {
    value = value * 10 + (c - '0');
    if (value > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(value);
}

ModelChoice parseModel(const std::string& name, const std::string* sectors) {
  ModelChoice choice;
  choice.model = -1;
  for (int m = kRX3_8; m <= kRX9_32; ++m) {
    if (strcasecmp(name.c_str(), modelName(m)) == 0) choice.model = m;
  }
  if (choice.model < 0) failUsage("unknown model " + name + " (RX3-8, RX2-8, RX3-32 or RX9-32)");
  choice.sectors = defaultSectors(choice.model);
  if (sectors != nullptr) {
    if (choice.model != kRX3_8 || *sectors != std::to_string(kRX3_8LongSectors)) {
      failUsage("SECTORS can only be " + std::to_string(kRX3_8LongSectors) + ", with RX3-8");
    }
    choice.sectors = kRX3_8LongSectors;
  }
  return choice;
}

}  // namespace vel::cli
