// What the card session answers, as codes with their values: the front ends
// say them in their own words and language, and never take a text apart.
#pragma once

#include <compare>
#include <cstdint>

#include "card/Snapshots.h"

namespace vel {

// A job's fixed directory number (the known-point file has one too), and a
// row of the job list: two numbers that are never to be mixed up.
struct JobSlot {
  uint8_t value = 0;
  auto operator<=>(const JobSlot&) const = default;
};
struct JobPosition {
  int value = 0;
  auto operator<=>(const JobPosition&) const = default;
};

// Why the card refused an action.
enum class Refusal : uint8_t {
  kNone,
  kNothingThere,           // no such job, record or code: nothing is said
  kDuplicateJobName,       // creating a job
  kNoFreeJobSlot,          // creating a job
  kRenameTaken,            // renaming a job
  kJobFullBefore,          // an entry into a job that holds 3072 records
  kKnownFileFullBefore,    // the same for the known-point file
  kJobFullWhileStoring,    // a record the job has no room for
  kRecordAreaFull,         // a record the record area has no room for
  kCodeLibraryFull,        // a 65th feature code
  kSnapshotMismatch,       // a restore of another size or model
  kSnapshotDamaged,        // a restore whose file is damaged or gone
  kSnapshotFromOtherCard,  // a restore of another card's snapshot, not asked for
};

// Why an open image takes no change; it is read all the same.
enum class ChangeRefusal {
  kNone,
  kWriteProtected,    // the file or its file system cannot be written (a locked card)
  kHardLinked,        // the file has more than one name
  kLinkLeavesFolder,  // named through a symlink to a file in another folder
  kSizeMisfit,        // its size is not its model's (SizeMisfit tells both)
};

struct SizeMisfit {
  long long size = 0;      // the file's bytes
  int model = 0;           // the model it was recognised as, or would be formatted as
  long long expected = 0;  // that model's image size
};

struct Outcome {
  enum class Kind {
    kDone,
    kRefused,      // `refusal` says why; nothing was changed
    kNotAllowed,   // the image takes no change (`notAllowedBecause`)
    kNotBackedUp,  // the snapshot before it could not be kept (`backup`); nothing changed
    kWriteFailed,  // the card did not take it; the image is as before
  };
  Kind kind = Kind::kDone;
  Refusal refusal = Refusal::kNone;
  SnapshotFailure backup;
  ChangeRefusal notAllowedBecause = ChangeRefusal::kNone;
  SizeMisfit misfit;
  // Done, but the card did not confirm the last step of the commit.
  bool unconfirmed = false;
  // A job created; rows of an import stored before it stopped, and whether
  // its first row was refused.
  JobSlot created;
  int stored = 0;
  bool firstRowRefused = false;

  bool done() const { return kind == Kind::kDone; }
  bool refused() const { return kind == Kind::kRefused; }
  bool notAllowed() const { return kind == Kind::kNotAllowed; }
  bool notBackedUp() const { return kind == Kind::kNotBackedUp; }
  bool writeFailed() const { return kind == Kind::kWriteFailed; }

  static Outcome ok() { return {}; }
  static Outcome of(Kind kind) {
    Outcome outcome;
    outcome.kind = kind;
    return outcome;
  }
  static Outcome refusedFor(Refusal why) {
    Outcome outcome = of(Kind::kRefused);
    outcome.refusal = why;
    return outcome;
  }
  static Outcome failed() { return of(Kind::kWriteFailed); }
};

}  // namespace vel
